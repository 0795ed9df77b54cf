// The sample grids of the card windows with real message boxes, driven by
// keys as a user drives them (F2, typing, Enter) and each box closed by a key
// or a click. A box whose own event loop ran inside the grid's commit of a
// cell editor let the view delete that editor under the commit.
#include "window_fixture.h"

#include "RealDialogs.h"
#include "platform/com/ComRegistry.h"
#include "platform/data/RecordsetModel.h"
#include "records/SampleChecks.h"
#include "records/SamplePanel.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using TestSupport::CloseBy;

namespace {

struct GridCase {
    bool climb;
    CloseBy how;
};

class RealDialogGrid : public CardWindowTest, public ::testing::WithParamInterface<GridCase> {
protected:
    QTableView *grid() const { return Ctl<QTableView>("DBGrid1"); }
    QModelIndex cell(int row, int column) const { return m_window->SampleModel()->index(row, column); }
    QLineEdit *editor() const { return qobject_cast<QLineEdit *>(grid()->indexWidget(grid()->currentIndex())); }

    // Opens the card "Colle" with samples at 0 km (100 m) and 2 km (300 m) and its sample panel.
    void OpenPanel()
    {
        const bool climb = GetParam().climb;
        AddCard(climb, QStringLiteral("Colle"));
        AddSample(climb, QStringLiteral("Colle"), 0, 100);
        AddSample(climb, QStringLiteral("Colle"), 2, 300);
        Open(climb);
        m_window->cmdAltim_Click();
        ASSERT_TRUE(m_window->Picture1()->isVisible());
        grid()->setFocus();
        QApplication::processEvents();
    }
    // Moves to a cell and types text into it through F2, as a user does
    // (whose click also makes the window active again after a message).
    void TypeInto(int row, int column, const QString &text)
    {
        QApplication::setActiveWindow(m_window.get());
        grid()->setFocus();
        grid()->setCurrentIndex(cell(row, column));
        QApplication::processEvents();
        if (!editor())
            QTest::keyClick(grid(), Qt::Key_F2);
        QLineEdit *line = editor();
        ASSERT_NE(line, nullptr);
        ASSERT_TRUE(line->hasFocus());
        line->selectAll();
        QTest::keyClicks(line, text);
    }
    void PressEnter()
    {
        QTest::keyClick(editor() ? static_cast<QWidget *>(editor()) : grid(), Qt::Key_Return);
        QApplication::processEvents();   // the number cells pass Enter on as a posted Tab
    }
    int Stored(const QString &where = QString())
    {
        return Count(QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = 'Colle'%2")
                         .arg(Samples(GetParam().climb), where));
    }
    QString Caption(int column) const
    {
        return m_window->SampleModel()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    }
};

}

// An altitude beyond the column's range: told once, the stored value stays,
// the window lives on and the grid stays on the row.
TEST_P(RealDialogGrid, AltitudeOutOfRange)
{
    ASSERT_NO_FATAL_FAILURE(OpenPanel());
    TestSupport::RealMessageBoxes boxes(GetParam().how);
    ASSERT_NO_FATAL_FAILURE(TypeInto(0, SampleChecks::HeightColumn, QStringLiteral("99999")));
    PressEnter();
    TestSupport::Pump();
    const bool climb = GetParam().climb;
    EXPECT_EQ(boxes.texts,
              QStringList{FormatLangString(GetLangString(climb ? SampleChecks::OutOfRangeTextClimb : SampleChecks::OutOfRangeTextRoute),
                                           {Caption(1), QLocale().toString(SampleChecks::HeightMin),
                                            QLocale().toString(SampleChecks::HeightMax)})});
    EXPECT_EQ(m_window->SampleModel()->value(0, SampleChecks::HeightColumn).toInt(), 100);
    EXPECT_EQ(grid()->currentIndex().row(), 0);
    EXPECT_EQ(Stored(QStringLiteral(" AND [Altezza] = 100")), 1);
    // The grid goes on working: a valid altitude is taken and written.
    ASSERT_NO_FATAL_FAILURE(TypeInto(0, SampleChecks::HeightColumn, QStringLiteral("120")));
    PressEnter();
    ASSERT_TRUE(m_window->SampleModel()->CommitRow());
    EXPECT_EQ(Stored(QStringLiteral(" AND [Altezza] = 120")), 1);
    EXPECT_EQ(boxes.texts.size(), 1);
}

