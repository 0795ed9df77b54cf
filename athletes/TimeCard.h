#pragma once
// The training-time card (frmTempiAll) and the climb-time card (frmTempiSal):
// one class on the record-card frame, configured by TimeCards::Config. An
// athlete's time on a route or a climb, with date, note and, on climbs, the
// gears used.
#include "athletes/logic/TimeCards.h"
#include "core/RecordCard.h"

class QComboBox;
class QPlainTextEdit;

namespace data {
class DatePicker;
}

class TimeCard : public RecordCard {
    Q_OBJECT
public:
    TimeCard(const TimeCards::Config &config, QWidget *parent = nullptr);
    ~TimeCard() override;

    const TimeCards::Config &config() const { return m_cfg; }
    bool AddingNew() const { return AddMode(); }
    data::DataControl *Data() const { return Data1(); }
    data::DatePicker *ccrpDtp1() const { return m_date; }

public slots:
    void cmdDesc_Click();

protected:
    void afterCount() override;
    void onAddStateChanged(bool adding) override;
    bool requiredFilled() const override;
    bool checkBeforeConfirm() override;
    void beforeSave(bool adding) override;
    bool previewKey(QWidget *target, QKeyEvent *key) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void onUnload() override;

private:
    void checkListed(QComboBox *combo);
    // The time and the gear fields: each refuses a text its check on leaving
    // does not read. On a stored row an emptied or refused text never
    // replaces what the row holds: the field shows the stored value again.
    std::vector<QLineEdit *> checkedFields() const;
    bool fieldCheck(QLineEdit *field);       // the check on leaving: beeps, empties, focus back
    bool readable(const QLineEdit *field) const;
    QString refusal(const QLineEdit *field) const;
    bool onStoredRow() const;
    void leaveField(QLineEdit *field);
    // Gives back the stored value of each field that would write an empty or
    // unreadable text over it, and tells why; false when one was given back.
    bool keepStoredValues();
    void tell(const QStringList &texts);
    bool isCombo(QObject *o, QComboBox *combo) const;

    const TimeCards::Config &m_cfg;
    data::DatePicker *m_date = nullptr;
    QComboBox *m_athlete = nullptr;
    QComboBox *m_place = nullptr;
    QLineEdit *m_time = nullptr;
    QLineEdit *m_front = nullptr;
    QLineEdit *m_rear = nullptr;
    QPlainTextEdit *m_note = nullptr;
};

class frmTempiAll : public TimeCard {
    Q_OBJECT
public:
    explicit frmTempiAll(QWidget *parent = nullptr) : TimeCard(TimeCards::Config::Training(), parent) {}
};

class frmTempiSal : public TimeCard {
    Q_OBJECT
public:
    explicit frmTempiSal(QWidget *parent = nullptr) : TimeCard(TimeCards::Config::Climb(), parent) {}
};
