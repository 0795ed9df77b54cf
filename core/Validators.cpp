#include "Validators.h"

#include "core/Globals.h"
#include "platform/shell/Shell.h"

#include <QApplication>
#include <QDate>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>
#include <QTimer>
#include <cmath>

namespace {

std::function<void()> g_beep;
std::function<void()> g_next;

void Beep()
{
    if (g_beep)
        g_beep();
    else
        QApplication::beep();
}

// A Tab keystroke to the focused control, as if the user had pressed it.
void NextControl()
{
    if (g_next) {
        g_next();
        return;
    }
    if (QWidget *w = QApplication::focusWidget())
        QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
}

KeyVerdict Refuse(int16_t &KeyAscii)
{
    Beep();
    KeyAscii = 0;
    return KeyVerdict::Refused;
}

KeyVerdict Enter(int16_t &KeyAscii)
{
    KeyAscii = 0;
    NextControl();
    return KeyVerdict::Enter;
}

bool IsDigit(int16_t k) { return k >= 48 && k <= 57; }

void Invalid(QLineEdit *Box)
{
    Beep();
    Box->clear();
    Box->setFocus();
}

// The locale's time format without a time-zone part.
} // namespace

void SetValidatorEffects(std::function<void()> beep, std::function<void()> nextControl)
{
    g_beep = std::move(beep);
    g_next = std::move(nextControl);
}

void ResetValidatorEffects()
{
    g_beep = nullptr;
    g_next = nullptr;
}

KeyVerdict KeyPressInteger(int16_t &KeyAscii, const QString &Text, int16_t MaxLen)
{
    if (KeyAscii == 13)
        return Enter(KeyAscii);
    if (KeyAscii == 8 || (IsDigit(KeyAscii) && Text.size() < MaxLen))
        return KeyVerdict::Accepted;
    return Refuse(KeyAscii);
}

KeyVerdict KeyPressDecimal(int16_t &KeyAscii)
{
    if (KeyAscii == 13)
        return Enter(KeyAscii);
    // Only the keypad's decimal key stands for the separator; its key-down
    // stored 110 in LastKeyCode. The letter "n" has the same character code.
    if (KeyAscii == 110 && LastKeyCode == 110) {
        KeyAscii = GetDecimalSeparator(110);
        return KeyVerdict::Accepted;
    }
    if (IsDigit(KeyAscii) || KeyAscii == 8 || KeyAscii == 44 || KeyAscii == 46)
        return KeyVerdict::Accepted;
    return Refuse(KeyAscii);
}

KeyVerdict KeyPressTime(int16_t &KeyAscii, const QString &Text)
{
    if (KeyAscii == 13)
        return Enter(KeyAscii);
    if (KeyAscii == 8 || KeyAscii == 46 || KeyAscii == 58 || (IsDigit(KeyAscii) && Text.size() < 8))
        return KeyVerdict::Accepted;
    return Refuse(KeyAscii);
}

KeyVerdict KeyPressMaxLen(int16_t &KeyAscii, const QString &Text, int16_t MaxLen)
{
    if (KeyAscii == 13)
        return Enter(KeyAscii);
    if (KeyAscii == 8 || Text.size() < MaxLen)
        return KeyVerdict::Accepted;
    return Refuse(KeyAscii);
}

bool CheckNumeric(QLineEdit *Box, int16_t MaxLen)
{
    if (!Box || Box->text().isEmpty())
        return true;
    if (ParseDecimal(Box->text(), nullptr) && Box->text().size() <= MaxLen)
        return true;
    Invalid(Box);
    return false;
}

bool CheckDecimal(QLineEdit *Box)
{
    if (!Box || Box->text().isEmpty())
        return true;
    double v = 0;
    if (!ParseDecimal(Box->text(), &v) || std::fabs(v) > 3.402823466e38) {
        Invalid(Box);
        return false;
    }
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    Box->setText(Shell::NumberText(l, double(float(v)), 'g', 7));
    return true;
}

