#pragma once
// The simulator panels beside the card (Picture2): the climbing simulator of
// the climbs window (climb rate, cadence, weight, bike kind) and the speed
// simulator of the routes window (speed, weight). Each reads the card's texts
// through a source the window gives it, recomputes its read-outs when a slider
// moves, and keeps its positions in the window's settings section.
#include "records/ProfileHandoff.h"
#include "records/Simulators.h"

#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QRadioButton;
class QSlider;

// What the simulators read of the card.
struct SimulatorCard {
    QString length;          // txtFields(1)
    QString startAltitude;   // txtFields(2), climbs
    QString endAltitude;     // txtFields(3), climbs
    QString recordCount;     // caption of lblNumero
    bool adding = false;     // a new card is being entered
};

class SimulatorPanel : public QWidget {
    Q_OBJECT
public:
    using CardSource = std::function<SimulatorCard()>;
    explicit SimulatorPanel(QWidget *parent = nullptr);
    void setCardSource(CardSource source) { m_source = std::move(source); }

    // Recomputes the read-outs for the card shown (the first slider's scroll).
    virtual void Slider1_Scroll() = 0;
    virtual void restoreSettings(const QString &section) = 0;
    virtual void saveSettings(const QString &section) const = 0;
    // The read-outs the profile window shows in its legend.
    virtual void fillLegend(ProfileHandoff::Legend &legend) const = 0;

protected:
    SimulatorCard card() const { return m_source ? m_source() : SimulatorCard(); }
    QSlider *makeSlider(const QString &name, int min, int max, int position, QWidget *parent);
    QLabel *makeLabel(const QString &name, QWidget *parent);
    void restoreSlider(const QString &section, QSlider *slider);
    void showWeight();
    void setText(QLabel *label, const QString &text);

    QSlider *m_slider1 = nullptr;
    QSlider *m_slider3 = nullptr;
    QLabel *m_weight = nullptr;     // Label5(10)

private:
    CardSource m_source;
};

class ClimbSimulatorPanel : public SimulatorPanel {
    Q_OBJECT
public:
    explicit ClimbSimulatorPanel(QWidget *parent = nullptr);
    void Slider1_Scroll() override;
    void Slider2_Scroll();
    void Slider3_Scroll();
    void Option1_Click(int index);
    void restoreSettings(const QString &section) override;
    void saveSettings(const QString &section) const override;
    void fillLegend(ProfileHandoff::Legend &legend) const override;

private:
    Simulators::ClimbInput input() const;
    void showReadouts();

    QSlider *m_slider2 = nullptr;
    QRadioButton *m_option[2] = {nullptr, nullptr};
    QLabel *m_time = nullptr, *m_speed = nullptr, *m_rate = nullptr, *m_power = nullptr;
    QLabel *m_energy = nullptr, *m_perKg = nullptr, *m_chainring = nullptr, *m_sprocket = nullptr;
    Simulators::ClimbSimulator m_sim;
    Simulators::ClimbReadouts m_out;
};

class RouteSimulatorPanel : public SimulatorPanel {
    Q_OBJECT
public:
    explicit RouteSimulatorPanel(QWidget *parent = nullptr);
    void Slider1_Scroll() override;
    void Slider3_Scroll();
    void restoreSettings(const QString &section) override;
    void saveSettings(const QString &section) const override;
    void fillLegend(ProfileHandoff::Legend &legend) const override;

private:
    Simulators::RouteInput input() const;
    void showReadouts();

    QLabel *m_time = nullptr, *m_speed = nullptr, *m_power = nullptr, *m_perKg = nullptr, *m_energy = nullptr;
    Simulators::RouteReadouts m_out;
};
