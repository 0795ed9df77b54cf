// The print form: margins and their settings, jobs over the open database,
// cancel, page counter, and the climbs and routes lists printed to PDF.
#include "records/window_fixture.h"

#include "QtMessages.h"
#include "LumoTabPrt/src/frmPreView.h"
#include "LumoTabPrt/src/lumoTPrt.h"
#include "core/WindowRegistry.h"
#include "platform/com/ComRegistry.h"
#include "platform/print/Printer.h"
#include "tools/RegisterWindows.h"
#include "tools/frmPrint.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QTimer>
#include <functional>

namespace {
class PrintFormTest : public CardWindowTest {
protected:
    void SetUp() override
    {
        CardWindowTest::SetUp();
        QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    }
    // Closes every preview the form opens, after running act on it.
    void OnPreview(frmPrint &form, std::function<void(frmPreView &)> act = {})
    {
        QObject::connect(form.lumoTPrt1, &lumoTPrt::PreviewOpening, &form, [this, act](QWidget *w) {
            ++previews;
            auto *p = static_cast<frmPreView *>(w);
            QTimer::singleShot(0, p, [p, act]() {
                p->Relayout();
                if (act)
                    act(*p);
                p->close();
            });
        });
    }
    int previews = 0;
};

QString PdfText(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
}

TEST_F(PrintFormTest, MarginsLoadEditAndPersist)
{
    {
        frmPrint form;
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(form.Text1[i]->text(), QStringLiteral("15")) << i;
            EXPECT_EQ(form.VScroll1[i]->value(), form.VScroll1[i]->maximum() - 15) << i;
        }
        EXPECT_EQ(form.lumoTPrt1->MarginTop(), 15.0f);
        EXPECT_TRUE(GetSettingKeys(AppName, QStringLiteral("frmPrint")).isEmpty()) << "loading writes nothing";
        EXPECT_TRUE(form.lumoTPrt1->FootText().endsWith(QStringLiteral(" 1.0"))) << form.lumoTPrt1->FootText().toStdString();

        // Text1(2) is the top margin.
        const struct {
            QString text;
            float top;
        } cases[] = {{"12.7", 12}, {"", 12}, {"abc", 12}, {"-3", 12}, {"1e9", 12}, {"20", 20}};
        for (const auto &c : cases) {
            form.Text1[2]->setText(c.text);
            EXPECT_EQ(form.lumoTPrt1->MarginTop(), c.top) << c.text.toStdString();
        }
        {
            TestSupport::LocaleScope comma(QLocale(QLocale::Italian, QLocale::Italy));
            form.Text1[2]->setText(QStringLiteral("12,7"));
            EXPECT_EQ(form.lumoTPrt1->MarginTop(), 12.0f);
        }
        // The bar runs upside down: its value is Max minus the margin.
        form.VScroll1[3]->setValue(form.VScroll1[3]->maximum() - 25);
        EXPECT_EQ(form.Text1[3]->text(), QStringLiteral("25"));
        EXPECT_EQ(form.lumoTPrt1->MarginBottom(), 25.0f);
        form.close();
    }
    frmPrint again;
    EXPECT_EQ(again.lumoTPrt1->MarginTop(), 12.0f);
    EXPECT_EQ(again.lumoTPrt1->MarginBottom(), 25.0f);
    EXPECT_EQ(again.lumoTPrt1->MarginLeft(), 15.0f);

    // Stored margins that are not numbers, or out of range, read as 15.
    SaveSetting(AppName, QStringLiteral("frmPrint"), QStringLiteral("marg_t"), QStringLiteral("abc"));
    SaveSetting(AppName, QStringLiteral("frmPrint"), QStringLiteral("marg_l"), QStringLiteral("5000"));
    frmPrint third;
    EXPECT_EQ(third.lumoTPrt1->MarginTop(), 15.0f);
    EXPECT_EQ(third.lumoTPrt1->MarginLeft(), 15.0f);
}

