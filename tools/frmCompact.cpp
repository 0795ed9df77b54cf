#include "tools/frmCompact.h"

#include "core/DbCommands.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "platform/dao/Dao.h"
#include "platform/shell/FileWrite.h"
#include "platform/ui/Prompt.h"
#include "tools/DbMaintenance.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// One frame of the busy animation: a drinks can upright or tipped over.
QPixmap DrawCan(bool upright)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(16, 16);
    if (!upright)
        p.rotate(70);
    p.setPen(QPen(QColor(90, 0, 0), 1.2));
    p.setBrush(QColor(200, 16, 30));
    p.drawRoundedRect(QRectF(-7, -12, 14, 24), 3, 3);
    p.setBrush(QColor(190, 190, 190));
    p.drawRect(QRectF(-6, -13, 12, 3));
    p.setPen(QPen(Qt::white, 1.5));
    p.drawArc(QRectF(-5, -4, 10, 8), 200 * 16, 140 * 16);
    return pm;
}

// The window's content above its two buttons, which stand at the right.
void LayOut(QDialog *window, QLayout *content, QPushButton *first, QPushButton *second)
{
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(first);
    buttons->addWidget(second);
    auto *lay = new QVBoxLayout(window);
    lay->addLayout(content);
    lay->addLayout(buttons);
}
} // namespace

void EnsureBusyFrames()
{
    if (!ImageList1.Contains(QStringLiteral("n_coca")))
        ImageList1.Add(QStringLiteral("n_coca"), DrawCan(true).toImage());
    if (!ImageList1.Contains(QStringLiteral("l_coca")))
        ImageList1.Add(QStringLiteral("l_coca"), DrawCan(false).toImage());
}

// ---- shared window ------------------------------------------------------------------------

MaintenanceForm::MaintenanceForm(const Texts &texts, QWidget *parent) : QDialog(parent), m_texts(texts)
{
    setObjectName(QLatin1String(texts.name));
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFixedSize(36, 36);
    Picture1->setAlignment(Qt::AlignCenter);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setMinimumWidth(260);
    Command1 = new QPushButton(this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);

    auto *top = new QHBoxLayout;
    top->addWidget(Picture1);
    top->addWidget(Label1, 1);
    LayOut(this, top, Command1, Command2);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, &MaintenanceForm::Command2_Click);
    connect(Timer1, &QTimer::timeout, this, &MaintenanceForm::Timer1_Timer);
    EnsureBusyFrames();
    Timer1->start();

    UpdateControls();
    Load(texts.fileTitle);
    Label1->setText(GetLangString(texts.ready));
}

void MaintenanceForm::UpdateControls()
{
    setWindowTitle(GetLangString(m_texts.first));
    Command2->setText(GetLangString(m_texts.first + 1));
    Command1->setText(GetLangString(m_texts.first + 2));
    Label1->setText(GetLangString(m_texts.first + 3));
}

void MaintenanceForm::Load(int titleId)
{
    m_phase = true;
    setWindowTitle(FormatLangString(GetLangString(titleId), {FileTitle(cmDlg1.FileName)}));
    adjustSize();
    CenterForm(this);
}

void MaintenanceForm::Timer1_Timer()
{
    Picture1->setPixmap(QPixmap::fromImage(ImageList1.Picture(m_phase ? QStringLiteral("n_coca") : QStringLiteral("l_coca"))));
    m_phase = !m_phase;
}

void MaintenanceForm::Command2_Click()
{
    if (!m_running)
        close();
}

void MaintenanceForm::SetPointer(int pointer)
{
    if (MDIfrmBike *main = MDIfrmBike::instance())
        main->SetMousePointer(pointer);
}

void MaintenanceForm::BeginWork(int statusId)
{
    m_running = true;
    Command1->setEnabled(false);
    Command2->setEnabled(false);
    Label1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label1->setText(GetLangString(statusId));
    SetPointer(11);
    repaint();
}

void MaintenanceForm::EndWork(int statusId)
{
    Label1->setFrameStyle(QFrame::NoFrame);
    if (statusId)
        Label1->setText(GetLangString(statusId));
    SetPointer(0);
    repaint();
}

void MaintenanceForm::ReportDone(const MaintenanceResult &r, bool askKeepBackup)
{
    EndWork(m_texts.work + 1);
    const QString message = GetLangString(m_texts.work + 2) + QChar(10) + GetLangString(m_texts.work + 3);
    const QString title = GetLangString(m_texts.work + 4);
    if (!askKeepBackup) {
        MsgBox(message, Vb::OKOnly | Vb::Information, title);
        return;
    }
    // A backup declined goes through the folder it was made in, and only
    // while its name still holds it.
    if (MsgBox(message, Vb::YesNo | Vb::Information, title) == Vb::No && r.backup)
        r.backup->remove();
}

void MaintenanceForm::ReportError(const MaintenanceResult &r)
{
    EndWork(0);
    ShowDataError(VbError(r.number, r.description));
}

void MaintenanceForm::Finish()
{
    m_running = false;
    close();
}

