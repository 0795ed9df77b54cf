#include "tools/ImportWizard.h"

#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "platform/shell/PrivateFolder.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"
#include "tools/logic/ImportFiles.h"

#include <QApplication>
#include <QCloseEvent>
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

namespace ImportUi {

QPushButton *Button(QWidget *parent, const char *name)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QLabel *Caption(QWidget *parent, const char *name, bool bold)
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

QWidget *Page(int index)
{
    auto *p = new QWidget;
    p->setObjectName(QStringLiteral("Picture1(%1)").arg(index));
    return p;
}

QLineEdit *PathField(QWidget *parent, const char *name)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

void LayFilePage(QWidget *page, std::initializer_list<QLabel *> captions, QLineEdit *path, QPushButton *browse,
                 std::initializer_list<QPushButton *> steps)
{
    auto *file = new QHBoxLayout;
    file->addWidget(path, 1);
    file->addWidget(browse);
    auto *lay = new QVBoxLayout(page);
    for (QLabel *caption : captions) {
        lay->addWidget(caption);
        if (caption == *captions.begin() && captions.size() > 1)
            lay->addSpacing(8);
    }
    lay->addLayout(file);
    lay->addStretch();
    lay->addLayout(ButtonRow(steps));
}

QLabel *StatusLine(QWidget *parent)
{
    QLabel *l = Caption(parent, "Label1");
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setMinimumHeight(l->fontMetrics().height() + 6);
    return l;
}

QProgressBar *ProgressBar(QWidget *parent)
{
    auto *bar = new QProgressBar(parent);
    bar->setObjectName(QStringLiteral("ProgressBar1"));
    bar->setTextVisible(false);
    return bar;
}

bool AskOpenFile(const QString &title, const QString &filter, const QString &defaultExt, const QString &initDir, int flags)
{
    cmDlg1.DialogTitle = title;
    cmDlg1.Filter = filter;
    cmDlg1.FilterIndex = 1;
    cmDlg1.DefaultExt = defaultExt;
    cmDlg1.InitDir = initDir;
    cmDlg1.FileName.clear();
    cmDlg1.Flags = flags;
    cmDlg1.CancelError = true;
    try {
        cmDlg1.ShowOpen();
    } catch (const VbError &e) {
        if (e.Number() != VbErr::CancelError)
            ShowDataError(e);
        return false;
    }
    return true;
}

void CloseFile(dao::DatabasePtr &db)
{
    if (!db)
        return;
    try {
        db->Close();
    } catch (const VbError &) {
    }
    db.reset();
}

EndPage::EndPage(int index, const char *listName, const char *exitName) : page(Page(index))
{
    lblEnd = Caption(page, "lblEnd", true);
    fraClimbs = new QGroupBox(page);
    fraRoutes = new QGroupBox(page);
    for (int i = 0; i < 2; ++i) {
        QGroupBox *frame = i == 0 ? fraClimbs : fraRoutes;
        auto *list = new QListWidget(frame);
        list->setObjectName(QStringLiteral("%1(%2)").arg(QLatin1String(listName)).arg(i));
        (new QVBoxLayout(frame))->addWidget(list);
        lists << list;
    }
    Label2 = Caption(page, "Label2");
    Label3 = Caption(page, "Label3");
    exit = Button(page, exitName);
    auto *grid = new QGridLayout;
    grid->addWidget(fraClimbs, 0, 0);
    grid->addWidget(fraRoutes, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Label3, 1, 1);
    auto *lay = new QVBoxLayout(page);
    lay->addWidget(lblEnd);
    lay->addLayout(grid, 1);
    lay->addLayout(ButtonRow({exit}));
}

void EndPage::Clear()
{
    for (QListWidget *list : lists)
        list->clear();
}

void EndPage::Fill(const QStringList &climbs, const QStringList &routes, int climbsId, int routesId)
{
    lists[0]->addItems(climbs);
    lists[1]->addItems(routes);
    Label2->setText(FormatLangString(GetLangString(climbsId), {InterfaceNumber(climbs.size())}));
    Label3->setText(FormatLangString(GetLangString(routesId), {InterfaceNumber(routes.size())}));
}

} // namespace ImportUi