// A distance the card already has, typed in a stored row and in the new row.
TEST_P(RealDialogGrid, DuplicateDistance)
{
    ASSERT_NO_FATAL_FAILURE(OpenPanel());
    const bool climb = GetParam().climb;
    const QString duplicate = GetLangString(climb ? SampleChecks::DuplicateTextClimb : SampleChecks::DuplicateTextRoute);
    TestSupport::RealMessageBoxes boxes(GetParam().how);
    ASSERT_NO_FATAL_FAILURE(TypeInto(0, SampleChecks::DistanceColumn, QStringLiteral("2")));
    PressEnter();
    TestSupport::Pump();
    EXPECT_EQ(boxes.texts, QStringList{duplicate});
    EXPECT_EQ(m_window->SampleModel()->value(0, SampleChecks::DistanceColumn).toDouble(), 0.0);

    ASSERT_NO_FATAL_FAILURE(TypeInto(2, SampleChecks::DistanceColumn, QStringLiteral("0")));
    PressEnter();
    TestSupport::Pump();
    EXPECT_EQ(boxes.texts, (QStringList{duplicate, duplicate}));
    EXPECT_EQ(Stored(), 2);
    EXPECT_EQ(grid()->currentIndex().row(), 2);
}

// A new row left by a click on another row while its altitude is empty: told
// once; the grid stays on the row, whose typed distance is still there to
// finish and write.
TEST_P(RealDialogGrid, EmptyAltitudeOnLeavingTheRow)
{
    ASSERT_NO_FATAL_FAILURE(OpenPanel());
    ASSERT_NO_FATAL_FAILURE(TypeInto(2, SampleChecks::DistanceColumn, QStringLiteral("7")));
    PressEnter();
    QApplication::processEvents();
    ASSERT_EQ(m_window->SampleModel()->pendingRow(), 2);
    const bool climb = GetParam().climb;
    TestSupport::RealMessageBoxes boxes(GetParam().how);
    int rowBehindBox = -1;
    boxes.onShown = [&]() { rowBehindBox = grid()->currentIndex().row(); };
    const QPoint at = grid()->visualRect(cell(0, 0)).center();
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    TestSupport::Pump();
    EXPECT_EQ(boxes.texts, QStringList{FormatLangString(
                               GetLangString(climb ? SampleChecks::EmptyFieldTextClimb : SampleChecks::EmptyHeightTextRoute),
                               {Caption(1)})});
    EXPECT_EQ(rowBehindBox, 2) << "the box opens once the grid is back on the row it tells of";
    EXPECT_EQ(grid()->currentIndex().row(), 2);
    EXPECT_EQ(m_window->SampleModel()->pendingRow(), 2);
    EXPECT_EQ(Stored(), 2);
    ASSERT_NO_FATAL_FAILURE(TypeInto(2, SampleChecks::HeightColumn, QStringLiteral("700")));
    PressEnter();
    ASSERT_TRUE(m_window->SampleModel()->CommitRow());
    EXPECT_EQ(Stored(QStringLiteral(" AND [DistParz] = 7 AND [Altezza] = 700")), 1);
    EXPECT_EQ(boxes.texts.size(), 1);
}

static std::vector<GridCase> AllGridCases()
{
    std::vector<GridCase> cases;
    for (bool climb : {true, false})
        for (CloseBy how : TestSupport::AllCloseBy)
            cases.push_back({climb, how});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(BothCards, RealDialogGrid, ::testing::ValuesIn(AllGridCases()),
                         [](const ::testing::TestParamInfo<GridCase> &info) {
                             return std::string(info.param.climb ? "Climbs" : "Routes")
                                    + TestSupport::CloseByName(info.param.how);
                         });

namespace {

class RealDialogMovers : public CardWindowTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        CardWindowTest::SetUp();
        Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
        LoadLanguages(TestSupport::BinDir());
        ASSERT_EQ(SelectLanguage(QStringLiteral("1033"), QStringLiteral("1033")), QStringLiteral("1033"));
    }
    void TearDown() override
    {
        CardWindowTest::TearDown();
        ResetLanguages();
        Com::SetMachineRegistryFile(QString());
    }
};

}

