#include "tools/frmImport.h"

#include "core/DataGlobals.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/UserFolders.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"
#include "tools/logic/ImportEngine.h"
#include "tools/logic/ImportFiles.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <functional>
#include <utility>

using namespace ImportUi;

namespace {
const QString Section = QStringLiteral("frmImport");

// Opens a file of the import under the hourglass with a status text; a
// failure is told and gives no database.
dao::DatabasePtr OpenTelling(int statusId, const std::function<ImportFiles::Opened()> &open)
{
    SetMainPointer(11);
    SetStatus(GetLangString(statusId), true);
    const ImportFiles::Opened o = open();
    SetStatus(QString());
    SetMainPointer(0);
    if (!o.ok()) {
        TellOpenFailure(o);
        return {};
    }
    return o.db;
}
} // namespace

frmImport::frmImport(QWidget *parent) : ImportWizard("frmImport", parent)
{
    // Page 0: the source file.
    QWidget *p0 = ImportUi::Page(0);
    lblSourceTitle = Caption(p0, "lblSourceTitle", true);
    lblSource = Caption(p0, "lblSource");
    txtSource = PathField(p0, "txtSource");
    cmdSource = Button(p0, "cmdSource");
    cmdStep0Next = Button(p0, "cmdStep0Next");
    cmdStep0Exit = Button(p0, "cmdStep0Exit");
    LayFilePage(p0, {lblSourceTitle, lblSource}, txtSource, cmdSource, {cmdStep0Next, cmdStep0Exit});

    // Page 1: the destination file.
    QWidget *p1 = ImportUi::Page(1);
    lblDestTitle = Caption(p1, "lblDestTitle", true);
    lblDest = Caption(p1, "lblDest");
    txtDest = PathField(p1, "txtDest");
    cmdDest = Button(p1, "cmdDest");
    cmdStep1Next = Button(p1, "cmdStep1Next");
    cmdStep1Exit = Button(p1, "cmdStep1Exit");
    LayFilePage(p1, {lblDestTitle, lblDest}, txtDest, cmdDest, {cmdStep1Next, cmdStep1Exit});

    // Page 2: kinds, criterion and the import itself.
    QWidget *p2 = ImportUi::Page(2);
    lblKinds = Caption(p2, "lblKinds", true);
    for (int i = 0; i < 2; ++i) {
        auto *c = new QCheckBox(p2);
        c->setObjectName(QStringLiteral("Check1(%1)").arg(i));
        c->setChecked(true);
        Check1 << c;
    }
    fraCriterion = new QGroupBox(p2);
    fraCriterion->setObjectName(QStringLiteral("fraCriterion"));
    auto *criterion = new QVBoxLayout(fraCriterion);
    for (int i = 0; i < 3; ++i) {
        auto *o = new QRadioButton(fraCriterion);
        o->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        criterion->addWidget(o);
        Option1 << o;
    }
    Option1[0]->setChecked(true);
    lblTime = Caption(p2, "lblTime");
    BuildRunLines(p2);
    ProgressBar1->setVisible(false);
    cmdStep2Import = Button(p2, "cmdStep2Import");
    BuildAbortButton(p2);
    cmdStep2Exit = Button(p2, "cmdStep2Exit");
    {
        auto *kinds = new QVBoxLayout;
        kinds->addWidget(lblKinds);
        kinds->addWidget(Check1[0]);
        kinds->addWidget(Check1[1]);
        kinds->addStretch();
        auto *top = new QHBoxLayout;
        top->addLayout(kinds, 1);
        top->addWidget(fraCriterion, 1);
        auto *lay = new QVBoxLayout(p2);
        lay->addLayout(top);
        lay->addWidget(lblTime);
        lay->addWidget(Label1);
        lay->addWidget(ProgressBar1);
        lay->addStretch();
        lay->addLayout(ButtonRow({cmdStep2Import, cmdAnnulla, cmdStep2Exit}));
    }

    // Page 3: the end, with what was imported.
    BuildEndPage("List1", "cmdStep3Exit");
    List1 = m_end.lists;
    cmdStep3Exit = m_end.exit;

    AddPages({{p0, txtSource}, {p1, txtDest}, {p2, cmdStep2Import}, {m_end.page, cmdStep3Exit}});

    connect(cmdSource, &QPushButton::clicked, this, &frmImport::cmdSource_Click);
    connect(cmdStep0Next, &QPushButton::clicked, this, &frmImport::cmdStep0Next_Click);
    connect(cmdDest, &QPushButton::clicked, this, &frmImport::cmdDest_Click);
    connect(cmdStep1Next, &QPushButton::clicked, this, &frmImport::cmdStep1Next_Click);
    connect(cmdStep2Import, &QPushButton::clicked, this, &frmImport::cmdStep2Import_Click);
    for (QPushButton *b : {cmdStep0Exit, cmdStep1Exit, cmdStep2Exit, cmdStep3Exit})
        connect(b, &QPushButton::clicked, this, &frmImport::cmdExit_Click);
    // Enter in a path field goes forward, as the Next button.
    connect(txtSource, &QLineEdit::returnPressed, this, &frmImport::cmdStep0Next_Click);
    connect(txtDest, &QLineEdit::returnPressed, this, &frmImport::cmdStep1Next_Click);
    // Next is offered only once there is a file name to go on with, so the
    // button never sits there doing nothing.
    for (const auto &fieldAndNext : {std::pair{txtSource, cmdStep0Next}, std::pair{txtDest, cmdStep1Next}}) {
        QLineEdit *edit = fieldAndNext.first;
        QPushButton *next = fieldAndNext.second;
        const auto follow = [edit, next]() { next->setEnabled(!edit->text().trimmed().isEmpty()); };
        connect(edit, &QLineEdit::textChanged, next, follow);
        follow();
    }

    UpdateControls();
    Present(QSize(520, 340));
}

