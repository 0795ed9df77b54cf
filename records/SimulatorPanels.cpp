#include "records/SimulatorPanels.h"

#include "core/Globals.h"
#include "platform/settings/Settings.h"
#include "records/CardColours.h"
#include "records/CardNumbers.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

// A column of scale captions beside a slider, largest at the top.
QWidget *Scale(const QStringList &captions, QWidget *parent)
{
    auto *w = new QWidget(parent);
    auto *l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < captions.size(); ++i) {
        auto *lab = new QLabel(captions[i], w);
        QFont f = lab->font();
        f.setPointSizeF(f.pointSizeF() * 0.8);
        lab->setFont(f);
        l->addWidget(lab);
        if (i + 1 < captions.size())
            l->addStretch(1);
    }
    return w;
}

QGroupBox *Group(const QString &name, QWidget *parent)
{
    auto *g = new QGroupBox(parent);
    g->setObjectName(name);
    return g;
}

Simulators::Slider Position(const QSlider *s) { return {s->minimum(), s->maximum(), s->value()}; }

}

// ---------------------------------------------------------------------------
// Shared

SimulatorPanel::SimulatorPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture2"));
    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
}

QSlider *SimulatorPanel::makeSlider(const QString &name, int min, int max, int position, QWidget *parent)
{
    auto *s = new QSlider(parent);
    s->setObjectName(name);
    s->setOrientation(Qt::Vertical);
    s->setInvertedAppearance(true);     // the smallest position at the top
    s->setInvertedControls(true);
    s->setRange(min, max);
    s->setValue(position);
    s->setTickPosition(QSlider::TicksRight);
    s->setMinimumHeight(150);
    return s;
}

QLabel *SimulatorPanel::makeLabel(const QString &name, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    return l;
}

void SimulatorPanel::restoreSlider(const QString &section, QSlider *s)
{
    const auto v = CardNumbers::ReadSettingNumber(GetSetting(AppName, section, s->objectName(), QString()));
    if (v && *v >= s->minimum() && *v <= s->maximum()) {
        const QSignalBlocker block(s);
        s->setValue(int(*v));
    }
}

void SimulatorPanel::showWeight()
{
    m_weight->setText(QString::number(m_slider3->minimum() + m_slider3->maximum() - m_slider3->value()));
}

void SimulatorPanel::setText(QLabel *label, const QString &text) { label->setText(text); }

// ---------------------------------------------------------------------------
// Climbs

