#pragma once
// How much text a box bound to a text field takes: at most the field's
// declared size, counted as the database counts characters. A character
// outside the Basic Multilingual Plane (an emoji: two UTF-16 units) is one,
// and is never cut in half. Qt's own limits (QLineEdit::maxLength) count
// UTF-16 units instead, so they cannot hold a box to a field's size.
//
// A value a box is given to show that is longer than its field (written by an
// older installation) is shown whole: the limit of a box is the field's size
// or the length of what it shows, whichever is longer (TextLimitFor), so the
// value may be edited within its own length and is saved back unchanged when
// left alone.
#include <QString>
#include <QStringView>

class QLineEdit;
class QPlainTextEdit;
class QTextEdit;

namespace data {

// Characters as the database counts them.
int TextChars(QStringView text);
// The first `chars` characters of text (all of it when it holds fewer).
QString LeftChars(const QString &text, int chars);
// The limit of a box showing `shown` for a field of `size` characters: the
// size, or the length of what it shows where that is longer; 0 (no limit)
// for a field without a size.
int TextLimitFor(int size, const QString &shown);

// Holds what the user types or pastes into the box to `chars` characters; 0
// lifts the limit, and calling it again sets a new one.
// - A line edit (or the line of an editable list) refuses a key typed at the
//   limit and cuts a longer paste to what fits; its own maximum length still
//   applies where that is smaller, and a character that length cut in half is
//   dropped. A text the program sets (QLineEdit::setText) over the limit is
//   cut to it. The limit is a validator of the edit that asks any validator
//   the edit had before it.
// - A text edit cuts what was typed, pasted or set beyond the limit, in the
//   same undo step as the paste.
void LimitText(QLineEdit *edit, int chars);
void LimitText(QPlainTextEdit *edit, int chars);
void LimitText(QTextEdit *edit, int chars);

}
