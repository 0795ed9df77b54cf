#pragma once
// What the two import wizards (databases, text profiles) have in common: the
// page stack shown one page at a time, the run on the window's own thread with
// its abort button and event pump, the refusal to close while it runs, the end
// page listing what was imported, and the small widget helpers their pages are
// built from.
#include "platform/dao/Dao.h"
#include "platform/error/VbError.h"
#include "tools/ImportPump.h"
#include "tools/logic/ImportEngine.h"

#include <QDialog>
#include <QList>

#include <exception>
#include <initializer_list>

class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStackedWidget;
namespace ImportFiles { struct Opened; }

// Tells why a file of an import could not be opened (the texts the opening
// chose, or the data error); nothing when there is nothing to tell.
void TellOpenFailure(const ImportFiles::Opened &opened);
// Sets the main window's pointer (11 hourglass, 0 default) when there is one.
void SetMainPointer(int pointer);

namespace ImportUi {
// A push button that never takes Enter as the default button.
QPushButton *Button(QWidget *parent, const char *name);
// A word-wrapped caption, bold for page titles.
QLabel *Caption(QWidget *parent, const char *name, bool bold = false);
// The buttons right-aligned at the foot of a page.
QHBoxLayout *ButtonRow(std::initializer_list<QPushButton *> buttons);
// An empty page "Picture1(index)".
QWidget *Page(int index);
// A path field of the given name.
QLineEdit *PathField(QWidget *parent, const char *name);
// Lays out a page that asks for one file: the captions (a gap under the first
// when there are more), the path field with its browse button, and the step
// buttons at the foot.
void LayFilePage(QWidget *page, std::initializer_list<QLabel *> captions, QLineEdit *path, QPushButton *browse,
                 std::initializer_list<QPushButton *> steps);
// The sunken line "Label1" that says what the run is doing.
QLabel *StatusLine(QWidget *parent);
// The run's progress bar "ProgressBar1", without its percentage.
QProgressBar *ProgressBar(QWidget *parent);
// Shows the open-file dialog (cmDlg1) as set up here; false when cancelled or
// failed (a failure is told). The chosen file is in cmDlg1.FileName.
bool AskOpenFile(const QString &title, const QString &filter, const QString &defaultExt, const QString &initDir,
                 int flags);
// Closes an import's own database, quietly, and lets it go.
void CloseFile(dao::DatabasePtr &db);

// The last page: what was imported, climbs and routes side by side with their
// counts under them, and the exit button.
struct EndPage {
    QWidget *page = nullptr;
    QLabel *lblEnd = nullptr;
    QGroupBox *fraClimbs = nullptr, *fraRoutes = nullptr;
    QList<QListWidget *> lists;   // 0 climbs, 1 routes
    QLabel *Label2 = nullptr, *Label3 = nullptr;
    QPushButton *exit = nullptr;

    EndPage() = default;
    // listName "List1" names the lists "List1(0)" and "List1(1)".
    EndPage(int index, const char *listName, const char *exitName);
    void Clear();
    // Fills the lists and the counts (texts climbsId and routesId with the number).
    void Fill(const QStringList &climbs, const QStringList &routes, int climbsId, int routesId);
};
} // namespace ImportUi

class ImportWizard : public QDialog {
    Q_OBJECT
public:
    QStackedWidget *Pages;
    int Page() const;
    bool Running() const { return m_running; }

    // The destination file's page: its path and browse button.
    QLineEdit *txtDest = nullptr;
    QPushButton *cmdDest = nullptr;
    // The import's page: the status line, the progress bar and the abort button.
    QLabel *Label1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *cmdAnnulla = nullptr;
    // The end page (the lists and the exit button go by each wizard's names).
    QLabel *lblEnd = nullptr;
    QGroupBox *fraClimbs = nullptr, *fraRoutes = nullptr;
    QLabel *Label2 = nullptr, *Label3 = nullptr;

public slots:
    void cmdAnnulla_Click();
    void cmdExit_Click();

protected:
    explicit ImportWizard(const char *name, QWidget *parent);

    // The status line and the progress bar of the import's page.
    void BuildRunLines(QWidget *page);
    // The abort button of the import's page, live only while an import runs.
    void BuildAbortButton(QWidget *page);
    // The end page as the last page (index 3), its lists named listName.
    void BuildEndPage(const char *listName, const char *exitName);

    // Adds the pages, each with the control that takes the focus when it is shown.
    void AddPages(std::initializer_list<std::pair<QWidget *, QWidget *>> pagesAndFocus);
    // Shows the first page, sized to its contents, in the middle of the screen.
    void Present(const QSize &minimum);
    void ShowPage(int page);

    // Runs work (an import returning an ImportEngine::Result or a kind of it)
    // with the locked controls disabled and the abort button live; an exception
    // comes back as a failed result. The caller has set the progress texts.
    template <class Result, class Work>
    Result Run(std::initializer_list<QWidget *> locked, QPushButton *abort, Work &&work)
    {
        BeginRun(locked, abort);
        Result r;
        try {
            r = work();
        } catch (const std::exception &e) {
            r = Result{};
            r.status = Result::Failed;
            r.errorNumber = VbErr::InvalidProcedureCall;
            r.errorText = QString::fromLocal8Bit(e.what());
        }
        EndRun(locked, abort);
        return r;
    }
    // The engine's callbacks with the abort question answered; the event pump
    // runs while the engine asks it.
    ImportEngine::Callbacks AbortableCallbacks();
    // Writes the list of what was imported to the temporary folder; a failure
    // is told (the data are committed whatever becomes of the log).
    static void WriteLog(const ImportEngine::Result &r);

    // Releases what the window holds on closing (files, settings); called once
    // or more, so it must be idempotent.
    virtual void Unload() = 0;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

    ImportPump m_pump;
    bool m_abort = false;
    ImportUi::EndPage m_end;
    dao::DatabasePtr m_dest;       // the destination, opened in the window's own database object

private:
    void BeginRun(std::initializer_list<QWidget *> locked, QPushButton *abort);
    void EndRun(std::initializer_list<QWidget *> locked, QPushButton *abort);

    QList<QWidget *> m_focus;
    bool m_running = false;
};
