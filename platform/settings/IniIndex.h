#pragma once
// The named keys and lines of an INI text from outside (a device's recording),
// found in one pass over the text by the lookup rules of IniDocument: sections
// and keys match without regard to case, the first section of a name and the
// first key of a name in it win, values and lines are trimmed, lines starting
// with ";" are comments. Only what was asked for is kept and nothing is kept
// per line or per section, so a text of millions of lines or sections costs
// one pass over it and no more memory than what was asked for.
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

class IniIndex {
public:
    // One request a section name.
    struct Request {
        QString section;
        QStringList keys;          // the keys whose values are kept
        qsizetype lineChars = 0;   // the section's lines are kept as far as this many characters, joined by a blank, reach
    };

    IniIndex(QStringView text, const std::vector<Request> &requests);

    // The value of a key asked for (after "=", trimmed) in the first section
    // of that name; found tells whether the key exists there.
    QString value(const QString &section, const QString &key, bool *found = nullptr) const;
    // The non-empty, non-comment lines of the first section of that name,
    // trimmed: joined by a blank and cut to lineChars they give what the
    // whole section's lines would.
    QStringList sectionLines(const QString &section) const;

private:
    struct Kept {
        QString section;
        QStringList keys;
        std::vector<std::pair<bool, QString>> values;   // per key: found, value
        qsizetype lineChars = 0;
        qsizetype keptChars = 0;   // the kept lines joined by a blank
        QStringList lines;
        bool seen = false;
    };
    const Kept *find(const QString &section) const;

    std::vector<Kept> m_kept;
};
