#include "tools/frmTxtImport.h"

#include "core/DataGlobals.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "core/UserFolders.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"
#include "tools/frmImport.h"
#include "tools/logic/ImportFiles.h"
#include "tools/logic/TextImport.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
const QString Section = QStringLiteral("frmTxtImport");

QPushButton *Button(QWidget *parent, const char *name)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QLabel *Caption(QWidget *parent, const char *name, bool bold = false)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

QHBoxLayout *ButtonRow(std::initializer_list<QPushButton *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *b : buttons)
        row->addWidget(b);
    return row;
}

QString Setting(const char *key, const QString &def = QString())
{
    return GetSetting(AppName, Section, QLatin1String(key), def);
}
} // namespace

frmTxtImport::frmTxtImport(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTxtImport"));
    Pages = new QStackedWidget(this);

    auto *p0 = new QWidget;
    p0->setObjectName(QStringLiteral("Picture1(0)"));
    Text1_0 = Caption(p0, "Text1(0)", true);
    cmdOpenTxt = Button(p0, "cmdOpenTxt");
    List1 = new QListWidget(p0);
    List1->setObjectName(QStringLiteral("List1"));
    cmd1Ffw = Button(p0, "cmd1Ffw");
    cmd1Exit = Button(p0, "cmd1Exit");
    {
        auto *open = new QHBoxLayout;
        open->addWidget(cmdOpenTxt);
        open->addStretch();
        auto *lay = new QVBoxLayout(p0);
        lay->addWidget(Text1_0);
        lay->addLayout(open);
        lay->addWidget(List1, 1);
        lay->addLayout(ButtonRow({cmd1Ffw, cmd1Exit}));
    }

    auto *p1 = new QWidget;
    p1->setObjectName(QStringLiteral("Picture1(1)"));
    Text1_1 = Caption(p1, "Text1(1)", true);
    txtDest = new QLineEdit(p1);
    txtDest->setObjectName(QStringLiteral("txtDest"));
    cmdDest = Button(p1, "cmdDest");
    cmdDest->setText(QStringLiteral("..."));
    cmd2Fwd = Button(p1, "cmd2Fwd");
    cmd2Exit = Button(p1, "cmd2Exit");
    {
        auto *file = new QHBoxLayout;
        file->addWidget(txtDest, 1);
        file->addWidget(cmdDest);
        auto *lay = new QVBoxLayout(p1);
        lay->addWidget(Text1_1);
        lay->addLayout(file);
        lay->addStretch();
        lay->addLayout(ButtonRow({cmd2Fwd, cmd2Exit}));
    }

    auto *p2 = new QWidget;
    p2->setObjectName(QStringLiteral("Picture1(2)"));
    Text4 = Caption(p2, "Text4", true);
    Check1 = new QCheckBox(p2);
    Check1->setObjectName(QStringLiteral("Check1"));
    Label1 = Caption(p2, "Label1");
    Label1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label1->setMinimumHeight(Label1->fontMetrics().height() + 6);
    ProgressBar1 = new QProgressBar(p2);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);
    cmd3Import = Button(p2, "cmd3Import");
    cmdAnnulla = Button(p2, "cmdAnnulla");
    cmd3Exit = Button(p2, "cmd3Exit");
    {
        auto *lay = new QVBoxLayout(p2);
        lay->addWidget(Text4);
        lay->addWidget(Check1);
        lay->addStretch();
        lay->addWidget(Label1);
        lay->addWidget(ProgressBar1);
        lay->addLayout(ButtonRow({cmd3Import, cmdAnnulla, cmd3Exit}));
    }

    auto *p3 = new QWidget;
    p3->setObjectName(QStringLiteral("Picture1(3)"));
    lblEnd = Caption(p3, "lblEnd", true);
    fraClimbs = new QGroupBox(p3);
    fraRoutes = new QGroupBox(p3);
    for (int i = 0; i < 2; ++i) {
        QGroupBox *frame = i == 0 ? fraClimbs : fraRoutes;
        auto *list = new QListWidget(frame);
        list->setObjectName(QStringLiteral("List2(%1)").arg(i));
        (new QVBoxLayout(frame))->addWidget(list);
        List2 << list;
    }
    Label2 = Caption(p3, "Label2");
    Label3 = Caption(p3, "Label3");
    cmd4Exit = Button(p3, "cmd4Exit");
    {
        auto *lists = new QGridLayout;
        lists->addWidget(fraClimbs, 0, 0);
        lists->addWidget(fraRoutes, 0, 1);
        lists->addWidget(Label2, 1, 0);
        lists->addWidget(Label3, 1, 1);
        auto *lay = new QVBoxLayout(p3);
        lay->addWidget(lblEnd);
        lay->addLayout(lists, 1);
        lay->addLayout(ButtonRow({cmd4Exit}));
    }

    for (QWidget *p : {p0, p1, p2, p3})
        Pages->addWidget(p);
    (new QVBoxLayout(this))->addWidget(Pages);
    setMinimumSize(500, 320);

    connect(cmdOpenTxt, &QPushButton::clicked, this, &frmTxtImport::cmdOpenTxt_Click);
    connect(cmd1Ffw, &QPushButton::clicked, this, &frmTxtImport::cmd1Ffw_Click);
    connect(cmdDest, &QPushButton::clicked, this, &frmTxtImport::cmdDest_Click);
    connect(cmd2Fwd, &QPushButton::clicked, this, &frmTxtImport::cmd2Fwd_Click);
    connect(cmd3Import, &QPushButton::clicked, this, &frmTxtImport::cmd3Import_Click);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmTxtImport::cmdAnnulla_Click);
    for (QPushButton *b : {cmd1Exit, cmd2Exit, cmd3Exit, cmd4Exit})
        connect(b, &QPushButton::clicked, this, &frmTxtImport::cmdExit_Click);
    // Enter in the destination acts as the Next button.
    connect(txtDest, &QLineEdit::returnPressed, this, &frmTxtImport::cmd2Fwd_Click);
    // Each Next is offered only once there is something to go on with: chosen
    // profile files on the first page, a destination name on the second.
    const auto followFiles = [this]() { cmd1Ffw->setEnabled(List1->count() > 0); };
    connect(List1->model(), &QAbstractItemModel::rowsInserted, cmd1Ffw, followFiles);
    connect(List1->model(), &QAbstractItemModel::modelReset, cmd1Ffw, followFiles);
    connect(List1->model(), &QAbstractItemModel::rowsRemoved, cmd1Ffw, followFiles);
    const auto followDest = [this]() { cmd2Fwd->setEnabled(!txtDest->text().isEmpty()); };
    connect(txtDest, &QLineEdit::textChanged, cmd2Fwd, followDest);
    followFiles();
    followDest();

    // Form_Load
    Check1->setChecked(Setting("OverWrite", QStringLiteral("0")).toInt() == 1);
    UpdateControls();
    ShowPage(0);
    resize(sizeHint().expandedTo(minimumSize()));
    CenterForm(this);
}

