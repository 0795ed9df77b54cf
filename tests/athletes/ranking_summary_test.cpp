// The best-climber ranking and the per-athlete summary, driven over a small
// database: climbs stepped with the keys, ties and quoted names, a ranking
// that cannot be read, the summary's groups and its sort by a figure.
#include "athletes_fixture.h"
#include "PrintFormStandIn.h"

#include "athletes/frmFind.h"
#include "athletes/frmHitGrimpeur.h"
#include "athletes/frmRiepilogo.h"
#include "athletes/logic/AthleteLists.h"
#include "core/WindowInterfaces.h"
#include "core/WindowRegistry.h"
#include "platform/data/RecordsetModel.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableView>

namespace {
// A key as the user presses it: to the control of the window that has the focus.
void PressKey(QWidget &w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w.focusWidget() ? w.focusWidget() : &w, &press);
}

QString CellText(const QVariant &v)
{
    return v.typeId() == QMetaType::QTime ? v.toTime().toString(QStringLiteral("hh:mm:ss")) : v.toString();
}

} // namespace

class RankingTest : public AthletesTest {
protected:
    void SetUp() override
    {
        AthletesTest::SetUp();
        for (const char *code : {"A", "B", "C"})
            AddAthlete(QLatin1String(code));
        AddPlace(true, QStringLiteral("Alpe"));
        AddPlace(true, Quoted);
        AddPlace(true, QStringLiteral("Nobody"));
        AddTime(true, QStringLiteral("C"), QStringLiteral("Alpe"), QStringLiteral("2004-05-01"), QStringLiteral("00:50:00"));
        AddTime(true, QStringLiteral("A"), Quoted, QStringLiteral("2004-01-01"), QStringLiteral("10:00:00"));
        AddTime(true, QStringLiteral("A"), Quoted, QStringLiteral("2004-01-02"), QStringLiteral("10:00:00"));
        AddTime(true, QStringLiteral("A"), Quoted, QStringLiteral("2004-01-03"), QStringLiteral("11:00:00"));
        AddTime(true, QStringLiteral("B"), Quoted, QStringLiteral("2004-01-01"), QStringLiteral("09:05:00"));
    }
    void TearDown() override
    {
        m_window.reset();
        AthletesTest::TearDown();
    }
    frmHitGrimpeur &Open()
    {
        m_window = std::make_unique<frmHitGrimpeur>();
        m_window->show();
        QApplication::processEvents();
        return *m_window;
    }
    // "code time" of every row the grid shows, in its order.
    QStringList Shown()
    {
        QStringList out;
        data::RecordsetModel *m = m_window->model();
        m->fetchAll();
        for (int r = 0; r < m->storedRows(); ++r)
            out << m->value(r, 0).toString() + QLatin1Char(' ') + CellText(m->value(r, 2));
        return out;
    }
    const QString Quoted = QStringLiteral("Col \"X\" d'Y");
    std::unique_ptr<frmHitGrimpeur> m_window;
};