TEST_F(PrintFormTest, JobsOverTheOpenDatabase)
{
    AddCard(true, QStringLiteral("Stelvio"));
    const int before = Cards(true);
    const struct {
        const char *what;
        QString sql;
        QString message;   // start of the one message shown, empty for none
        int previews;
    } cases[] = {
        {"delete", QStringLiteral("DELETE FROM [Dati Salite]"), QStringLiteral("Error:"), 0},
        {"update", QStringLiteral("UPDATE [Dati Salite] SET [Lunghezza] = 0"), QStringLiteral("Error:"), 0},
        {"second statement", QStringLiteral("SELECT * FROM [Dati Salite]; DELETE FROM [Dati Salite]"),
         QStringLiteral("Error:"), 0},
        {"attach", QStringLiteral("ATTACH DATABASE 'x.db' AS x"), QStringLiteral("Error:"), 0},
        {"missing table", QStringLiteral("SELECT * FROM [Nope]"), QStringLiteral("Error:"), 0},
        {"bad SQL", QStringLiteral("SELEC FROM"), QStringLiteral("Error:"), 0},
        {"empty", QStringLiteral("SELECT * FROM [Dati Percorsi]"), QStringLiteral("La tabella e' vuota"), 0},
        {"normal", QStringLiteral("SELECT * FROM [Dati Salite]"), QString(), 1},
    };
    for (const auto &c : cases) {
        TestSupport::ResetScript();
        frmPrint form;
        previews = 0;
        OnPreview(form);
        form.PrintSQL = c.sql;
        form.Titolo = QStringLiteral("T");
        form.cmdPrint_Click();
        const QStringList shown = TestSupport::Script().messages();
        if (c.message.isEmpty())
            EXPECT_TRUE(shown.isEmpty()) << c.what;
        else
            EXPECT_TRUE(shown.size() == 1 && shown.first().startsWith(c.message)) << c.what << ": "
                                                                                  << shown.join('|').toStdString();
        EXPECT_EQ(previews, c.previews) << c.what;
        EXPECT_TRUE(form.cmdPrint->isEnabled());
        EXPECT_FALSE(form.cmdCancel->isEnabled());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << c.what;
        EXPECT_EQ(Cards(true), before) << c.what << ": the database is unchanged";
    }
}

TEST_F(PrintFormTest, CancelDuringLayoutThenPrintAgain)
{
    for (int i = 0; i < 150; ++i)
        AddCard(true, QStringLiteral("Climb %1").arg(i, 3, 10, QLatin1Char('0')));
    frmPrint form;
    OnPreview(form);
    form.PrintSQL = QStringLiteral("SELECT * FROM [Dati Salite]");
    form.Titolo = QStringLiteral("Climbs");
    QStringList counter;
    bool cancelNow = true;
    QObject::connect(form.lumoTPrt1, &lumoTPrt::NewPageStart, &form, [&](qint32, bool &) {
        counter << form.lblNrPage->text();
    });
    QObject::connect(form.lumoTPrt1, &lumoTPrt::CancelWork, &form, [&](bool &) {
        // The form closes nothing while the job runs.
        EXPECT_FALSE(form.close());
        if (cancelNow)
            form.cmdCancel_Click();
    });
    form.cmdPrint_Click();
    EXPECT_EQ(previews, 0) << "cancelled: no preview";
    EXPECT_EQ(counter, QStringList{QStringLiteral("1")});

    cancelNow = false;
    counter.clear();
    form.cmdPrint_Click();
    EXPECT_EQ(previews, 1) << "the next Print works";
    // Every column of the table whole needs a landscape sheet: four pages.
    EXPECT_EQ(counter, (QStringList{"1", "2", "3", "4"})) << "the counter shows every page";
    EXPECT_TRUE(form.close());
}

