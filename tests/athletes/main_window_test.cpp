// The three windows opened from the main window's data toolbar: the commands
// they answer while open, the print question of the athlete card, and the
// toolbar and shared recordsets given back when they close.
#include "core/mainwindow_fixture.h"

#include "athletes/RegisterWindows.h"
#include "athletes/DataFilter.h"
#include "platform/com/ComRegistry.h"
#include "core/LangClient.h"
#include "athletes/PerformanceList.h"
#include "athletes/TimeCard.h"
#include "athletes/frmDatiPers.h"
#include "athletes/frmHitGrimpeur.h"
#include "athletes/frmRiepilogo.h"
#include "platform/data/DataControl.h"
#include "platform/print/Printer.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include "platform/data/DatePicker.h"
#include <QTableView>
#include "platform/data/RecordsetModel.h"

class AthletesFromMainWindow : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        RegisterAthletesWindows();
        m_registered << QStringLiteral("frmDatiPers") << QStringLiteral("frmTempiAll") << QStringLiteral("frmTempiSal")
                     << QStringLiteral("frmHitGrimpeur") << QStringLiteral("frmRiepilogo");
    }
    // The main window over a writable copy of the template in the documents folder.
    MDIfrmBike &StartWithTeamFile()
    {
        const QString db = Docs(QStringLiteral("team.dat"));
        QFile::copy(ProgramPath(QStringLiteral("ZidoVodu.dat")), db);
        QFile(db).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return Start(db);
    }
};

TEST_F(AthletesFromMainWindow, OpenPrintAndClose)
{
    MDIfrmBike &w = StartWithTeamFile();
    ASSERT_TRUE(w.IsDatabaseOpen());
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Personali] ([IDPersonale], [Cognome]) VALUES ('A1', 'Rossi')"));
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Salite] ([IDPercorso]) VALUES ('Giau')"));

    w.Toolbar2_ButtonClick(QStringLiteral("b1"));
    auto *card = qobject_cast<frmDatiPers *>(WindowRegistry::Find(QStringLiteral("frmDatiPers")));
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(DataFormName, QStringLiteral("frmDatiPers"));
    EXPECT_FALSE(w.IsToolbar2Visible());
    EXPECT_TRUE(w.IsCommandEnabled(QStringLiteral("Print")));
    EXPECT_TRUE(w.IsCommandEnabled(QStringLiteral("Find")));
    EXPECT_EQ(card->RecordTotal(), 1);

    // "No" to "print all?" prints the card of the athlete shown.
    const QString pdf = TempPath(QStringLiteral("card.pdf"));
    const QString old = SharedPrinter().OutputFileName();
    SharedPrinter().SetOutputFileName(pdf);
    TestSupport::Script().answers = {Vb::No};
    w.mnuPrint_Click();
    SharedPrinter().SetOutputFileName(old);
    EXPECT_TRUE(QFile::exists(pdf));
    ASSERT_FALSE(TestSupport::Script().shown.empty());
    EXPECT_EQ(TestSupport::Script().shown.front().style, Vb::YesNoCancel + Vb::Question)
        << TestSupport::Script().messages().join(QLatin1Char('|')).toStdString();

    EXPECT_TRUE(WindowRegistry::Unload(QStringLiteral("frmDatiPers")));
    EXPECT_TRUE(w.IsToolbar2Visible());
    EXPECT_FALSE(w.IsCommandEnabled(QStringLiteral("Print")));
    EXPECT_FALSE(AthletesRs);

    w.Toolbar2_ButtonClick(QStringLiteral("b4"));
    auto *times = qobject_cast<TimeCard *>(WindowRegistry::Find(QStringLiteral("frmTempiSal")));
    ASSERT_NE(times, nullptr);
    EXPECT_FALSE(w.IsCommandEnabled(QStringLiteral("Print")));
    EXPECT_EQ(times->Data()->caption(), QStringLiteral("0"));
    EXPECT_TRUE(WindowRegistry::Unload(QStringLiteral("frmTempiSal")));
    EXPECT_TRUE(w.IsToolbar2Visible());
    EXPECT_FALSE(AthletesRs);
    EXPECT_FALSE(ClimbsRs);
    EXPECT_FALSE(ClimbTimesRs);
    Stop();
}