frmTxtImport::~frmTxtImport()
{
    Form_Unload();
}

int frmTxtImport::Page() const { return Pages->currentIndex(); }

void frmTxtImport::ShowPage(int page)
{
    Pages->setCurrentIndex(page);
    if (page == 0)
        cmdOpenTxt->setFocus();
    else if (page == 1)
        txtDest->setFocus();
    else if (page == 2)
        cmd3Import->setFocus();
    else
        cmd4Exit->setFocus();
}

void frmTxtImport::UpdateControls()
{
    setWindowTitle(GetLangString(12000));
    Check1->setText(GetLangString(12002));
    Check1->setToolTip(GetLangString(12003));
    cmd3Exit->setText(GetLangString(12004));
    cmdAnnulla->setText(GetLangString(12005));
    cmd3Import->setText(GetLangString(12006));
    cmd2Exit->setText(GetLangString(12007));
    cmd2Fwd->setText(GetLangString(12008));
    cmd1Ffw->setText(GetLangString(12009));
    cmd1Exit->setText(GetLangString(12010));
    cmdOpenTxt->setText(GetLangString(12011));
    Text1_1->setText(GetLangString(12012));
    Text1_0->setText(GetLangString(12013));
    Text4->setText(GetLangString(12014));
    lblEnd->setText(GetLangString(12001));
    cmd4Exit->setText(GetLangString(12010));
    fraClimbs->setTitle(GetLangString(17021));
    fraRoutes->setTitle(GetLangString(17022));
}

