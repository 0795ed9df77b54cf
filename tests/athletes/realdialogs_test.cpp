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
    std::unique_ptr<frmStates> m_states;
};

}

// A name the table has already, typed in the new row and left with the arrow
// key while its editor is still open: told once, the grid back on the row
// with the typed name, which Escape then gives up.
TEST_P(RealDialogs, StatesDuplicateLeftWithAnArrowKey)
{
    CurrentDb->Execute(QStringLiteral("DELETE FROM States"), 0, {});
    CurrentDb->Execute(QStringLiteral("INSERT INTO States (State) VALUES ('Italy')"), 0, {});
    m_states = std::make_unique<frmStates>();
    m_states->show();
    QApplication::setActiveWindow(m_states.get());
    QTableView *grid = m_states->dbGridStates();
    data::RecordsetModel *m = m_states->model();
    m->fetchAll();
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

INSTANTIATE_TEST_SUITE_P(CloseBy, RealDialogs, ::testing::ValuesIn(TestSupport::AllCloseBy),
                         [](const ::testing::TestParamInfo<CloseBy> &info) {
                             return std::string(TestSupport::CloseByName(info.param));
                         });