// The ranking and the summary from the data toolbar: the commands each answers
// while open, the summary sorted through the toolbar's sort button on the
// focused figure and printed without a question, and all given back on close.
TEST_F(AthletesFromMainWindow, RankingAndSummary)
{
    MDIfrmBike &w = StartWithTeamFile();
    ASSERT_TRUE(w.IsDatabaseOpen());
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Personali] ([IDPersonale], [Cognome], [Nome]) VALUES "
                                      "('A1', 'Rossi', 'Ugo'), ('B2', 'Bianchi', 'Ada')"));
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Salite] ([IDPercorso], [Lunghezza], [Quotainiziale], "
                                      "[Quotafinale]) VALUES ('Giau', 10, 1000, 1900)"));
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Tempi Salita] ([IDPersonale], [IDPercorso], [Data], [Tempo]) "
                                      "VALUES ('B2', 'Giau', '2004-01-01', '01:00:00')"));

    w.Toolbar2_ButtonClick(QStringLiteral("b8"));
    auto *ranking = qobject_cast<frmHitGrimpeur *>(WindowRegistry::Find(QStringLiteral("frmHitGrimpeur")));
    ASSERT_NE(ranking, nullptr);
    EXPECT_EQ(DataFormName, QStringLiteral("frmHitGrimpeur"));
    EXPECT_EQ(ranking->gridCaption(), QStringLiteral("Giau"));
    for (const char *key : {"Print", "Find", "mnuPrint", "mnuTool(0)"})
        EXPECT_TRUE(w.IsCommandEnabled(QLatin1String(key))) << key;
    for (const char *key : {"SortAsc", "Filter", "DataFilter"})
        EXPECT_FALSE(w.IsCommandEnabled(QLatin1String(key))) << key;
    EXPECT_TRUE(WindowRegistry::Unload(QStringLiteral("frmHitGrimpeur")));
    EXPECT_TRUE(w.IsToolbar2Visible());
    EXPECT_FALSE(w.IsCommandEnabled(QStringLiteral("Print")));
    EXPECT_FALSE(ClimbsRs);

    w.Toolbar2_ButtonClick(QStringLiteral("b9"));
    auto *summary = qobject_cast<frmRiepilogo *>(WindowRegistry::Find(QStringLiteral("frmRiepilogo")));
    ASSERT_NE(summary, nullptr);
    EXPECT_FALSE(w.IsToolbar2Visible());
    for (const char *key : {"Print", "Find", "SortAsc", "SortDes", "mnuPrint", "mnuTool(0)", "mnuTool(2)", "mnuTool(3)"})
        EXPECT_TRUE(w.IsCommandEnabled(QLatin1String(key))) << key;
    EXPECT_EQ(summary->txtfields(0)->text(), QStringLiteral("A1"));
    summary->txtfields(3)->setFocus();   // total climbs
    w.Toolbar1_ButtonClick(QStringLiteral("SortDes"));
    EXPECT_EQ(summary->txtfields(0)->text(), QStringLiteral("B2"));
    EXPECT_EQ(summary->dataAtleta()->caption(), QStringLiteral("1"));

    const QString pdf = TempPath(QStringLiteral("summary.pdf"));
    const QString old = SharedPrinter().OutputFileName();
    SharedPrinter().SetOutputFileName(pdf);
    w.mnuPrint_Click();
    SharedPrinter().SetOutputFileName(old);
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_TRUE(TestSupport::Script().shown.empty()) << TestSupport::Script().messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(w.MousePointer(), 0);

    EXPECT_TRUE(WindowRegistry::Unload(QStringLiteral("frmRiepilogo")));
    EXPECT_TRUE(w.IsToolbar2Visible());
    EXPECT_FALSE(w.IsCommandEnabled(QStringLiteral("SortDes")));
    EXPECT_FALSE(SummaryRs);
    EXPECT_EQ(w.MousePointer(), 0);
    Stop();
}

