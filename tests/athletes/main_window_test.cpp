// The three windows opened from the main window's data toolbar: the commands
// they answer while open, the print question of the athlete card, and the
// toolbar and shared recordsets given back when they close.
#include "core/mainwindow_fixture.h"

#include "athletes/RegisterWindows.h"
#include "athletes/PerformanceList.h"
#include "athletes/TimeCard.h"
#include "athletes/frmDatiPers.h"
#include "athletes/frmHitGrimpeur.h"
#include "athletes/frmRiepilogo.h"
#include "platform/data/DataControl.h"
#include "platform/print/Printer.h"

#include <QLineEdit>
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
};

TEST_F(AthletesFromMainWindow, OpenPrintAndClose)
{
    const QString db = Docs(QStringLiteral("team.dat"));
    QFile::copy(ProgramPath(QStringLiteral("ZidoVodu.dat")), db);
    QFile(db).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    MDIfrmBike &w = Start(db);
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
    const QString db = Docs(QStringLiteral("team.dat"));
    QFile::copy(ProgramPath(QStringLiteral("ZidoVodu.dat")), db);
    QFile(db).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    MDIfrmBike &w = Start(db);
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
    const QString db = Docs(QStringLiteral("team.dat"));
    QFile::copy(ProgramPath(QStringLiteral("ZidoVodu.dat")), db);
    QFile(db).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    MDIfrmBike &w = Start(db);
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