TEST_F(RankingTest, KeysStepThroughTheClimbsAndRankEach)
{
    frmHitGrimpeur &w = Open();
    EXPECT_EQ(w.climbCount(), 3);
    EXPECT_EQ(w.findChild<QLabel *>(QStringLiteral("lblNumero"))->text(), QStringLiteral(" of 3"));
    EXPECT_EQ(w.model()->columnCount(), 9);
    EXPECT_EQ(w.model()->headerData(8, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Power/Weight"));
    EXPECT_EQ(w.gridCaption(), QStringLiteral("Alpe"));
    EXPECT_EQ(Shown(), QStringList{QStringLiteral("C 00:50:00")});
    EXPECT_EQ(w.Data1()->caption(), QStringLiteral("1"));

    // The quoted name ranks like any other: each athlete's best, ties kept,
    // 09:05:00 before 10:00:00. The window sees the key before the grid.
    w.DBGrid1()->setFocus();
    PressKey(w, Qt::Key_PageDown);
    EXPECT_EQ(w.gridCaption(), Quoted);
    EXPECT_EQ(Shown(), (QStringList{QStringLiteral("B 09:05:00"), QStringLiteral("A 10:00:00"),
                                    QStringLiteral("A 10:00:00")}));
    EXPECT_EQ(ListSql, AthleteLists::RankingSql(Quoted));
    EXPECT_EQ(w.Data2()->recordSource(), ListSql);
    EXPECT_EQ(w.Data1()->caption(), QStringLiteral("2"));

    // A climb nobody has climbed: an empty grid under its name.
    PressKey(w, Qt::Key_End);
    EXPECT_EQ(w.gridCaption(), QStringLiteral("Nobody"));
    EXPECT_TRUE(Shown().isEmpty());
    PressKey(w, Qt::Key_PageDown);   // the last stays the last
    EXPECT_EQ(w.Data1()->caption(), QStringLiteral("3"));
    PressKey(w, Qt::Key_PageUp);
    EXPECT_EQ(w.gridCaption(), Quoted);
    PressKey(w, Qt::Key_Home);
    EXPECT_EQ(w.gridCaption(), QStringLiteral("Alpe"));
    PressKey(w, Qt::Key_PageUp);     // the first stays the first
    EXPECT_EQ(w.Data1()->caption(), QStringLiteral("1"));

    // Another language: captions and headings change, the count keeps its "of".
    SelectLanguage(QStringLiteral("1031"), QStringLiteral("1031"));
    w.UpdateControls();
    EXPECT_EQ(w.windowTitle(), GetLangString(14000));
    EXPECT_NE(w.windowTitle(), QStringLiteral("Best Grimpeur"));
    EXPECT_EQ(w.model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), GetLangString(14002));
    EXPECT_EQ(w.findChild<QLabel *>(QStringLiteral("lblNumero"))->text(), QStringLiteral(" of 3"));
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

// A ranking the database cannot give empties the grid and says why, instead
// of leaving the climb before's rows under the new name.
TEST_F(RankingTest, ARankingThatFailsEmptiesTheGridAndIsReported)
{
    frmHitGrimpeur &w = Open();
    ASSERT_EQ(Shown().size(), 1);
    CurrentDb->Execute(QStringLiteral("DROP VIEW [Riepilogo Salite]"));
    PressKey(w, Qt::Key_PageDown);
    EXPECT_EQ(w.gridCaption(), Quoted);
    EXPECT_EQ(w.model()->rowCount(), 0);
    EXPECT_EQ(w.Data2()->recordset(), nullptr);
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages().front().startsWith(QStringLiteral("Error ")));
}

TEST_F(RankingTest, PrintHandsTheSevenColumnRankingToThePrintForm)
{
    WindowRegistry::Register(QStringLiteral("frmPrint"), [](QWidget *parent) { return new PrintFormStandIn(parent); });
    frmHitGrimpeur &w = Open();
    PressKey(w, Qt::Key_PageDown);
    w.MyPrint();
    auto *form = dynamic_cast<PrintFormStandIn *>(WindowRegistry::Find(QStringLiteral("frmPrint")));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->job.title, Quoted + QStringLiteral("| Best Grimpeur"));
    EXPECT_EQ(form->job.caption, QStringLiteral("Print Best Grimpeur"));
    EXPECT_EQ(form->job.sql, AthleteLists::RankingPrintSql(Quoted));
    dao::RecordsetPtr rs = CurrentDb->OpenRecordset(form->job.sql, dao::dbOpenSnapshot);
    EXPECT_EQ(rs->FieldCount(), 7);
    EXPECT_EQ(rs->RecordCount(), 3);
    rs->Close();
    m_window.reset();   // the print form goes with the ranking
    EXPECT_EQ(WindowRegistry::Find(QStringLiteral("frmPrint")), nullptr);
    EXPECT_FALSE(ClimbsRs);
    WindowRegistry::Unregister(QStringLiteral("frmPrint"));
}

class SummaryTest : public AthletesTest {
protected:
    void SetUp() override
    {
        AthletesTest::SetUp();
        AddAthlete(QStringLiteral("CL"), QStringLiteral("Climber"));   // climbs only
        AddAthlete(QStringLiteral("TR"), QStringLiteral("Tourer"));    // trainings only
        AddAthlete(QStringLiteral("NO"), QStringLiteral("Nobody"));    // none
        AddAthlete(QStringLiteral("BO"), QStringLiteral("Both"));      // both
        CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Salite] ([IDPercorso], [Lunghezza], [Quotainiziale], "
                                          "[Quotafinale]) VALUES ('Giau', 10, 1000, 1900), ('Fedaia', 14, 1100, 2057)"));
        AddPlace(false, QStringLiteral("Giro"));   // 10 km
        AddTime(true, QStringLiteral("CL"), QStringLiteral("Giau"), QStringLiteral("2004-01-01"), QStringLiteral("01:00:00"));
        AddTime(true, QStringLiteral("CL"), QStringLiteral("Fedaia"), QStringLiteral("2004-01-02"), QStringLiteral("01:30:00"));
        AddTime(true, QStringLiteral("BO"), QStringLiteral("Giau"), QStringLiteral("2004-01-03"), QStringLiteral("00:45:00"));
        AddTime(false, QStringLiteral("TR"), QStringLiteral("Giro"), QStringLiteral("2004-01-01"));
        AddTime(false, QStringLiteral("TR"), QStringLiteral("Giro"), QStringLiteral("2004-01-02"));
        AddTime(false, QStringLiteral("BO"), QStringLiteral("Giro"), QStringLiteral("2004-01-02"));
    }
    void TearDown() override
    {
        m_window.reset();
        AthletesTest::TearDown();
    }
    frmRiepilogo &Open()
    {
        SummaryRs = CurrentDb->OpenRecordset(QStringLiteral("Riepilogo per Atleta"));
        m_window = std::make_unique<frmRiepilogo>();
        m_window->show();
        m_window->activateWindow();
        QApplication::processEvents();
        return *m_window;
    }
    // Code, climbs, km climbed, gain, trainings, odometer of the athlete shown.
    QString Figures() const
    {
        QStringList out;
        for (int i : {0, 3, 4, 5, 15, 16})
            out << m_window->txtfields(i)->text();
        return out.join(QLatin1Char('|'));
    }
    std::unique_ptr<frmRiepilogo> m_window;
};

