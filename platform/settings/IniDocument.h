#pragma once
// An INI-style file held as its lines, so a rewrite keeps everything it does
// not touch (comments, lines before the first section, unknown sections).
// Sections and keys match without regard to case; the first match wins.
#include <QString>
#include <QStringList>

class IniDocument {
public:
    // Reads a file: UTF-8 when the bytes are valid UTF-8, else Windows-1252.
    // A missing file gives an empty document and true; an unreadable one false.
    bool load(const QString &path);
    // Writes the document as UTF-8 through a temporary file renamed into place.
    // Writes the whole file through the safe writer: on failure the old file
    // is kept and *error (when given) says why.
    bool save(const QString &path, QString *error = nullptr) const;

    void setText(const QString &text);
    QString text() const;

    // Raw value (after "=", trimmed) of the first key in the first matching
    // section; found tells whether the key exists at all.
    QString value(const QString &section, const QString &key, bool *found = nullptr) const;
    void setValue(const QString &section, const QString &key, const QString &value);
    bool removeKey(const QString &section, const QString &key);
    bool removeSection(const QString &section);
    bool hasSection(const QString &section) const;
    // Keys of a section in stored order, duplicates included.
    QStringList keys(const QString &section) const;
    // Non-empty, non-comment lines of a section, trimmed.
    QStringList sectionLines(const QString &section) const;

    // The text of a file from outside, by the rule of every reader (DecodeOutsideText).
    static QString Decode(const QByteArray &bytes);
    // A value between a pair of matching quotes (" or ') without them; any
    // other value as it is.
    static QString Unquote(const QString &v);
    // Splits "key = value" (or a line without "=", a key with no value).
    static bool ParseKeyLine(QStringView line, QStringView *key, QStringView *value);
    static bool ParseSectionLine(QStringView line, QStringView *name);

private:
    int findSection(const QString &section) const;
    int sectionEnd(int header) const;
    int findKey(int header, const QString &key) const;

    QStringList m_lines;
    QString m_eol = QStringLiteral("\n");
};