frmImport::~frmImport() { CloseFiles(); }

void frmImport::UpdateControls()
{
    setWindowTitle(GetLangString(17000));
    lblSourceTitle->setText(GetLangString(17019));
    lblSource->setText(GetLangString(17004));
    lblDestTitle->setText(GetLangString(17020));
    lblDest->setText(GetLangString(17005));
    for (QPushButton *b : {cmdSource, cmdDest})
        b->setText(GetLangString(17018));
    for (QPushButton *b : {cmdStep0Next, cmdStep1Next})
        b->setText(GetLangString(17013));
    for (QPushButton *b : {cmdStep0Exit, cmdStep1Exit, cmdStep2Exit, cmdStep3Exit})
        b->setText(GetLangString(17016));
    lblKinds->setText(GetLangString(17001));
    Check1[0]->setText(GetLangString(17003));
    Check1[1]->setText(GetLangString(17002));
    fraCriterion->setTitle(GetLangString(17012));
    Option1[0]->setText(GetLangString(17010));
    Option1[0]->setToolTip(GetLangString(17011));
    Option1[1]->setText(GetLangString(17008));
    Option1[1]->setToolTip(GetLangString(17009));
    Option1[2]->setText(GetLangString(17006));
    Option1[2]->setToolTip(GetLangString(17007));
    lblTime->setText(GetLangString(17023));
    cmdStep2Import->setText(GetLangString(17017));
    cmdAnnulla->setText(GetLangString(17015));
    lblEnd->setText(GetLangString(17024));
    fraClimbs->setTitle(GetLangString(17021));
    fraRoutes->setTitle(GetLangString(17022));
}

QString frmImport::Browse(int titleId, const QString &settingKey, const QString &current)
{
    QString folder = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = GetSetting(AppName, Section, settingKey, SpecialFolders.Personal());
    // The file must exist; no read-only box.
    if (!AskOpenFile(GetLangString(titleId), GetLangString(17502), QStringLiteral("mdb"), folder, 0x1004))
        return QString();
    SaveSetting(AppName, Section, settingKey, QFileInfo(cmDlg1.FileName).absolutePath());
    return cmDlg1.FileName;
}

void frmImport::cmdSource_Click()
{
    const QString path = Browse(17500, QStringLiteral("SourceDir"), txtSource->text());
    if (!path.isEmpty())
        txtSource->setText(path);
}

