#include "IniDocument.h"

#include "platform/shell/Cp1252.h"
#include "platform/shell/FileWrite.h"

#include <QFile>

namespace {

bool IsComment(QStringView trimmed)
{
    return trimmed.startsWith(QLatin1Char(';'));
}

bool Same(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString IniDocument::Unquote(const QString &v)
{
    if (v.size() >= 2) {
        const QChar a = v.front(), b = v.back();
        if (a == b && (a == QLatin1Char('"') || a == QLatin1Char('\'')))
            return v.mid(1, v.size() - 2);
    }
    return v;
}

QString IniDocument::Decode(const QByteArray &bytes)
{
    return DecodeOutsideText(bytes);
}

bool IniDocument::ParseSectionLine(QStringView line, QStringView *name)
{
    const QStringView t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    *name = (close < 0 ? t.sliced(1) : t.sliced(1, close - 1)).trimmed();
    return true;
}

bool IniDocument::ParseKeyLine(QStringView line, QStringView *key, QStringView *value)
{
    const QStringView t = line.trimmed();
    if (t.isEmpty() || IsComment(t) || t.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq < 0) {
        *key = t;
        *value = QStringView();
    } else {
        *key = t.first(eq).trimmed();
        *value = t.sliced(eq + 1).trimmed();
    }
    return true;
}

void IniDocument::setText(const QString &text)
{
    m_eol = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_lines = t.split(QLatin1Char('\n'));
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
}

QString IniDocument::text() const
{
    if (m_lines.isEmpty())
        return QString();
    return m_lines.join(m_eol) + m_eol;
}

bool IniDocument::load(const QString &path)
{
    m_lines.clear();
    QFile f(path);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly))
        return false;
    setText(Decode(f.readAll()));
    return true;
}

bool IniDocument::save(const QString &path, QString *error) const
{
    return FileWrite::WriteFileAtomically(path, text().toUtf8(), error);
}

int IniDocument::findSection(const QString &section) const
{
    QStringView name;
    for (int i = 0; i < m_lines.size(); ++i)
        if (ParseSectionLine(m_lines.at(i), &name) && Same(name, section))
            return i;
    return -1;
}

int IniDocument::sectionEnd(int header) const
{
    QStringView name;
    for (int i = header + 1; i < m_lines.size(); ++i)
        if (ParseSectionLine(m_lines.at(i), &name))
            return i;
    return int(m_lines.size());
}

int IniDocument::findKey(int header, const QString &key) const
{
    const int end = sectionEnd(header);
    QStringView k, v;
    for (int i = header + 1; i < end; ++i)
        if (ParseKeyLine(m_lines.at(i), &k, &v) && Same(k, key))
            return i;
    return -1;
}

bool IniDocument::hasSection(const QString &section) const
{
    return findSection(section) >= 0;
}

QString IniDocument::value(const QString &section, const QString &key, bool *found) const
{
    if (found)
        *found = false;
    const int h = findSection(section);
    if (h < 0)
        return QString();
    const int i = findKey(h, key);
    if (i < 0)
        return QString();
    QStringView k, v;
    ParseKeyLine(m_lines.at(i), &k, &v);
    if (found)
        *found = true;
    return v.toString();
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString line = key + QLatin1Char('=') + value;
    int h = findSection(section);
    if (h < 0) {
        m_lines << (QLatin1Char('[') + section + QLatin1Char(']')) << line;
        return;
    }
    const int i = findKey(h, key);
    if (i >= 0) {
        QStringView k, v;
        ParseKeyLine(m_lines.at(i), &k, &v);
        m_lines[i] = k.toString() + QLatin1Char('=') + value;
        return;
    }
    // After the section's last non-blank line, so blank separators stay put.
    int at = sectionEnd(h);
    while (at - 1 > h && m_lines.at(at - 1).trimmed().isEmpty())
        --at;
    m_lines.insert(at, line);
}

bool IniDocument::removeKey(const QString &section, const QString &key)
{
    const int h = findSection(section);
    if (h < 0)
        return false;
    const int i = findKey(h, key);
    if (i < 0)
        return false;
    m_lines.removeAt(i);
    return true;
}

bool IniDocument::removeSection(const QString &section)
{
    const int h = findSection(section);
    if (h < 0)
        return false;
    const int end = sectionEnd(h);
    m_lines.remove(h, end - h);
    return true;
}

QStringList IniDocument::keys(const QString &section) const
{
    QStringList out;
    const int h = findSection(section);
    if (h < 0)
        return out;
    const int end = sectionEnd(h);
    QStringView k, v;
    for (int i = h + 1; i < end; ++i)
        if (ParseKeyLine(m_lines.at(i), &k, &v))
            out << k.toString();
    return out;
}

QStringList IniDocument::sectionLines(const QString &section) const
{
    QStringList out;
    const int h = findSection(section);
    if (h < 0)
        return out;
    const int end = sectionEnd(h);
    for (int i = h + 1; i < end; ++i) {
        const QString t = m_lines.at(i).trimmed();
        if (!t.isEmpty() && !IsComment(t))
            out << t;
    }
    return out;
}
