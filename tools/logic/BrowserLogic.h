#pragma once
// What the browser window decides without a window: the history of visited
// addresses, how a typed address is read, and the message each result of the
// races import gets.
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// The history list once url has completed loading: the first entry exactly
// equal to url (whole text, case-sensitive) is taken out, and url goes in
// front. Nothing bounds the list's length.
QStringList CompletedHistory(const QStringList &history, const QString &url);

// An address as the user typed it, read as the user means it: a scheme given
// is kept ("https://...", "file:///..."), an existing local file becomes a
// file address, and anything else is taken as a web address ("abc" becomes
// "http://abc"). Empty text, and addresses that would run script in the page
// ("javascript:"), give an empty URL: nothing to open.
QUrl ReadAddress(const QString &typed, const QString &workingFolder = QString());

// The source handed to the races import for a typed address: the address as
// ReadAddress reads it (a local file as its path), or an empty text when there
// is nothing to import from.
QString ImportSource(const QString &typed, const QString &workingFolder = QString());

// The message box for a result of the races import: its text number, its
// style (information or exclamation icon, OK only) and whether the text takes
// the race's name. None for an already present race (the import told the user
// itself) or a code outside the table.
struct ImportMessage {
    int textId = 0;
    int style = 0;
    bool withName = false;
};
std::optional<ImportMessage> ImportMessageFor(int code);