void frmImport::cmdDest_Click()
{
    const QString path = Browse(17501, QStringLiteral("DestDir"), txtDest->text());
    if (!path.isEmpty())
        txtDest->setText(path);
}

int frmImport::OpenOriginDb(const QString &path)
{
    CloseFile(m_source);
    m_source = OpenTelling(17529, [&] { return ImportFiles::OpenOrigin(path); });
    return m_source ? 1 : 0;
}

int frmImport::OpenDestDb(const QString &path)
{
    CloseFile(m_dest);
    m_dest = OpenTelling(17530, [&] { return ImportFiles::OpenDest(path, ImportFiles::Texts::DatabaseImport); });
    return m_dest ? 1 : 0;
}

void frmImport::cmdStep0Next_Click()
{
    const QString path = txtSource->text().trimmed();
    if (path.isEmpty() || Running())
        return;
    if (OpenOriginDb(path))
        ShowPage(1);
}

void frmImport::cmdStep1Next_Click()
{
    const QString path = txtDest->text().trimmed();
    if (path.isEmpty() || Running())
        return;
    // Refused before the file is touched: the source is open exclusively and
    // the copy would read and write the same cards.
    if (ImportFiles::SameFile(path, txtSource->text().trimmed())) {
        MsgBox(GetLangString(17509), Vb::Exclamation);
        return;
    }
    if (!OpenDestDb(path))
        return;
    Label1->setText(GetLangString(17511));
    ShowPage(2);
}

void frmImport::cmdStep2Import_Click()
{
    if (Running() || !m_source || !m_dest)
        return;
    const bool climbs = Check1[0]->isChecked(), routes = Check1[1]->isChecked();
    if (!climbs && !routes) {
        MsgBox(GetLangString(17510), Vb::Exclamation);
        return;
    }
    const ImportEngine::Criterion criterion = Option1[1]->isChecked()   ? ImportEngine::Criterion::OverwriteAll
                                              : Option1[2]->isChecked() ? ImportEngine::Criterion::NoOverwrite
                                                                        : ImportEngine::Criterion::ConfirmRequest;
    ProgressBar1->setRange(0, 0);
    ProgressBar1->setVisible(true);
    Label1->setText(GetLangString(17512));

    ImportEngine::Callbacks cb = AbortableCallbacks();
    cb.confirm = [](const QString &question) {
        SetMainPointer(0);
        const bool yes = MsgBox(question, Vb::YesNo + Vb::Question) == Vb::Yes;
        SetMainPointer(11);
        return yes;
    };
    cb.progress = [this](const QString &label, int value, int maximum) {
        if (Label1->text() != label)
            Label1->setText(label);
        if (ProgressBar1->maximum() != maximum)
            ProgressBar1->setRange(0, maximum);
        ProgressBar1->setValue(value);
        m_pump.yield();
    };
    const ImportEngine::Result r = Run<ImportEngine::Result>(
        {cmdStep2Import, cmdStep2Exit, Check1[0], Check1[1], fraCriterion}, cmdAnnulla,
        [&] { return ImportEngine::CopyRaces(*m_source, *m_dest, climbs, routes, criterion, cb); });
    ProgressBar1->setVisible(false);
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);

    switch (r.status) {
    case ImportEngine::Result::Aborted:
        m_end.Clear();
        Label1->setText(GetLangString(17522));
        MsgBox(GetLangString(17522), Vb::Exclamation);
        return;
    case ImportEngine::Result::Failed:
        m_end.Clear();
        Label1->setText(GetLangString(17523));
        ShowDataError(VbError(r.errorNumber, r.errorText));
        return;
    case ImportEngine::Result::Completed:
        break;
    }
    CloseFiles();
    Label1->setText(QString());
    MsgBox(GetLangString(17519), Vb::Information);
    m_end.Fill(r.climbs, r.routes, 17520, 17521);
    ShowPage(3);
    WriteLog(r);
}

void frmImport::CloseFiles()
{
    CloseFile(m_source);
    CloseFile(m_dest);
}
