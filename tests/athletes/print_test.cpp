// The athlete card's prints: the list handed to the print form and the card
// drawn on the printer (checked in a PDF).
#include "athletes_fixture.h"

#include "athletes/logic/AthletePrint.h"
#include "core/WindowInterfaces.h"
#include "core/WindowRegistry.h"
#include "platform/print/Printer.h"

#include <QProcess>
#include <QRegularExpression>

namespace {
QString PdfWords(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).replace(QRegularExpression(QStringLiteral("\\s+")),
                                                                 QStringLiteral(" "));
}

class PdfOutput {
public:
    explicit PdfOutput(const QString &path) : m_old(SharedPrinter().OutputFileName())
    {
        SharedPrinter().SetOutputFileName(path);
    }
    ~PdfOutput() { SharedPrinter().SetOutputFileName(m_old); }

private:
    QString m_old;
};

// The print form: keeps the job it was given.
class PrintFormStandIn : public QWidget, public PrintFormInterface {
    Q_OBJECT
    Q_INTERFACES(PrintFormInterface)
public:
    explicit PrintFormStandIn(QWidget *parent) : QWidget(parent) {}
    void setPrintJob(const PrintJob &j) override { job = j; }
    PrintJob job;
};
}

TEST_F(AthletesTest, ListPrintGoesToThePrintForm)
{
    AddAthlete(QStringLiteral("A1"));
    AddAthlete(QStringLiteral("A2"));
    WindowRegistry::Register(QStringLiteral("frmPrint"), [](QWidget *parent) { return new PrintFormStandIn(parent); });
    frmDatiPers &w = OpenAthletes();
    w.MyPrint();
    auto *form = dynamic_cast<PrintFormStandIn *>(WindowRegistry::Find(QStringLiteral("frmPrint")));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Print Biker Data"));
    EXPECT_EQ(form->job.caption, form->windowTitle());
    EXPECT_EQ(form->job.title, GetLangString(8504));
    EXPECT_EQ(form->job.sql,
              QStringLiteral("SELECT [IDPersonale] AS [Codice],[Cognome],[Nome],[Datanascita] AS [Data nascita],[Peso],"
                             "[Fqped] AS [Frequenza Pedalata],[Fcmax],[Pesobici] AS [Peso Bici],"
                             "[Circonfruota] AS [Circonferenza ruota],[Kmparziali] AS [km parziali] FROM [Dati Personali]"));
    EXPECT_EQ(Count(form->job.sql), 2);
    w.cmdClose_Click();   // the print form goes with the card
    m_athletes.reset();
    EXPECT_EQ(WindowRegistry::Find(QStringLiteral("frmPrint")), nullptr);
    WindowRegistry::Unregister(QStringLiteral("frmPrint"));
}

TEST_F(AthletesTest, CardPrintShowsTheAthlete)
{
    TestSupport::LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
    AddAthlete(QStringLiteral("A1"));
    const QString pdf = Path(QStringLiteral("card.pdf"));
    PdfOutput output(pdf);
    frmDatiPers &w = OpenAthletes();
    w.ccrpDtp1()->SetValue(QDate(1990, 3, 4));
    w.MyPrint1();
    ASSERT_TRUE(QFile::exists(pdf));
    const QString words = PdfWords(pdf);
    for (const char *expected :
         {"Biker Data", "Biker Code: A1", "Last Name: Rossi", "Name: Ugo", "Birthday: 3/4/90",
          "Biker weight: 70 kg.", "Cadence: 90 rpm.", "Max. Heart Rate: 190 heart rate.",
          "Bike + optional weight 8.5 kg.", "Tyre Circumference (m): 2.1 m.", "Odometer: 1200 km.", "Date:", "Time:"})
        EXPECT_TRUE(words.contains(QLatin1String(expected))) << expected << "\n" << words.toStdString();
    // Footer: program name and version on the left, organisation on the right.
    EXPECT_TRUE(words.contains(AthletePrint::CurrentPageTexts().footerLeft.trimmed())) << words.toStdString();
    EXPECT_TRUE(words.contains(QStringLiteral("Vettaro"))) << words.toStdString();
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());

    // Nothing while adding.
    QFile::remove(pdf);
    w.cmdAdd_Click();
    w.MyPrint1();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

TEST_F(AthletesTest, CardPrintWithoutAthletesPrintsNothing)
{
    const QString pdf = Path(QStringLiteral("none.pdf"));
    PdfOutput output(pdf);
    OpenAthletes().MyPrint1();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

// Without a printer the card goes to a PDF file named after the athlete; a
// cancelled name prints nothing and says nothing.
TEST_F(AthletesTest, CardPrintWithoutPrinterGoesToAPdfFile)
{
    AddAthlete(QStringLiteral("A1"));
    const PrinterListProvider old = SetPrinterListProvider([] { return QStringList(); });
    const QString pdf = Path(QStringLiteral("chosen.pdf"));
    TestSupport::ResetScript().files = {std::nullopt, pdf};
    frmDatiPers &w = OpenAthletes();
    w.MyPrint1();
    EXPECT_FALSE(QFile::exists(pdf));
    w.MyPrint1();
    SetPrinterListProvider(old);
    const auto &shown = TestSupport::Script().shown;
    ASSERT_EQ(shown.size(), 2u);   // the two file dialogs, no message
    EXPECT_EQ(shown[0].request.fileName, QStringLiteral("Rossi Ugo.pdf"));
    EXPECT_TRUE(PdfWords(pdf).contains(QStringLiteral("Biker Code: A1")));
}

// A printer that cannot be written to: the document is discarded and the
// error is shown.
TEST_F(AthletesTest, CardPrintFailureIsShown)
{
    AddAthlete(QStringLiteral("A1"));
    const QString pdf = Path(QStringLiteral("no/such/folder/card.pdf"));
    PdfOutput output(pdf);
    OpenAthletes().MyPrint1();
    EXPECT_FALSE(QFile::exists(pdf));
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages().front().startsWith(QStringLiteral("Error ")));
}

#include "print_test.moc"
