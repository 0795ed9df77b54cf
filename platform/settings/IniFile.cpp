#include "IniFile.h"

#include "IniDocument.h"

#include <limits>
#include <optional>

namespace {

// The file as read, or nothing when no file is named or it cannot be read.
std::optional<IniDocument> Read(const QString &file)
{
    if (file.isEmpty())
        return std::nullopt;
    IniDocument doc;
    if (!doc.load(file))
        return std::nullopt;
    return doc;
}

// Section and key names as the file can hold them: a line is read trimmed of
// every blank (non-breaking ones too) and cannot hold a line break. Reading and
// writing both go through this, so a name finds again what it wrote.
QString FileName(const QString &name)
{
    QString n = name.trimmed();
    n.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return n;
}

} // namespace

QString ProfileGetString(const QString &file, const QString &section, const QString &key,
                         const QString &defaultValue)
{
    const auto doc = Read(file);
    if (!doc)
        return defaultValue;
    const QString v = IniDocument::Unquote(doc->value(FileName(section), FileName(key)));
    return v.isEmpty() ? defaultValue : v;
}

int ProfileGetInt(const QString &file, const QString &section, const QString &key, int defaultValue)
{
    const auto doc = Read(file);
    if (!doc)
        return defaultValue;
    bool found = false;
    const QString v = IniDocument::Unquote(doc->value(FileName(section), FileName(key), &found));
    if (!found || v.isEmpty())
        return defaultValue;
    // The number at the start of the value; a value that starts otherwise reads 0.
    qsizetype i = 0;
    bool negative = false;
    if (i < v.size() && (v.at(i) == QLatin1Char('-') || v.at(i) == QLatin1Char('+'))) {
        negative = v.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 n = 0;
    for (; i < v.size() && v.at(i).isDigit() && v.at(i).unicode() < 128; ++i) {
        n = n * 10 + (v.at(i).unicode() - '0');
        if (n > std::numeric_limits<int>::max())
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    return int(negative ? -n : n);
}

QStringList ProfileGetSection(const QString &file, const QString &section)
{
    const auto doc = Read(file);
    return doc ? doc->sectionLines(FileName(section)) : QStringList();
}

bool ProfileWriteString(const QString &file, const QString &section, const QString &key,
                        const QString &value)
{
    if (file.isEmpty() || section.trimmed().isEmpty() || key.trimmed().isEmpty())
        return false;
    IniDocument doc;
    if (!doc.load(file))
        return false;
    // A line break inside a value would start a new line of the file and lose
    // the rest of the value on reading; it is written as a blank instead.
    QString v = value;
    v.replace(QLatin1String("\r\n"), QLatin1String(" "));
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    doc.setValue(FileName(section), FileName(key), v);
    return doc.save(file);
}
