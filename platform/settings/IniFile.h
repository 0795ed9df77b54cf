#pragma once
// INI-style profile files (text profiles, .hrm recordings) read and written the
// way the program has always expected: sections and keys without regard to case,
// the first match wins, values trimmed, a default when absent. Lines before the
// first section are kept by a write. Files are read as UTF-8 when valid, else as
// Windows-1252, and written as UTF-8 through a temporary file.
#include <QString>
#include <QStringList>

// Value of key in section, or defaultValue when the file, section or key is
// missing or the value is empty.
QString ProfileGetString(const QString &file, const QString &section, const QString &key,
                         const QString &defaultValue = QString());
// Whole number at the start of the value, or defaultValue.
int ProfileGetInt(const QString &file, const QString &section, const QString &key, int defaultValue);
// The lines of a section ("key=value" as written, comments dropped), or empty.
QStringList ProfileGetSection(const QString &file, const QString &section);
// Writes key=value, creating the file, section or key as needed. Returns false
// when the file cannot be written (the old file is left untouched).
bool ProfileWriteString(const QString &file, const QString &section, const QString &key,
                        const QString &value);
