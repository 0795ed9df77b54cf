// The states grid and the athlete card's code field with real message boxes,
// driven by keys and each box closed as a user closes it. A box whose event
// loop ran inside the grid's move off a row, or inside a focus change, let Qt
// delete the cell editor the view was still handling.
#include "athletes_fixture.h"

#include "RealDialogs.h"
#include "athletes/frmStates.h"
#include "platform/data/RecordsetModel.h"

#include <QLineEdit>
#include <QTableView>
#include <QTest>

using TestSupport::CloseBy;

namespace {

class RealDialogs : public AthletesTest, public ::testing::WithParamInterface<CloseBy> {
protected:
    void TearDown() override
    {
        m_states.reset();
        AthletesTest::TearDown();
    }
    QStringList States()
    {
        QStringList s;
        dao::RecordsetPtr rs =
            CurrentDb->OpenRecordset(QStringLiteral("SELECT State FROM States ORDER BY State"), dao::dbOpenSnapshot);
        for (; !rs->AtEOF(); rs->MoveNext())
            s << rs->Value(0).toString();
        return s;
    }
    // Stores the given states (an SQL list of values) and opens the window
    // on them, every row read.
    data::RecordsetModel *OpenStates(const char *values)
    {
        CurrentDb->Execute(QStringLiteral("DELETE FROM States"), 0, {});
        CurrentDb->Execute(QStringLiteral("INSERT INTO States (State) VALUES %1").arg(QLatin1String(values)), 0, {});
        m_states = std::make_unique<frmStates>();
        m_states->show();
        QApplication::setActiveWindow(m_states.get());
        data::RecordsetModel *m = m_states->model();
        m->fetchAll();
        return m;
    }
    // Opens the cell editor of a state with F2, as a user does.
    QLineEdit *EditState(int row)
    {
        QTableView *grid = m_states->dbGridStates();
        grid->setFocus();
        grid->setCurrentIndex(m_states->model()->index(row, 0));
        QTest::keyClick(grid, Qt::Key_F2);
        return qobject_cast<QLineEdit *>(grid->indexWidget(m_states->model()->index(row, 0)));
    }
    std::unique_ptr<frmStates> m_states;
};

}

// A name the table has already, typed in the new row and left with the arrow
// key while its editor is still open: told once, the grid back on the row
// with the typed name, which Escape then gives up.
TEST_P(RealDialogs, StatesDuplicateLeftWithAnArrowKey)
{
    data::RecordsetModel *m = OpenStates("('Italy')");
    QTableView *grid = m_states->dbGridStates();
    grid->setFocus();
    grid->setCurrentIndex(m->index(1, 0));
    QTest::keyClick(grid, Qt::Key_F2);
    auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(m->index(1, 0)));
    ASSERT_NE(editor, nullptr);

    TestSupport::RealMessageBoxes boxes(GetParam());
    int rowBehindBox = -1;
    boxes.onShown = [&]() { rowBehindBox = grid->currentIndex().row(); };
    QTest::keyClicks(editor, QStringLiteral("ITALY"));
    QTest::keyClick(editor, Qt::Key_Up);
    TestSupport::Pump();
    EXPECT_EQ(boxes.texts.size(), 1) << boxes.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(rowBehindBox, 1) << "the box opens once the grid is back on the row it tells of";
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_EQ(m->pendingRow(), 1);
    EXPECT_EQ(m->value(1, 0).toString(), QStringLiteral("ITALY"));
    EXPECT_EQ(States(), QStringList{"Italy"});

    QApplication::setActiveWindow(m_states.get());
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_EQ(m->pendingRow(), -1);
    m_states->close();
    TestSupport::Pump();
    EXPECT_EQ(boxes.texts.size(), 1) << "closing says nothing more";
}

// A code the file has already, typed into a new athlete's code field and left
// with Tab: the field is emptied, told once, and the card stays to be
// corrected.
TEST_P(RealDialogs, AthleteCodeLeftWithTab)
{
    AddAthlete(QStringLiteral("ROSSI"));
    frmDatiPers &w = OpenAthletes();
    QApplication::setActiveWindow(&w);
    w.cmdAdd_Click();
    QLineEdit *code = Txt(0);
    code->setFocus();
    ASSERT_TRUE(code->hasFocus());

    TestSupport::RealMessageBoxes boxes(GetParam());
    QTest::keyClicks(code, QStringLiteral("rossi"));
    QTest::keyClick(code, Qt::Key_Tab);
    TestSupport::Pump();
    EXPECT_EQ(boxes.texts, QStringList{GetLangString(8502)});
    EXPECT_EQ(code->text(), QString());
    EXPECT_EQ(w.focusWidget(), Txt(1)) << "Tab moved on";
    EXPECT_TRUE(w.AddingNew());
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [Dati Personali]")), 1);
}

