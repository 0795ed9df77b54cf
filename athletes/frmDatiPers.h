#pragma once
// The athlete card: one row of [Dati Personali] at a time in bound fields, the
// counter "n of N", New / Confirm Data / Confirm Changes / Refresh / Delete /
// Close, and the gear calculator with its drawing.
#include "platform/dao/Dao.h"

#include <QHash>
#include <QWidget>
#include <cstdint>

class GearPicture;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace data {
class DataControl;
class DatePicker;
}

class frmDatiPers : public QWidget {
    Q_OBJECT
public:
    explicit frmDatiPers(QWidget *parent = nullptr);
    ~frmDatiPers() override;

    int32_t RecordTotal() const { return m_recordTotal; }
    bool AddingNew() const { return m_addingNew; }
    data::DataControl *DataDPers() const { return m_data; }
    data::DatePicker *ccrpDtp1() const { return m_date; }
    GearPicture *Picture1() const { return m_picture; }
    // A control by name ("txtFields(0)", "cmdAdd", "Label6", "Slider1" ...).
    QWidget *Control(const QString &name) const { return m_controls.value(name); }

public slots:
    void UpdateControls();
    void MyPrint();
    void MyPrint1();

    void cmdAdd_Click();
    void cmdUpdate_Click();
    void cmdModify_Click();
    void cmdRefresh_Click();
    void cmdDelete_Click();
    void cmdClose_Click();
    void Slider1_Scroll();
    void Slider2_Scroll();
    void Slider3_Scroll();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void build();
    void Form_Load();
    void Form_Unload();
    void DataDPers_Reposition();
    void showCounter();
    bool complete() const;
    void checkDuplicateCode();
    void keyDown(int key);
    void setMainCommands(bool enabled);
    bool calculatorActive() const;
    // The chainring and sprocket handlers: redraw, ratio, development, speed.
    void gearChanged(bool reportErrors);
    template <class T> T *make(const QString &name, QWidget *parent);

    QHash<QString, QWidget *> m_controls;
    data::DataControl *m_data = nullptr;
    data::DatePicker *m_date = nullptr;
    QLineEdit *m_txt[10] = {};
    QLabel *m_lblNumero = nullptr;
    QSlider *m_slider[3] = {};
    GearPicture *m_picture = nullptr;

    int32_t m_recordTotal = 0;
    bool m_addingNew = false;
    bool m_unloaded = false;
    const QEvent *m_lastKey = nullptr;
};