void frmTxtImport::cmdOpenTxt_Click()
{
    cmDlg1.DialogTitle = GetLangString(12517);
    cmDlg1.Filter = GetLangString(12518);
    cmDlg1.FilterIndex = 1;
    cmDlg1.DefaultExt = QStringLiteral("txt");
    cmDlg1.InitDir = Setting("InitDir", SpecialFolders.Personal());
    cmDlg1.FileName.clear();
    cmDlg1.Flags = 0x81604;   // several files, which must exist; no read-only box
    cmDlg1.CancelError = true;
    try {
        cmDlg1.ShowOpen();
    } catch (const VbError &e) {
        if (e.Number() != VbErr::CancelError)
            ShowDataError(e);
        return;   // the list stays as it was
    }
    const QStringList parts = cmDlg1.FileName.split(QChar(0), Qt::SkipEmptyParts);
    const QStringList paths = SplitMultiSelection(cmDlg1.FileName);
    if (paths.isEmpty())
        return;
    m_files = paths;
    List1->clear();
    if (parts.size() == 1) {
        List1->addItem(QStringLiteral("1 - ") + paths.constFirst());
    } else {
        for (qsizetype i = 1; i < parts.size(); ++i)
            List1->addItem(QStringLiteral("%1 - %2").arg(i).arg(parts.at(i)));
    }
    SaveSetting(AppName, Section, QStringLiteral("InitDir"), QFileInfo(paths.constFirst()).absolutePath());
}

void frmTxtImport::cmd1Ffw_Click()
{
    if (List1->count() == 0)
        return;
    txtDest->setText(Setting("Lastdb"));
    ShowPage(1);
}

void frmTxtImport::cmdDest_Click()
{
    cmDlg1.DialogTitle = GetLangString(12516);
    cmDlg1.Filter = QStringLiteral("Vettarodb (*.mdb)|*.mdb");
    cmDlg1.FilterIndex = 1;
    cmDlg1.DefaultExt = QStringLiteral("mdb");
    cmDlg1.InitDir = Setting("LastDir", SpecialFolders.Personal());
    cmDlg1.FileName.clear();
    cmDlg1.Flags = 0x1004;
    cmDlg1.CancelError = true;
    try {
        cmDlg1.ShowOpen();
    } catch (const VbError &e) {
        if (e.Number() != VbErr::CancelError)
            ShowDataError(e);
        return;
    }
    txtDest->setText(cmDlg1.FileName);
    SaveSetting(AppName, Section, QStringLiteral("LastDir"), QFileInfo(cmDlg1.FileName).absolutePath());
    SaveSetting(AppName, Section, QStringLiteral("LastDb"), cmDlg1.FileName);
}

void frmTxtImport::cmd2Fwd_Click()
{
    const QString path = txtDest->text();
    if (path.isEmpty() || m_running)
        return;
    SetMainPointer(11);
    if (!path.endsWith(QLatin1String("mdb"), Qt::CaseSensitive)) {
        SetMainPointer(0);
        MsgBox(GetLangString(12509), Vb::Exclamation);
        return;
    }
    if (!QFileInfo(path).isFile()) {
        SetMainPointer(0);
        MsgBox(GetLangString(12508), Vb::Exclamation);
        return;
    }
    CloseDest();
    const ImportFiles::Opened o = ImportFiles::OpenDest(path, ImportFiles::Texts::TextImport);
    SetMainPointer(0);
    if (!o.ok()) {
        TellOpenFailure(o);
        return;
    }
    m_dest = o.db;
    Label1->setText(GetLangString(12507));
    cmdAnnulla->setEnabled(false);
    ShowPage(2);
}

