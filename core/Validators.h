#pragma once
// Key-press filters and lost-focus checks shared by every data window's text
// fields. A refused key or value only beeps; Enter moves the focus to the next
// control and types nothing.
//
// The filters take the typed character's code by reference (KeyAscii; 0
// swallows the key) and tell what happened. The checks take the field.
// FieldValidator applies both to a QLineEdit from its events.
#include "core/ValueParsing.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

class QKeyEvent;
class QLineEdit;

enum class KeyVerdict { Accepted, Refused, Enter };

KeyVerdict KeyPressInteger(int16_t &KeyAscii, const QString &Text, int16_t MaxLen);
// Digits, backspace, "," and "."; the keypad's decimal key (KeyAscii 110 while
// LastKeyCode is 110) types the user's decimal separator. A letter "n" typed
// (KeyAscii 110 from any other key) is refused like any letter.
KeyVerdict KeyPressDecimal(int16_t &KeyAscii);
KeyVerdict KeyPressTime(int16_t &KeyAscii, const QString &Text);
KeyVerdict KeyPressMaxLen(int16_t &KeyAscii, const QString &Text, int16_t MaxLen);

// Lost-focus checks. An empty field is left alone. An invalid one beeps, is
// cleared and gets the focus back. Each returns whether the text was valid.
bool CheckNumeric(QLineEdit *Box, int16_t MaxLen);
bool CheckDecimal(QLineEdit *Box);
bool CheckTime(QLineEdit *Box);

// The key code of a key event as the key handlers compare it (keypad decimal
// 110, keypad digits 96..105, letters 65..90, Enter 13, backspace 8 ...) and
// the character code it types (0 for keys that type nothing).
int16_t VirtualKeyCode(const QKeyEvent *e);
int16_t KeyAsciiOf(const QKeyEvent *e);

// What a refused key and Enter do. Defaults: the system beep, and a Tab
// keystroke posted to the focused widget. Tests replace them.
void SetValidatorEffects(std::function<void()> beep, std::function<void()> nextControl);
void ResetValidatorEffects();

// Applies a filter and a check to a line edit through its events: key-down
// stores LastKeyCode, key-press runs the filter, focus-out runs the check.
class FieldValidator : public QObject {
    Q_OBJECT
public:
    enum Filter { NoFilter, Integer, Decimal, Time, MaxLen };
    enum Check { NoCheck, Numeric, DecimalCheck, TimeCheck, OwnCheck };

    FieldValidator(QLineEdit *box, Filter filter, int maxLen = 0, Check check = NoCheck);
    // Convenience: installs a validator owned by the box.
    static FieldValidator *Install(QLineEdit *box, Filter filter, int maxLen = 0, Check check = NoCheck);
    // A window's own check, run when and where the shared checks run: once the
    // focus has left the box (not for a box or menu that only takes it a while).
    static FieldValidator *Install(QLineEdit *box, Filter filter, int maxLen, std::function<void()> check);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_box;
    Filter m_filter;
    int m_maxLen;
    Check m_check;
    std::function<void()> m_own;
};
