#include "TestSupport.h"
#include "core/Globals.h"
#include "core/Validators.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTime>
#include <QVBoxLayout>
#include <QWidget>

namespace {
struct Effects {
    int beeps = 0, tabs = 0;
    Effects()
    {
        SetValidatorEffects([this] { ++beeps; }, [this] { ++tabs; });
        LastKeyCode = 0;
    }
    ~Effects() { ResetValidatorEffects(); }
};
}

TEST(Validators, KeyPressInteger)
{
    Effects fx;
    int16_t k = '5';
    EXPECT_EQ(KeyPressInteger(k, "123", 4), KeyVerdict::Accepted);
    EXPECT_EQ(k, '5');
    k = '5';
    EXPECT_EQ(KeyPressInteger(k, "1234", 4), KeyVerdict::Refused);   // full field, even over a selection
    EXPECT_EQ(k, 0);
    k = 8;
    EXPECT_EQ(KeyPressInteger(k, "1234", 4), KeyVerdict::Accepted);
    for (int16_t bad : {int16_t('a'), int16_t(','), int16_t('-'), int16_t(' '), int16_t(0x20AC)}) {
        k = bad;
        EXPECT_EQ(KeyPressInteger(k, "", 4), KeyVerdict::Refused);
    }
    k = '1';
    EXPECT_EQ(KeyPressInteger(k, "", 0), KeyVerdict::Refused);
    k = 13;
    EXPECT_EQ(KeyPressInteger(k, "12", 4), KeyVerdict::Enter);
    EXPECT_EQ(k, 0);
    EXPECT_EQ(fx.beeps, 7);
    EXPECT_EQ(fx.tabs, 1);
}

TEST(Validators, KeyPressDecimalTypesSeparatorOnlyFromKeypad)
{
    Effects fx;
    TestSupport::LocaleScope it(QLocale(QLocale::Italian, QLocale::Italy));
    int16_t k = 110;
    LastKeyCode = 110;   // keypad decimal key
    EXPECT_EQ(KeyPressDecimal(k), KeyVerdict::Accepted);
    EXPECT_EQ(k, ',');
    k = 110;
    LastKeyCode = 78;    // the letter N
    EXPECT_EQ(KeyPressDecimal(k), KeyVerdict::Refused);
    EXPECT_EQ(k, 0);
    for (int16_t ok : {int16_t('0'), int16_t('9'), int16_t(8), int16_t(','), int16_t('.')}) {
        k = ok;
        EXPECT_EQ(KeyPressDecimal(k), KeyVerdict::Accepted);
        EXPECT_EQ(k, ok);
    }
    k = 'x';
    EXPECT_EQ(KeyPressDecimal(k), KeyVerdict::Refused);
    k = 13;
    EXPECT_EQ(KeyPressDecimal(k), KeyVerdict::Enter);
    EXPECT_EQ(fx.beeps, 2);
    EXPECT_EQ(fx.tabs, 1);
    TestSupport::LocaleScope en(QLocale(QLocale::English, QLocale::UnitedStates));
    k = 110;
    LastKeyCode = 110;
    KeyPressDecimal(k);
    EXPECT_EQ(k, '.');
}

TEST(Validators, KeyPressTimeAndMaxLen)
{
    Effects fx;
    int16_t k = '5';
    EXPECT_EQ(KeyPressTime(k, "12:30:0"), KeyVerdict::Accepted);
    k = '5';
    EXPECT_EQ(KeyPressTime(k, "12:30:00"), KeyVerdict::Refused);
    for (int16_t ok : {int16_t(':'), int16_t('.'), int16_t(8)}) {
        k = ok;
        EXPECT_EQ(KeyPressTime(k, "12:30:00"), KeyVerdict::Accepted);
    }
    k = 'a';
    EXPECT_EQ(KeyPressTime(k, ""), KeyVerdict::Refused);

    k = 'z';
    EXPECT_EQ(KeyPressMaxLen(k, "abc", 4), KeyVerdict::Accepted);
    k = 'z';
    EXPECT_EQ(KeyPressMaxLen(k, "abcd", 4), KeyVerdict::Refused);
    k = 8;
    EXPECT_EQ(KeyPressMaxLen(k, "abcd", 4), KeyVerdict::Accepted);
    k = 13;
    EXPECT_EQ(KeyPressMaxLen(k, "abcd", 4), KeyVerdict::Enter);
    k = 'z';
    EXPECT_EQ(KeyPressMaxLen(k, QString(100000, 'a'), 32767), KeyVerdict::Refused);
    EXPECT_EQ(fx.beeps, 4);
    EXPECT_EQ(fx.tabs, 1);
}

