#pragma once
// RecordCard: the frame of a card window, a child window that shows one record
// of a table at a time (climbs, routes, athletes, training and climb times).
//
// The frame owns what every card has:
// - the counter row: Label1, the data control Data1, Label2 and lblNumero
//   ("n of m"), above the card or below it (Setup::counterBelow);
// - the command buttons cmdAdd, cmdUpdate, cmdModify (Setup::modify), cmdDelete,
//   cmdRefresh, cmdClose, plus the card's own (addButton);
// - the browsing and adding states (AddMode, RecordTotal): New, Confirm Data,
//   Confirm Changes, Delete, Refresh, Close, the required-field check and the
//   duplicate-key check on leaving the key field while adding;
// - the window texts from a table of text numbers (UpdateControls);
// - the main window's commands while the card is open, the windows that close
//   with it, its settings section (the window's name);
// - a key preview scoped to this window (its own widgets, not the whole
//   application): Page Up / Page Down / Home / End move the record.
//
// A card class derives from it and, in its constructor:
//   1. builds its fields into fieldArea(), binding each (bindField), marking the
//      required ones (addRequired) and the key field (setKeyField); adds its
//      buttons (addButton), fills sideArea() and adds covering panels (addPanel);
//   2. calls load() last, which runs the loading steps and the hooks below.
// The most derived class calls unloadOnce() from its destructor, so a window
// deleted without being closed still runs its closing steps with every hook.
//
// Hooks (all optional): loadSteps() before Data1 is bound; afterCount() once
// RecordTotal is known; restoreSettings()/saveSettings(); onReposition(onRow)
// after the frame's own reposition steps; onAddStateChanged(adding);
// beforeSave(adding) for values no bound control holds; checkBeforeConfirm()
// for fields Confirm may find still being typed in; deleteQuestion();
// applyText() for table entries that are not widgets; previewKey() for keys of
// the window before the focused control; onUnload() for closing steps.
#include "core/FindTarget.h"
#include "platform/dao/Dao.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class DeferredMessage;
class QGridLayout;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QComboBox;
class QPlainTextEdit;

namespace data {
class DataControl;
}

class RecordCard : public QWidget, public FindTarget {
    Q_OBJECT
    Q_INTERFACES(FindTarget)
public:
    // One caption or tool tip of the window: text number, control name ("" is
    // the window title), 'C' caption or 'T' tool tip.
    struct Text {
        int number;
        const char *control;
        char property;
    };
    struct Setup {
        QString formName;                   // object name and settings section
        QString recordSource;               // table or query of Data1
        int recordsetType = dao::dbOpenTable;
        QString keyField;                   // checked for duplicates while adding ("" none)
        bool modify = true;                 // has cmdModify
        bool counterBelow = false;          // counter row below the card
        // Message texts.
        int deleteQuestion = 0;             // "%1" = the key field's text
        int emptyOnAdd = 0;
        int emptyOnModify = 0;
        int duplicateKey = 0;
        QStringList mainCommands;           // enabled on the main window while open
        QStringList closeWith;              // windows unloaded when the card closes
        std::vector<Text> texts;
    };

    explicit RecordCard(const Setup &setup, QWidget *parent = nullptr);
    ~RecordCard() override;

    const Setup &setup() const { return m_setup; }
    int RecordTotal() const { return m_recordTotal; }
    bool AddMode() const { return m_addMode; }
    data::DataControl *Data1() const { return m_data1; }
    // A control by its object name ("txtFields(0)", "cmdAdd" ...), for texts and tests.
    QWidget *Control(const QString &name) const;
    // The record's position shown by the counter (0 without a current record).
    int recordPosition() const;
    // The find dialog searches Data1 and, while a new record is entered (New
    // disabled), brings the card back to browsing first.
    data::DataControl *findDataControl() const override { return m_data1; }
    bool findAdding() const override;

public slots:
    // By-name command of the main window: every text in the current language.
    void UpdateControls();

