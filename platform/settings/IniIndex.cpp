#include "IniIndex.h"

#include "IniDocument.h"
#include "TextLines.h"

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
    TextLines lines(text);
    for (QStringView raw; lines.next(raw);) {
        const QStringView line = raw.trimmed();
        if (line.isEmpty())
            continue;
        QStringView name;
        if (line.front() == QLatin1Char('[') && IniDocument::ParseSectionLine(line, &name)) {
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
        QStringView key, value;
        if (!current || !IniDocument::ParseKeyLine(line, &key, &value))
            continue;   // outside the sections asked for, or a comment
        // Keys of another length are never the same (the comparison folds
        // case one unit for one), so most lines cost a length comparison.
        for (qsizetype i = 0; i < current->keys.size() && !key.isEmpty(); ++i) {
            auto &slot = current->values[size_t(i)];
            if (!slot.first && key.size() == current->keys.at(i).size() && Same(key, current->keys.at(i)))
                slot = {true, value.toString()};
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
