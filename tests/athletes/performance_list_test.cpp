// The trainings and climbs lists of one athlete, driven as a user would.
#include "athletes_fixture.h"
#include "PrintFormStandIn.h"
#include "athletes/DataFilter.h"
#include "athletes/PerformanceList.h"
#include "athletes/RegisterWindows.h"
#include "platform/data/DatePicker.h"

#include <QComboBox>
#include "core/WindowRegistry.h"
#include "platform/data/RecordsetModel.h"

#include <QTableView>
#include <QHeaderView>
#include <QMouseEvent>
#include <functional>

namespace {

// A key as the user presses it: to the control of the window that has the focus.
void PressKey(QWidget &w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w.focusWidget() ? w.focusWidget() : &w, &press);
}
void Click(QWidget *target, Qt::KeyboardModifiers mods, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, mods);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, mods);
    QApplication::sendEvent(target, &release);
}
QString CellText(const QVariant &v)
{
    return v.typeId() == QMetaType::QTime ? v.toTime().toString(QStringLiteral("hh:mm:ss")) : v.toString();
}
} // namespace

class PerformanceListTest : public AthletesTest {
protected:
    void SetUp() override
    {
        AthletesTest::SetUp();
        AddAthlete(QStringLiteral("A\"1"), QStringLiteral("Rossi"));
        AddAthlete(QStringLiteral("B"), QStringLiteral("Bianchi"));
        AddPlace(false, QStringLiteral("Giro"));
        AddPlace(false, QStringLiteral("Lago"));
        AddTime(false, QStringLiteral("A\"1"), QStringLiteral("Giro"), QStringLiteral("2004-03-01"), QStringLiteral("01:00:00"));
        AddTime(false, QStringLiteral("A\"1"), QStringLiteral("Lago"), QStringLiteral("2004-02-01"), QStringLiteral("00:30:00"));
        AddTime(false, QStringLiteral("A\"1"), QStringLiteral("Lago"), QStringLiteral("2004-01-01"), QStringLiteral("00:40:00"));
    }
    void TearDown() override
    {
        m_list.reset();
        AthletesTest::TearDown();
    }
    PerformanceList &Open()
    {
        m_list = std::make_unique<frmPrestAll>();
        m_list->show();
        QApplication::processEvents();
        return *m_list;
    }
    // What the grid shows in column c, in its order, and what Data2's source gives.
    QStringList Shown(int c)
    {
        QStringList out;
        m_list->model()->fetchAll();
        for (int r = 0; r < m_list->model()->storedRows(); ++r)
            out << CellText(m_list->model()->value(r, c));
        return out;
    }
    QStringList FromSource(const QString &field)
    {
        QStringList out;
        dao::RecordsetPtr rs = CurrentDb->OpenRecordset(m_list->Data2()->recordSource(), dao::dbOpenSnapshot);
        while (!rs->AtEOF()) {
            out << CellText(rs->Value(field));
            rs->MoveNext();
        }
        return out;
    }
    std::unique_ptr<PerformanceList> m_list;
};

TEST_F(PerformanceListTest, FilterSortAndAthleteChangeKeepData2OnTheShownRows)
{
    PerformanceList &w = Open();
    EXPECT_EQ(w.athleteCount(), 2);
    EXPECT_EQ(w.model()->rowCount(), 3);   // read-only: no add row
    EXPECT_EQ(w.findChild<QLabel *>(QStringLiteral("lblNumero"))->text(), QStringLiteral(" of 2"));

    // Filter on the current cell (column IDPercorso, "Lago").
    w.grid()->setFocus();
    w.grid()->setCurrentIndex(w.model()->index(1, 0));
    ASSERT_TRUE(w.Filter());
    EXPECT_EQ(Shown(0), (QStringList{QStringLiteral("Lago"), QStringLiteral("Lago")}));
    // Then sort descending on time: the filter is kept.
    w.grid()->setCurrentIndex(w.model()->index(0, 3));
    ASSERT_TRUE(w.Sort(false));
    EXPECT_EQ(Shown(3), (QStringList{QStringLiteral("00:40:00"), QStringLiteral("00:30:00")}));
    EXPECT_EQ(FromSource(QStringLiteral("Tempo")), Shown(3));
    // A date filter after the sort: the sort goes, both filters stay.
    ASSERT_TRUE(w.ApplyCondition(AthleteLists::DateCondition(QStringLiteral(">="), QDate(2004, 2, 1))));
    EXPECT_EQ(Shown(0), QStringList{QStringLiteral("Lago")});
    EXPECT_FALSE(w.Data2()->recordSource().contains(QLatin1String("ORDER BY")));
    // A condition the database refuses leaves everything as it was.
    const QString before = ListSql;
    EXPECT_FALSE(w.ApplyCondition(QStringLiteral(" AND ([NoSuchField] = 1) ")));
    EXPECT_EQ(ListSql, before);
    EXPECT_EQ(Shown(0), QStringList{QStringLiteral("Lago")});

    // PageDown: the next athlete (no times), filters dropped, Data2 follows.
    PressKey(w, Qt::Key_PageDown);
    EXPECT_EQ(w.dataAtleta()->recordset()->Value(QStringLiteral("IDPersonale")).toString(), QStringLiteral("B"));
    EXPECT_EQ(w.model()->rowCount(), 0);
    EXPECT_EQ(w.Data2()->recordSource(), ListSql);
    EXPECT_FALSE(ListSql.contains(QLatin1String(" AND (")));
    PressKey(w, Qt::Key_PageDown);   // already the last: stays
    EXPECT_EQ(w.dataAtleta()->recordset()->Value(QStringLiteral("IDPersonale")).toString(), QStringLiteral("B"));
    PressKey(w, Qt::Key_Home);
    EXPECT_EQ(FromSource(QStringLiteral("IDPercorso")).size(), 3);   // the quoted code lists his own rows
}

