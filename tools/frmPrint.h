#pragma once
// The print form: hosts the table-printing control lumoTPrt1, keeps the four
// page margins, opens the font and printer dialogs, starts the preview of one
// query, counts the pages while the table is laid out and lets the user
// cancel. Callers hand it the job (PrintFormInterface: PrintSQL, Titolo and
// the caption), then show it.
#include "core/WindowInterfaces.h"

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QAction;
class QPushButton;
class QScrollBar;
class lumoTPrt;

class frmPrint : public QWidget, public PrintFormInterface {
    Q_OBJECT
    Q_INTERFACES(PrintFormInterface)
public:
    explicit frmPrint(QWidget *parent = nullptr);
    ~frmPrint() override;

    QString PrintSQL;
    QString Titolo;
    void setPrintJob(const PrintJob &job) override
    {
        PrintSQL = job.sql;
        Titolo = job.title;
    }

    // The margins' range in millimetres (the bars run from 0 to this).
    static constexpr int MarginMax = 100;

    bool Running() const { return m_running; }

public slots:
    void UpdateControls();
    void cmdPrint_Click();
    void cmdCancel_Click();

public:
    // Controls by their names; Text1, VScroll1, Label2 indexed 0 right, 1 left, 2 top, 3 bottom.
    QFrame *Picture1;
    QLineEdit *Text1[4];
    QScrollBar *VScroll1[4];
    QLabel *Label2[4];
    QPushButton *Command1;
    QPushButton *cmdCancel;
    QPushButton *cmdPrint;
    lumoTPrt *lumoTPrt1;
    QLabel *lblNrPage;
    QLabel *Label1;
    QMenuBar *menuBar;
    QMenu *mnuImpostazioni;
    QAction *mnuPrint, *mnuMargini, *mnuFont;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void Text1_Change(int index);
    void VScroll1_Change(int index);
    float Margin(int index) const;
    void SetMargin(int index, float value);
    bool CancelAsked();
    // Grows the window (or the workspace frame around it) to what it shows.
    void FitWindow();

    QString m_tag;           // "LOADING" while the form loads
    QString m_cancelTag;     // "CANCEL" once the user cancels a layout
    bool m_running = false;
};
