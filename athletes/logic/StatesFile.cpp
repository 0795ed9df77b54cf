#include "athletes/logic/StatesFile.h"

#include "platform/shell/Cp1252.h"
#include "platform/shell/ReadLimits.h"
#include "platform/error/VbError.h"

#include <QSet>

namespace StatesFile {

namespace {
bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
bool IsLineEnd(QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); }
}

QString Decode(const QByteArray &bytes)
{
    return DecodeOutsideText(bytes);
}

namespace {

// Calls take(name) for each name of the text, in order, until it returns false.
template <class Take>
void ForEachName(const QString &text, Take take)
{
    const int n = text.size();
    int i = 0;
    while (i < n) {
        while (i < n && IsBlank(text.at(i)))
            ++i;
        QString name;
        if (i < n && text.at(i) == QLatin1Char('"')) {
            const int close = text.indexOf(QLatin1Char('"'), i + 1);
            const int end = close < 0 ? n : close;
            name = text.mid(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
            // Whatever follows the closing mark up to the separator is dropped.
            while (i < n && text.at(i) != QLatin1Char(',') && !IsLineEnd(text.at(i)))
                ++i;
            if (name.trimmed().isEmpty())
                name.clear();
        } else {
            const int start = i;
            while (i < n && text.at(i) != QLatin1Char(',') && !IsLineEnd(text.at(i)))
                ++i;
            name = text.mid(start, i - start);
            while (!name.isEmpty() && IsBlank(name.back()))
                name.chop(1);
        }
        if (i < n) {   // the separator: a comma, or a line end (CR LF counts once)
            if (text.at(i) == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            ++i;
        }
        if (!name.isEmpty() && !take(std::move(name)))
            return;
    }
}

// A name as the table compares it (COLLATE NOCASE: the letters A to Z
// without regard to case, every other character as it is).
QString TableKey(const QString &name)
{
    QString key = name;
    for (QChar &c : key)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return key;
}

} // namespace

QStringList Parse(const QByteArray &bytes)
{
    QStringList names;
    ForEachName(Decode(bytes), [&names](QString name) {
        names.append(std::move(name));
        return true;
    });
    return names;
}

NameList DistinctNames(const QByteArray &bytes, int maxNames)
{
    NameList list;
    QSet<QString> seen;
    ForEachName(Decode(bytes), [&](QString name) {
        QString key = TableKey(name);
        if (seen.contains(key))
            return true;
        if (list.names.size() >= maxNames) {
            list.tooMany = true;
            return false;
        }
        seen.insert(std::move(key));
        list.names.append(std::move(name));
        return true;
    });
    if (list.tooMany)
        list.names.clear();
    return list;
}

ImportResult Import(const dao::DatabasePtr &db, const QStringList &names, const std::function<void()> &tick)
{
    ImportResult result;
    QString current;
    bool inTrans = false;
    try {
        db->BeginTrans();
        inTrans = true;
        // One compiled statement adds a name only when the table does not hold
        // it yet (compared as the table compares, bound), so a name twice in
        // the file is added once.
        dao::PreparedStatementPtr add = db->prepare(
            QStringLiteral("INSERT INTO States (State) SELECT ? WHERE NOT EXISTS (SELECT * FROM States WHERE State = ?)"));
        for (const QString &name : names) {
            if (tick)
                tick();
            current = name;
            if (name.size() > 250) {
                // Too long to store: a failure unless the table holds it already.
                dao::RecordsetPtr count = db->OpenRecordset(
                    QStringLiteral("SELECT COUNT(*) AS [Exist] FROM States WHERE State = ?"), dao::dbOpenSnapshot, 0, {name});
                const int exist = count->Value(QStringLiteral("Exist")).toInt();
                count->Close();
                if (exist == 0)
                    throw VbError(dao::JetErr::FieldTooSmall,
                                  QStringLiteral("The field is too small to accept the amount of data you attempted to add."));
                continue;
            }
            result.added += add->execute({name, name});
        }
        db->CommitTrans();
    } catch (const VbError &e) {
        // The names stored before the failure stay: the one refused added
        // nothing. Where the database has given up the transaction itself
        // (a full disk), what it kept is what stays.
        if (inTrans) {
            try {
                db->CommitTrans();
            } catch (const VbError &) {
                result.added = 0;
                try {
                    db->Rollback();
                } catch (const VbError &) {
                }
            }
        }
        result.ok = false;
        result.error = e.Number();
        // The name refused, cut to a length a message box shows at once.
        result.description = readlimits::WithQuotedName(e.Description(), current);
    }
    return result;
}

} // namespace StatesFile