MaintenanceResult MaintenanceForm::RunBusy(const std::function<MaintenanceResult()> &work)
{
    MaintenanceResult result;
    QThread *worker = QThread::create([&] { result = work(); });
    QEventLoop loop;
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    if (!worker->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    delete worker;
    return result;
}

void MaintenanceForm::closeEvent(QCloseEvent *event)
{
    if (m_running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void MaintenanceForm::reject()
{
    if (!m_running)
        QDialog::reject();
}

// ---- the three windows -----------------------------------------------------------------------

// The texts of each window. Its own block of texts holds the title, the Cancel
// and action buttons and the first status line (first .. first + 3); the work
// block holds the status while it runs (work), the status when done and the
// report (work + 1 .. work + 4).
const frmCompact::Texts frmCompact::Table{"frmCompact", 4000, 4500, 4511, 4512};
const frmRepair::Texts frmRepair::Table{"frmRepair", 22000, 22500, 22505, 22506};
const frmConvert::Texts frmConvert::Table{"frmConvert", 5000, 5500, 5511, 5512};

frmCompact::frmCompact(QWidget *parent) : MaintenanceForm(Table, parent) {}
frmRepair::frmRepair(QWidget *parent) : MaintenanceForm(Table, parent) {}
frmConvert::frmConvert(QWidget *parent) : MaintenanceForm(Table, parent) {}

void frmCompact::Command1_Click()
{
    if (m_running)
        return;
    BeginWork(m_texts.work);
    const QString path = cmDlg1.FileName;
    QString connect;
    int retries = 0;
    for (;;) {
        const MaintenanceResult r = RunBusy([path, connect] { return compactFile(path, connect); });
        ReportRemovedLeftovers(r.leftoversRemoved);
        if (r.status == MaintenanceResult::Done) {
            ReportDone(r, true);
            Finish();
            return;
        }
        if (r.status == MaintenanceResult::Error) {
            ReportError(r);
            Finish();
            return;
        }
        // Not a valid password: first the program's own, then ask the user.
        if (++retries == 1) {
            connect = dao::DefaultConnect();
            continue;
        }
        SetPointer(0);
        const int answer = MsgBox(GetLangString(4505) + QChar(10) + GetLangString(4506) + QChar(10) + GetLangString(4507),
                                  Vb::YesNo | Vb::Exclamation | Vb::DefaultButton2, GetLangString(4508));
        if (answer != Vb::Yes) {
            EndWork(0);
            Finish();
            return;
        }
        {
            frmPassword prompt(this);
            prompt.setWindowTitle(GetLangString(4509));
            prompt.Label1->setText(GetLangString(4510) + QLatin1Char(' ') + FileTitle(path));
            prompt.exec();
        }
        repaint();
        if (DbPassword.isEmpty()) {
            EndWork(0);
            Finish();
            return;
        }
        SetPointer(11);
        connect = QStringLiteral(";PWD=") + DbPassword;
    }
}

void frmRepair::Command1_Click()
{
    if (m_running)
        return;
    BeginWork(m_texts.work);
    const QString path = cmDlg1.FileName;
    const MaintenanceResult r = RunBusy([path] { return repairFile(path); });
    ReportRemovedLeftovers(r.leftoversRemoved);
    if (r.status == MaintenanceResult::Done)
        ReportDone(r, false);
    else
        ReportError(r);
    Finish();
}

void frmConvert::Command1_Click()
{
    if (m_running)
        return;
    BeginWork(m_texts.work);
    const QString path = cmDlg1.FileName;
    const MaintenanceResult r = RunBusy([path] { return convertFile(path); });
    ReportRemovedLeftovers(r.leftoversRemoved);
    if (r.status == MaintenanceResult::Done) {
        ReportDone(r, true);
    } else if (r.status == MaintenanceResult::NotApplicable) {
        EndWork(5512);
        MsgBox(FormatLangString(GetLangString(5513), {FileTitle(path)}), Vb::OKOnly | Vb::Information,
               GetLangString(5000));
    } else {
        ReportError(r);
    }
    Finish();
}

// ---- password prompt ------------------------------------------------------------------------

frmPassword::frmPassword(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPassword"));
    Picture1 = new QLabel(this);
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    // The prompt ends with the file's name, which may be long.
    Label1->setWordWrap(true);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setEchoMode(QLineEdit::Password);
    Text1->installEventFilter(this);
    Command1 = new QPushButton(this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);

    auto *fields = new QVBoxLayout;
    fields->addWidget(Label1);
    fields->addWidget(Text1);
    auto *top = new QHBoxLayout;
    top->addWidget(Picture1, 0, Qt::AlignTop);
    top->addLayout(fields, 1);
    LayOut(this, top, Command1, Command2);
    setMinimumWidth(420);

    connect(Command1, &QPushButton::clicked, this, &frmPassword::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmPassword::Command2_Click);
    UpdateControls();
    CenterForm(this);
}

void frmPassword::UpdateControls()
{
    Command2->setText(GetLangString(18000));
    Command1->setText(GetLangString(18001));
    Text1->setToolTip(GetLangString(18002));
}

void frmPassword::Command1_Click()
{
    DbPassword = Text1->text();
    accept();
}

void frmPassword::Command2_Click()
{
    reject();
}

void frmPassword::reject()
{
    // Cancel, Escape and the close box all leave no password.
    DbPassword.clear();
    QDialog::reject();
}

bool frmPassword::eventFilter(QObject *watched, QEvent *event)
{
    // Enter is the OK button and never reaches the text.
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Command1_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