// The filter on each kind of cell, taken from the grid as the user picks it:
// text, date, number, time, a worked-out speed, and an empty cell.
TEST_F(PerformanceListTest, FilterOnEachKindOfCellKeepsTheRowsHoldingThatValue)
{
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Percorsi] ([IDPercorso]) VALUES ('Nulla')"));
    AddTime(false, QStringLiteral("A\"1"), QStringLiteral("Nulla"), QStringLiteral("2004-01-01"), QStringLiteral("00:40:00"));
    PerformanceList &w = Open();
    ASSERT_EQ(w.model()->rowCount(), 4);
    struct Case { const char *route; const char *date; int column; int rows; };
    const Case cases[] = {
        {"Lago", "00:30:00", 0, 2},    // route name
        {"Nulla", "00:40:00", 1, 2},   // date 2004-01-01
        {"Giro", "01:00:00", 2, 3},    // distance 10
        {"Nulla", "00:40:00", 3, 2},   // time 00:40:00
        {"Lago", "00:40:00", 4, 1},    // speed 15 (10 km in 40 minutes)
        {"Nulla", "00:40:00", 2, 1},   // no distance: IS NULL
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.route) + " column " + std::to_string(c.column));
        w.removeFilter();
        ASSERT_EQ(w.model()->rowCount(), 4);
        int row = -1;
        for (int r = 0; r < 4; ++r)
            if (w.model()->value(r, 0).toString() == QLatin1String(c.route)
                && CellText(w.model()->value(r, 3)) == QLatin1String(c.date))
                row = r;
        ASSERT_GE(row, 0);
        const QVariant value = w.model()->value(row, c.column);
        w.grid()->setFocus();
        w.grid()->setCurrentIndex(w.model()->index(row, c.column));
        ASSERT_TRUE(w.Filter()) << w.listSql().toStdString();
        EXPECT_EQ(w.model()->rowCount(), c.rows) << w.listSql().toStdString();
        for (int r = 0; r < w.model()->rowCount(); ++r)
            EXPECT_EQ(w.model()->value(r, c.column), value);
        EXPECT_TRUE(w.filterActive());
    }
    w.removeFilter();
    EXPECT_FALSE(w.filterActive());
}

// An athlete whose list cannot be read (here the stored query is gone) shows
// no rows: Data2, the print and the chart keep nothing of the athlete before.
TEST_F(PerformanceListTest, AnAthleteListThatCannotBeReadLeavesNothingOfTheOneBefore)
{
    WindowRegistry::Register(QStringLiteral("frmPrint"), [](QWidget *) -> QWidget * { return new PrintFormStandIn; });
    PerformanceList &w = Open();
    ASSERT_EQ(w.model()->rowCount(), 3);
    CurrentDb->Execute(QStringLiteral("DROP VIEW [Riepilogo Tempi Allenamento]"));
    w.dataAtleta()->MoveNext();
    EXPECT_EQ(w.model()->rowCount(), 0);
    EXPECT_TRUE(w.Data2()->recordSource().isEmpty());
    EXPECT_EQ(w.listRows(), nullptr);
    w.MyPrint();
    EXPECT_EQ(WindowRegistry::Find(QStringLiteral("frmPrint")), nullptr);
    WindowRegistry::Unregister(QStringLiteral("frmPrint"));
}

