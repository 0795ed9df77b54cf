#include "tools/frmImport.h"

#include "core/DataGlobals.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "core/UserFolders.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"
#include "tools/logic/ImportEngine.h"
#include "tools/logic/ImportFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <utility>

namespace {
const QString Section = QStringLiteral("frmImport");

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
} // namespace

void SetMainPointer(int pointer)
{
    if (MDIfrmBike *main = MDIfrmBike::instance())
        main->SetMousePointer(pointer);
}

void TellOpenFailure(const ImportFiles::Opened &o)
{
    if (o.message) {
        QString text = GetLangString(o.message);
        if (o.secondMessage)
            text += QChar(10) + GetLangString(o.secondMessage);
        MsgBox(text, Vb::Exclamation, o.title ? GetLangString(o.title) : QString());
    } else if (o.errorNumber == dao::JetErr::FileInUse) {
        // Held by the main window or by another program: say how to go on.
        ShowDataError(VbError(o.errorNumber, o.errorText + QChar(10) + GetLangString(17532)));
    } else if (o.errorNumber) {
        ShowDataError(VbError(o.errorNumber, o.errorText));
    }
}

frmImport::frmImport(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmImport"));
    Pages = new QStackedWidget(this);

    // Page 0: the source file.
    auto *p0 = new QWidget;
    p0->setObjectName(QStringLiteral("Picture1(0)"));
    lblSourceTitle = Caption(p0, "lblSourceTitle", true);
    lblSource = Caption(p0, "lblSource");
    txtSource = new QLineEdit(p0);
    txtSource->setObjectName(QStringLiteral("txtSource"));
    cmdSource = Button(p0, "cmdSource");
    cmdStep0Next = Button(p0, "cmdStep0Next");
    cmdStep0Exit = Button(p0, "cmdStep0Exit");
    {
        auto *file = new QHBoxLayout;
        file->addWidget(txtSource, 1);
        file->addWidget(cmdSource);
        auto *lay = new QVBoxLayout(p0);
        lay->addWidget(lblSourceTitle);
        lay->addSpacing(8);
        lay->addWidget(lblSource);
        lay->addLayout(file);
        lay->addStretch();
        lay->addLayout(ButtonRow({cmdStep0Next, cmdStep0Exit}));
    }

    // Page 1: the destination file.
    auto *p1 = new QWidget;
    p1->setObjectName(QStringLiteral("Picture1(1)"));
    lblDestTitle = Caption(p1, "lblDestTitle", true);
    lblDest = Caption(p1, "lblDest");
    txtDest = new QLineEdit(p1);
    txtDest->setObjectName(QStringLiteral("txtDest"));
    cmdDest = Button(p1, "cmdDest");
    cmdStep1Next = Button(p1, "cmdStep1Next");
    cmdStep1Exit = Button(p1, "cmdStep1Exit");
    {
        auto *file = new QHBoxLayout;
        file->addWidget(txtDest, 1);
        file->addWidget(cmdDest);
        auto *lay = new QVBoxLayout(p1);
        lay->addWidget(lblDestTitle);
        lay->addSpacing(8);
        lay->addWidget(lblDest);
        lay->addLayout(file);
        lay->addStretch();
        lay->addLayout(ButtonRow({cmdStep1Next, cmdStep1Exit}));
    }

    // Page 2: kinds, criterion and the import itself.
    auto *p2 = new QWidget;
    p2->setObjectName(QStringLiteral("Picture1(2)"));
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
    Label1 = Caption(p2, "Label1");
    Label1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label1->setMinimumHeight(Label1->fontMetrics().height() + 6);
    ProgressBar1 = new QProgressBar(p2);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setVisible(false);
    cmdStep2Import = Button(p2, "cmdStep2Import");
    cmdAnnulla = Button(p2, "cmdAnnulla");
    cmdAnnulla->setEnabled(false);
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
    auto *p3 = new QWidget;
    p3->setObjectName(QStringLiteral("Picture1(3)"));
    lblEnd = Caption(p3, "lblEnd", true);
    fraClimbs = new QGroupBox(p3);
    fraRoutes = new QGroupBox(p3);
    for (int i = 0; i < 2; ++i) {
        auto *list = new QListWidget(i == 0 ? fraClimbs : fraRoutes);
        list->setObjectName(QStringLiteral("List1(%1)").arg(i));
        (new QVBoxLayout(i == 0 ? fraClimbs : fraRoutes))->addWidget(list);
        List1 << list;
    }
    Label2 = Caption(p3, "Label2");
    Label3 = Caption(p3, "Label3");
    cmdStep3Exit = Button(p3, "cmdStep3Exit");
    {
        auto *lists = new QGridLayout;
        lists->addWidget(fraClimbs, 0, 0);
        lists->addWidget(fraRoutes, 0, 1);
        lists->addWidget(Label2, 1, 0);
        lists->addWidget(Label3, 1, 1);
        auto *lay = new QVBoxLayout(p3);
        lay->addWidget(lblEnd);
        lay->addLayout(lists, 1);
        lay->addLayout(ButtonRow({cmdStep3Exit}));
    }

    for (QWidget *p : {p0, p1, p2, p3})
        Pages->addWidget(p);
    auto *lay = new QVBoxLayout(this);
    lay->addWidget(Pages);
    setMinimumSize(520, 340);

    connect(cmdSource, &QPushButton::clicked, this, &frmImport::cmdSource_Click);
    connect(cmdStep0Next, &QPushButton::clicked, this, &frmImport::cmdStep0Next_Click);
    connect(cmdDest, &QPushButton::clicked, this, &frmImport::cmdDest_Click);
    connect(cmdStep1Next, &QPushButton::clicked, this, &frmImport::cmdStep1Next_Click);
    connect(cmdStep2Import, &QPushButton::clicked, this, &frmImport::cmdStep2Import_Click);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmImport::cmdAnnulla_Click);
    for (QPushButton *b : {cmdStep0Exit, cmdStep1Exit, cmdStep2Exit, cmdStep3Exit})
        connect(b, &QPushButton::clicked, this, &frmImport::cmdExit_Click);
    // Enter in a path field goes forward, as the Next button.
    connect(txtSource, &QLineEdit::returnPressed, this, &frmImport::cmdStep0Next_Click);
    connect(txtDest, &QLineEdit::returnPressed, this, &frmImport::cmdStep1Next_Click);
    // Next is offered only once there is a file name to go on with, so the
    // button never sits there doing nothing.
    for (auto [edit, next] : {std::pair{txtSource, cmdStep0Next}, std::pair{txtDest, cmdStep1Next}}) {
        const auto follow = [edit, next]() { next->setEnabled(!edit->text().trimmed().isEmpty()); };
        connect(edit, &QLineEdit::textChanged, next, follow);
        follow();
    }

    UpdateControls();
    ShowPage(0);
    resize(sizeHint().expandedTo(minimumSize()));
    CenterForm(this);
}

