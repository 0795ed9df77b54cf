#pragma once
// The data control: one recordset shown through bound controls, with arrow
// buttons to move and a caption. A changed record is saved when the control
// moves off it; every move (its own, or one made on its recordset by other code,
// such as a find or a bookmark assignment) loads the bound controls and raises
// Reposition. Database failures are raised as the Error signal; a handler that
// leaves the response at non-zero gets a plain message box.
#include "platform/dao/Dao.h"
#include "platform/shell/Shell.h"

#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace data {

// Actions named in Validate, as the data control reports them.
enum ValidateAction {
    vbDataActionCancel = 0, vbDataActionMoveFirst = 1, vbDataActionMovePrevious = 2,
    vbDataActionMoveNext = 3, vbDataActionMoveLast = 4, vbDataActionAddNew = 5,
    vbDataActionUpdate = 6, vbDataActionDelete = 7, vbDataActionFind = 8,
    vbDataActionBookmark = 9, vbDataActionClose = 10, vbDataActionUnload = 11
};

// Text of a field value as a bound control shows it (numbers in the user's
// locale, no group separator; null is empty).
QString FieldText(const QVariant &value, dao::FieldType type);
// The value to store for a control's text. Empty text is null. Throws VbError 13
// when a number field gets a text that is not a number.
QVariant FieldValue(const QString &text, dao::FieldType type);
// The user's short date format with the whole year.
using Shell::FullYearDateFormat;

class DatePicker;

// How a bound control shows a field and what it stores for a text, where the
// plain forms of FieldText and FieldValue do not fit (a time in the user's
// format, for instance). An empty function keeps the plain form.
struct TextFormat {
    std::function<QString(const QVariant &value)> toText;
    std::function<QVariant(const QString &text)> toValue;
};

class DataControl : public QWidget {
    Q_OBJECT
public:
    explicit DataControl(QWidget *parent = nullptr);
    ~DataControl() override;

    // DatabaseName / RecordSource / RecordsetType; Refresh opens them.
    void setDatabase(dao::DatabasePtr db) { m_db = std::move(db); }
    dao::DatabasePtr database() const { return m_db; }
    void setRecordSource(const QString &source) { m_source = source; }
    QString recordSource() const { return m_source; }
    void setRecordsetType(int type) { m_type = type; }

    // Re-reads the record source (any unsaved new record is dropped), stands on
    // the first record and raises Reposition. Failures go to Error.
    void Refresh();
    // Assigns records opened elsewhere (the control's Recordset property).
    void setRecordset(dao::RecordsetPtr rs);
    dao::RecordsetPtr recordset() const { return m_rs; }

    QString caption() const;
    void setCaption(const QString &text);

    // Binding of controls to fields of the current record. A line edit, the
    // line of an editable list and a plain text edit bound to a text field
    // take at most the field's declared size, typed or pasted, counted as the
    // database counts characters (TextLimits.h); a line edit's own maximum
    // length limits what is typed too. A stored value longer than either is
    // shown whole and may be edited within its own length, and is saved back
    // unchanged when left alone.
    void bind(QLineEdit *edit, const QString &field);
    void bind(QComboBox *combo, const QString &field);
    void bind(QPlainTextEdit *edit, const QString &field);
    // A line edit whose text is shown and read through its own format.
    void bind(QLineEdit *edit, const QString &field, const TextFormat &format);
    // A date field: a null field shows empty, an empty field stores null.
    void bind(DatePicker *picker, const QString &field);

    // True when a bound control's text differs from what the record holds.
    bool dataChanged() const;
    // The text a bound control was given at the last load: the record's value
    // as the control shows it ("" for a control that is not bound).
    QString loadedText(const QWidget *control) const;
    // Gives a bound control back the text of the last load; its edit is given up.
    void restoreControl(QWidget *control);
    // Starts a new record: the bound controls become empty.
    void AddNew();
    bool adding() const { return m_adding; }
    // Writes the bound controls into the current (or new) record and saves it.
    // Throws VbError on failure; the record stays in edit.
    void UpdateRecord();
    // Puts the record's values back into the bound controls.
    void UpdateControls();
    // Shows the current record again and raises Reposition, for a change of
    // position the recordset reports no move for (its last record deleted).
    void Resync();

    // A check the owner runs before the control leaves its record by a move or
    // a refresh: false keeps it where it is (the owner has said why). Moves
    // made on the recordset by other code do not ask.
    void setLeaveCheck(std::function<bool()> check) { m_leaveCheck = std::move(check); }
    // Runs that check for code that moves the recordset itself (the find
    // dialog), before it moves: false, and the record must stay.
    bool mayLeave() const { return !m_leaveCheck || m_leaveCheck(); }

    // Moves; a changed record is saved first (Validate, then save). A failing
    // save cancels the move and goes to Error.
    void MoveFirst();
    void MovePrevious();
    void MoveNext();
    void MoveLast();

signals:
    void Reposition();
    // save: true when bound data changed; a handler may clear it to skip the save.
    void Validate(int action, bool *save);
    // response: set to 0 to suppress the control's own message.
    void Error(int dataErr, const QString &description, int *response);

private:
    struct Binding {
        QPointer<QWidget> widget;
        QString field;
        QString loaded;        // text put in at the last load
        TextFormat format{};
        int maxLength = 0;     // a line edit's own limit on typed text (0: not known yet)
        int applied = 0;       // the limit the control last gave the edit (0: none)
    };
    QString controlText(const Binding &b) const;
    void setControlText(Binding &b, const QString &text);
    dao::FieldType fieldType(const QString &field) const;
    int fieldSize(const QString &field) const;
    void attach(dao::RecordsetPtr rs);
    void detach();
    void loadControls();
    void reposition();
    bool saveBeforeMove(int action);
    void move(int action);
    void reportError(const VbError &e);

    dao::DatabasePtr m_db;
    QString m_source;
    int m_type = dao::dbOpenDynaset;
    dao::RecordsetPtr m_rs;
    int m_listener = -1;
    int m_internal = 0;       // > 0 while the control moves its own recordset
    bool m_adding = false;
    QList<dao::FieldInfo> m_fields;
    std::vector<Binding> m_bindings;
    QToolButton *m_first, *m_prev, *m_next, *m_last;
    QLabel *m_caption;
    std::function<bool()> m_leaveCheck;
};

}