ImportWizard::ImportWizard(const char *name, QWidget *parent) : QDialog(parent)
{
    setObjectName(QLatin1String(name));
    Pages = new QStackedWidget(this);
    (new QVBoxLayout(this))->addWidget(Pages);
}

int ImportWizard::Page() const { return Pages->currentIndex(); }

void ImportWizard::BuildRunLines(QWidget *page)
{
    Label1 = ImportUi::StatusLine(page);
    ProgressBar1 = ImportUi::ProgressBar(page);
}

void ImportWizard::BuildAbortButton(QWidget *page)
{
    cmdAnnulla = ImportUi::Button(page, "cmdAnnulla");
    cmdAnnulla->setEnabled(false);
    connect(cmdAnnulla, &QPushButton::clicked, this, &ImportWizard::cmdAnnulla_Click);
}

void ImportWizard::BuildEndPage(const char *listName, const char *exitName)
{
    m_end = ImportUi::EndPage(3, listName, exitName);
    lblEnd = m_end.lblEnd;
    fraClimbs = m_end.fraClimbs;
    fraRoutes = m_end.fraRoutes;
    Label2 = m_end.Label2;
    Label3 = m_end.Label3;
}

void ImportWizard::AddPages(std::initializer_list<std::pair<QWidget *, QWidget *>> pagesAndFocus)
{
    for (const auto &[page, focus] : pagesAndFocus) {
        Pages->addWidget(page);
        m_focus << focus;
    }
}

void ImportWizard::Present(const QSize &minimum)
{
    setMinimumSize(minimum);
    ShowPage(0);
    resize(sizeHint().expandedTo(minimumSize()));
    CenterForm(this);
}

void ImportWizard::ShowPage(int page)
{
    Pages->setCurrentIndex(page);
    if (page >= 0 && page < m_focus.size())
        m_focus.at(page)->setFocus();
}

void ImportWizard::BeginRun(std::initializer_list<QWidget *> locked, QPushButton *abort)
{
    m_running = true;
    m_abort = false;
    for (QWidget *w : locked)
        w->setEnabled(false);
    abort->setEnabled(true);
    abort->setFocus();
    SetMainPointer(11);
    m_pump.flush();
}

void ImportWizard::EndRun(std::initializer_list<QWidget *> locked, QPushButton *abort)
{
    SetMainPointer(0);
    m_running = false;
    for (QWidget *w : locked)
        w->setEnabled(true);
    abort->setEnabled(false);
}

ImportEngine::Callbacks ImportWizard::AbortableCallbacks()
{
    ImportEngine::Callbacks cb;
    cb.shouldAbort = [this] {
        m_pump.yield();
        return m_abort;
    };
    return cb;
}

void ImportWizard::WriteLog(const ImportEngine::Result &r)
{
    // The log goes to the user's own folder, where nobody else can plant a
    // link or a file at its name.
    QString why;
    const PrivateFolder folder = OpenUserPrivateFolder(&why);
    if (!folder.isOpen() || !ImportEngine::WriteImportLog(folder, r.climbs, r.routes, &why))
        MsgBox(GetLangString(17525) + QChar(10) + why, Vb::Exclamation);
}

void ImportWizard::cmdAnnulla_Click()
{
    if (m_running)
        m_abort = true;
}

void ImportWizard::cmdExit_Click() { close(); }

void ImportWizard::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        QApplication::beep();
        event->ignore();
        return;
    }
    Unload();
    QDialog::closeEvent(event);
}

void ImportWizard::reject()
{
    if (m_running) {
        QApplication::beep();
        return;
    }
    Unload();
    QDialog::reject();
}