TEST_F(SummaryTest, ShowsEachAthletesGroupsAndStepsWithTheKeys)
{
    TestSupport::LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
    frmRiepilogo &w = Open();
    w.txtfields(7)->setFocus();   // the keys step whichever figure has the focus
    EXPECT_EQ(w.athleteCount(), 4);
    EXPECT_EQ(w.findChild<QLabel *>(QStringLiteral("lblNumero"))->text(), QStringLiteral("4"));
    EXPECT_EQ(w.dataAtleta()->caption(), QStringLiteral("1"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Biker Summary"));
    EXPECT_EQ(w.findChild<QLabel *>(QStringLiteral("lblLabels(19)"))->text(), QStringLiteral("Average Distance:"));
    // Climbs only; the training group is empty apart from its count.
    EXPECT_EQ(Figures(), QStringLiteral("CL|2|24|1857|0|"));
    EXPECT_EQ(w.txtfields(6)->text(), QStringLiteral("900"));   // max climb rate: 900 m in 1 h
    PressKey(w, Qt::Key_PageDown);
    EXPECT_EQ(Figures(), QStringLiteral("TR|0|||2|20"));
    PressKey(w, Qt::Key_PageDown);
    EXPECT_EQ(Figures(), QStringLiteral("NO|0|||0|"));
    PressKey(w, Qt::Key_End);
    EXPECT_EQ(Figures(), QStringLiteral("BO|1|10|900|1|10"));
    EXPECT_EQ(w.dataAtleta()->caption(), QStringLiteral("4"));
    PressKey(w, Qt::Key_PageDown);
    EXPECT_EQ(w.dataAtleta()->caption(), QStringLiteral("4"));
    PressKey(w, Qt::Key_Home);
    EXPECT_EQ(w.txtfields(0)->text(), QStringLiteral("CL"));
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

// Averages and climb rates that do not come out even: whole metres an hour and
// at most two decimals, in the user's locale, on screen and so on the card.
TEST_F(SummaryTest, FiguresThatDoNotComeOutEvenAreRounded)
{
    TestSupport::LocaleScope scope(QLocale(QLocale::Italian, QLocale::Italy));
    AddAthlete(QStringLiteral("FR"), QStringLiteral("Fractions"));
    AddTime(true, QStringLiteral("FR"), QStringLiteral("Giau"), QStringLiteral("2004-02-01"), QStringLiteral("01:25:30"));
    AddTime(true, QStringLiteral("FR"), QStringLiteral("Giau"), QStringLiteral("2004-02-02"), QStringLiteral("01:25:30"));
    AddTime(true, QStringLiteral("FR"), QStringLiteral("Fedaia"), QStringLiteral("2004-02-03"), QStringLiteral("01:00:00"));
    frmRiepilogo &w = Open();
    PressKey(w, Qt::Key_End);
    ASSERT_EQ(w.txtfields(0)->text(), QStringLiteral("FR"));
    // 900 m in 1 h 25' 30" is 631.58 m/h; Fedaia 957 m/h; their mean 740.05.
    EXPECT_EQ(w.txtfields(6)->text(), QStringLiteral("957"));
    EXPECT_EQ(w.txtfields(7)->text(), QStringLiteral("632"));
    EXPECT_EQ(w.txtfields(8)->text(), QStringLiteral("740"));
    EXPECT_EQ(w.txtfields(4)->text(), QStringLiteral("34"));      // km climbed, a whole sum
    EXPECT_EQ(w.txtfields(11)->text(), QStringLiteral("11,33"));  // mean length of 10, 10 and 14 km
    EXPECT_EQ(w.txtfields(14)->text(), QStringLiteral("919"));    // mean gain
    EXPECT_EQ(w.figures()[8], QStringLiteral("740"));             // what the card prints
}

TEST_F(SummaryTest, SortByTheFocusedFigurePutsItsBestFirst)
{
    frmRiepilogo &w = Open();
    // No figure has the focus: nothing to sort by.
    w.dataAtleta()->setFocus();
    EXPECT_FALSE(w.Sort(false));
    EXPECT_EQ(w.txtfields(0)->text(), QStringLiteral("CL"));

    w.txtfields(16)->setFocus();   // odometer
    ASSERT_TRUE(w.Sort(false));
    EXPECT_EQ(w.txtfields(0)->text(), QStringLiteral("TR"));
    EXPECT_EQ(w.dataAtleta()->caption(), QStringLiteral("1"));
    EXPECT_EQ(w.dataAtleta()->recordSource(),
              QStringLiteral("SELECT * FROM [Riepilogo per Atleta] ORDER BY [SommaDiDist2]  DESC"));
    EXPECT_EQ(w.findChild<QLabel *>(QStringLiteral("lblNumero"))->text(), QStringLiteral("4"));
    PressKey(w, Qt::Key_PageDown);
    EXPECT_EQ(w.txtfields(0)->text(), QStringLiteral("BO"));

    w.txtfields(5)->setFocus();    // total gain, ascending: the athletes without climbs first
    ASSERT_TRUE(w.Sort(true));
    PressKey(w, Qt::Key_End);
    EXPECT_EQ(w.txtfields(0)->text(), QStringLiteral("CL"));
    EXPECT_EQ(w.dataAtleta()->caption(), QStringLiteral("4"));
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

TEST_F(SummaryTest, OneAthleteOnly)
{
    CurrentDb->Execute(QStringLiteral("DELETE FROM [Dati Personali] WHERE [IDPersonale] <> 'BO'"));
    frmRiepilogo &w = Open();
    EXPECT_EQ(w.athleteCount(), 1);
    for (int key : {Qt::Key_PageDown, Qt::Key_End, Qt::Key_PageUp, Qt::Key_Home})
        PressKey(w, key);
    EXPECT_EQ(w.dataAtleta()->caption(), QStringLiteral("1"));
    EXPECT_EQ(w.txtfields(0)->text(), QStringLiteral("BO"));
    m_window.reset();
    EXPECT_FALSE(SummaryRs);   // the summary closes what the main window opened for it
}

// The find dialog reaches both windows by their data controls: a climb found
// is ranked at once, an athlete found is shown with his figures.
TEST_F(RankingTest, FindMovesTheRankingAndTheSummary)
{
    WindowRegistry::Register(QStringLiteral("frmHitGrimpeur"), [](QWidget *p) -> QWidget * { return new frmHitGrimpeur(p); });
    WindowRegistry::Register(QStringLiteral("frmRiepilogo"), [](QWidget *p) -> QWidget * { return new frmRiepilogo(p); });
    auto find = [](const QString &text) {
        frmFind dialog;
        dialog.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(text);
        dialog.findChild<QComboBox *>(QStringLiteral("Combo2"))->setCurrentIndex(2);   // start of the field
        dialog.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    };

    auto *ranking = static_cast<frmHitGrimpeur *>(WindowRegistry::Load(QStringLiteral("frmHitGrimpeur")));
    DataFormName = QStringLiteral("frmHitGrimpeur");
    find(QStringLiteral("col"));
    EXPECT_EQ(ranking->gridCaption(), Quoted);
    EXPECT_EQ(ranking->model()->rowCount(), 3);
    EXPECT_EQ(ranking->Data1()->caption(), QStringLiteral("2"));
    delete ranking;

    SummaryRs = CurrentDb->OpenRecordset(QStringLiteral("Riepilogo per Atleta"));
    auto *summary = static_cast<frmRiepilogo *>(WindowRegistry::Load(QStringLiteral("frmRiepilogo")));
    DataFormName = QStringLiteral("frmRiepilogo");
    find(QStringLiteral("b"));
    EXPECT_EQ(summary->txtfields(0)->text(), QStringLiteral("B"));
    EXPECT_EQ(summary->txtfields(3)->text(), QStringLiteral("1"));
    EXPECT_EQ(summary->dataAtleta()->caption(), QStringLiteral("2"));
    delete summary;
    WindowRegistry::Unregister(QStringLiteral("frmHitGrimpeur"));
    WindowRegistry::Unregister(QStringLiteral("frmRiepilogo"));
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty()) << TestSupport::Script().messages().join(QLatin1Char('|')).toStdString();
}