TEST(Validators, ParseDecimalAcceptsEitherMark)
{
    const struct { QLocale locale; const char *text; bool ok; double value; } cases[] = {
        {QLocale(QLocale::Italian, QLocale::Italy), "3,50", true, 3.5},
        {QLocale(QLocale::Italian, QLocale::Italy), "3.5", true, 3.5},
        {QLocale(QLocale::English, QLocale::UnitedStates), "3,5", true, 3.5},   // not 35
        {QLocale(QLocale::English, QLocale::UnitedStates), " 12.25 ", true, 12.25},
        {QLocale(QLocale::English, QLocale::UnitedStates), "-0.5", true, -0.5},
        {QLocale(QLocale::English, QLocale::UnitedStates), "1,5.2", false, 0},
        {QLocale(QLocale::English, QLocale::UnitedStates), "abc", false, 0},
        {QLocale(QLocale::English, QLocale::UnitedStates), "", false, 0},
        {QLocale(QLocale::English, QLocale::UnitedStates), "inf", false, 0},
        {QLocale(QLocale::English, QLocale::UnitedStates), "nan", false, 0},
        {QLocale(QLocale::English, QLocale::UnitedStates), "1e999", false, 0},
    };
    for (const auto &c : cases) {
        TestSupport::LocaleScope l(c.locale);
        double v = 0;
        EXPECT_EQ(ParseDecimal(c.text, &v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
    EXPECT_FALSE(ParseDecimal(QString(1 << 20, '9') + "x", nullptr));
}

TEST(Validators, LostFocusChecks)
{
    Effects fx;
    TestSupport::LocaleScope it(QLocale(QLocale::Italian, QLocale::Italy));
    QLineEdit box;
    box.setText("3,50");
    EXPECT_TRUE(CheckDecimal(&box));
    EXPECT_EQ(box.text(), "3,5");
    box.setText("2.25");   // the other mark is read too, and written back in the locale's form
    EXPECT_TRUE(CheckDecimal(&box));
    EXPECT_EQ(box.text(), "2,25");
    box.setText("abc");
    EXPECT_FALSE(CheckDecimal(&box));
    EXPECT_EQ(box.text(), "");
    box.setText("1e300");   // beyond single precision
    EXPECT_FALSE(CheckDecimal(&box));
    box.setText("");
    EXPECT_TRUE(CheckDecimal(&box));
    EXPECT_TRUE(CheckNumeric(&box, 3));

    box.setText("1000");
    EXPECT_FALSE(CheckNumeric(&box, 3));
    EXPECT_EQ(box.text(), "");
    box.setText("999");
    EXPECT_TRUE(CheckNumeric(&box, 3));
    EXPECT_EQ(box.text(), "999");
    box.setText(QString(5000, '1'));
    EXPECT_FALSE(CheckNumeric(&box, 3));
    EXPECT_EQ(fx.beeps, 4);
}

TEST(Validators, CheckTime)
{
    Effects fx;
    TestSupport::LocaleScope it(QLocale(QLocale::Italian, QLocale::Italy));
    QLineEdit box;
    const struct { const char *in; const char *out; } ok[] = {
        {"12:30:00", "12:30:00"}, {"1:2:3", "01:02:03"}, {"7:05", "07:05:00"},
        {"10/12/2026", "00:00:00"}, {"2026-12-10", "00:00:00"}, {"10/12/2026 08:30:00", "08:30:00"}};
    for (const auto &c : ok) {
        box.setText(c.in);
        EXPECT_TRUE(CheckTime(&box)) << c.in;
        EXPECT_EQ(box.text(), c.out) << c.in;
    }
    for (const char *bad : {"abc", "25:00:00", "12:61", "::", QT_STRINGIFY(99999999999)}) {
        box.setText(bad);
        EXPECT_FALSE(CheckTime(&box)) << bad;
        EXPECT_EQ(box.text(), "");
    }
    box.setText(QString(100000, ':'));
    EXPECT_FALSE(CheckTime(&box));
    EXPECT_EQ(fx.beeps, 6);

    TestSupport::LocaleScope en(QLocale(QLocale::English, QLocale::UnitedStates));
    box.setText("13:05:09");
    EXPECT_TRUE(CheckTime(&box));
    EXPECT_EQ(box.text(), "1:05:09 PM");
    box.setText("1:05:09 PM");
    EXPECT_TRUE(CheckTime(&box));
    EXPECT_EQ(box.text(), "1:05:09 PM");
    box.setText("12/10/2026");
    EXPECT_TRUE(CheckTime(&box));
}

TEST(Validators, SeparatorAndCommaToPoint)
{
    {
        TestSupport::LocaleScope it(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_EQ(GetDecimalSeparator(110), ',');
    }
    TestSupport::LocaleScope en(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(GetDecimalSeparator(110), '.');
    EXPECT_EQ(CommaToPoint("1,5,2"), "1.5.2");
    EXPECT_EQ(CommaToPoint(""), "");
    EXPECT_EQ(CommaToPoint(QString(70000, ',')), QString(70000, '.'));
}

// ------------------------------------------------------------ on a real field

namespace {
void Press(QWidget *w, int key, const QString &text, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
}
}

TEST(FieldValidator, DecimalFieldFromKeyEvents)
{
    int beeps = 0;
    SetValidatorEffects([&] { ++beeps; }, nullptr);
    TestSupport::LocaleScope it(QLocale(QLocale::Italian, QLocale::Italy));
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *a = new QLineEdit;
    auto *b = new QLineEdit;
    layout->addWidget(a);
    layout->addWidget(b);
    FieldValidator::Install(a, FieldValidator::Decimal, 0, FieldValidator::DecimalCheck);
    window.show();
    QApplication::setActiveWindow(&window);
    a->setFocus();
    QApplication::processEvents();

    Press(a, Qt::Key_3, "3");
    Press(a, Qt::Key_Period, ".", Qt::KeypadModifier);   // keypad decimal key: the locale's ","
    EXPECT_EQ(LastKeyCode, 110);
    Press(a, Qt::Key_5, "5");
    Press(a, Qt::Key_N, "n");                             // a plain letter n is refused
    EXPECT_EQ(LastKeyCode, 78);
    Press(a, Qt::Key_X, "x");
    EXPECT_EQ(a->text(), "3,5");
    EXPECT_EQ(beeps, 2);

    Press(a, Qt::Key_Return, "\r");                       // Enter: focus moves on, nothing typed
    QApplication::processEvents();
    EXPECT_EQ(a->text(), "3,5");
    EXPECT_TRUE(b->hasFocus());

    a->setFocus();
    QApplication::processEvents();
    a->setText("zz");
    b->setFocus();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(a->text(), "");                             // refused on leaving, focus back
    EXPECT_TRUE(a->hasFocus());
    EXPECT_EQ(beeps, 3);
    ResetValidatorEffects();
}

TEST(FieldValidator, IntegerFieldKeepsItsLimit)
{
    SetValidatorEffects([] {}, [] {});
    QLineEdit a;
    FieldValidator::Install(&a, FieldValidator::Integer, 3);
    for (const char *d : {"1", "2", "3", "4"})
        Press(&a, Qt::Key_0 + (d[0] - '0'), d);
    EXPECT_EQ(a.text(), "123");
    Press(&a, Qt::Key_Backspace, "\b");
    EXPECT_EQ(a.text(), "12");
    Press(&a, Qt::Key_Left, "");                          // keys that type nothing pass
    Press(&a, Qt::Key_9, "9");
    EXPECT_EQ(a.text(), "192");
    ResetValidatorEffects();
}

// A full field whose text is selected takes what is typed over it: the
// selection gives way, so a time typed over the old one is not cut to
// ":43:00" and then emptied on leaving.
TEST(FieldValidator, TypingOverASelectionReplacesIt)
{
    int beeps = 0;
    SetValidatorEffects([&] { ++beeps; }, [] {});
    struct Case { FieldValidator::Filter filter; int maxLen; const char *old, *typed; };
    for (const Case &c : {Case{FieldValidator::Time, 0, "00:45:30", "00:43:00"},
                          Case{FieldValidator::Integer, 3, "190", "185"},
                          Case{FieldValidator::MaxLen, 4, "ABCD", "WXYZ"}}) {
        SCOPED_TRACE(c.old);
        QLineEdit a;
        FieldValidator::Install(&a, c.filter, c.maxLen);
        a.setText(QString::fromLatin1(c.old));
        a.selectAll();
        for (const char *t = c.typed; *t; ++t) {
            const char ch[2] = {*t, 0};
            const int key = *t == ':' ? Qt::Key_Colon : (*t >= 'A' ? Qt::Key_A + (*t - 'A') : Qt::Key_0 + (*t - '0'));
            Press(&a, key, ch);
        }
        EXPECT_EQ(a.text(), QString::fromLatin1(c.typed));
        // Without a selection the limit still holds.
        Press(&a, Qt::Key_1, "1");
        EXPECT_EQ(a.text(), QString::fromLatin1(c.typed));
    }
    EXPECT_EQ(beeps, 3);
    ResetValidatorEffects();
}

TEST(Validators, KeypadKeyCodes)
{
    struct Case { int key; Qt::KeyboardModifiers mods; int code; };
    const Case cases[] = {
        {Qt::Key_Period, Qt::KeypadModifier, 110},   // keypad decimal key, NumLock on
        {Qt::Key_Comma, Qt::KeypadModifier, 110},    // the same key on a comma layout
        {Qt::Key_Delete, Qt::KeypadModifier, 46},    // the same key with NumLock off is Delete
        {Qt::Key_Delete, Qt::NoModifier, 46},
        {Qt::Key_N, Qt::NoModifier, 78},
        {Qt::Key_5, Qt::KeypadModifier, 101},
    };
    for (const Case &c : cases) {
        QKeyEvent e(QEvent::KeyPress, c.key, c.mods);
        EXPECT_EQ(VirtualKeyCode(&e), c.code) << c.key;
    }
}