// While a job runs, the page counter's row appears above the buttons: the form
// grows for it, so neither the counter nor the buttons are cut.
TEST_F(PrintFormTest, PageCounterRowFitsAboveTheButtons)
{
    AddCard(true, QStringLiteral("Stelvio"));
    // As the program shows it: a child window of the workspace at its first size.
    QMdiArea area;
    area.resize(1000, 700);
    auto *form = new frmPrint;
    QMdiSubWindow *sub = area.addSubWindow(form);
    OnPreview(*form);
    form->PrintSQL = QStringLiteral("SELECT * FROM [Dati Salite]");
    form->Titolo = QStringLiteral("Climbs");
    area.show();
    sub->show();
    sub->resize(sub->sizeHint());
    QApplication::processEvents();
    int checked = 0;
    QObject::connect(form->lumoTPrt1, &lumoTPrt::NewPageStart, form, [&](qint32, bool &) {
        ++checked;
        QApplication::processEvents();
        for (QWidget *w : {static_cast<QWidget *>(form->cmdPrint), static_cast<QWidget *>(form->cmdCancel),
                           static_cast<QWidget *>(form->Label1), static_cast<QWidget *>(form->lblNrPage)})
            EXPECT_GE(w->height(), w->sizeHint().height()) << w->objectName().toStdString();
        EXPECT_FALSE(form->Label1->geometry().intersects(form->cmdPrint->geometry()));
    });
    form->cmdPrint_Click();
    EXPECT_EQ(checked, 1);
}

TEST_P(BothWindows, ListAndSamplesPrintToPdf)
{
    const bool climb = GetParam();
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    RegisterToolsWindows();
    const QString name = QStringLiteral("O'Neil \"Hill\"");
    AddCard(climb, name, 12.5, 1200, 2345);
    AddCard(climb, QStringLiteral("Other"));
    AddSample(climb, name, 0, 1200, QStringLiteral("start"));
    AddSample(climb, name, 1.5, 1725);
    CardWindow &w = Open(climb);
    const QString pdf = Path(QStringLiteral("list.pdf"));
    QPrinter *printer = DefaultPrinter();
    printer->setOutputFormat(QPrinter::PdfFormat);

    auto printThroughForm = [&](const QString &file) {
        printer->setOutputFileName(file);
        auto *form = qobject_cast<frmPrint *>(WindowRegistry::Find(QStringLiteral("frmPrint")));
        ASSERT_NE(form, nullptr);
        // Print from the preview: Yes to "Start Print?", Yes to leave the preview.
        auto conn = QObject::connect(form->lumoTPrt1, &lumoTPrt::PreviewOpening, form, [](QWidget *wdg) {
            auto *p = static_cast<frmPreView *>(wdg);
            QTimer::singleShot(0, p, [p]() { p->cmdStampa_Click(); });
        });
        form->cmdPrint_Click();
        QObject::disconnect(conn);
    };

    w.MyPrint();
    printThroughForm(pdf);
    QString text = PdfText(pdf);
    const QString foot = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(" 1.0");
    EXPECT_TRUE(text.contains(GetLangString(climb ? 9506 : 7512))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(climb ? QStringLiteral("Nome Salita\\s+Lunghezza\\s+Quota Iniziale\\s+Quota Finale")
                                                       : QStringLiteral("Nome Percorso\\s+Lunghezza\\s+Regione"))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(name));
    EXPECT_TRUE(text.contains(QStringLiteral("Other")));
    if (climb) {
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("1,200\\s+2,345")))) << "heights in the locale's form";
    }
    EXPECT_TRUE(text.contains(foot)) << foot.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Stampa del ") + QDate::currentDate().toString(QStringLiteral("dd/MM/yy"))));
    EXPECT_TRUE(text.contains(QStringLiteral("Pag. 1")));

    const QString samples = Path(QStringLiteral("samples.pdf"));
    w.cmdAltim_Click();
    w.MyPrint2();
    printThroughForm(samples);
    text = PdfText(samples);
    EXPECT_TRUE(text.contains(name)) << "the title's first line";
    EXPECT_TRUE(text.contains(GetLangString(climb ? 9530 : 7533)));
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Distanza\\s+Altezza\\s+Note")))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("1.50\\s+1,725")))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("start")));
    EXPECT_FALSE(text.contains(QStringLiteral("Other")));

    printer->setOutputFileName(QString());
    Close();
    WindowRegistry::Unregister(QStringLiteral("frmPrint"));
}

