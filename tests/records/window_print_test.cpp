// The print commands of the card windows: the card on the printer, and the
// list and sample table handed to the print form.
#include "window_fixture.h"

#include "core/ProfileExport.h"
#include "core/UserFolders.h"
#include "core/WindowRegistry.h"
#include "platform/print/Printer.h"

#include <QProcess>
#include <QRegularExpression>

namespace {
QString PdfWords(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).replace(QRegularExpression(QStringLiteral("\\s+")),
                                                                 QStringLiteral(" "));
}

// Puts the shared printer's output into a PDF file for the test's length.
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
}

// The card shows on the page as the window shows it; while a new card is
// entered nothing is printed and nothing is said.
TEST_P(BothWindows, PrintsTheCardAsShown)
{
    const bool climb = GetParam();
    TestSupport::LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
    AddCard(climb, QStringLiteral("Passo Giau"), 10, 1000, 1500);
    const QString pdf = Path(QStringLiteral("card.pdf"));
    PdfOutput output(pdf);
    CardWindow &w = Open(climb);
    Ctl<QLineEdit>(climb ? "Text2(2)" : "Text1(1)")->setText(QStringLiteral("Selva"));   // shown, not yet saved
    w.MyPrint1();
    ASSERT_TRUE(QFile::exists(pdf));
    const QString words = PdfWords(pdf);
    EXPECT_TRUE(words.contains(GetLangString(climb ? 9511 : 7516) + QStringLiteral(" Passo Giau")));
    EXPECT_TRUE(words.contains(GetLangString(climb ? 9517 : 7520) + QStringLiteral(" Selva")));
    if (climb) {
        // The grade's second column: label and the figure as the window shows it.
        EXPECT_TRUE(words.contains(GetLangString(9513)));
        EXPECT_TRUE(words.contains(QStringLiteral(" 5.0% ")));
    }
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());

    QFile::remove(pdf);
    w.cmdAdd_Click();
    w.MyPrint1();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

// A machine without a printer: the card goes to a PDF file that the user
// names in the documents folder, the card's name proposed (made safe for a
// file name); a cancelled name prints nothing and says nothing.
TEST_P(BothWindows, WithoutPrinterTheCardGoesToAPdfFile)
{
    const bool climb = GetParam();
    const QString name = QStringLiteral("Col d'Izoard & \"Casse/Déserte\"");
    AddCard(climb, name, 19, 1300, 2360);
    const QString documents = Path(QStringLiteral("Documents"));
    ASSERT_TRUE(QDir().mkpath(documents));
    const QString oldPersonal = SpecialFolders.Personal();
    SpecialFolders.Personal(documents);
    const PrinterListProvider oldList = SetPrinterListProvider([] { return QStringList(); });
    struct Restore {
        std::function<void()> f;
        ~Restore() { f(); }
    } restore{[&] {
        SetPrinterListProvider(oldList);
        SpecialFolders.Personal(oldPersonal);
    }};
    CardWindow &w = Open(climb);

    const QString pdf = QDir(documents).filePath(QStringLiteral("card.pdf"));
    TestSupport::ResetScript().files.push_back(pdf);
    w.MyPrint1();
    const auto &shown = TestSupport::Script().shown;
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, QStringLiteral("save"));
    EXPECT_EQ(shown[0].request.initDir, documents);
    EXPECT_EQ(shown[0].request.fileName, ProposedFileName(name) + QStringLiteral(".pdf"));
    EXPECT_EQ(shown[0].request.fileName, QStringLiteral("Col d'Izoard & _Casse_Déserte_.pdf"));
    EXPECT_TRUE(PdfWords(pdf).contains(GetLangString(climb ? 9511 : 7516) + QLatin1Char(' ') + name));
    EXPECT_EQ(QDir(documents).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("card.pdf")});

    TestSupport::ResetScript().files.push_back(std::nullopt);
    QFile::remove(pdf);
    w.MyPrint1();
    EXPECT_EQ(TestSupport::Script().shown.size(), 1u);   // the file dialog, no message
    EXPECT_TRUE(QDir(documents).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_FALSE(SharedPrinter().InDocument());
}

namespace {
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

// The list and the current card's samples go to the print form with their
// caption and title; the sample query reads exactly that card's samples, also
// for a name with quotes in it.
TEST_P(BothWindows, ListAndSamplesGoToThePrintForm)
{
    const bool climb = GetParam();
    const QString name = QStringLiteral("O'Neil \"Hill\"");
    AddCard(climb, name);
    AddCard(climb, QStringLiteral("Other"));
    AddSample(climb, name, 0, 100);
    AddSample(climb, name, 1, 150);
    AddSample(climb, QStringLiteral("Other"), 0, 10);
    WindowRegistry::Register(QStringLiteral("frmPrint"), [](QWidget *parent) { return new PrintFormStandIn(parent); });
    CardWindow &w = Open(climb);

    w.MyPrint();
    auto *form = dynamic_cast<PrintFormStandIn *>(WindowRegistry::Find(QStringLiteral("frmPrint")));
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), FormatLangString(GetLangString(climb ? 9505 : 7511), {w.windowTitle()}));
    EXPECT_EQ(form->job.caption, form->windowTitle());
    EXPECT_EQ(form->job.title, GetLangString(climb ? 9506 : 7512));
    EXPECT_EQ(Count(form->job.sql), 2);

    w.cmdAltim_Click();
    w.MyPrint2();
    EXPECT_EQ(form->windowTitle(), FormatLangString(GetLangString(climb ? 9529 : 7532), {name}));
    EXPECT_EQ(form->job.title, name + QLatin1Char('|') + GetLangString(climb ? 9530 : 7533));
    EXPECT_EQ(Count(form->job.sql), 2);

    Close();   // the print form closes with the card window
    EXPECT_EQ(WindowRegistry::Find(QStringLiteral("frmPrint")), nullptr);
    WindowRegistry::Unregister(QStringLiteral("frmPrint"));
}

#include "window_print_test.moc"
