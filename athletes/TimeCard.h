#pragma once
// The training-time card (frmTempiAll) and the climb-time card (frmTempiSal):
// one class, configured by TimeCards::Config. An athlete's time on a route or a
// climb, with date, note and, on climbs, the gears used.
#include "athletes/logic/TimeCards.h"
#include "platform/dao/Dao.h"

#include <QHash>
#include <QWidget>
#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace data {
class DataControl;
class DatePicker;
}

class TimeCard : public QWidget {
    Q_OBJECT
public:
    TimeCard(const TimeCards::Config &config, QWidget *parent = nullptr);
    ~TimeCard() override;

    const TimeCards::Config &config() const { return m_cfg; }
    int32_t RecordTotal() const { return m_recordTotal; }
    bool AddingNew() const { return m_addingNew; }
    data::DataControl *Data() const { return m_data; }
    data::DatePicker *ccrpDtp1() const { return m_date; }
    QWidget *Control(const QString &name) const { return m_controls.value(name); }

public slots:
    void UpdateControls();
    void cmdAdd_Click();
    void cmdUpdate_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    void cmdDesc_Click();
    void cmdClose_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void build();
    void Form_Load();
    void Form_Unload();
    void Data_Reposition();
    void showCounter();
    void setCombosEditable(bool editable);
    void checkListed(QComboBox *combo);
    void keyDown(int key);
    template <class T> T *make(const QString &name, QWidget *parent);

    const TimeCards::Config &m_cfg;
    QHash<QString, QWidget *> m_controls;
    data::DataControl *m_data = nullptr;
    data::DatePicker *m_date = nullptr;
    QComboBox *m_athlete = nullptr;
    QComboBox *m_place = nullptr;
    QLineEdit *m_time = nullptr;
    QLineEdit *m_front = nullptr;
    QLineEdit *m_rear = nullptr;
    QPlainTextEdit *m_note = nullptr;
    QLabel *m_lblNumero = nullptr;

    int32_t m_recordTotal = 0;
    bool m_addingNew = false;
    bool m_unloaded = false;
    const QEvent *m_lastKey = nullptr;
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