// A stored state renamed to a name the table has, in any letter case, and
// left with an arrow key or by closing the window: Error 3022 once, the grid
// back on the row while the window stays, and both names kept.
TEST_P(RealDialogs, StatesRenameToAnExistingName)
{
    struct Case { const char *typed; bool close; };
    for (const Case c : {Case{"Italy", false}, Case{"ITALY", false}, Case{"ITALY", true}}) {
        SCOPED_TRACE(std::string(c.typed) + (c.close ? ", closed" : ", arrow key"));
        data::RecordsetModel *m = OpenStates("('France'), ('Italy')");
        QTableView *grid = m_states->dbGridStates();
        const int row = m->value(0, 0).toString() == QStringLiteral("France") ? 0 : 1;
        QLineEdit *editor = EditState(row);
        ASSERT_NE(editor, nullptr);

        TestSupport::RealMessageBoxes boxes(GetParam());
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QLatin1String(c.typed));
        if (c.close) {
            m_states->close();
        } else {
            QTest::keyClick(editor, row == 0 ? Qt::Key_Down : Qt::Key_Up);
            TestSupport::Pump();
            EXPECT_EQ(grid->currentIndex().row(), row) << "back on the refused row";
            m_states->close();
        }
        TestSupport::Pump();
        ASSERT_EQ(boxes.texts.size(), 1) << boxes.texts.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(boxes.texts[0].startsWith(QStringLiteral("Error 3022: "))) << boxes.texts[0].toStdString();
        EXPECT_EQ(States(), (QStringList{"France", "Italy"}));
        m_states.reset();
    }
}

// A second, different refusal of the row, typed before the first message
// has shown (a quick user), is told after the first; closing then gives the
// row up without a third word.
TEST_P(RealDialogs, StatesSecondRefusalIsToldAfterTheFirst)
{
    data::RecordsetModel *m = OpenStates("('France'), ('Italy')");
    QTableView *grid = m_states->dbGridStates();
    const int row = m->value(0, 0).toString() == QStringLiteral("France") ? 0 : 1;
    const Qt::Key away = row == 0 ? Qt::Key_Down : Qt::Key_Up;

    TestSupport::RealMessageBoxes boxes(GetParam());
    QLineEdit *editor = EditState(row);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClick(editor, away);   // an empty name: refused, its message waits
    QCoreApplication::sendPostedEvents();   // the grid is put back on the row; the box is not up yet
    ASSERT_EQ(grid->currentIndex().row(), row);
    ASSERT_TRUE(boxes.texts.isEmpty());
    editor = EditState(row);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("ITALY"));
    QTest::keyClick(editor, away);   // now a duplicate
    TestSupport::Pump();
    ASSERT_EQ(boxes.texts.size(), 2) << boxes.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(boxes.texts[0].startsWith(QStringLiteral("Error %1: ").arg(dao::JetErr::ZeroLengthString)));
    EXPECT_TRUE(boxes.texts[1].startsWith(QStringLiteral("Error 3022: ")));
    EXPECT_EQ(grid->currentIndex().row(), row);
    m_states->close();
    TestSupport::Pump();
    EXPECT_EQ(boxes.texts.size(), 2);
    EXPECT_EQ(States(), (QStringList{"France", "Italy"}));
}

