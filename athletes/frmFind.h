#pragma once
// The find dialog: searches a clone of the records of the data window named by
// DataFormName for a text in one field and moves that window to the record
// found. A failed search never moves the window.
#include "athletes/StoredPlace.h"
#include "platform/dao/Dao.h"

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
namespace data {
class DataControl;
}

class frmFind : public QDialog {
    Q_OBJECT
public:
    explicit frmFind(QWidget *parent = nullptr);
    ~frmFind() override;

    void UpdateControls();
    // The clone searched (null when no served window was reached).
    dao::RecordsetPtr TmpObj;

public slots:
    void Command1_Click();   // Find first
    void Command2_Click();   // Find next
    void Command3_Click();   // Close

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void done(int r) override;

private:
    void Form_Load();
    void Form_Unload();
    void find(bool next);

    QLineEdit *Text1 = nullptr;
    QComboBox *Combo1 = nullptr, *Combo2 = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr;
    QPointer<data::DataControl> m_data;
    StoredPlace m_place;
    bool m_unloaded = false;
};
