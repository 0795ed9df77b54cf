// The three windows opened from the main window's data toolbar: the commands
// they answer while open, the print question of the athlete card, and the
// toolbar and shared recordsets given back when they close.
#include "core/mainwindow_fixture.h"

#include "athletes/RegisterWindows.h"
#include "athletes/TimeCard.h"
#include "athletes/frmDatiPers.h"
#include "platform/data/DataControl.h"
#include "platform/print/Printer.h"

class AthletesFromMainWindow : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        RegisterAthletesWindows();
        m_registered << QStringLiteral("frmDatiPers") << QStringLiteral("frmTempiAll") << QStringLiteral("frmTempiSal");
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