// The Record menu's filter and sort reach the list that is active.
TEST_F(AthletesFromMainWindow, RecordMenuFiltersAndSortsTheActiveList)
{
    MDIfrmBike &w = StartWithTeamFile();
    ASSERT_TRUE(w.IsDatabaseOpen());
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Personali] ([IDPersonale], [Cognome]) VALUES ('A1', 'Rossi')"));
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Percorsi] ([IDPercorso], [Lunghezza]) VALUES ('Giro', 40), ('Lago', 20)"));
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Tempi Allenamento] ([IDPersonale], [IDPercorso], [Data], [Tempo]) VALUES "
                                      "('A1', 'Giro', '2004-01-01', '01:30:00'), ('A1', 'Lago', '2004-01-02', '00:40:00'), "
                                      "('A1', 'Lago', '2004-01-03', '00:50:00')"));
    RegisterAthletesWindows();
    w.Toolbar2_ButtonClick(QStringLiteral("b7"));
    auto *list = qobject_cast<PerformanceList *>(WindowRegistry::Find(QStringLiteral("frmPrestAll")));
    ASSERT_NE(list, nullptr);
    list->grid()->setFocus();
    list->grid()->setCurrentIndex(list->model()->index(1, 0));   // "Lago"
    w.mnuTool_Click(5);
    EXPECT_EQ(list->model()->rowCount(), 2);
    EXPECT_EQ(w.ButtonValue(QStringLiteral("RemoveFilter")), 1);
    list->grid()->setCurrentIndex(list->model()->index(0, 3));   // time
    w.mnuTool_Click(3);
    EXPECT_EQ(list->model()->value(0, 3).toTime(), QTime(0, 50));
    EXPECT_EQ(list->model()->rowCount(), 2);
    EXPECT_TRUE(WindowRegistry::Unload(QStringLiteral("frmPrestAll")));
    Stop();
}