// Without a printer the table goes to a PDF file named after its title; a
// cancelled file name prints nothing and leaves nothing behind.
TEST_P(BothWindows, WithoutPrinterTheListGoesToAPdfFile)
{
    const bool climb = GetParam();
    RegisterToolsWindows();
    AddCard(climb, QStringLiteral("Giau"));
    CardWindow &w = Open(climb);
    const PrinterListProvider old = SetPrinterListProvider([] { return QStringList(); });
    const QString folder = Path(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString pdf = QDir(folder).filePath(QStringLiteral("list.pdf"));
    w.MyPrint();
    auto *form = qobject_cast<frmPrint *>(WindowRegistry::Find(QStringLiteral("frmPrint")));
    ASSERT_NE(form, nullptr);
    auto conn = QObject::connect(form->lumoTPrt1, &lumoTPrt::PreviewOpening, form, [](QWidget *wdg) {
        auto *p = static_cast<frmPreView *>(wdg);
        QTimer::singleShot(0, p, [p]() {
            p->cmdStampa_Click();
            p->close();
        });
    });
    TestSupport::ResetScript().files = {std::nullopt};
    form->cmdPrint_Click();
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(20502)});   // only "Start Print?"

    TestSupport::ResetScript().files = {pdf};
    form->cmdPrint_Click();
    QObject::disconnect(conn);
    SetPrinterListProvider(old);
    const auto &shown = TestSupport::Script().shown;
    ASSERT_EQ(shown.size(), 3u);   // "Start Print?", the file, "Print done"
    EXPECT_EQ(shown[1].request.fileName, GetLangString(climb ? 9506 : 7512) + QStringLiteral(".pdf"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("list.pdf")});
    EXPECT_TRUE(PdfText(pdf).contains(QStringLiteral("Giau")));
    Close();
    WindowRegistry::Unregister(QStringLiteral("frmPrint"));
}

INSTANTIATE_TEST_SUITE_P(ClimbsAndRoutes, BothWindows, ::testing::Bool());

// An athlete's list carries its title on two lines: the file proposed for it
// joins them with one blank.
TEST_F(PrintFormTest, WithoutPrinterATwoLineTitleNamesTheFileWithOneBlank)
{
    AddCard(true, QStringLiteral("Giau"));
    const PrinterListProvider old = SetPrinterListProvider([] { return QStringList(); });
    frmPrint form;
    OnPreview(form, [](frmPreView &p) { p.cmdStampa_Click(); });
    form.PrintSQL = QStringLiteral("SELECT * FROM [Dati Salite]");
    form.Titolo = QStringLiteral("Rossi Mario |Tour performance");
    TestSupport::ResetScript().files = {std::nullopt};
    form.cmdPrint_Click();
    SetPrinterListProvider(old);
    const auto &shown = TestSupport::Script().shown;
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[1].request.fileName, QStringLiteral("Rossi Mario Tour performance.pdf"));
}

TEST_F(PrintFormTest, TheDatabaseClosedDuringLayout)
{
    for (int i = 0; i < 100; ++i)
        AddCard(true, QStringLiteral("Climb %1").arg(i));
    frmPrint form;
    OnPreview(form);
    form.PrintSQL = QStringLiteral("SELECT * FROM [Dati Salite]");
    bool closed = false;
    QObject::connect(form.lumoTPrt1, &lumoTPrt::CancelWork, &form, [&](bool &) {
        if (!closed) {
            closed = true;
            CurrentDb->Close();
        }
    });
    form.cmdPrint_Click();
    EXPECT_TRUE(closed);
    // The cursor holds the rows of its opening time: the table is laid out whole.
    EXPECT_EQ(previews, 1);
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty()) << TestSupport::Script().messages().join('|').toStdString();
    EXPECT_TRUE(form.cmdPrint->isEnabled());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// A PDF that cannot take its chosen name (a folder holds it) is a failed print:
