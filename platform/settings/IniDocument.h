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
    qsizetype findSection(const QString &section) const;
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(qsizetype header, const QString &key) const;
    // Line i, without its end.
    QStringView line(qsizetype i) const;
    // Whether line i may be a section's header: its first character that is
    // not a blank is "[" (found without looking for the line's end).
    bool mayBeHeader(qsizetype i) const;
    void setLine(qsizetype i, const QString &text);
    void insertLine(qsizetype i, const QString &text);
    void removeLines(qsizetype from, qsizetype count);

    // The text as read, held once: a line is where it starts in m_text (it
    // ends at the first line end after that), or, for a line set since (and
    // every line of a text too long for such a start), -1 - its index in
    // m_set. A settings file of short lines costs a few bytes a line beyond
    // its text, and reading it is one pass over the text.
    QString m_text;
    QList<qint32> m_lines;
    QStringList m_set;
    QString m_eol = QStringLiteral("\n");
};
