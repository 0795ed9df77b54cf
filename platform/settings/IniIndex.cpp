#include "IniIndex.h"

namespace {

bool Same(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniIndex::IniIndex(QStringView text, const std::vector<Request> &requests)
{
    for (const Request &r : requests) {
        Kept k;
        k.section = r.section;
        k.keys = r.keys;
        k.values.assign(size_t(r.keys.size()), {false, QString()});
        k.lineChars = r.lineChars;
        m_kept.push_back(std::move(k));
    }
    Kept *current = nullptr;
    const qsizetype n = text.size();
    for (qsizetype pos = 0; pos < n;) {
        // One line: LF, CR LF or CR ends it.
        qsizetype end = pos;
        while (end < n && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r'))
            ++end;
        const QStringView line = text.sliced(pos, end - pos).trimmed();
        pos = end < n && text[end] == QLatin1Char('\r') && end + 1 < n && text[end + 1] == QLatin1Char('\n') ? end + 2
                                                                                                           : end + 1;
        if (line.isEmpty())
            continue;
        if (line.front() == QLatin1Char('[')) {
            // A section header: the name runs to the first "]" (or the end).
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            const QStringView name = (close < 0 ? line.sliced(1) : line.sliced(1, close - 1)).trimmed();
            current = nullptr;
            for (Kept &k : m_kept) {
                if (Same(name, k.section)) {
                    // Only the first section of a name counts.
                    if (!k.seen)
                        current = &k;
                    k.seen = true;
                    break;
                }
            }
            continue;
        }
        if (!current || line.front() == QLatin1Char(';'))
            continue;
        if (!current->keys.isEmpty()) {
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            const QStringView key = eq < 0 ? line : line.first(eq).trimmed();
            for (qsizetype i = 0; i < current->keys.size(); ++i) {
                auto &slot = current->values[size_t(i)];
                if (!slot.first && Same(key, current->keys.at(i)))
                    slot = {true, eq < 0 ? QString() : line.sliced(eq + 1).trimmed().toString()};
            }
        }
        if (current->keptChars < current->lineChars) {
            const qsizetype room = current->lineChars - current->keptChars - (current->lines.isEmpty() ? 0 : 1);
            current->lines << line.first(std::min(room, line.size())).toString();
            current->keptChars += (current->lines.size() > 1 ? 1 : 0) + current->lines.last().size();
        }
    }
}

const IniIndex::Kept *IniIndex::find(const QString &section) const
{
    for (const Kept &k : m_kept)
        if (Same(k.section, section))
            return &k;
    return nullptr;
}

QString IniIndex::value(const QString &section, const QString &key, bool *found) const
{
    if (found)
        *found = false;
    const Kept *k = find(section);
    for (qsizetype i = 0; k && i < k->keys.size(); ++i) {
        if (Same(k->keys.at(i), key)) {
            const auto &slot = k->values[size_t(i)];
            if (found)
                *found = slot.first;
            return slot.second;
        }
    }
    return QString();
}

QStringList IniIndex::sectionLines(const QString &section) const
{
    const Kept *k = find(section);
    return k ? k->lines : QStringList();
}
