#pragma once
// The text profile import wizard: choose profile files, a destination file,
// whether existing profiles are overwritten, then import every file in one
// run (TextImport::Import) with progress and an abort button, and see the
// climbs and routes imported. Four pages, one at a time, no way back.
#include "tools/ImportWizard.h"

#include <QStringList>

class QCheckBox;

class frmTxtImport : public ImportWizard {
    Q_OBJECT
public:
    explicit frmTxtImport(QWidget *parent = nullptr);
    ~frmTxtImport() override;

    // Pages Picture1(0..3).
    // Page 1: the files.
    QLabel *Text1_0;
    QPushButton *cmdOpenTxt;
    QListWidget *List1;
    QPushButton *cmd1Ffw, *cmd1Exit;
    // Page 2: the destination.
    QLabel *Text1_1;
    QPushButton *cmd2Fwd, *cmd2Exit;
    // Page 3: the import.
    QLabel *Text4;
    QCheckBox *Check1;
    QPushButton *cmd3Import, *cmd3Exit;
    // Page 4: the end.
    QList<QListWidget *> List2;   // 0 climbs, 1 routes
    QPushButton *cmd4Exit;

    const QStringList &Files() const { return m_files; }

    // Opens the destination in the window's own database object: 1 when open,
    // 0 otherwise. A file that does not exist gives 0 at once and says
    // nothing; a refused one is told.
    int OpenDestDb(const QString &DestDbName);

public slots:
    void UpdateControls();
    void cmdOpenTxt_Click();
    void cmd1Ffw_Click();
    void cmdDest_Click();
    void cmd2Fwd_Click();
    void cmd3Import_Click();

protected:
    void Unload() override { Form_Unload(); }

private:
    void Form_Unload();
    void CloseDest();

    QStringList m_files;
    bool m_unloaded = false;
};
