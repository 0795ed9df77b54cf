#pragma once
// The database import wizard: choose a source file, a destination file, the
// kinds and the overwrite criterion, then copy (ImportEngine::CopyRaces) with
// progress and an abort button, and see what was imported. One page is shown
// at a time and there is no way back. The two files are opened in database
// objects of the window's own, apart from CurrentDb.
#include "platform/dao/Dao.h"
#include "tools/ImportPump.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;
namespace ImportFiles { struct Opened; }

// Tells why a file of an import could not be opened (the texts the opening
// chose, or the data error); nothing when there is nothing to tell.
void TellOpenFailure(const ImportFiles::Opened &opened);
// Sets the main window's pointer (11 hourglass, 0 default) when there is one.
void SetMainPointer(int pointer);

class frmImport : public QDialog {
    Q_OBJECT
public:
    explicit frmImport(QWidget *parent = nullptr);
    ~frmImport() override;

    // Pages: 0 source, 1 destination, 2 kinds and criterion (the import), 3 end.
    QStackedWidget *Pages;
    int Page() const;

    // Page 0
    QLabel *lblSourceTitle, *lblSource;
    QLineEdit *txtSource;
    QPushButton *cmdSource, *cmdStep0Next, *cmdStep0Exit;
    // Page 1
    QLabel *lblDestTitle, *lblDest;
    QLineEdit *txtDest;
    QPushButton *cmdDest, *cmdStep1Next, *cmdStep1Exit;
    // Page 2
    QLabel *lblKinds, *lblTime;
    QList<QCheckBox *> Check1;           // 0 climbs, 1 routes
    QGroupBox *fraCriterion;
    QList<QRadioButton *> Option1;       // 0 confirm, 1 overwrite all, 2 no overwrite
    QLabel *Label1;
    QProgressBar *ProgressBar1;
    QPushButton *cmdStep2Import, *cmdAnnulla, *cmdStep2Exit;
    // Page 3
    QLabel *lblEnd;
    QGroupBox *fraClimbs, *fraRoutes;
    QList<QListWidget *> List1;          // 0 climbs, 1 routes
    QLabel *Label2, *Label3;
    QPushButton *cmdStep3Exit;

    bool Running() const { return m_running; }

public slots:
    void UpdateControls();
    void cmdSource_Click();
    void cmdStep0Next_Click();
    void cmdDest_Click();
    void cmdStep1Next_Click();
    void cmdStep2Import_Click();
    void cmdAnnulla_Click();
    void cmdExit_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void ShowPage(int page);
    QString Browse(int titleId, const QString &settingKey, const QString &current);
    void CloseFiles();

    dao::DatabasePtr m_source, m_dest;
    ImportPump m_pump;
    bool m_abort = false;
    bool m_running = false;
};
