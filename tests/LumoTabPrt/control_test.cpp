// The control, its preview window and its property page, driven headless.
#include "LumoTestSupport.h"

#include "LumoTabPrt/src/Globale.h"
#include "LumoTabPrt/src/clsSQLTab.h"
#include "LumoTabPrt/src/clsStampante.h"
#include "LumoTabPrt/src/frmPreView.h"
#include "LumoTabPrt/src/lumoTPrt.h"
#include "LumoTabPrt/src/ppMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>

using namespace lumotest;

namespace {
// A control whose message boxes and dialogs are scripted and recorded.
struct Scripted {
    lumoTPrt control;
    QStringList messages;
    QList<int> answers;   // for Yes/No questions, in order; default Yes
    QStringList events;
    std::function<void(frmPreView &)> onPreview;
    bool previewShown = false;
    QPrinter printer{QPrinter::HighResolution};

    Scripted()
    {
        control.SetMessageHook([this](const QString &text, int style, const QString &title) {
            messages << (title.isEmpty() ? text : title + QLatin1Char(':') + text);
            return (style & 7) == 4 ? (answers.isEmpty() ? 6 : answers.takeFirst()) : 1;
        });
        control.SetPrinter(&printer);
        printer.setOutputFormat(QPrinter::PdfFormat);
        QObject::connect(&control, &lumoTPrt::NewPageStart, [this](qint32 p, bool &) { events << QStringLiteral("start %1").arg(p); });
        QObject::connect(&control, &lumoTPrt::CancelWork, [this](bool &) { events << QStringLiteral("work"); });
        QObject::connect(&control, &lumoTPrt::PrintRequest, [this](bool &cancel) {
            events << QStringLiteral("request");
            cancel = !answers.isEmpty() && answers.takeFirst() != 6;
        });
        QObject::connect(&control, &lumoTPrt::EndPrint, [this](bool &close) {
            events << QStringLiteral("end");
            close = true;
        });
        QObject::connect(&control, &lumoTPrt::PreviewOpening, [this](QWidget *w) {
            previewShown = true;
            auto *preview = static_cast<frmPreView *>(w);
            // The preview is modal: drive it once its loop runs.
            QTimer::singleShot(0, preview, [this, preview]() {
                preview->Relayout();
                if (onPreview)
                    onPreview(*preview);
                preview->close();
            });
        });
    }
};

QString PdfText(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
}

TEST(Control, JobTable)
{
    const struct {
        const char *what;
        int rows;
        QString failWith;
        int cancelAtWork;
        qint32 cancelAtPage;
        lumo::JobStatus status;
        QString message;
        bool preview;
        bool events;
    } cases[] = {
        {"empty table", 0, {}, -1, -1, lumo::JobStatus::Empty, QStringLiteral("La tabella e' vuota"), false, false},
        {"bad SQL", 10, QStringLiteral("no such table: Nope"), -1, -1, lumo::JobStatus::LayoutError,
         QStringLiteral("lumoTabPrt:Error:\n\nno such table: Nope"), false, false},
        {"cancel in CancelWork", 100, {}, 1, -1, lumo::JobStatus::Cancelled, {}, false, true},
        {"cancel in NewPageStart", 100, {}, -1, 2, lumo::JobStatus::Cancelled, {}, false, true},
        {"normal", 100, {}, -1, -1, lumo::JobStatus::Done, {}, true, true},
    };
    for (const auto &c : cases) {
        Scripted s;
        int work = 0;
        QObject::connect(&s.control, &lumoTPrt::CancelWork, [&](bool &cancel) { cancel = ++work == c.cancelAtWork; });
        QObject::connect(&s.control, &lumoTPrt::NewPageStart, [&](qint32 p, bool &cancel) { cancel = p == c.cancelAtPage; });
        lumo::MemorySource source = Climbs(c.rows);
        source.failWith = c.failWith;
        const lumo::JobStatus status = s.control.StartPreviewSQL(source, QStringLiteral("SELECT *"), QStringLiteral("T"));
        EXPECT_EQ(status, c.status) << c.what;
        EXPECT_EQ(s.messages, c.message.isEmpty() ? QStringList() : QStringList{c.message}) << c.what;
        EXPECT_EQ(s.previewShown, c.preview) << c.what;
        EXPECT_EQ(!s.events.isEmpty(), c.events) << c.what;
        EXPECT_EQ(Globale::HourglassCount(), 0) << c.what;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << c.what << ": the hourglass is off";
        EXPECT_FALSE(s.control.Busy());
    }
}

TEST(Control, PropertiesByNameAndTheFontDialog)
{
    lumoTPrt control;
    const lumo::PrintOptions defaults;
    EXPECT_EQ(control.Options(), defaults);
    EXPECT_EQ(control.property("FontName").toString(), QStringLiteral("Times New Roman"));
    EXPECT_TRUE(control.setProperty("MarginTop", 12.5));
    EXPECT_EQ(control.MarginTop(), 12.5f);
    EXPECT_TRUE(control.setProperty("PageNumberStart", 3));
    EXPECT_EQ(control.property("PageNumberStart").toInt(), 3);

    control.SetFontHook([](const QFont &) { return std::optional<QFont>(); });
    control.DialogPrtFont();
    EXPECT_EQ(control.FontName(), QStringLiteral("Times New Roman")) << "a cancelled dialog changes nothing";
    EXPECT_EQ(control.FontSize(), 10.0f);

    control.SetFontHook([](const QFont &initial) {
        EXPECT_EQ(initial.pointSizeF(), 10.0);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPointSizeF(8.5);
        f.setBold(true);
        return std::optional<QFont>(f);
    });
    control.DialogPrtFont();
    EXPECT_EQ(control.FontName(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(control.FontSize(), 8.5f);
    EXPECT_TRUE(control.FontBold());

    QStringList changed;
    QObject::connect(&control, &lumoTPrt::PropertyChanged, [&](const QString &n) { changed << n; });
    control.MyPropertyChanged(QString());
    control.MyPropertyChanged(QStringLiteral("FontSize"));
    EXPECT_EQ(changed, QStringList{QStringLiteral("FontSize")});
}

TEST(Preview, ZoomsPagesDragging)
{
    Scripted s;
    s.onPreview = [](frmPreView &p) {
        ASSERT_EQ(p.PageCount(), 3);
        EXPECT_EQ(p.panPagina->text(), QStringLiteral(" Pagina : 1/3"));
        double previousWidth = 0;
        for (int z = 0; z < 5; ++z) {
            p.cboZoom->setCurrentIndex(z);
            p.Relayout();
            const QSize sheet = p.SheetSize();
            EXPECT_NEAR(sheet.width(), 11906 / 15.0 * frmPreView::ZoomFactors[z], 1.0) << z;
            EXPECT_NEAR(double(sheet.height()) / sheet.width(), 16838.0 / 11906.0, 0.005) << "page aspect at zoom " << z;
            EXPECT_GT(sheet.width(), previousWidth);
            previousWidth = sheet.width();
        }
        // Page bar.
        p.scrPagina->setValue(1);
        EXPECT_EQ(p.panPagina->text(), QStringLiteral(" Pagina : 2/3"));
        // Dragging far past the edges leaves each bar within its range.
        const int h = p.scrOriz->value(), v = p.scrVert->value();
        QTest::mousePress(p.lblDrag, Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseMove(p.lblDrag, QPoint(40, 30));
        EXPECT_EQ(p.scrOriz->value(), h + 10);
        EXPECT_EQ(p.scrVert->value(), v + 20);
        QMouseEvent far(QEvent::MouseMove, QPointF(-100000, -100000), QPointF(-100000, -100000), Qt::NoButton,
                        Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(p.lblDrag, &far);
        EXPECT_GE(p.scrOriz->value(), p.scrOriz->minimum());
        EXPECT_LE(p.scrOriz->value(), p.scrOriz->maximum());
        EXPECT_LE(p.scrVert->value(), p.scrVert->maximum());
        QTest::mouseRelease(p.lblDrag, Qt::LeftButton, {}, QPoint(40, 30));
        const int after = p.scrOriz->value();
        QTest::mouseMove(p.lblDrag, QPoint(0, 0));
        EXPECT_EQ(p.scrOriz->value(), after) << "no drag without the button held";
        // The sheet paints its page.
        QImage shot(p.picFoglio->size(), QImage::Format_RGB32);
        shot.fill(Qt::black);
        p.picFoglio->render(&shot);
        EXPECT_EQ(shot.pixel(2, 2), qRgb(255, 255, 255));
    };
    lumo::MemorySource source = Climbs(150);
    EXPECT_EQ(s.control.StartPreviewSQL(source, QString(), QStringLiteral("T")), lumo::JobStatus::Done);
    EXPECT_TRUE(s.previewShown);
}

TEST(Preview, PrintRequestAnsweredNoThenYes)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    Scripted s;
    s.printer.setOutputFileName(pdf);
    s.answers = {7, 6};   // No to the first request, Yes to the second
    s.onPreview = [&](frmPreView &p) {
        p.cmdStampa_Click();
        EXPECT_FALSE(QFileInfo::exists(pdf)) << "answering No prints nothing";
        p.cmdStampa_Click();
    };
    lumo::MemorySource source = Climbs(150);
    s.control.StartPreviewSQL(source, QString(), QStringLiteral("Climbs"));
    EXPECT_EQ(s.events.filter(QRegularExpression(QStringLiteral("^(request|end)$"))),
              (QStringList{"request", "request", "end"}));
    const QString text = PdfText(pdf);
    EXPECT_EQ(text.count(QLatin1Char('\f')), 3) << "the job's three pages";
    EXPECT_TRUE(text.contains(QStringLiteral("Pag. 3")));
}

// A print that fails is told in the host's words, with the cause the host
// gives after a line feed; without either, in the library's own text. The
// host hears of the failure each time, and EndPrint never follows.
TEST(Preview, AFailedPrintIsReportedNotDone)
{
    const struct {
        bool hostTexts;
        QString cause;
        QString expected;
    } cases[] = {
        {false, QString(), QStringLiteral("Errore di stampa: Impossibile aprire la stampante.")},
        {true, QString(), QStringLiteral("Print error: cannot open the printer.")},
        {true, QStringLiteral("folder not found"), QStringLiteral("Print error: cannot open the printer.\nfolder not found")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        Scripted s;
        s.printer.setOutputFileName(QStringLiteral("/nonexistent-folder/out.pdf"));
        if (c.hostTexts)
            s.control.SetPrintFailureTexts({QStringLiteral("Print error: cannot open the printer."),
                                            QStringLiteral("Print error: no new page."), QStringLiteral("Print error: not closed.")});
        int failures = 0;
        QObject::connect(&s.control, &lumoTPrt::PrintFailed, [&](QString &cause) {
            ++failures;
            cause = c.cause;
        });
        s.onPreview = [&](frmPreView &p) {
            p.cmdStampa_Click();
            p.cmdStampa_Click();
        };
        lumo::MemorySource source = Climbs(5);
        s.control.StartPreviewSQL(source, QString(), QStringLiteral("T"));
        EXPECT_EQ(s.messages, (QStringList{c.expected, c.expected}));
        EXPECT_EQ(failures, 2);
        EXPECT_FALSE(s.events.contains(QStringLiteral("end")));
    }
}

TEST(PropertyPage, FillAndApply)
{
    lumoTPrt control, second;
    ppMain page({&control, &second});
    EXPECT_FALSE(page.Changed()) << "filling is not an edit";
    EXPECT_EQ(page.txtMarginTop->text(), QStringLiteral("15"));
    EXPECT_EQ(page.txtFontName->text(), QStringLiteral("Times New Roman"));
    EXPECT_TRUE(page.chkDateOnFoot->isChecked());

    const struct {
        QLineEdit *field;
        QString text;
        std::function<double()> read;
        double expected;
    } cases[] = {
        {page.txtMarginLeft, "abc", [&] { return control.MarginLeft(); }, 15},
        {page.txtMarginLeft, "12.5", [&] { return control.MarginLeft(); }, 12.5},
        {page.txtMarginBottom, "-5", [&] { return control.MarginBottom(); }, 15},
        {page.txtFontSize, "-5", [&] { return control.FontSize(); }, 10},
        {page.txtPageNumberStart, "3x", [&] { return control.PageNumberStart(); }, 3},
        {page.txtPageNumberStart, "x3", [&] { return control.PageNumberStart(); }, 0},
        {page.txtPageNumberStart, "70000", [&] { return control.PageNumberStart(); }, 0},
    };
    for (const auto &c : cases) {
        c.field->setText(c.text);
        EXPECT_TRUE(page.Changed());
        QStringList names;
        auto conn = QObject::connect(&control, &lumoTPrt::PropertyChanged, [&](const QString &n) { names << n; });
        page.PropertyPage_ApplyChanges();
        QObject::disconnect(conn);
        page.SetChanged(false);
        EXPECT_DOUBLE_EQ(c.read(), c.expected) << c.text.toStdString();
        EXPECT_EQ(names.size(), 17);
        EXPECT_EQ(names.first(), QStringLiteral("DateText"));
        // A refused entry shows the kept value again.
        if (c.text == QLatin1String("abc")) {
            EXPECT_EQ(c.field->text(), QStringLiteral("15"));
        }
    }
    EXPECT_EQ(second.Options(), lumo::PrintOptions()) << "only the first control of the selection changes";
}

namespace {
// pdftotext's words of a file, and whether its first sheet lies landscape.
QStringList PdfWords(const QString &path)
{
    return PdfText(path).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}
bool PdfLandscape(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    p.waitForFinished(60000);
    const auto m = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+)"))
                       .match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() && m.captured(1).toDouble() > m.captured(2).toDouble();
}

// An athlete's climb list: seventeen columns, a long climb name, dates,
// times and numbers of every size.
lumo::MemorySource ClimbList()
{
    using lumo::ColType;
    lumo::MemorySource s;
    const struct {
        const char *name;
        ColType type;
    } columns[] = {{"Nome Salita", ColType::Text},           {"Data", ColType::DateTime},
                   {"Lunghezza", ColType::Real},             {"Quota Iniziale", ColType::Integer},
                   {"Quota Finale", ColType::Integer},       {"Pendenza media", ColType::Real},
                   {"Tempo", ColType::Text},                 {"VAM", ColType::Integer},
                   {"Velocità media", ColType::Real},        {"rpm", ColType::Integer},
                   {"Anteriore usato", ColType::Integer},    {"Posteriore usato", ColType::Integer},
                   {"Anteriore consigliato", ColType::Integer}, {"Posteriore consigliato", ColType::Integer},
                   {"Velocità media ideale", ColType::Real}, {"Potenza", ColType::Integer},
                   {"Rapporto Potenza-Peso", ColType::Real}};
    for (const auto &c : columns)
        s.columns.append({QString::fromUtf8(c.name), c.type});
    const char *names[] = {"Colle Provinciale della Valle di Sant'Anna", "Passo Giau", "Stelvio"};
    for (int i = 0; i < 12; ++i)
        s.rows.append({QString::fromUtf8(names[i % 3]), QStringLiteral("2026-06-%1").arg(10 + i),
                       9.9 + i * 1.37, 1216 + i, 2236 + 17 * i, 10.3, QStringLiteral("01:12:%1").arg(5 + i, 2, 10, QLatin1Char('0')),
                       934 + i, 9.07, 90, 39, 25, 34, 23, 10.5, 216 + i, 2.84 + i * 0.01});
    return s;
}

// Every value of the rows as printed: numbers, dates and times each one word
// of the text, texts each of their words.
// With headingsWhole every word of the headings too (a crowded table may
// break a heading inside a word rather than a value).
void ExpectEveryValueWhole(const lumo::MemorySource &s, const QStringList &words, const char *what,
                           bool headingsWhole = false)
{
    for (const auto &row : s.rows)
        for (int c = 0; c < s.columns.size(); ++c) {
            const QString shown = clsSQLTab::FormatValue(row.at(c), s.columns.at(c).type);
            const lumo::ColType type = s.columns.at(c).type;
            if (type == lumo::ColType::Text || type == lumo::ColType::Memo) {
                for (const QString &word : shown.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                    EXPECT_TRUE(words.contains(word)) << what << ": " << word.toStdString();
            } else {
                EXPECT_TRUE(words.contains(shown)) << what << ": " << shown.toStdString();
            }
        }
    for (const lumo::Column &c : s.columns)
        for (const QString &word : headingsWhole ? c.name.split(QLatin1Char(' ')) : QStringList())
            EXPECT_TRUE(words.contains(word)) << what << ": heading " << word.toStdString();
}
}

// A list whose columns cannot all stand whole on a portrait sheet turns it to
// landscape and prints every value whole; once the user has set the sheet up,
// it stays as set, and a table that cannot fit it whole says so (the printer
// is left as it was either way).
TEST(Control, AListNeverCutsAValue)
{
    const LocaleScope english(QLocale(QLocale::English, QLocale::UnitedKingdom));
    QTemporaryDir dir;
    lumo::MemorySource climbs = ClimbList();
    const struct {
        const char *what;
        bool chosen;
        float fontSize;
        bool fits;
    } cases[] = {{"portrait by default", false, 10, true},
                 {"portrait chosen, small print", true, 6, true},
                 {"portrait chosen", true, 10, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const bool chosen = c.chosen;
        Scripted s;
        s.printer.setPageOrientation(QPageLayout::Portrait);
        s.control.setFontSize(c.fontSize);
        if (chosen) {
            s.control.SetPrinterHook([](QPrinter *) { return true; });
            s.control.DialogSetPrinter();
        }
        const QString pdf = dir.filePath(QString::fromLatin1(c.what) + QStringLiteral(".pdf"));
        s.printer.setOutputFileName(pdf);
        s.onPreview = [](frmPreView &p) { p.cmdStampa_Click(); };
        const lumo::JobStatus status = s.control.StartPreviewSQL(climbs, QString(), QStringLiteral("Rossi Mario|Climbs"));
        if (!c.fits) {
            EXPECT_EQ(status, lumo::JobStatus::LayoutError);
            EXPECT_EQ(s.messages, QStringList{QStringLiteral("lumoTabPrt:") + lumo::MsgLayoutTooWide()});
            EXPECT_FALSE(QFile::exists(pdf));
            continue;
        }
        ASSERT_EQ(status, lumo::JobStatus::Done) << s.messages.join('|').toStdString();
        EXPECT_EQ(PdfLandscape(pdf), !chosen);
        EXPECT_EQ(s.printer.pageLayout().orientation(), QPageLayout::Portrait);
        const QStringList words = PdfWords(pdf);
        ExpectEveryValueWhole(climbs, words, chosen ? "portrait" : "landscape");
        EXPECT_FALSE(words.filter(QStringLiteral("#")).size()) << "no number hidden";
    }

    // An athlete list: a short heading over wide values stays whole, and a
    // huge odometer prints every digit.
    lumo::MemorySource athletes;
    athletes.columns = {{QStringLiteral("Cognome"), lumo::ColType::Text},
                        {QStringLiteral("Nome"), lumo::ColType::Text},
                        {QStringLiteral("Data di nascita"), lumo::ColType::DateTime},
                        {QStringLiteral("Contachilometri"), lumo::ColType::Real},
                        {QStringLiteral("Peso"), lumo::ColType::Real},
                        {QStringLiteral("Altezza"), lumo::ColType::Integer},
                        {QStringLiteral("Squadra"), lumo::ColType::Text},
                        {QStringLiteral("Note"), lumo::ColType::Memo}};
    athletes.rows = {{QStringLiteral("Rossi"), QStringLiteral("Mario"), QStringLiteral("1990-04-01"), 1e17, 71.5, 178,
                      QStringLiteral("Gruppo Sportivo Dilettantistico Pedale Valtellinese"),
                      QStringLiteral("Preferisce le salite lunghe e regolari, soffre il caldo e ha bisogno di molta acqua")},
                     {QStringLiteral("Bianchi"), QStringLiteral("Ugo"), QStringLiteral("1985-12-31"), 123456.75, 64.25, 170,
                      QStringLiteral("Velo Club"), QString()}};
    Scripted s;
    const QString pdf = dir.filePath(QStringLiteral("athletes.pdf"));
    s.printer.setOutputFileName(pdf);
    s.onPreview = [](frmPreView &p) { p.cmdStampa_Click(); };
    ASSERT_EQ(s.control.StartPreviewSQL(athletes, QString(), QStringLiteral("Athletes")), lumo::JobStatus::Done);
    const QStringList words = PdfWords(pdf);
    EXPECT_TRUE(words.contains(QStringLiteral("100000000000000000.0"))) << PdfText(pdf).toStdString();
    ExpectEveryValueWhole(athletes, words, "athletes", true);
}
