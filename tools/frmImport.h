#pragma once
// The database import wizard: choose a source file, a destination file, the
// kinds and the overwrite criterion, then copy (ImportEngine::CopyRaces) with
// progress and an abort button, and see what was imported. One page is shown
// at a time and there is no way back. The two files are opened in database
// objects of the window's own, apart from CurrentDb.
#include "tools/ImportWizard.h"

class QCheckBox;
class QRadioButton;

class frmImport : public ImportWizard {
    Q_OBJECT
public:
    explicit frmImport(QWidget *parent = nullptr);
    ~frmImport() override;

    // Pages: 0 source, 1 destination, 2 kinds and criterion (the import), 3 end.

    // Page 0
    QLabel *lblSourceTitle, *lblSource;
    QLineEdit *txtSource;
    QPushButton *cmdSource, *cmdStep0Next, *cmdStep0Exit;
    // Page 1
    QLabel *lblDestTitle, *lblDest;
    QPushButton *cmdStep1Next, *cmdStep1Exit;
    // Page 2
    QLabel *lblKinds, *lblTime;
    QList<QCheckBox *> Check1;           // 0 climbs, 1 routes
    QGroupBox *fraCriterion;
    QList<QRadioButton *> Option1;       // 0 confirm, 1 overwrite all, 2 no overwrite
    QPushButton *cmdStep2Import, *cmdStep2Exit;
    // Page 3
    QList<QListWidget *> List1;          // 0 climbs, 1 routes
    QPushButton *cmdStep3Exit;

public slots:
    void UpdateControls();
    void cmdSource_Click();
    void cmdStep0Next_Click();
    void cmdDest_Click();
    void cmdStep1Next_Click();
    void cmdStep2Import_Click();

public:
    // Open the source (read-only) and the destination (read-write, brought up
    // to date) in the window's own database objects: 1 when open, 0 when the
    // file was refused (the reason is told).
    int OpenOriginDb(const QString &path);
    int OpenDestDb(const QString &path);

protected:
    void Unload() override { CloseFiles(); }

private:
    QString Browse(int titleId, const QString &settingKey, const QString &current);
    void CloseFiles();

    dao::DatabasePtr m_source;
};