// 99999 typed in a stored sample's altitude, then the card asked to move by
// any of its movers: the card stays where it is, the refusal is told once over
// its own samples, the keys are back in the grid on the cell refused, and the
// stored samples are unchanged. Once told, the same mover moves the card.
TEST_P(RealDialogMovers, ARefusedCellIsToldBeforeAnyMoverMovesTheCard)
{
    const bool climb = GetParam();
    for (const char *name : {"Alpe", "Bocca", "Colle"}) {
        AddCard(climb, QLatin1String(name));
        AddSample(climb, QLatin1String(name), 0, 100);
        AddSample(climb, QLatin1String(name), 2, 300);
    }
    enum class Goes { First, Previous, Next, Last };
    struct Mover {
        const char *name;
        Qt::Key key;            // a key pressed in the cell editor, or
        const char *button;     // a button of the card or of its navigator
        Goes goes;
    };
    const Mover movers[] = {
        {"Page Up", Qt::Key_PageUp, nullptr, Goes::Previous},
        {"Page Down", Qt::Key_PageDown, nullptr, Goes::Next},
        {"Home", Qt::Key_Home, nullptr, Goes::First},
        {"End", Qt::Key_End, nullptr, Goes::Last},
        {"first", Qt::Key_unknown, "first", Goes::First},
        {"previous", Qt::Key_unknown, "previous", Goes::Previous},
        {"next", Qt::Key_unknown, "next", Goes::Next},
        {"last", Qt::Key_unknown, "last", Goes::Last},
        {"Refresh", Qt::Key_unknown, "cmdRefresh", Goes::First},
    };
    const std::string refusal = "Field Altitude takes a whole number from -32,768 to 32,767.";
    int i = 0;
    for (const Mover &mover : movers) {
        const CloseBy how = TestSupport::AllCloseBy[i++ % std::size(TestSupport::AllCloseBy)];
        SCOPED_TRACE(std::string(mover.name) + ", the box closed by " + TestSupport::CloseByName(how));
        CardWindow &w = Open(climb);
        QLineEdit *cardName = Txt(0);
        w.Data1()->MoveNext();
        ASSERT_EQ(cardName->text().toStdString(), "Bocca");
        w.cmdAltim_Click();
        auto *panel = qobject_cast<SamplePanel *>(w.Picture1());
        ASSERT_TRUE(panel && panel->isVisible());
        QTableView *grid = panel->grid();
        QApplication::setActiveWindow(&w);
        grid->setFocus();
        grid->setCurrentIndex(w.SampleModel()->index(0, SampleChecks::HeightColumn));
        QTest::keyClick(grid, Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        ASSERT_TRUE(editor && grid->isAncestorOf(editor));
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("99999"));

        TestSupport::RealMessageBoxes boxes(how);
        std::string cardBehindBox, samplesBehindBox;
        boxes.onShown = [&]() {
            cardBehindBox = cardName->text().toStdString();
            samplesBehindBox = panel->cardName().toStdString();
        };
        const auto apply = [&]() {
            if (mover.button) {
                QAbstractButton *b = w.findChild<QAbstractButton *>(QLatin1String(mover.button));
                ASSERT_NE(b, nullptr);
                QTest::mouseClick(b, Qt::LeftButton);
            } else {
                QWidget *target = QApplication::focusWidget();
                ASSERT_TRUE(target && w.isAncestorOf(target)) << "the keys do not reach the card";
                QTest::keyClick(target, mover.key);
            }
            TestSupport::Pump();
        };
        ASSERT_NO_FATAL_FAILURE(apply());
        EXPECT_EQ(boxes.texts.join(QLatin1Char('|')).toStdString(), refusal);
        EXPECT_EQ(cardBehindBox, "Bocca") << "told over the card it belongs to";
        EXPECT_EQ(samplesBehindBox, "Bocca");
        EXPECT_EQ(cardName->text().toStdString(), "Bocca") << "the card stays";
        EXPECT_EQ(panel->cardName().toStdString(), "Bocca");
        QWidget *focus = QApplication::focusWidget();
        EXPECT_TRUE(focus && (focus == grid || grid->isAncestorOf(focus))) << "the keys go back to the grid";
        EXPECT_EQ(grid->currentIndex().row(), 0) << "on the cell refused";
        EXPECT_EQ(grid->currentIndex().column(), SampleChecks::HeightColumn);
        EXPECT_EQ(w.SampleModel()->value(0, SampleChecks::HeightColumn).toInt(), 100);
        EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE [Altezza] = 100").arg(Samples(climb))), 3);

        // Told once, the same mover moves the card, without a word.
        ASSERT_NO_FATAL_FAILURE(apply());
        const bool back = mover.goes == Goes::First || mover.goes == Goes::Previous;
        EXPECT_EQ(cardName->text().toStdString(), back ? "Alpe" : "Colle");
        EXPECT_EQ(panel->cardName(), cardName->text());
        EXPECT_EQ(boxes.texts.size(), 1) << boxes.texts.join(QLatin1Char('|')).toStdString();
        Close();
    }
}

INSTANTIATE_TEST_SUITE_P(BothCards, RealDialogMovers, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "Climbs" : "Routes");
                         });