    void cmdAdd_Click();
    void cmdUpdate_Click();
    void cmdModify_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    void cmdClose_Click();

protected:
    // Building (constructor of the card class).
    QWidget *fieldArea() const { return m_fields; }
    QWidget *sideArea() const { return m_side; }
    // Fields and buttons: the area the panels cover.
    QWidget *cardArea() const { return m_card; }
    void bindField(QLineEdit *edit, const QString &field);
    void bindField(QComboBox *combo, const QString &field);
    void bindField(QPlainTextEdit *edit, const QString &field);
    QWidget *boundControl(const QString &field) const;
    QString fieldText(const QString &field) const;
    // The text a label, field, list or text box shows; "" for any other widget or none.
    static QString shownText(const QWidget *w);
    void addRequired(QLineEdit *edit) { m_required.push_back(edit); }
    void setKeyField(QLineEdit *edit) { m_keyEdit = edit; }
    QLineEdit *keyEdit() const { return m_keyEdit; }
    // The window's one teller of what a callback refused (the key field's
    // focus-out, a card's own field checks): Confirm tells what waits in it
    // before it stores anything.
    DeferredMessage *teller() const { return m_teller; }
    QPushButton *addButton(const QString &name);
    // A panel that covers the card area when shown (hidden at first).
    void addPanel(QWidget *panel);
    void load();
    void unloadOnce();

    QPushButton *cmdAdd() const { return m_cmdAdd; }
    QPushButton *cmdUpdate() const { return m_cmdUpdate; }
    QPushButton *cmdModify() const { return m_cmdModify; }
    QPushButton *cmdDelete() const { return m_cmdDelete; }
    QPushButton *cmdRefresh() const { return m_cmdRefresh; }
    QPushButton *cmdClose() const { return m_cmdClose; }
    QLabel *lblNumero() const { return m_lblNumero; }
    void placePanels();
    // False until load() has counted the records and shown the count (the
    // reposition of the loading runs before).
    bool counted() const { return m_counted; }
    // True while a new record is being entered as the buttons show it.
    bool addingCard() const;

    // Hooks.
    virtual void loadSteps() {}
    virtual void afterCount() {}
    virtual void restoreSettings() {}
    virtual void saveSettings() {}
    virtual void onReposition(bool onRow) { Q_UNUSED(onRow); }
    virtual void onAddStateChanged(bool adding) { Q_UNUSED(adding); }
    virtual void beforeSave(bool adding) { Q_UNUSED(adding); }
    virtual QString deleteQuestion() const;
    virtual bool requiredFilled() const;
    // Runs before Confirm's required-field check: the focus may still be in a
    // field whose check on leaving has not run. False when a field is refused
    // (the card has said why); nothing is stored.
    virtual bool checkBeforeConfirm() { return true; }
    virtual bool applyText(const QString &control, const QString &text) { Q_UNUSED(control); Q_UNUSED(text); return false; }
    // A key pressed anywhere in the window before its control sees it; true
    // consumes it. Called once per key, after the navigation keys were acted on.
    virtual bool previewKey(QWidget *target, QKeyEvent *key) { Q_UNUSED(target); Q_UNUSED(key); return false; }
    virtual void onUnload() {}

    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Moves the card for Page Up/Down, Home and End; true when the card was
    // kept on its record by what is typed on it (the key is then taken).
    bool Form_KeyDown(int key);
    void Data1_Reposition();
    void setAddState(bool adding);
    bool keyExists(const QString &value) const;
    void checkKeyOnLeave();
    void showCounter();
    void setMainCommands(bool enabled);
    void watch(QObject *object);
    // In a workspace: the frame around the card has no minimise and maximise
    // buttons and keeps the card's fixed size.
    void fitFrame();

    Setup m_setup;
    data::DataControl *m_data1 = nullptr;
    QLabel *m_lblNumero = nullptr;
    QWidget *m_card = nullptr;       // fields and buttons: the area panels cover
    QWidget *m_fields = nullptr;
    QWidget *m_side = nullptr;
    QGridLayout *m_buttons = nullptr;
    QPushButton *m_cmdAdd = nullptr, *m_cmdUpdate = nullptr, *m_cmdModify = nullptr;
    QPushButton *m_cmdDelete = nullptr, *m_cmdRefresh = nullptr, *m_cmdClose = nullptr;
    std::vector<QLineEdit *> m_required;
    QLineEdit *m_keyEdit = nullptr;
    DeferredMessage *m_teller = nullptr;
    std::vector<QWidget *> m_panels;
    std::vector<std::pair<QString, QWidget *>> m_bound;

    int m_recordTotal = 0;
    bool m_addMode = false;
    bool m_loaded = false;
    bool m_counted = false;
    bool m_placed = false;
    bool m_unloaded = false;
    const QEvent *m_lastKey = nullptr;
    ulong m_lastKeyTime = 0;
};
