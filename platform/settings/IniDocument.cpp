#include "IniDocument.h"

#include "TextLines.h"
#include "platform/shell/Cp1252.h"
#include "platform/shell/FileWrite.h"

#include <QFile>

#include <algorithm>
#include <functional>
#include <limits>

namespace {

bool IsComment(QStringView trimmed)
{
    return trimmed.startsWith(QLatin1Char(';'));
}

bool Same(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool IsLineEnd(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
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
    m_text.clear();
    m_lines.clear();
    m_set.clear();
    // One pass for the count of lines and the line end a rewrite uses (CR LF
    // where the text holds one, else LF), one to note where each line starts:
    // no copy of the text is made, and the list is made at its size at once.
    const QStringView view(text);
    const QChar *const begin = view.data();
    const qsizetype size = view.size();
    qsizetype ends = 0;
    bool crlf = false;
    for (qsizetype i = 0; i < size; ++i) {
        if (begin[i] == QLatin1Char('\n')) {
            ++ends;
        } else if (begin[i] == QLatin1Char('\r')) {
            ++ends;
            if (i + 1 < size && begin[i + 1] == QLatin1Char('\n')) {
                crlf = true;
                ++i;
            }
        }
    }
    m_eol = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    // A text too long for a start to fit keeps each line as a string of its own.
    const bool byStart = size <= std::numeric_limits<qint32>::max();
    if (byStart)
        m_text = text;
    // Each line end starts one more line.
    m_lines.resize(ends + 1);
    qint32 *start = m_lines.data();
    TextLines lines(view);
    for (QStringView each; lines.next(each);) {
        if (byStart) {
            *start++ = qint32(each.data() - begin);
        } else {
            *start++ = qint32(-1 - m_set.size());
            m_set.append(each.toString());
        }
    }
    // A text ending in a line end has no line after it.
    if (line(m_lines.size() - 1).isEmpty()) {
        if (!byStart)
            m_set.removeLast();
        m_lines.removeLast();
    }
}

QString IniDocument::text() const
{
    if (m_lines.isEmpty())
        return QString();
    QString out;
    qsizetype setChars = 0;
    for (const QString &set : m_set)
        setChars += set.size();
    out.reserve(m_text.size() + setChars + m_lines.size() * m_eol.size());
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        out.append(line(i)).append(m_eol);
    return out;
}

QStringView IniDocument::line(qsizetype i) const
{
    const qint32 at = m_lines.at(i);
    if (at < 0)
        return m_set.at(-1 - qsizetype(at));
    const QChar *const start = m_text.constData() + at, *const stop = m_text.constData() + m_text.size();
    const QChar *end = start;
    while (end != stop && !IsLineEnd(*end))
        ++end;
    return QStringView(start, end);
}

bool IniDocument::mayBeHeader(qsizetype i) const
{
    const qint32 at = m_lines.at(i);
    if (at < 0)
        return QStringView(m_set.at(-1 - qsizetype(at))).trimmed().startsWith(QLatin1Char('['));
    const QChar *const stop = m_text.constData() + m_text.size();
    for (const QChar *c = m_text.constData() + at; c != stop && !IsLineEnd(*c); ++c)
        if (!c->isSpace())
            return *c == QLatin1Char('[');
    return false;
}

void IniDocument::setLine(qsizetype i, const QString &text)
{
    const qint32 at = m_lines.at(i);
    if (at < 0) {
        m_set[-1 - qsizetype(at)] = text;
        return;
    }
    m_lines[i] = qint32(-1 - m_set.size());
    m_set.append(text);
}

void IniDocument::insertLine(qsizetype i, const QString &text)
{
    m_lines.insert(i, qint32(-1 - m_set.size()));
    m_set.append(text);
}

void IniDocument::removeLines(qsizetype from, qsizetype count)
{
    // The strings of lines set and now removed go too: the last string takes
    // the place of each, so a document edited for a whole run keeps no more
    // than its lines.
    QList<qsizetype> freed;
    for (qsizetype i = from; i < from + count; ++i)
        if (m_lines.at(i) < 0)
            freed.append(-1 - qsizetype(m_lines.at(i)));
    m_lines.remove(from, count);
    std::sort(freed.begin(), freed.end(), std::greater<>());
    for (const qsizetype slot : freed) {
        const qsizetype last = m_set.size() - 1;
        if (slot != last) {
            m_set[slot] = std::move(m_set[last]);
            for (qint32 &at : m_lines) {
                if (at == qint32(-1 - last)) {
                    at = qint32(-1 - slot);
                    break;
                }
            }
        }
        m_set.removeLast();
    }
}

bool IniDocument::load(const QString &path)
{
    m_text.clear();
    m_lines.clear();
    m_set.clear();
    QFile f(path);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly))
        return false;
    // The bytes go once decoded, before the lines are noted.
    const QString text = Decode(f.readAll());
    f.close();
    setText(text);
    return true;
}