// Each list's totals in the status bar, worked out by hand. With both lists
// open each keeps its own SQL: the Record menu's filter on the trainings list,
// after the climbs list was built, shows trainings and their totals, and the
// date filter reaches only the list DataFormName names.
TEST_F(AthletesFromMainWindow, EachListShowsItsOwnTotalsAndFiltersItsOwnRows)
{
    MDIfrmBike &w = StartWithTeamFile();
    ASSERT_TRUE(w.IsDatabaseOpen());
    struct Restore {
        QLocale locale;
        ~Restore() { QLocale::setDefault(locale); ResetLanguages(); Com::SetMachineRegistryFile(QString()); }
    } restore;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
    LoadLanguages(TestSupport::BinDir());
    ASSERT_EQ(SelectLanguage(QStringLiteral("1033"), QStringLiteral("1033")), QStringLiteral("1033"));
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Personali] ([IDPersonale], [Cognome]) VALUES ('A1', 'Rossi'), ('B2', 'Bianchi')"));
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Percorsi] ([IDPercorso], [Lunghezza]) VALUES ('Giro', 40), ('Lago', 20)"));
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Tempi Allenamento] ([IDPersonale], [IDPercorso], [Data], [Tempo]) VALUES "
                                      "('A1', 'Giro', '2004-01-01', '01:30:00'), ('A1', 'Lago', '2004-01-02', '00:40:00'), "
                                      "('A1', 'Lago', '2004-01-03', '00:50:00')"));
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Salite] ([IDPercorso], [Lunghezza], [Quotainiziale], [Quotafinale]) "
                                      "VALUES ('Giau', 10, 1000, 1900), ('Fedaia', 5, 1000, 1500)"));
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Tempi Salita] ([IDPersonale], [IDPercorso], [Data], [Tempo]) VALUES "
                                      "('A1', 'Giau', '2004-01-01', '01:00:00'), ('A1', 'Fedaia', '2004-01-05', '00:30:00')"));
    RegisterAthletesWindows();
    // Panel 1 holds the count until the data toolbar writes "Ready." there.
    auto panels = [&w](int first, int last) {
        QStringList out;
        for (int p = first; p <= last; ++p)
            out << w.StatusPanelText(p);
        return out;
    };
    auto texts = [](std::initializer_list<std::pair<int, const char *>> figures) {
        QStringList out;
        for (const auto &[id, figure] : figures)
            out << FormatLangString(GetLangString(id), {QString::fromLatin1(figure)});
        return out;
    };

    // Trainings: 40 + 20 + 20 km; (5400 + 2400 + 3000) / 3 s; (26.67 + 30 + 24) / 3 km/h.
    w.Toolbar2_ButtonClick(QStringLiteral("b7"));
    auto *trainings = qobject_cast<PerformanceList *>(WindowRegistry::Find(QStringLiteral("frmPrestAll")));
    ASSERT_NE(trainings, nullptr);
    EXPECT_EQ(panels(2, 4), texts({{28023, "80.00"}, {28024, "01:00:00"}, {28025, "26.89"}}));

    // Climbs: 10 + 5 km; (3600 + 1800) / 2 s; 10 km/h each; (900 + 1000) / 2 m/h.
    w.Toolbar2_ButtonClick(QStringLiteral("b6"));
    auto *climbs = qobject_cast<PerformanceList *>(WindowRegistry::Find(QStringLiteral("frmAngolo")));
    ASSERT_NE(climbs, nullptr);
    EXPECT_EQ(panels(2, 5), texts({{28016, "15.00"}, {28017, "00:45:00"}, {28018, "10.00"}, {28019, "950"}}));

    // A right click on a grid pops up that list's chart menu.
    for (auto [list, menu] : {std::pair{trainings, "mnuGraficoVelocita"}, std::pair{climbs, "mnuPopUp"}}) {
        const QPoint at(10, 10);
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, list->grid()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->grid()->viewport(), &click);
        ASSERT_NE(w.Menu(QLatin1String(menu)), nullptr);
        EXPECT_TRUE(w.Menu(QLatin1String(menu))->isVisible()) << menu;
        w.Menu(QLatin1String(menu))->hide();
    }

    auto *sub = qobject_cast<QMdiSubWindow *>(trainings->parentWidget());
    ASSERT_NE(sub, nullptr);
    sub->mdiArea()->setActiveSubWindow(sub);
    ASSERT_EQ(w.ActiveForm(), trainings);
    trainings->grid()->setFocus();
    trainings->grid()->setCurrentIndex(trainings->model()->index(1, 0));   // "Lago"
    w.mnuTool_Click(5);
    EXPECT_EQ(trainings->model()->rowCount(), 2);
    EXPECT_EQ(trainings->model()->value(0, 0).toString(), QStringLiteral("Lago"));
    EXPECT_TRUE(trainings->listSql().startsWith(QLatin1String("SELECT * FROM [Riepilogo Tempi Allenamento]")));
    EXPECT_EQ(panels(1, 4), texts({{28022, "2"}, {28023, "40.00"}, {28024, "00:45:00"}, {28025, "27.00"}}));
    trainings->grid()->setCurrentIndex(trainings->model()->index(0, 3));   // time
    w.mnuTool_Click(2);
    EXPECT_EQ(trainings->model()->value(0, 3).toTime(), QTime(0, 40));
    EXPECT_EQ(trainings->model()->rowCount(), 2);
    EXPECT_EQ(climbs->model()->rowCount(), 2);
    EXPECT_FALSE(climbs->listSql().contains(QLatin1String(" AND (")));

    // The date filter goes to the list opened last, whichever is active.
    ASSERT_EQ(DataFormName, QStringLiteral("frmAngolo"));
    {
        DataFilter dlg;
        dlg.Combo1()->setCurrentText(QStringLiteral(">="));
        dlg.ccrpDtp1()->SetValue(QDate(2004, 1, 2));
        dlg.cmdOk_Click();
    }
    EXPECT_EQ(climbs->model()->rowCount(), 1);
    EXPECT_EQ(trainings->model()->rowCount(), 2);
    EXPECT_EQ(panels(1, 5), texts({{28015, "1"}, {28016, "5.00"}, {28017, "00:30:00"}, {28018, "10.00"}, {28019, "1000"}}));

    // An athlete without climbs: no rows, count 0, time "00.00.00".
    climbs->dataAtleta()->MoveNext();
    EXPECT_EQ(climbs->model()->rowCount(), 0);
    EXPECT_EQ(panels(1, 5), texts({{28015, "0"}, {28016, ".00"}, {28017, "00.00.00"}, {28018, ".00"}, {28019, "0"}}));
    EXPECT_EQ(w.ButtonValue(QStringLiteral("RemoveFilter")), 0);
    EXPECT_EQ(trainings->model()->rowCount(), 2);   // the other list keeps its filter

    // German, as the language menu gives it to the active list: the count
    // after the position and the statistics follow, with the same figures.
    ASSERT_EQ(SelectLanguage(QStringLiteral("1031"), QStringLiteral("1033")), QStringLiteral("1031"));
    climbs->UpdateControls();
    EXPECT_EQ(climbs->findChild<QLabel *>(QStringLiteral("lblNumero"))->text(), QStringLiteral(" von 2"));
    EXPECT_EQ(panels(1, 5), texts({{28015, "0"}, {28016, ".00"}, {28017, "00.00.00"}, {28018, ".00"}, {28019, "0"}}));
    EXPECT_TRUE(panels(2, 2).front().startsWith(QLatin1String("Gesamt-km")));

    EXPECT_TRUE(WindowRegistry::Unload(QStringLiteral("frmAngolo")));
    EXPECT_TRUE(WindowRegistry::Unload(QStringLiteral("frmPrestAll")));
    Stop();
}