bool CheckTime(QLineEdit *Box)
{
    if (!Box || Box->text().isEmpty())
        return true;
    QTime t;
    if (!ParseDateTime(Box->text(), &t)) {
        Invalid(Box);
        return false;
    }
    Box->setText(FormatTimeOfDay(t));
    return true;
}

int16_t VirtualKeyCode(const QKeyEvent *e)
{
    const int k = e->key();
    if (e->modifiers() & Qt::KeypadModifier) {
        if (k >= Qt::Key_0 && k <= Qt::Key_9)
            return int16_t(96 + (k - Qt::Key_0));
        switch (k) {
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return 110;
        case Qt::Key_Asterisk: return 106;
        case Qt::Key_Plus: return 107;
        case Qt::Key_Minus: return 109;
        case Qt::Key_Slash: return 111;
        default: break;
        }
    }
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return int16_t(65 + (k - Qt::Key_A));
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return int16_t(48 + (k - Qt::Key_0));
    switch (k) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Comma: return 188;
    case Qt::Key_Minus: return 189;
    case Qt::Key_Period: return 190;
    default: return 0;
    }
}

int16_t KeyAsciiOf(const QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete: return 0;
    default: break;
    }
    const QString t = e->text();
    if (t.size() != 1 || t.at(0).unicode() < 32 || t.at(0).unicode() > 0x7FFF)
        return 0;
    return int16_t(t.at(0).unicode());
}

// ---------------------------------------------------------------- FieldValidator

FieldValidator::FieldValidator(QLineEdit *box, Filter filter, int maxLen, Check check)
    : QObject(box), m_box(box), m_filter(filter), m_maxLen(maxLen), m_check(check)
{
    if (box)
        box->installEventFilter(this);
}

FieldValidator *FieldValidator::Install(QLineEdit *box, Filter filter, int maxLen, Check check)
{
    return new FieldValidator(box, filter, maxLen, check);
}

FieldValidator *FieldValidator::Install(QLineEdit *box, Filter filter, int maxLen, std::function<void()> check)
{
    auto *v = new FieldValidator(box, filter, maxLen, check ? OwnCheck : NoCheck);
    v->m_own = std::move(check);
    return v;
}

bool FieldValidator::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_box)
        return false;
    if (event->type() == QEvent::KeyPress && m_filter != NoFilter) {
        auto *ke = static_cast<QKeyEvent *>(event);
        // Shortcuts (copy, paste, undo ...) are not typed characters.
        if (ke->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
            return false;
        LastKeyCode = VirtualKeyCode(ke);
        int16_t ka = KeyAsciiOf(ke);
        if (ka == 0)
            return false;
        if (m_filter == Decimal && LastKeyCode == 110)
            ka = 110;
        const int16_t typed = KeyAsciiOf(ke);
        // A typed character replaces the selected text, so the limits count
        // the text without it: a full field typed over keeps what is typed.
        QString text = m_box->text();
        if (m_box->hasSelectedText())
            text.remove(m_box->selectionStart(), m_box->selectedText().size());
        const int16_t max = int16_t(qBound(0, m_maxLen, 32767));
        switch (m_filter) {
        case Integer: KeyPressInteger(ka, text, max); break;
        case Decimal: KeyPressDecimal(ka); break;
        case Time: KeyPressTime(ka, text); break;
        case MaxLen: KeyPressMaxLen(ka, text, max); break;
        case NoFilter: break;
        }
        if (ka == 0)
            return true;
        if (ka != typed) {
            m_box->insert(QString(QChar(char16_t(ka))));
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::FocusOut && m_check != NoCheck) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        // After the focus change has finished, so the check may take it back.
        QTimer::singleShot(0, this, [this] {
            switch (m_check) {
            case Numeric: CheckNumeric(m_box, int16_t(qBound(0, m_maxLen, 32767))); break;
            case DecimalCheck: CheckDecimal(m_box); break;
            case TimeCheck: CheckTime(m_box); break;
            case OwnCheck: m_own(); break;
            case NoCheck: break;
            }
        });
    }
    return false;
}