// the error is told before anything is drawn, "Print done." never follows,
// and nothing is left behind.
TEST_F(PrintFormTest, APrintThatFailedNeverSaysPrintDone)
{
    AddCard(true, QStringLiteral("Giau"));
    const PrinterListProvider old = SetPrinterListProvider([] { return QStringList(); });
    const QString folder = Path(QStringLiteral("out"));
    const QString taken = QDir(folder).filePath(QStringLiteral("Giau.pdf"));
    ASSERT_TRUE(QDir().mkpath(taken));
    frmPrint form;
    OnPreview(form, [](frmPreView &p) { p.cmdStampa_Click(); });
    form.PrintSQL = QStringLiteral("SELECT * FROM [Dati Salite]");
    form.Titolo = QStringLiteral("Giau");
    TestSupport::ResetScript().files = {taken};
    form.cmdPrint_Click();
    SetPrinterListProvider(old);
    const QStringList shown = TestSupport::Script().messages();
    ASSERT_EQ(shown.size(), 2) << shown.join('|').toStdString();
    EXPECT_EQ(shown[0], GetLangString(20502));
    EXPECT_TRUE(shown[1].startsWith(GetLangString(190) + QStringLiteral("\nPath/File access error: ")))
        << shown[1].toStdString();   // the cause on a line of its own
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_EQ(previews, 1);
}

// A list printed to a PDF file in a folder that does not exist: the failure
// is told in the interface's language, with its cause after a line feed, and
// printing again from the same preview asks for the file again instead of
// failing on the same path. The file is found unwritable before the control
// draws on it, so Qt's painter says nothing on the terminal.
TEST_F(PrintFormTest, AFailedPrintToAFileSaysWhyAndAsksAgain)
{
    Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
    LoadLanguages(TestSupport::BinDir());
    SelectLanguage(QStringLiteral("1033"), QStringLiteral("1033"));
    AddCard(true, QStringLiteral("Giau"));
    const PrinterListProvider old = SetPrinterListProvider([] { return QStringList(); });
    const QString missing = Path(QStringLiteral("missing/Giau.pdf"));
    const QString folder = Path(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString pdf = QDir(folder).filePath(QStringLiteral("Giau.pdf"));
    QtMessages qt;
    {
        frmPrint form;
        OnPreview(form, [](frmPreView &p) {
            p.cmdStampa_Click();
            p.cmdStampa_Click();
        });
        form.PrintSQL = QStringLiteral("SELECT * FROM [Dati Salite]");
        form.Titolo = QStringLiteral("Giau");
        TestSupport::ResetScript().files = {missing, pdf};
        form.cmdPrint_Click();
    }
    SetPrinterListProvider(old);
    EXPECT_TRUE(qt.said.filter(QStringLiteral("QPainter")).isEmpty()) << qt.said.join(QLatin1Char('\n')).toStdString();
    const auto &shown = TestSupport::Script().shown;
    int fileDialogs = 0;
    for (const auto &prompt : shown)
        fileDialogs += prompt.kind == QLatin1String("save") || prompt.kind == QLatin1String("open");
    EXPECT_EQ(fileDialogs, 2) << "the second print asks for the file again";
    const QString failed = QStringLiteral("Print error: cannot open the printer.\n"
                                          "Path/File access error: folder not found: '%1'").arg(missing);
    EXPECT_EQ(GetLangString(190), QStringLiteral("Print error: cannot open the printer."));
    EXPECT_EQ(TestSupport::Script().messages(),
              (QStringList{GetLangString(20502), failed, GetLangString(20502),
                           GetLangString(20500) + QLatin1Char('\n') + GetLangString(20501)}));
    EXPECT_TRUE(PdfText(pdf).contains(QStringLiteral("Giau")));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Giau.pdf")});
    ResetLanguages();
    Com::SetMachineRegistryFile(QString());
}

// After a change of language the form's caption speaks the new language.
TEST_F(PrintFormTest, CaptionFollowsTheLanguage)
{
    Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
    LoadLanguages(TestSupport::BinDir());
    SelectLanguage(QStringLiteral("1033"), QStringLiteral("1033"));
    frmPrint form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Print..."));
    form.setWindowTitle(QStringLiteral("Print Tour performance"));   // as a list hands its job
    SelectLanguage(QStringLiteral("1040"), QStringLiteral("1033"));
    form.UpdateControls();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Stampa..."));
    EXPECT_EQ(form.cmdPrint->text(), GetLangString(20007));
    ResetLanguages();
    Com::SetMachineRegistryFile(QString());
}