void frmTxtImport::cmd3Import_Click()
{
    if (m_running || !m_dest)
        return;
    m_running = true;
    m_abort = false;
    cmd3Import->setEnabled(false);
    cmd3Exit->setEnabled(false);
    Check1->setEnabled(false);
    cmdAnnulla->setEnabled(true);
    cmdAnnulla->setFocus();
    Label1->setText(GetLangString(12510));
    ProgressBar1->setRange(0, qMax(1, int(m_files.size())));
    ProgressBar1->setValue(0);
    SetMainPointer(11);
    m_pump.flush();

    ImportEngine::Callbacks cb;
    cb.shouldAbort = [this] {
        m_pump.yield();
        return m_abort;
    };
    cb.progress = [this](const QString &, int value, int maximum) {
        ProgressBar1->setRange(0, qMax(1, maximum));
        ProgressBar1->setValue(value);
        m_pump.yield();
    };
    TextImport::Result r;
    try {
        r = TextImport::Import(*m_dest, m_files, Check1->isChecked(), TextImport::ReadProfileFile, cb);
    } catch (const std::exception &e) {
        r = TextImport::Result{};
        r.status = TextImport::Result::Failed;
        r.errorNumber = VbErr::InvalidProcedureCall;
        r.errorText = QString::fromLocal8Bit(e.what());
    }
    SetMainPointer(0);
    m_running = false;
    cmd3Import->setEnabled(true);
    cmd3Exit->setEnabled(true);
    Check1->setEnabled(true);
    cmdAnnulla->setEnabled(false);
    ProgressBar1->setValue(0);

    switch (r.status) {
    case TextImport::Result::Aborted:
        List2[0]->clear();
        List2[1]->clear();
        Label1->setText(GetLangString(12514));
        MsgBox(GetLangString(12514), Vb::Exclamation);
        return;
    case TextImport::Result::Failed: {
        List2[0]->clear();
        List2[1]->clear();
        Label1->setText(GetLangString(12515));
        // Which file, and what is wrong with it: nothing of the run is kept.
        QString text = GetLangString(12515);
        if (!r.failedFile.isEmpty())
            text += QChar(10) + QDir::toNativeSeparators(r.failedFile);
        text += QChar(10) + QStringLiteral("Error %1: %2").arg(r.errorNumber).arg(r.errorText);
        MsgBox(text, Vb::Exclamation);
        return;
    }
    case TextImport::Result::Completed:
        break;
    }
    CloseDest();
    MsgBox(GetLangString(12511), Vb::Information);
    List2[0]->addItems(r.climbs);
    List2[1]->addItems(r.routes);
    Label2->setText(FormatLangString(GetLangString(12512), {QString::number(r.climbs.size())}));
    Label3->setText(FormatLangString(GetLangString(12513), {QString::number(r.routes.size())}));
    ShowPage(3);
    if (!ImportEngine::WriteImportLog(SpecialFolders.Temp(), r.climbs, r.routes))
        MsgBox(GetLangString(17525) + QChar(10) + ImportEngine::ImportLogPath(SpecialFolders.Temp()), Vb::Exclamation);
}

void frmTxtImport::cmdAnnulla_Click()
{
    if (m_running)
        m_abort = true;
}

void frmTxtImport::cmdExit_Click() { close(); }

void frmTxtImport::CloseDest()
{
    if (!m_dest)
        return;
    try {
        m_dest->Close();
    } catch (const VbError &) {
    }
    m_dest.reset();
}

void frmTxtImport::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    CloseDest();
    SaveSetting(AppName, Section, QStringLiteral("OverWrite"), Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void frmTxtImport::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        QApplication::beep();
        event->ignore();
        return;
    }
    Form_Unload();
    QDialog::closeEvent(event);
}

void frmTxtImport::reject()
{
    if (m_running) {
        QApplication::beep();
        return;
    }
    Form_Unload();
    QDialog::reject();
}