// A chart drawn from the list stays only while the list stays where it was:
// every move of the shown rows, and the list's unload, closes it.
TEST_F(PerformanceListTest, EveryMoveOfTheListAndItsUnloadCloseTheChart)
{
    WindowRegistry::Register(QStringLiteral("frmGrafico"), [](QWidget *) -> QWidget * { return new QWidget; });
    PerformanceList &w = Open();
    w.grid()->setFocus();
    w.grid()->setCurrentIndex(w.model()->index(0, 0));
    const std::pair<const char *, std::function<void()>> moves[] = {
        {"another row of the grid", [&] { w.grid()->setCurrentIndex(w.model()->index(1, 0)); }},
        {"a sort", [&] { ASSERT_TRUE(w.Sort(true)); }},
        {"a filter", [&] {
             w.grid()->setCurrentIndex(w.model()->index(0, 0));
             ASSERT_TRUE(w.Filter());
         }},
        {"another athlete", [&] { w.dataAtleta()->MoveNext(); }},
    };
    for (const auto &[what, move] : moves) {
        SCOPED_TRACE(what);
        ASSERT_NE(WindowRegistry::Show(QStringLiteral("frmGrafico")), nullptr);
        move();
        EXPECT_EQ(WindowRegistry::Find(QStringLiteral("frmGrafico")), nullptr);
    }
    // Moving to another column of the same row keeps the chart.
    w.dataAtleta()->MovePrevious();
    w.grid()->setCurrentIndex(w.model()->index(0, 0));
    ASSERT_NE(WindowRegistry::Show(QStringLiteral("frmGrafico")), nullptr);
    w.grid()->setCurrentIndex(w.model()->index(0, 2));
    EXPECT_NE(WindowRegistry::Find(QStringLiteral("frmGrafico")), nullptr);
    m_list.reset();
    EXPECT_EQ(WindowRegistry::Find(QStringLiteral("frmGrafico")), nullptr);
    WindowRegistry::Unregister(QStringLiteral("frmGrafico"));
}

TEST_F(PerformanceListTest, HeadClickSortsAndPrintHandsOverTheShownRows)
{
    // A plain widget stands in for the print form and keeps what it is handed.
    WindowRegistry::Register(QStringLiteral("frmPrint"), [](QWidget *) -> QWidget * { return new PrintFormStandIn; });
    PerformanceList &w = Open();
    QHeaderView *head = w.grid()->horizontalHeader();
    const QPoint timeHead(head->sectionViewportPosition(3) + 5, 5);
    Click(head->viewport(), Qt::ShiftModifier, timeHead);
    EXPECT_EQ(Shown(3), (QStringList{QStringLiteral("01:00:00"), QStringLiteral("00:40:00"), QStringLiteral("00:30:00")}));
    Click(head->viewport(), Qt::NoModifier, timeHead);
    EXPECT_EQ(Shown(3).first(), QStringLiteral("00:30:00"));

    w.MyPrint();
    auto *standIn = dynamic_cast<PrintFormStandIn *>(WindowRegistry::Find(QStringLiteral("frmPrint")));
    ASSERT_NE(standIn, nullptr);
    EXPECT_EQ(standIn->job.title, QStringLiteral("Rossi Ugo| Tour performance"));
    EXPECT_TRUE(standIn->job.sql.endsWith(QLatin1String("ORDER BY [Tempo] ASC")));
    dao::RecordsetPtr rs = CurrentDb->OpenRecordset(standIn->job.sql, dao::dbOpenSnapshot);
    EXPECT_EQ(rs->FieldCount(), 7);
    EXPECT_EQ(rs->RecordCount(), 3);
    rs->Close();
    m_list.reset();   // closing the list unloads the print form
    EXPECT_EQ(WindowRegistry::Find(QStringLiteral("frmPrint")), nullptr);
}


TEST_F(PerformanceListTest, DateFilterNarrowsTheOpenListInAnyLocale)
{
    RegisterAthletesWindows();
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto *list = qobject_cast<PerformanceList *>(WindowRegistry::Load(QStringLiteral("frmPrestAll")));
    ASSERT_NE(list, nullptr);
    DataFormName = QStringLiteral("frmPrestAll");
    auto run = [](const char *op, const QDate &day) {
        DataFilter dlg;
        dlg.Combo1()->setCurrentText(QString::fromLatin1(op));
        dlg.ccrpDtp1()->SetValue(day.isValid() ? QVariant(day) : QVariant());
        dlg.cmdOk_Click();
    };
    run("<=", QDate());   // no date: nothing happens
    EXPECT_FALSE(ListSql.contains(QLatin1String("[Data]")));
    run(">=", QDate(2004, 2, 1));
    EXPECT_TRUE(ListSql.endsWith(QLatin1String(" AND ([Data] >=#02/01/2004# ) "))) << ListSql.toStdString();
    EXPECT_EQ(list->model()->rowCount(), 2);
    run("<=", QDate(2004, 2, 1));   // a range of one day, its boundary kept
    EXPECT_EQ(list->model()->rowCount(), 1);
    EXPECT_EQ(list->Data2()->recordSource(), ListSql);
    // Another list named, but not open: the trainings list is left alone.
    DataFormName = QStringLiteral("frmAngolo");
    const QString before = ListSql;
    run(">=", QDate(2004, 3, 1));
    EXPECT_EQ(ListSql, before);
    // A window that is not a list named: the open list is left alone too.
    DataFormName = QStringLiteral("frmRiepilogo");
    run(">=", QDate(2004, 3, 1));
    EXPECT_EQ(list->listSql(), before);
    EXPECT_EQ(list->model()->rowCount(), 1);
    QLocale::setDefault(saved);
    WindowRegistry::Unload(QStringLiteral("frmPrestAll"));
}
