// The climb figures and the simulators as the windows show them: moved by the
// sliders and the bike kind, recomputed on every move to another card, frozen
// while a new card is being entered.
#include "window_fixture.h"

#include <QRadioButton>
#include <QSlider>

namespace {
QString Caption(CardWindow &w, const char *label)
{
    return static_cast<QLabel *>(w.Control(QLatin1String(label)))->text();
}
QColor TextColour(CardWindow &w, const char *label)
{
    return w.Control(QLatin1String(label))->palette().color(QPalette::WindowText);
}
struct Expected {
    const char *label;
    const char *caption;
};
void ExpectCaptions(CardWindow &w, std::initializer_list<Expected> expected)
{
    for (const Expected &e : expected)
        EXPECT_EQ(Caption(w, e.label), QLatin1String(e.caption)) << e.label;
}
}

TEST_F(CardWindowTest, ClimbFiguresAndSimulatorFollowSlidersAndCards)
{
    TestSupport::LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
    AddCard(true, QStringLiteral("Big"), 10, 500, 1500);
    AddCard(true, QStringLiteral("Level"), 10, 500, 500);
    AddCard(true, QStringLiteral("Down"), 10, 1500, 1000);
    CardWindow &w = Open(true);
    // 1000 m over 10 km: blue, orange (10 % is still class 3), red.
    ExpectCaptions(w, {{"Label12", "1000"}, {"Label6", "10.0%"}, {"Label10", "140.00"}});
    EXPECT_EQ(TextColour(w, "Label12"), QColor(0, 0, 255));
    EXPECT_EQ(TextColour(w, "Label6"), QColor(255, 128, 0));
    EXPECT_EQ(TextColour(w, "Label10"), QColor(255, 0, 0));

    // A climbing rate of 1000 m/h (the slider reads upside down), 70 kg, 70 rpm, road bike.
    Ctl<QSlider>("Slider1")->setValue(1100);
    ExpectCaptions(w, {{"Label5(1)", "01:00:00"}, {"Label5(3)", "10.00"}, {"Label5(5)", "1000"},
                       {"Label5(6)", "214"}, {"Label5(9)", "690"}, {"Label5(11)", "3.06"},
                       {"Label5(10)", "70"}, {"Label7(2)", "30"}, {"Label7(3)", "26"}});
    Ctl<QRadioButton>("Option1(1)")->click();
    ExpectCaptions(w, {{"Label7(2)", "28"}, {"Label7(3)", "23"}});
    Ctl<QRadioButton>("Option1(0)")->click();
    ExpectCaptions(w, {{"Label7(2)", "30"}, {"Label7(3)", "26"}});

    // A level card: nothing to climb, so every simulator read-out is a placeholder.
    w.Data1()->MoveNext();
    ExpectCaptions(w, {{"Label12", "0"}, {"Label6", "0.0%"}, {"Label10", "0.00"}, {"Label5(1)", "--.--.--"},
                       {"Label5(3)", "--,--"}, {"Label5(6)", "----"}, {"Label7(3)", "--"}});
    EXPECT_EQ(TextColour(w, "Label12"), QColor(0, 128, 0));
    // A descent: placeholders too, never negative times, speeds or gears.
    w.Data1()->MoveNext();
    ExpectCaptions(w, {{"Label12", "-500"}, {"Label5(1)", "--.--.--"}, {"Label5(3)", "--,--"}, {"Label5(6)", "----"},
                       {"Label5(9)", "----"}, {"Label7(2)", "--"}, {"Label7(3)", "--"}});
    w.Data1()->MoveFirst();
    ExpectCaptions(w, {{"Label12", "1000"}, {"Label5(1)", "01:00:00"}, {"Label5(6)", "214"}});

    // While a new card is entered the sliders move only the weight read-out.
    w.cmdAdd_Click();
    Ctl<QSlider>("Slider1")->setValue(600);
    Ctl<QSlider>("Slider2")->setValue(60);
    Ctl<QSlider>("Slider3")->setValue(80);
    ExpectCaptions(w, {{"Label5(1)", "01:00:00"}, {"Label5(6)", "214"}, {"Label7(3)", "26"}, {"Label5(10)", "80"}});
}

TEST_F(CardWindowTest, RouteSimulatorFollowsSlidersAndCards)
{
    TestSupport::LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
    AddCard(false, QStringLiteral("Long"), 100);
    AddCard(false, QStringLiteral("Short"), 25);
    CardWindow &w = Open(false);
    Ctl<QSlider>("Slider3")->setValue(85);     // 75 kg
    Ctl<QSlider>("Slider1")->setValue(5501);   // 25.00 km/h
    ExpectCaptions(w, {{"Label3(1)", "04:00:00"}, {"Label3(3)", "25.00"}, {"Label3(4)", "120"},
                       {"Label3(6)", "1548"}, {"Label3(5)", "1.60"}, {"Label5(10)", "75"}});
    EXPECT_EQ(TextColour(w, "Label3(3)"), QColor(247, 255, 0));
    w.Data1()->MoveNext();
    ExpectCaptions(w, {{"Label3(1)", "01:00:00"}, {"Label3(4)", "120"}});

    w.cmdAdd_Click();
    Ctl<QSlider>("Slider1")->setValue(3001);
    ExpectCaptions(w, {{"Label3(1)", "01:00:00"}, {"Label3(3)", "25.00"}});
}

// An empty climbs table: the three figures show their placeholder in red, as
// the first reposition of the loading leaves them; a card added later shows
// its figures.
TEST_F(CardWindowTest, EmptyClimbsTableShowsThreeRedPlaceholders)
{
    TestSupport::LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
    CardWindow &w = Open(true);
    for (const char *label : {"Label12", "Label6", "Label10"}) {
        EXPECT_EQ(Caption(w, label), ClimbFigures::Placeholder()) << label;
        EXPECT_EQ(TextColour(w, label), QColor(255, 0, 0)) << label;
    }
    w.cmdAdd_Click();
    FillRequired(true, QStringLiteral("Nuova"));
    w.cmdUpdate_Click();
    ExpectCaptions(w, {{"Label12", "500"}, {"Label6", "4.2%"}});
    EXPECT_EQ(TextColour(w, "Label12"), QColor(0, 128, 0));
}