frmImport::~frmImport() { CloseFiles(); }

int frmImport::Page() const { return Pages->currentIndex(); }

void frmImport::ShowPage(int page)
{
    Pages->setCurrentIndex(page);
    if (page == 0)
        txtSource->setFocus();
    else if (page == 1)
        txtDest->setFocus();
    else if (page == 2)
        cmdStep2Import->setFocus();
    else
        cmdStep3Exit->setFocus();
}

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
    cmDlg1.DialogTitle = GetLangString(titleId);
    cmDlg1.Filter = GetLangString(17502);
    cmDlg1.FilterIndex = 1;
    cmDlg1.DefaultExt = QStringLiteral("mdb");
    QString folder = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = GetSetting(AppName, Section, settingKey, SpecialFolders.Personal());
    cmDlg1.InitDir = folder;
    cmDlg1.FileName.clear();
    cmDlg1.Flags = 0x1004;   // the file must exist; no read-only box
    cmDlg1.CancelError = true;
    try {
        cmDlg1.ShowOpen();
    } catch (const VbError &e) {
        if (e.Number() != VbErr::CancelError)
            ShowDataError(e);
        return QString();
    }
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

void frmImport::cmdStep0Next_Click()
{
    const QString path = txtSource->text().trimmed();
    if (path.isEmpty() || m_running)
        return;
    SetMainPointer(11);
    SetStatus(GetLangString(17529), true);
    const ImportFiles::Opened o = ImportFiles::OpenOrigin(path);
    SetStatus(QString());
    SetMainPointer(0);
    if (!o.ok()) {
        TellOpenFailure(o);
        return;
    }
    m_source = o.db;
    ShowPage(1);
}