// A stored state renamed to a name the table has and left with Enter and an
// arrow key, then, after its message, edited again on the same row with keys
// alone (F2, typing, Enter, an arrow), as a user without a mouse does: each
// refusal is told once, the keys reach the grid after every box, and after the
// last message Escape gives the row up and the arrow key moves off it. The
// real box leaves the window it covered; the keys must come back to the grid.
TEST_P(RealDialogs, StatesRowRefusedAgainByKeysAlone)
{
    struct Case {
        const char *again;   // the second name typed; empty clears the name
        Qt::Key away;
        bool undoFirst;      // Escape after the first message gives the row up first
    };
    const Case cases[] = {{"Francia", Qt::Key_Up, false},
                          {"Italia", Qt::Key_Down, true},
                          {"", Qt::Key_Down, false},
                          {"", Qt::Key_Up, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("again \"") + c.again + "\", " + (c.away == Qt::Key_Up ? "Up" : "Down")
                     + (c.undoFirst ? ", Escape first" : ""));
        data::RecordsetModel *m = OpenStates("('Francia'), ('Germania'), ('Italia')");
        QTableView *grid = m_states->dbGridStates();
        int row = 0;
        while (row < m->rowCount() && m->value(row, 0).toString() != QStringLiteral("Germania"))
            ++row;
        ASSERT_EQ(row, 1) << "the states are listed in order";
        grid->setFocus();
        grid->setCurrentIndex(m->index(row, 0));   // as a click on Germania

        TestSupport::RealMessageBoxes boxes(GetParam());
        QList<int> rowsBehindBoxes;
        boxes.onShown = [&]() { rowsBehindBoxes << grid->currentIndex().row(); };
        // Keys go where a real keyboard sends them: to the widget that has
        // the focus of the active window, which must be the grid or its editor.
        const auto keyTarget = [grid]() -> QWidget * {
            QWidget *target = QApplication::focusWidget();
            return target && (target == grid || grid->isAncestorOf(target)) ? target : nullptr;
        };
        const auto press = [&](int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
            QWidget *target = keyTarget();
            ASSERT_NE(target, nullptr) << "the keys do not reach the grid";
            QTest::keyClick(target, Qt::Key(key), mods);
            QApplication::processEvents();   // each key in a pass of its own, as typed
        };
        const auto rename = [&](const QString &name) {
            ASSERT_NO_FATAL_FAILURE(press(Qt::Key_F2));
            ASSERT_NO_FATAL_FAILURE(press(Qt::Key_A, Qt::ControlModifier));
            ASSERT_NO_FATAL_FAILURE(press(Qt::Key_Backspace));
            QWidget *editor = keyTarget();
            ASSERT_NE(editor, nullptr) << "the keys do not reach the grid";
            QTest::keyClicks(editor, name);
            ASSERT_NO_FATAL_FAILURE(press(Qt::Key_Return));
            ASSERT_NO_FATAL_FAILURE(press(c.away));
            TestSupport::Pump();
        };

        ASSERT_NO_FATAL_FAILURE(rename(QStringLiteral("Francia")));
        ASSERT_EQ(boxes.texts.size(), 1) << boxes.texts.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(boxes.texts[0].startsWith(QStringLiteral("Error 3022: "))) << boxes.texts[0].toStdString();
        if (c.undoFirst) {
            ASSERT_NO_FATAL_FAILURE(press(Qt::Key_Escape));
            EXPECT_EQ(m->pendingRow(), -1);
        }

        ASSERT_NO_FATAL_FAILURE(rename(QLatin1String(c.again)));
        ASSERT_EQ(boxes.texts.size(), 2) << "the second refusal is told once: " << boxes.texts.join(QLatin1Char('|')).toStdString();
        const int error = *c.again ? dao::JetErr::DuplicateKey : dao::JetErr::ZeroLengthString;
        EXPECT_TRUE(boxes.texts[1].startsWith(QStringLiteral("Error %1: ").arg(error))) << boxes.texts[1].toStdString();
        EXPECT_EQ(rowsBehindBoxes, (QList<int>{row, row})) << "each box tells of the row the grid is back on";
        EXPECT_EQ(grid->currentIndex().row(), row);
        EXPECT_EQ(m->value(row, 0).toString(), QLatin1String(c.again));

        // Escape gives the row up; the arrow key then moves off it, silently.
        ASSERT_NO_FATAL_FAILURE(press(Qt::Key_Escape));
        ASSERT_NO_FATAL_FAILURE(press(c.away));
        TestSupport::Pump();
        EXPECT_EQ(grid->currentIndex().row(), c.away == Qt::Key_Up ? row - 1 : row + 1);
        EXPECT_EQ(boxes.texts.size(), 2);
        m_states->close();
        TestSupport::Pump();
        EXPECT_EQ(boxes.texts.size(), 2) << "closing says nothing more";
        EXPECT_EQ(States(), (QStringList{"Francia", "Germania", "Italia"}));
        m_states.reset();
    }
}

INSTANTIATE_TEST_SUITE_P(CloseBy, RealDialogs, ::testing::ValuesIn(TestSupport::AllCloseBy),
                         [](const ::testing::TestParamInfo<CloseBy> &info) {
                             return std::string(TestSupport::CloseByName(info.param));
                         });
