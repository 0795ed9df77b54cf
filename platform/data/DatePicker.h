#pragma once
// A date field that can be empty: a check box says whether there is a date, and
// a date edit with a calendar pop-up holds the day. Unchecked, the field shows
// nothing and its value is null. Bound to a data control, a null field shows
// empty and an empty field stores null; dates travel as ISO text ("2026-12-10").
#include <QDate>
#include <QVariant>
#include <QWidget>

class QCheckBox;
class QDateEdit;

namespace data {

class DatePicker : public QWidget {
    Q_OBJECT
public:
    explicit DatePicker(QWidget *parent = nullptr);

    // The day, or a null QVariant when the field is empty.
    QVariant Value() const;
    // A valid QDate (or a QDateTime, whose day is taken) sets the day; anything
    // else empties the field.
    void SetValue(const QVariant &value);
    QDate date() const;               // invalid when empty
    bool isEmpty() const;

    // The value as ISO text, empty when there is no day; what the data control reads and writes.
    QString isoText() const;
    // Accepts ISO text or a date in the user's short format; anything else empties the field.
    void setIsoText(const QString &text);

    QCheckBox *checkBox() const { return m_check; }
    QDateEdit *dateEdit() const { return m_edit; }

signals:
    void valueChanged();

private:
    void showState();

    QCheckBox *m_check;
    QDateEdit *m_edit;
    bool m_setting = false;
};

}