void frmImport::cmdStep1Next_Click()
{
    const QString path = txtDest->text().trimmed();
    if (path.isEmpty() || m_running)
        return;
    // Refused before the file is touched: the source is open exclusively and
    // the copy would read and write the same cards.
    if (ImportFiles::SameFile(path, txtSource->text().trimmed())) {
        MsgBox(GetLangString(17509), Vb::Exclamation);
        return;
    }
    SetMainPointer(11);
    SetStatus(GetLangString(17530), true);
    const ImportFiles::Opened o = ImportFiles::OpenDest(path, ImportFiles::Texts::DatabaseImport);
    SetStatus(QString());
    SetMainPointer(0);
    if (!o.ok()) {
        TellOpenFailure(o);
        return;
    }
    m_dest = o.db;
    Label1->setText(GetLangString(17511));
    ShowPage(2);
}

void frmImport::cmdStep2Import_Click()
{
    if (m_running || !m_source || !m_dest)
        return;
    const bool climbs = Check1[0]->isChecked(), routes = Check1[1]->isChecked();
    if (!climbs && !routes) {
        MsgBox(GetLangString(17510), Vb::Exclamation);
        return;
    }
    const ImportEngine::Criterion criterion = Option1[1]->isChecked()   ? ImportEngine::Criterion::OverwriteAll
                                              : Option1[2]->isChecked() ? ImportEngine::Criterion::NoOverwrite
                                                                        : ImportEngine::Criterion::ConfirmRequest;
    m_running = true;
    m_abort = false;
    for (QWidget *w : std::initializer_list<QWidget *>{cmdStep2Import, cmdStep2Exit, Check1[0], Check1[1], fraCriterion})
        w->setEnabled(false);
    cmdAnnulla->setEnabled(true);
    cmdAnnulla->setFocus();
    ProgressBar1->setRange(0, 0);
    ProgressBar1->setVisible(true);
    Label1->setText(GetLangString(17512));
    SetMainPointer(11);
    m_pump.flush();

    ImportEngine::Callbacks cb;
    cb.shouldAbort = [this] {
        m_pump.yield();
        return m_abort;
    };
    cb.confirm = [this](const QString &question) {
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
    ImportEngine::Result r;
    try {
        r = ImportEngine::CopyRaces(*m_source, *m_dest, climbs, routes, criterion, cb);
    } catch (const std::exception &e) {
        r = ImportEngine::Result{};
        r.status = ImportEngine::Result::Failed;
        r.errorNumber = VbErr::InvalidProcedureCall;
        r.errorText = QString::fromLocal8Bit(e.what());
    }

    SetMainPointer(0);
    ProgressBar1->setVisible(false);
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);
    m_running = false;
    for (QWidget *w : std::initializer_list<QWidget *>{cmdStep2Import, cmdStep2Exit, Check1[0], Check1[1], fraCriterion})
        w->setEnabled(true);
    cmdAnnulla->setEnabled(false);

    switch (r.status) {
    case ImportEngine::Result::Aborted:
        List1[0]->clear();
        List1[1]->clear();
        Label1->setText(GetLangString(17522));
        MsgBox(GetLangString(17522), Vb::Exclamation);
        return;
    case ImportEngine::Result::Failed:
        List1[0]->clear();
        List1[1]->clear();
        Label1->setText(GetLangString(17523));
        ShowDataError(VbError(r.errorNumber, r.errorText));
        return;
    case ImportEngine::Result::Completed:
        break;
    }
    CloseFiles();
    List1[0]->addItems(r.climbs);
    List1[1]->addItems(r.routes);
    Label1->setText(QString());
    MsgBox(GetLangString(17519), Vb::Information);
    Label2->setText(FormatLangString(GetLangString(17520), {QString::number(r.climbs.size())}));
    Label3->setText(FormatLangString(GetLangString(17521), {QString::number(r.routes.size())}));
    ShowPage(3);
    // The data are committed whatever becomes of the log.
    if (!ImportEngine::WriteImportLog(SpecialFolders.Temp(), r.climbs, r.routes))
        MsgBox(GetLangString(17525) + QChar(10) + ImportEngine::ImportLogPath(SpecialFolders.Temp()), Vb::Exclamation);
}

void frmImport::cmdAnnulla_Click()
{
    if (m_running)
        m_abort = true;
}

void frmImport::cmdExit_Click() { close(); }

void frmImport::CloseFiles()
{
    for (dao::DatabasePtr *db : {&m_source, &m_dest}) {
        if (*db) {
            try {
                (*db)->Close();
            } catch (const VbError &) {
            }
            db->reset();
        }
    }
}

void frmImport::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        QApplication::beep();
        event->ignore();
        return;
    }
    CloseFiles();
    QDialog::closeEvent(event);
}

void frmImport::reject()
{
    if (m_running) {
        QApplication::beep();
        return;
    }
    CloseFiles();
    QDialog::reject();
}
