// The control, its preview window and its property page, driven headless.
#include "LumoTestSupport.h"

#include "LumoTabPrt/src/Globale.h"
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

TEST(Preview, AFailedPrintIsReportedNotDone)
{
    Scripted s;
    s.printer.setOutputFileName(QStringLiteral("/nonexistent-folder/out.pdf"));
    s.onPreview = [&](frmPreView &p) { p.cmdStampa_Click(); };
    lumo::MemorySource source = Climbs(5);
    s.control.StartPreviewSQL(source, QString(), QStringLiteral("T"));
    ASSERT_EQ(s.messages.size(), 1);
    EXPECT_TRUE(s.messages.first().startsWith(QStringLiteral("Errore di stampa"))) << s.messages.first().toStdString();
    EXPECT_FALSE(s.events.contains(QStringLiteral("end")));
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
