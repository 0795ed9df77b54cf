#pragma once
// The text profile import wizard: choose profile files, a destination file,
// whether existing profiles are overwritten, then import every file in one
// run (TextImport::Import) with progress and an abort button, and see the
// climbs and routes imported. Four pages, one at a time, no way back.
#include "platform/dao/Dao.h"
#include "tools/ImportPump.h"

#include <QDialog>
#include <QList>
#include <QStringList>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStackedWidget;

class frmTxtImport : public QDialog {
    Q_OBJECT
public:
    explicit frmTxtImport(QWidget *parent = nullptr);
    ~frmTxtImport() override;

    QStackedWidget *Pages;   // Picture1(0..3)
    int Page() const;

    // Page 1: the files.
    QLabel *Text1_0;
    QPushButton *cmdOpenTxt;
    QListWidget *List1;
    QPushButton *cmd1Ffw, *cmd1Exit;
    // Page 2: the destination.
    QLabel *Text1_1;
    QLineEdit *txtDest;
    QPushButton *cmdDest, *cmd2Fwd, *cmd2Exit;
    // Page 3: the import.
    QLabel *Text4;
    QCheckBox *Check1;
    QLabel *Label1;
    QProgressBar *ProgressBar1;
    QPushButton *cmd3Import, *cmdAnnulla, *cmd3Exit;
    // Page 4: the end.
    QLabel *lblEnd;
    QGroupBox *fraClimbs, *fraRoutes;
    QList<QListWidget *> List2;   // 0 climbs, 1 routes
    QLabel *Label2, *Label3;
    QPushButton *cmd4Exit;

    const QStringList &Files() const { return m_files; }
    bool Running() const { return m_running; }

public slots:
    void UpdateControls();
    void cmdOpenTxt_Click();
    void cmd1Ffw_Click();
    void cmdDest_Click();
    void cmd2Fwd_Click();
    void cmd3Import_Click();
    void cmdAnnulla_Click();
    void cmdExit_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void ShowPage(int page);
    void Form_Unload();
    void CloseDest();

    QStringList m_files;
    dao::DatabasePtr m_dest;
    ImportPump m_pump;
    bool m_abort = false;
    bool m_running = false;
    bool m_unloaded = false;
};