bool IniDocument::save(const QString &path, QString *error) const
{
    return FileWrite::WriteFileAtomically(path, text().toUtf8(), error);
}

qsizetype IniDocument::findSection(const QString &section) const
{
    QStringView name;
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        if (mayBeHeader(i) && ParseSectionLine(line(i), &name) && Same(name, section))
            return i;
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    // Every line whose first character that is not a blank is "[" is a header.
    for (qsizetype i = header + 1; i < m_lines.size(); ++i)
        if (mayBeHeader(i))
            return i;
    return m_lines.size();
}

qsizetype IniDocument::findKey(qsizetype header, const QString &key) const
{
    const qsizetype end = sectionEnd(header);
    QStringView k, v;
    for (qsizetype i = header + 1; i < end; ++i)
        if (ParseKeyLine(line(i), &k, &v) && Same(k, key))
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
    const qsizetype h = findSection(section);
    if (h < 0)
        return QString();
    const qsizetype i = findKey(h, key);
    if (i < 0)
        return QString();
    QStringView k, v;
    ParseKeyLine(line(i), &k, &v);
    if (found)
        *found = true;
    return v.toString();
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString keyLine = key + QLatin1Char('=') + value;
    const qsizetype h = findSection(section);
    if (h < 0) {
        insertLine(m_lines.size(), QLatin1Char('[') + section + QLatin1Char(']'));
        insertLine(m_lines.size(), keyLine);
        return;
    }
    const qsizetype i = findKey(h, key);
    if (i >= 0) {
        QStringView k, v;
        ParseKeyLine(line(i), &k, &v);
        setLine(i, k.toString() + QLatin1Char('=') + value);
        return;
    }
    // After the section's last non-blank line, so blank separators stay put.
    qsizetype at = sectionEnd(h);
    while (at - 1 > h && line(at - 1).trimmed().isEmpty())
        --at;
    insertLine(at, keyLine);
}

bool IniDocument::removeKey(const QString &section, const QString &key)
{
    const qsizetype h = findSection(section);
    if (h < 0)
        return false;
    const qsizetype i = findKey(h, key);
    if (i < 0)
        return false;
    removeLines(i, 1);
    return true;
}

bool IniDocument::removeSection(const QString &section)
{
    const qsizetype h = findSection(section);
    if (h < 0)
        return false;
    removeLines(h, sectionEnd(h) - h);
    return true;
}

QStringList IniDocument::keys(const QString &section) const
{
    QStringList out;
    const qsizetype h = findSection(section);
    if (h < 0)
        return out;
    const qsizetype end = sectionEnd(h);
    QStringView k, v;
    for (qsizetype i = h + 1; i < end; ++i)
        if (ParseKeyLine(line(i), &k, &v))
            out << k.toString();
    return out;
}

QStringList IniDocument::sectionLines(const QString &section) const
{
    QStringList out;
    const qsizetype h = findSection(section);
    if (h < 0)
        return out;
    const qsizetype end = sectionEnd(h);
    for (qsizetype i = h + 1; i < end; ++i) {
        const QStringView t = line(i).trimmed();
        if (!t.isEmpty() && !IsComment(t))
            out << t.toString();
    }
    return out;
}
