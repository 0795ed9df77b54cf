#include "tools/frmPrint.h"

#include "LumoTabPrt/src/lumoTPrt.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "platform/error/VbError.h"
#include "platform/print/Printer.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Prompt.h"
#include "tools/DbQuerySource.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

namespace {
const char *const MarginKeys[4] = {"marg_r", "marg_l", "marg_t", "marg_b"};

// A stored margin: a number of millimetres in range, rounded to a whole one, else 15.
float StoredMargin(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) && v >= 0 && v <= frmPrint::MarginMax ? float(std::round(v)) : 15.0f;
}

// A margin as the text box shows it (the user's locale).
QString MarginText(float v)
{
    return QLocale().toString(double(v), 'g', 7);
}
}

frmPrint::frmPrint(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmPrint"));
    menuBar = new QMenuBar(this);
    mnuImpostazioni = menuBar->addMenu(QString());
    mnuImpostazioni->setObjectName(QStringLiteral("mnuImpostazioni"));
    mnuPrint = mnuImpostazioni->addAction(QString());
    mnuPrint->setObjectName(QStringLiteral("mnuPrint"));
    mnuMargini = mnuImpostazioni->addAction(QString());
    mnuMargini->setObjectName(QStringLiteral("mnuMargini"));
    mnuFont = mnuImpostazioni->addAction(QString());
    mnuFont->setObjectName(QStringLiteral("mnuFont"));

    lumoTPrt1 = new lumoTPrt(this);
    lumoTPrt1->setObjectName(QStringLiteral("lumoTPrt1"));
    lumoTPrt1->hide();   // it prints; shown, it would only draw its name
    lumoTPrt1->SetPrinter(DefaultPrinter());
    lumoTPrt1->SetMessageHook([](const QString &text, int style, const QString &title) {
        return MsgBox(text, style, title);
    });
    lumoTPrt1->SetFontHook([](const QFont &initial) { return Prompts().fontDialog(initial); });
    lumoTPrt1->SetPrinterHook([](QPrinter *printer) { return Prompts().printerDialog(printer); });

    cmdPrint = new QPushButton(this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setEnabled(false);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    lblNrPage = new QLabel(this);
    lblNrPage->setObjectName(QStringLiteral("lblNrPage"));
    lblNrPage->setMinimumWidth(lblNrPage->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    Label1->hide();
    lblNrPage->hide();

    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(Picture1);
    for (int i = 0; i < 4; ++i) {
        Label2[i] = new QLabel(Picture1);
        Label2[i]->setObjectName(QStringLiteral("Label2(%1)").arg(i));
        Text1[i] = new QLineEdit(Picture1);
        Text1[i]->setObjectName(QStringLiteral("Text1(%1)").arg(i));
        Text1[i]->setMaximumWidth(Text1[i]->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
        VScroll1[i] = new QScrollBar(Qt::Vertical, Picture1);
        VScroll1[i]->setObjectName(QStringLiteral("VScroll1(%1)").arg(i));
        VScroll1[i]->setRange(0, MarginMax);
        VScroll1[i]->setPageStep(5);
        VScroll1[i]->setFixedHeight(Text1[i]->sizeHint().height());
        grid->addWidget(Label2[i], i, 0);
        grid->addWidget(Text1[i], i, 1);
        grid->addWidget(VScroll1[i], i, 2);
        connect(Text1[i], &QLineEdit::textChanged, this, [this, i]() { Text1_Change(i); });
        connect(VScroll1[i], &QScrollBar::valueChanged, this, [this, i]() { VScroll1_Change(i); });
    }
    Command1 = new QPushButton(Picture1);
    Command1->setObjectName(QStringLiteral("Command1"));
    grid->addWidget(Command1, 4, 1, 1, 2);
    Picture1->hide();

    auto *counter = new QHBoxLayout;
    counter->addWidget(Label1);
    counter->addWidget(lblNrPage);
    counter->addStretch(1);
    counter->addWidget(lumoTPrt1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdPrint);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(Picture1);
    layout->addLayout(counter);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(cmdPrint, &QPushButton::clicked, this, &frmPrint::cmdPrint_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPrint::cmdCancel_Click);
    connect(Command1, &QPushButton::clicked, Picture1, &QWidget::hide);
    connect(mnuMargini, &QAction::triggered, this, [this]() {
        Picture1->show();
        FitWindow();
    });
    connect(mnuFont, &QAction::triggered, lumoTPrt1, &lumoTPrt::DialogPrtFont);
    connect(mnuPrint, &QAction::triggered, lumoTPrt1, &lumoTPrt::DialogSetPrinter);

    connect(lumoTPrt1, &lumoTPrt::CancelWork, this, [this](bool &cancel) {
        QApplication::processEvents();
        if (CancelAsked())
            cancel = true;
    });
    connect(lumoTPrt1, &lumoTPrt::NewPageStart, this, [this](qint32 page, bool &cancel) {
        lblNrPage->setText(QString::number(page));
        lblNrPage->repaint();
        QApplication::processEvents();
        if (CancelAsked())
            cancel = true;
    });
    connect(lumoTPrt1, &lumoTPrt::PrintRequest, this, [this](bool &cancel) {
        if (MsgBox(GetLangString(20502), Vb::YesNo) != Vb::Yes) {
            cancel = true;
            return;
        }
        // Without a printer the table goes to a PDF file named after its title.
        // The title's line break ("Rossi Mario |Tour performance") is one blank.
        if (!SharedPrinter().ChooseOutput(QString(Titolo).replace(QLatin1Char('|'), QLatin1Char(' ')).simplified())) {
            cancel = true;
            return;
        }
        // A file that cannot be written is told before the control starts
        // drawing on it, as a failed print is, and the next print asks again.
        QString why;
        if (!SharedPrinter().OpenOutput(&why)) {
            cancel = true;
            const QString text = lumoTPrt1->PrintFailureTexts().open;
            lumoTPrt1->Message(why.isEmpty() ? text : text + QLatin1Char('\n') + why, 16);
        }
    });
    connect(lumoTPrt1, &lumoTPrt::PrintFailed, this, [](QString &cause) {
        // Why, while the chosen file is still known; then it is let go, so
        // that printing again asks for a file instead of failing on this one.
        cause = SharedPrinter().OutputFailure();
        SharedPrinter().FinishOutput(false);
    });
    connect(lumoTPrt1, &lumoTPrt::EndPrint, this, [](bool &closePreview) {
        // A PDF that could not take its chosen name is no print: say why, and
        // keep the preview for another try.
        QString why;
        if (!SharedPrinter().FinishOutput(true, &why)) {
            ShowDataError(VbError(Printer::ErrPrinter, why));
            return;
        }
        if (MsgBox(GetLangString(20500) + QLatin1Char('\n') + GetLangString(20501), Vb::YesNo | Vb::Question) == Vb::Yes)
            closePreview = true;
    });

    // Form_Load.
    UpdateControls();
    m_tag = QStringLiteral("LOADING");
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    const QStringList version = QCoreApplication::applicationVersion().split(QLatin1Char('.'));
    lumoTPrt1->setFootText(exe + QLatin1Char(' ') + version.value(0, QStringLiteral("1")) + QLatin1Char('.') +
                           version.value(1, QStringLiteral("0")));
    for (int i = 0; i < 4; ++i)
        SetMargin(i, StoredMargin(GetSetting(AppName, objectName(), QLatin1String(MarginKeys[i]), QStringLiteral("15"))));
    for (int i = 0; i < 4; ++i) {
        Text1[i]->setText(MarginText(Margin(i)));
        const QSignalBlocker block(VScroll1[i]);
        VScroll1[i]->setValue(VScroll1[i]->maximum() - int(Margin(i)));
    }
    m_tag.clear();
}

frmPrint::~frmPrint() = default;

void frmPrint::FitWindow()
{
    QWidget *frame = this;
    if (parentWidget() && parentWidget()->inherits("QMdiSubWindow"))
        frame = parentWidget();
    frame->resize(frame->size().expandedTo(frame->sizeHint()));
}

void frmPrint::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::LanguageChange) {
        // Wide enough for the caption that names the job.
        setMinimumWidth(qMax(320, fontMetrics().horizontalAdvance(windowTitle()) + 120));
        FitWindow();
    }
}

void frmPrint::UpdateControls()
{
    setWindowTitle(GetLangString(20000));
    Command1->setText(GetLangString(20001));
    // Label2: 0 right, 1 left, 2 top, 3 bottom.
    Label2[3]->setText(GetLangString(20002));
    Label2[2]->setText(GetLangString(20003));
    Label2[1]->setText(GetLangString(20004));
    Label2[0]->setText(GetLangString(20005));
    cmdCancel->setText(GetLangString(20006));
    cmdPrint->setText(GetLangString(20007));
    Label1->setText(GetLangString(20008));
    mnuImpostazioni->setTitle(GetLangString(20009));
    mnuPrint->setText(GetLangString(20010));
    mnuMargini->setText(GetLangString(20011));
    mnuFont->setText(GetLangString(20012));
    lumoTPrt1->SetPrintFailureTexts({GetLangString(190), GetLangString(191), GetLangString(192)});
}

float frmPrint::Margin(int index) const
{
    switch (index) {
    case 0: return lumoTPrt1->MarginRight();
    case 1: return lumoTPrt1->MarginLeft();
    case 2: return lumoTPrt1->MarginTop();
    default: return lumoTPrt1->MarginBottom();
    }
}

void frmPrint::SetMargin(int index, float value)
{
    switch (index) {
    case 0: lumoTPrt1->setMarginRight(value); break;
    case 1: lumoTPrt1->setMarginLeft(value); break;
    case 2: lumoTPrt1->setMarginTop(value); break;
    default: lumoTPrt1->setMarginBottom(value); break;
    }
}

void frmPrint::Text1_Change(int index)
{
    if (m_tag == QLatin1String("LOADING"))
        return;
    // Whole millimetres; a text that is not a number in range leaves the margin as it was.
    bool ok = false;
    const double v = QLocale().toDouble(Text1[index]->text().trimmed(), &ok);
    if (!ok || !std::isfinite(v) || v < 0 || v >= MarginMax + 1)
        return;
    SetMargin(index, float(std::floor(v)));
}

void frmPrint::VScroll1_Change(int index)
{
    Text1[index]->setText(QString::number(VScroll1[index]->maximum() - VScroll1[index]->value()));
}

bool frmPrint::CancelAsked()
{
    return !m_cancelTag.isEmpty();
}

void frmPrint::cmdPrint_Click()
{
    if (m_running)
        return;
    m_running = true;
    cmdPrint->setEnabled(false);
    cmdCancel->setEnabled(true);
    m_cancelTag.clear();
    Label1->show();
    lblNrPage->show();
    // The counter's row is new: a child window of the workspace does not grow
    // by itself, and would squeeze the row and the buttons below it.
    layout()->activate();
    FitWindow();
    Label1->repaint();
    lblNrPage->repaint();
    try {
        DbQuerySource source(CurrentDb);
        lumoTPrt1->StartPreviewSQL(source, PrintSQL, Titolo);
        if (!lumoTPrt1->LastError().isEmpty())
            ShowDataError(VbError(dao::JetErr::GenericEngine, lumoTPrt1->LastError()));
    } catch (const VbError &e) {
        ShowDataError(e);
    } catch (...) {
        ShowDataError(VbError(dao::JetErr::GenericEngine, QStringLiteral("Print failed.")));
    }
    SharedPrinter().FinishOutput(false);   // a PDF file left unfinished by a failed print goes
    Label1->hide();
    lblNrPage->hide();
    lblNrPage->clear();
    cmdCancel->setEnabled(false);
    cmdPrint->setEnabled(true);
    m_running = false;
}

void frmPrint::cmdCancel_Click()
{
    m_cancelTag = QStringLiteral("CANCEL");
    Label1->hide();
    lblNrPage->hide();
}

void frmPrint::closeEvent(QCloseEvent *event)
{
    // A job runs inside this form's handler: it must end before the form goes.
    if (m_running || lumoTPrt1->Busy()) {
        event->ignore();
        return;
    }
    for (int i = 0; i < 4; ++i)
        SaveSetting(AppName, objectName(), QLatin1String(MarginKeys[i]), QString::number(double(Margin(i))));
    event->accept();
}
