#pragma once
// The date filter: narrows the open athlete list named by DataFormName to the
// rows dated on or after / on or before a chosen day.
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace data {
class DatePicker;
}

class DataFilter : public QDialog {
    Q_OBJECT
public:
    explicit DataFilter(QWidget *parent = nullptr);

    data::DatePicker *ccrpDtp1() const { return m_date; }
    QComboBox *Combo1() const { return m_combo; }

    Q_INVOKABLE void UpdateControls();

public slots:
    void cmdOk_Click();

private:
    data::DatePicker *m_date = nullptr;
    QComboBox *m_combo = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QLabel *m_label1 = nullptr;
    QLabel *m_label2 = nullptr;
};
