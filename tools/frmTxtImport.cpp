#include "tools/frmTxtImport.h"

#include "core/DataGlobals.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/UserFolders.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"
#include "tools/logic/ImportFiles.h"
#include "tools/logic/TextImport.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace ImportUi;

namespace {
const QString Section = QStringLiteral("frmTxtImport");

QString Setting(const char *key, const QString &def = QString())
{
    return GetSetting(AppName, Section, QLatin1String(key), def);
}
} // namespace

frmTxtImport::frmTxtImport(QWidget *parent) : ImportWizard("frmTxtImport", parent)
{
    QWidget *p0 = ImportUi::Page(0);
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

    QWidget *p1 = ImportUi::Page(1);
    Text1_1 = Caption(p1, "Text1(1)", true);
    txtDest = PathField(p1, "txtDest");
    cmdDest = Button(p1, "cmdDest");
    cmdDest->setText(QStringLiteral("..."));
    cmd2Fwd = Button(p1, "cmd2Fwd");
    cmd2Exit = Button(p1, "cmd2Exit");
    LayFilePage(p1, {Text1_1}, txtDest, cmdDest, {cmd2Fwd, cmd2Exit});

    QWidget *p2 = ImportUi::Page(2);
    Text4 = Caption(p2, "Text4", true);
    Check1 = new QCheckBox(p2);
    Check1->setObjectName(QStringLiteral("Check1"));
    BuildRunLines(p2);
    ProgressBar1->setValue(0);
    cmd3Import = Button(p2, "cmd3Import");
    BuildAbortButton(p2);
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

    BuildEndPage("List2", "cmd4Exit");
    List2 = m_end.lists;
    cmd4Exit = m_end.exit;

    AddPages({{p0, cmdOpenTxt}, {p1, txtDest}, {p2, cmd3Import}, {m_end.page, cmd4Exit}});

    connect(cmdOpenTxt, &QPushButton::clicked, this, &frmTxtImport::cmdOpenTxt_Click);
    connect(cmd1Ffw, &QPushButton::clicked, this, &frmTxtImport::cmd1Ffw_Click);
    connect(cmdDest, &QPushButton::clicked, this, &frmTxtImport::cmdDest_Click);
    connect(cmd2Fwd, &QPushButton::clicked, this, &frmTxtImport::cmd2Fwd_Click);
    connect(cmd3Import, &QPushButton::clicked, this, &frmTxtImport::cmd3Import_Click);
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
    Present(QSize(500, 320));
}

frmTxtImport::~frmTxtImport()
{
    // The list's model is reset when the list is deleted with the other
    // children, after this object has stopped being a frmTxtImport: the Next
    // button must not follow it then.
    List1->model()->disconnect(cmd1Ffw);
    Form_Unload();
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
    // Several files, which must exist; no read-only box. Cancelled, the list stays as it was.
    if (!AskOpenFile(GetLangString(12517), GetLangString(12518), QStringLiteral("txt"),
                     Setting("InitDir", SpecialFolders.Personal()), 0x81604))
        return;
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
    if (!AskOpenFile(GetLangString(12516), QStringLiteral("Vettarodb (*.mdb)|*.mdb"), QStringLiteral("mdb"),
                     Setting("LastDir", SpecialFolders.Personal()), 0x1004))
        return;
    txtDest->setText(cmDlg1.FileName);
    SaveSetting(AppName, Section, QStringLiteral("LastDir"), QFileInfo(cmDlg1.FileName).absolutePath());
    SaveSetting(AppName, Section, QStringLiteral("LastDb"), cmDlg1.FileName);
}

void frmTxtImport::cmd2Fwd_Click()
{
    const QString path = txtDest->text();
    if (path.isEmpty() || Running())
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
    const int opened = OpenDestDb(path);
    SetMainPointer(0);
    if (!opened)
        return;
    Label1->setText(GetLangString(12507));
    cmdAnnulla->setEnabled(false);
    ShowPage(2);
}

int frmTxtImport::OpenDestDb(const QString &DestDbName)
{
    CloseDest();
    if (!QFileInfo(DestDbName).isFile())
        return 0;
    const ImportFiles::Opened o = ImportFiles::OpenDest(DestDbName, ImportFiles::Texts::TextImport);
    if (!o.ok()) {
        TellOpenFailure(o);
        return 0;
    }
    m_dest = o.db;
    return 1;
}

void frmTxtImport::cmd3Import_Click()
{
    if (Running() || !m_dest)
        return;
    Label1->setText(GetLangString(12510));
    ProgressBar1->setRange(0, qMax(1, int(m_files.size())));
    ProgressBar1->setValue(0);

    ImportEngine::Callbacks cb = AbortableCallbacks();
    cb.progress = [this](const QString &, int value, int maximum) {
        ProgressBar1->setRange(0, qMax(1, maximum));
        ProgressBar1->setValue(value);
        m_pump.yield();
    };
    const TextImport::Result r = Run<TextImport::Result>({cmd3Import, cmd3Exit, Check1}, cmdAnnulla, [&] {
        return TextImport::Import(*m_dest, m_files, Check1->isChecked(), TextImport::ReadProfileFile, cb);
    });
    ProgressBar1->setValue(0);

    switch (r.status) {
    case TextImport::Result::Aborted:
        m_end.Clear();
        Label1->setText(GetLangString(12514));
        MsgBox(GetLangString(12514), Vb::Exclamation);
        // The log still follows: nothing was imported, so it holds the empty
        // line between the two (empty) lists, and no earlier run's names.
        WriteLog(TextImport::Result());
        return;
    case TextImport::Result::Failed: {
        m_end.Clear();
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
    m_end.Fill(r.climbs, r.routes, 12512, 12513);
    ShowPage(3);
    WriteLog(r);
}

void frmTxtImport::CloseDest() { CloseFile(m_dest); }

void frmTxtImport::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    CloseDest();
    SaveSetting(AppName, Section, QStringLiteral("OverWrite"), Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}