ClimbSimulatorPanel::ClimbSimulatorPanel(QWidget *parent) : SimulatorPanel(parent)
{
    auto *sim = Group(QStringLiteral("Frame1(2)"), this);
    auto *sl = new QGridLayout(sim);
    auto sliderBox = [&](const QString &frameName, QSlider *s, const QStringList &scale, QWidget *extra) {
        auto *f = Group(frameName, sim);
        auto *h = new QGridLayout(f);
        s->setParent(f);
        h->addWidget(s, 0, 0);
        h->addWidget(Scale(scale, f), 0, 1);
        if (extra) {
            extra->setParent(f);
            h->addWidget(extra, 1, 0, 1, 2, Qt::AlignCenter);
        }
        return f;
    };
    QStringList rateScale, cadScale;
    for (int v = 1800; v >= 300; v -= 100)
        rateScale << QString::number(v);
    for (int v = 90; v >= 50; v -= 10)
        cadScale << QString::number(v);
    m_slider1 = makeSlider(QStringLiteral("Slider1"), 300, 1800, 1500, sim);
    m_slider2 = makeSlider(QStringLiteral("Slider2"), 50, 90, 70, sim);
    m_slider3 = makeSlider(QStringLiteral("Slider3"), 30, 130, 90, sim);
    m_slider1->setTickInterval(100);
    m_slider2->setTickInterval(10);
    m_slider3->setTickInterval(10);
    m_weight = makeLabel(QStringLiteral("Label5(10)"), sim);
    m_weight->setText(QStringLiteral("--"));
    m_weight->setAlignment(Qt::AlignCenter);
    sl->addWidget(sliderBox(QStringLiteral("Frame1(0)"), m_slider1, rateScale, nullptr), 0, 0, 2, 1);
    sl->addWidget(sliderBox(QStringLiteral("Frame1(3)"), m_slider2, cadScale, nullptr), 0, 1, 2, 1);
    sl->addWidget(sliderBox(QStringLiteral("Frame1(4)"), m_slider3, {QStringLiteral("130"), QStringLiteral("30")}, m_weight),
                  0, 2, 2, 1);

    auto *perf = Group(QStringLiteral("Frame1(1)"), sim);
    auto *pg = new QGridLayout(perf);
    QLabel **values[] = {&m_time, &m_speed, &m_rate, &m_power, &m_energy, &m_perKg};
    const char *pairs[][2] = {{"Label5(0)", "Label5(1)"}, {"Label5(2)", "Label5(3)"}, {"Label5(4)", "Label5(5)"},
                              {"Label5(7)", "Label5(6)"}, {"Label5(12)", "Label5(9)"}, {"Label5(8)", "Label5(11)"}};
    for (int i = 0; i < 6; ++i) {
        pg->addWidget(makeLabel(QLatin1String(pairs[i][0]), perf), i, 0);
        QLabel *v = makeLabel(QLatin1String(pairs[i][1]), perf);
        v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        v->setMinimumWidth(70);
        pg->addWidget(v, i, 1);
        *values[i] = v;
    }
    sl->addWidget(perf, 0, 3);

    auto *kind = Group(QStringLiteral("Frame1(5)"), sim);
    auto *kl = new QVBoxLayout(kind);
    for (int i = 0; i < 2; ++i) {
        m_option[i] = new QRadioButton(kind);
        m_option[i]->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        kl->addWidget(m_option[i]);
    }
    m_option[0]->setChecked(true);
    auto *gears = Group(QStringLiteral("Frame1(6)"), sim);
    auto *gl = new QGridLayout(gears);
    gl->addWidget(makeLabel(QStringLiteral("Label7(0)"), gears), 0, 0);
    m_chainring = makeLabel(QStringLiteral("Label7(2)"), gears);
    gl->addWidget(m_chainring, 0, 1);
    gl->addWidget(makeLabel(QStringLiteral("Label7(1)"), gears), 1, 0);
    m_sprocket = makeLabel(QStringLiteral("Label7(3)"), gears);
    gl->addWidget(m_sprocket, 1, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(kind);
    right->addWidget(gears);
    sl->addLayout(right, 1, 3);
    layout()->addWidget(sim);
    showReadouts();

    connect(m_slider1, &QSlider::valueChanged, this, &ClimbSimulatorPanel::Slider1_Scroll);
    connect(m_slider2, &QSlider::valueChanged, this, &ClimbSimulatorPanel::Slider2_Scroll);
    connect(m_slider3, &QSlider::valueChanged, this, &ClimbSimulatorPanel::Slider3_Scroll);
    connect(m_option[0], &QRadioButton::clicked, this, [this]() { Option1_Click(0); });
    connect(m_option[1], &QRadioButton::clicked, this, [this]() { Option1_Click(1); });
}

Simulators::ClimbInput ClimbSimulatorPanel::input() const
{
    const SimulatorCard c = card();
    Simulators::ClimbInput in;
    in.length = c.length;
    in.startAltitude = c.startAltitude;
    in.endAltitude = c.endAltitude;
    in.recordCount = c.recordCount;
    in.adding = c.adding;
    in.rate = Position(m_slider1);
    in.cadence = Position(m_slider2);
    in.weight = Position(m_slider3);
    return in;
}

void ClimbSimulatorPanel::showReadouts()
{
    const Simulators::ClimbReadouts &c = m_out;
    m_time->setText(c.time);
    m_speed->setText(c.speed);
    m_rate->setText(c.rate);
    m_power->setText(c.power);
    m_energy->setText(c.energy);
    m_perKg->setText(c.powerPerKg);
    m_weight->setText(c.weight);
    m_chainring->setText(c.chainring);
    m_sprocket->setText(c.sprocket);
    if (c.rateColourSet)
        SetTextColour(m_rate, c.rateColour);
}

void ClimbSimulatorPanel::Slider1_Scroll()
{
    m_sim.RateChanged(input(), m_out);
    showReadouts();
}

void ClimbSimulatorPanel::Slider2_Scroll()
{
    m_sim.CadenceChanged(input(), m_out);
    showReadouts();
}

void ClimbSimulatorPanel::Slider3_Scroll()
{
    m_sim.WeightChanged(input(), m_out);
    showReadouts();
}

void ClimbSimulatorPanel::Option1_Click(int index)
{
    m_sim.SetBikeKind(index, input(), m_out);
    showReadouts();
}

void ClimbSimulatorPanel::restoreSettings(const QString &section)
{
    restoreSlider(section, m_slider1);
    Slider1_Scroll();
    restoreSlider(section, m_slider2);
    Slider2_Scroll();
    restoreSlider(section, m_slider3);
    Slider3_Scroll();
    showWeight();
    // Road unless the stored kind is a number of 0 or less, or no number at all.
    const auto kind = CardNumbers::ReadSettingNumber(GetSetting(AppName, section, QStringLiteral("Option1"), QStringLiteral("1")));
    const int index = kind && *kind > 0 ? 0 : 1;
    m_option[index]->setChecked(true);
    Option1_Click(index);
}

void ClimbSimulatorPanel::saveSettings(const QString &section) const
{
    SaveSetting(AppName, section, QStringLiteral("Slider1"), QString::number(m_slider1->value()));
    SaveSetting(AppName, section, QStringLiteral("Slider2"), QString::number(m_slider2->value()));
    SaveSetting(AppName, section, QStringLiteral("Slider3"), QString::number(m_slider3->value()));
    SaveSetting(AppName, section, QStringLiteral("Option1"),
                m_option[0]->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void ClimbSimulatorPanel::fillLegend(ProfileHandoff::Legend &legend) const
{
    legend.time = m_time->text();
    legend.speed = m_speed->text();
    legend.climbRate = m_rate->text();
}

// ---------------------------------------------------------------------------
// Routes

RouteSimulatorPanel::RouteSimulatorPanel(QWidget *parent) : SimulatorPanel(parent)
{
    auto *sim = Group(QStringLiteral("Frame1(0)"), this);
    auto *sl = new QGridLayout(sim);
    auto *speed = Group(QStringLiteral("Frame2"), sim);
    auto *sp = new QGridLayout(speed);
    m_slider1 = makeSlider(QStringLiteral("Slider1"), 1, 8000, 6000, speed);
    m_slider1->setTickInterval(2000);
    sp->addWidget(m_slider1, 0, 0);
    sp->addWidget(Scale({QStringLiteral("80"), QStringLiteral("60"), QStringLiteral("40"), QStringLiteral("20"),
                         QStringLiteral("0 km/h")},
                        speed),
                  0, 1);
    auto *weightBox = Group(QStringLiteral("Frame1(4)"), sim);
    auto *wl = new QGridLayout(weightBox);
    m_slider3 = makeSlider(QStringLiteral("Slider3"), 30, 130, 90, weightBox);
    m_slider3->setTickInterval(10);
    wl->addWidget(m_slider3, 0, 0);
    wl->addWidget(Scale({QStringLiteral("130"), QStringLiteral("30")}, weightBox), 0, 1);
    m_weight = makeLabel(QStringLiteral("Label5(10)"), weightBox);
    m_weight->setText(QStringLiteral("--"));
    m_weight->setAlignment(Qt::AlignCenter);
    wl->addWidget(m_weight, 1, 0, 1, 2);
    auto *perf = Group(QStringLiteral("Frame3"), sim);
    auto *pg = new QGridLayout(perf);
    QLabel **values[] = {&m_time, &m_speed, &m_power, &m_perKg, &m_energy};
    const char *pairs[][2] = {{"Label3(0)", "Label3(1)"}, {"Label3(2)", "Label3(3)"}, {"Label3(7)", "Label3(4)"},
                              {"Label3(8)", "Label3(5)"}, {"Label3(9)", "Label3(6)"}};
    for (int i = 0; i < 5; ++i) {
        pg->addWidget(makeLabel(QLatin1String(pairs[i][0]), perf), i, 0);
        QLabel *v = makeLabel(QLatin1String(pairs[i][1]), perf);
        v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        v->setMinimumWidth(70);
        pg->addWidget(v, i, 1);
        *values[i] = v;
    }
    pg->setRowStretch(5, 1);
    sl->addWidget(speed, 0, 0);
    sl->addWidget(weightBox, 0, 1);
    sl->addWidget(perf, 0, 2);
    layout()->addWidget(sim);
    showReadouts();
    connect(m_slider1, &QSlider::valueChanged, this, &RouteSimulatorPanel::Slider1_Scroll);
    connect(m_slider3, &QSlider::valueChanged, this, &RouteSimulatorPanel::Slider3_Scroll);
}

Simulators::RouteInput RouteSimulatorPanel::input() const
{
    const SimulatorCard c = card();
    Simulators::RouteInput in;
    in.length = c.length;
    in.recordCount = c.recordCount;
    in.adding = c.adding;
    in.speed = Position(m_slider1);
    in.weight = Position(m_slider3);
    return in;
}

void RouteSimulatorPanel::showReadouts()
{
    const Simulators::RouteReadouts &r = m_out;
    m_time->setText(r.time);
    m_speed->setText(r.speed);
    m_power->setText(r.power);
    m_perKg->setText(r.powerPerKg);
    m_energy->setText(r.energy);
    m_weight->setText(r.weight);
    if (r.speedColourSet)
        SetTextColour(m_speed, r.speedColour);
}

void RouteSimulatorPanel::Slider1_Scroll()
{
    Simulators::RouteSpeedChanged(input(), m_out);
    showReadouts();
}

void RouteSimulatorPanel::Slider3_Scroll()
{
    Simulators::RouteWeightChanged(input(), m_out);
    showReadouts();
}

void RouteSimulatorPanel::restoreSettings(const QString &section)
{
    restoreSlider(section, m_slider3);
    Slider3_Scroll();
    showWeight();
    restoreSlider(section, m_slider1);
    Slider1_Scroll();
}

void RouteSimulatorPanel::saveSettings(const QString &section) const
{
    SaveSetting(AppName, section, QStringLiteral("Slider1"), QString::number(m_slider1->value()));
    SaveSetting(AppName, section, QStringLiteral("Slider3"), QString::number(m_slider3->value()));
}

void RouteSimulatorPanel::fillLegend(ProfileHandoff::Legend &legend) const
{
    legend.time = m_time->text();
    legend.speed = m_speed->text();
}
