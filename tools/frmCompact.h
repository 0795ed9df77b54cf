#pragma once
// The compaction and repair windows and the database password prompt. The
// work itself is in DbMaintenance.h; these windows ask, animate and report.
#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
struct MaintenanceResult;

// Shared look of the compaction and repair windows: a status line, the busy
// animation, the action and Cancel buttons. While the work runs (on a worker
// thread, so the window keeps painting) the window cannot be closed.
class MaintenanceForm : public QDialog {
    Q_OBJECT
public:
    QPushButton *Command1;
    QPushButton *Command2;
    QLabel *Label1;
    QLabel *Picture1;
    QTimer *Timer1;

    bool Running() const { return m_running; }
    bool AnimationPhase() const { return m_phase; }

public slots:
    virtual void Command1_Click() = 0;
    void Command2_Click();
    void Timer1_Timer();
    void UpdateControls();

protected:
    // Where each window's texts stand.
    struct Texts {
        const char *name;   // object name of the window
        int first;          // title, Cancel, action, status line: first .. first + 3
        int work;           // status while working; then the done status and the report: work + 1 .. work + 4
        int fileTitle;      // the title with the file's name
        int ready;          // the status line before the work starts
    };

    MaintenanceForm(const Texts &texts, QWidget *parent);
    void Load(int titleId);        // caption with the file title, centring
    void BeginWork(int statusId);
    void EndWork(int statusId);
    // The work is done: the done status and the report; with askKeepBackup the
    // report asks whether to keep the backup copy and removes it on No.
    void ReportDone(const MaintenanceResult &r, bool askKeepBackup);
    // The work failed: the data error is told.
    void ReportError(const MaintenanceResult &r);
    // The window may close again, and closes.
    void Finish();
    // Runs work on a worker thread while the event loop keeps the window painting.
    MaintenanceResult RunBusy(const std::function<MaintenanceResult()> &work);
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    static void SetPointer(int pointer);

    const Texts m_texts;
    bool m_phase = true;
    bool m_running = false;
};

class frmCompact : public MaintenanceForm {
    Q_OBJECT
public:
    explicit frmCompact(QWidget *parent = nullptr);
public slots:
    void Command1_Click() override;
private:
    static const Texts Table;
};

class frmRepair : public MaintenanceForm {
    Q_OBJECT
public:
    explicit frmRepair(QWidget *parent = nullptr);
public slots:
    void Command1_Click() override;
private:
    static const Texts Table;
};

class frmConvert : public MaintenanceForm {
    Q_OBJECT
public:
    explicit frmConvert(QWidget *parent = nullptr);
public slots:
    void Command1_Click() override;
private:
    static const Texts Table;
};

class frmPassword : public QDialog {
    Q_OBJECT
public:
    explicit frmPassword(QWidget *parent = nullptr);
    QLineEdit *Text1;
    QLabel *Label1;
    QPushButton *Command1;
    QPushButton *Command2;
    QLabel *Picture1;
public slots:
    void Command1_Click();
    void Command2_Click();
    void UpdateControls();
protected:
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Fills the main window's ImageList1 with the two frames of the busy
// animation ("n_coca", "l_coca") when they are missing.
void EnsureBusyFrames();
