#include "tools/frmCompact.h"

#include "core/DbCommands.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "platform/dao/Dao.h"
#include "platform/ui/Prompt.h"
#include "tools/DbMaintenance.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
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
}

void EnsureBusyFrames()
{
    if (!ImageList1.Contains(QStringLiteral("n_coca")))
        ImageList1.Add(QStringLiteral("n_coca"), DrawCan(true).toImage());
    if (!ImageList1.Contains(QStringLiteral("l_coca")))
        ImageList1.Add(QStringLiteral("l_coca"), DrawCan(false).toImage());
}

// ---- shared window ------------------------------------------------------------------------

MaintenanceForm::MaintenanceForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MaintenanceForm"));
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
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto *lay = new QVBoxLayout(this);
    lay->addLayout(top);
    lay->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, &MaintenanceForm::Command2_Click);
    connect(Timer1, &QTimer::timeout, this, &MaintenanceForm::Timer1_Timer);
    EnsureBusyFrames();
    Timer1->start();
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

// ---- compaction ---------------------------------------------------------------------------

frmCompact::frmCompact(QWidget *parent) : MaintenanceForm(parent)
{
    setObjectName(QStringLiteral("frmCompact"));
    UpdateControls();
    Load(4511);
    Label1->setText(GetLangString(4512));
}

void frmCompact::UpdateControls()
{
    setWindowTitle(GetLangString(4000));
    Command2->setText(GetLangString(4001));
    Command1->setText(GetLangString(4002));
    Label1->setText(GetLangString(4003));
}

void frmCompact::Command1_Click()
{
    if (m_running)
        return;
    BeginWork(4500);
    const QString path = cmDlg1.FileName;
    QString connect;
    int retries = 0;
    auto finish = [this] {
        m_running = false;
        close();
    };
    for (;;) {
        const MaintenanceResult r = RunBusy([path, connect] { return compactFile(path, connect); });
        ReportRemovedLeftovers(r.leftoversRemoved);
        if (r.status == MaintenanceResult::Done) {
            EndWork(4501);
            const int answer = MsgBox(GetLangString(4502) + QChar(10) + GetLangString(4503),
                                      Vb::YesNo | Vb::Information, GetLangString(4504));
            if (answer == Vb::No)
                QFile::remove(r.backupPath);
            finish();
            return;
        }
        if (r.status == MaintenanceResult::Error) {
            EndWork(0);
            ShowDataError(VbError(r.number, r.description));
            finish();
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
            finish();
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
            finish();
            return;
        }
        SetPointer(11);
        connect = QStringLiteral(";PWD=") + DbPassword;
    }
}

// ---- repair -------------------------------------------------------------------------------

frmRepair::frmRepair(QWidget *parent) : MaintenanceForm(parent)
{
    setObjectName(QStringLiteral("frmRepair"));
    UpdateControls();
    Load(22505);
    Label1->setText(GetLangString(22506));
}

void frmRepair::UpdateControls()
{
    setWindowTitle(GetLangString(22000));
    Command2->setText(GetLangString(22001));
    Command1->setText(GetLangString(22002));
    Label1->setText(GetLangString(22003));
}

void frmRepair::Command1_Click()
{
    if (m_running)
        return;
    BeginWork(22500);
    const QString path = cmDlg1.FileName;
    const MaintenanceResult r = RunBusy([path] { return repairFile(path); });
    ReportRemovedLeftovers(r.leftoversRemoved);
    if (r.status == MaintenanceResult::Done) {
        EndWork(22501);
        MsgBox(GetLangString(22502) + QChar(10) + GetLangString(22503), Vb::OKOnly | Vb::Information,
               GetLangString(22504));
    } else {
        EndWork(0);
        ShowDataError(VbError(r.number, r.description));
    }
    m_running = false;
    close();
}

// ---- conversion of first-version files ---------------------------------------------------------

frmConvert::frmConvert(QWidget *parent) : MaintenanceForm(parent)
{
    setObjectName(QStringLiteral("frmConvert"));
    UpdateControls();
    Load(5511);
    Label1->setText(GetLangString(5512));
}

void frmConvert::UpdateControls()
{
    setWindowTitle(GetLangString(5000));
    Command2->setText(GetLangString(5001));
    Command1->setText(GetLangString(5002));
    Label1->setText(GetLangString(5003));
}

void frmConvert::Command1_Click()
{
    if (m_running)
        return;
    BeginWork(5500);
    const QString path = cmDlg1.FileName;
    const MaintenanceResult r = RunBusy([path] { return convertFile(path); });
    ReportRemovedLeftovers(r.leftoversRemoved);
    if (r.status == MaintenanceResult::Done) {
        EndWork(5501);
        const int answer = MsgBox(GetLangString(5502) + QChar(10) + GetLangString(5503), Vb::YesNo | Vb::Information,
                                  GetLangString(5504));
        if (answer == Vb::No)
            QFile::remove(r.backupPath);
    } else if (r.status == MaintenanceResult::NotApplicable) {
        EndWork(5512);
        MsgBox(FormatLangString(GetLangString(5513), {FileTitle(path)}), Vb::OKOnly | Vb::Information,
               GetLangString(5000));
    } else {
        EndWork(0);
        ShowDataError(VbError(r.number, r.description));
    }
    m_running = false;
    close();
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
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto *lay = new QVBoxLayout(this);
    lay->addLayout(top);
    lay->addLayout(buttons);
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
