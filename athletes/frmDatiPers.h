#pragma once
// The athlete card: one row of [Dati Personali] at a time on the record-card
// frame (counter, New / Confirm Data / Confirm Changes / Refresh / Delete /
// Close), with the birthday in a date picker and the gear calculator beside it.
#include "core/RecordCard.h"

#include <cstdint>

class GearPicture;
class QSlider;

namespace data {
class DatePicker;
}

class frmDatiPers : public RecordCard {
    Q_OBJECT
public:
    explicit frmDatiPers(QWidget *parent = nullptr);
    ~frmDatiPers() override;

    bool AddingNew() const { return AddMode(); }
    data::DataControl *DataDPers() const { return Data1(); }
    data::DatePicker *ccrpDtp1() const { return m_date; }
    GearPicture *Picture1() const { return m_picture; }

public slots:
    void MyPrint();
    void MyPrint1();
    void Slider1_Scroll();
    void Slider2_Scroll();
    void Slider3_Scroll();

protected:
    void afterCount() override;
    void restoreSettings() override;
    void saveSettings() override;
    void onReposition(bool onRow) override;
    void onAddStateChanged(bool adding) override;
    QString deleteQuestion() const override;
    void onUnload() override;

private:
    void buildFields();
    void buildGears();
    bool calculatorActive() const;
    // The chainring and sprocket handlers: redraw, ratio, development, speed.
    void gearChanged(bool sprocket);

    data::DatePicker *m_date = nullptr;
    QLineEdit *m_txt[10] = {};
    QSlider *m_slider[3] = {};
    GearPicture *m_picture = nullptr;
    bool m_loading = false;   // the load runs the sliders' handlers without messages
};
