#include "tools/logic/ImportEngine.h"

#include "core/LangClient.h"
#include "platform/error/VbError.h"
#include "platform/shell/FileWrite.h"
#include "platform/shell/ReadLimits.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace ImportEngine {
namespace {

struct Kind {
    QString cards, samples;            // table names
    QStringList cardFields;            // copied in this order
    int label, question1, question2;   // text numbers
};

const Kind &KindOf(bool climb)
{
    static const Kind climbKind{QStringLiteral("Dati Salite"), QStringLiteral("CampioniSalite"),
        {QStringLiteral("IDPercorso"), QStringLiteral("Lunghezza"), QStringLiteral("Quotainiziale"),
         QStringLiteral("Quotafinale"), QStringLiteral("Stato"), QStringLiteral("Regione"),
         QStringLiteral("Località"), QStringLiteral("Provincia"), QStringLiteral("E-mail"),
         QStringLiteral("Url"), QStringLiteral("Telefono"), QStringLiteral("Fax"), QStringLiteral("Descrizione")},
        17513, 17514, 17515};
    static const Kind routeKind{QStringLiteral("Dati Percorsi"), QStringLiteral("CampioniPercorsi"),
        {QStringLiteral("IDPercorso"), QStringLiteral("Lunghezza"), QStringLiteral("Periodo"),
         QStringLiteral("Stato"), QStringLiteral("Regione"), QStringLiteral("Località"),
         QStringLiteral("Provincia"), QStringLiteral("E-mail"), QStringLiteral("Url"),
         QStringLiteral("Telefono"), QStringLiteral("Fax"), QStringLiteral("Descrizione")},
        17516, 17517, 17518};
    return climb ? climbKind : routeKind;
}

const QStringList &SampleFields()
{
    static const QStringList f{QStringLiteral("IDPercorso"), QStringLiteral("DistParz"), QStringLiteral("Altezza"),
                               QStringLiteral("Note"), QStringLiteral("image")};
    return f;
}

QString Br(const QString &name) { return QLatin1Char('[') + name + QLatin1Char(']'); }

bool HasColumn(const dao::TableDef &def, const QString &name)
{
    for (const dao::FieldDef &f : def.fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The source columns to read: a field the source lacks (an older file without
// "Stato" or "image") is read as an empty text. Fields the destination lacks
// cannot be stored and are left out.
struct Columns {
    QStringList destination;   // names to insert
    QStringList select;        // matching select expressions on the source
};

Columns MatchColumns(dao::Database &src, dao::Database &dst, const QString &table, const QStringList &fields)
{
    const dao::TableDef s = src.TableDefinition(table);
    const dao::TableDef d = dst.TableDefinition(table);
    Columns c;
    for (const QString &f : fields) {
        if (!HasColumn(d, f))
            continue;
        c.destination << Br(f);
        c.select << (HasColumn(s, f) ? Br(f) : QStringLiteral("''"));
    }
    return c;
}

// The schema name under which the destination reads the source file.
const QString kSource = QStringLiteral("importsource");

QString Src(const QString &table) { return kSource + QLatin1Char('.') + Br(table); }
QString Dst(const QString &table) { return QStringLiteral("main.") + Br(table); }

int CountOf(dao::Database &db, const QString &sql, const QVariantList &params = {})
{
    auto c = db.openCursor(sql, params);
    return c->next() ? c->value(0).toInt() : 0;
}

// A name as the destination's key compares it: the text columns compare
// without regard to case for the letters A to Z only.
QString KeyOf(const QString &name)
{
    QString key = name;
    for (QChar &c : key)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
    return key;
}

// Names as one bound value, a JSON array read by json_each: a set statement
// takes any number of them without building its text from them.
QString NameList(const QStringList &names)
{
    QJsonArray a;
    for (const QString &n : names)
        a.append(n);
    return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact));
}

// Steps of SQLite's machine between two polls of the abort while a statement
// runs: about one sample row, as often as a row-by-row copy asked.
constexpr int kStepsPerPoll = 100;

// Cards whose samples go in one statement: the progress bar moves and the
// abort is also checked between them.
constexpr int kCardsPerStatement = 100;

class Run {
public:
    Run(dao::Database &src, dao::Database &dst, Criterion criterion, const Callbacks &cb)
        : m_src(src), m_dst(dst), m_criterion(criterion), m_cb(cb) {}

    bool aborted()
    {
        if (!m_aborted && m_cb.shouldAbort && m_cb.shouldAbort())
            m_aborted = true;
        return m_aborted;
    }

    // The card being copied, empty between cards: a failure names it.
    const QString &current() const { return m_current; }

    void progress(const QString &label, int value, int maximum)
    {
        if (m_cb.progress)
            m_cb.progress(label, value, maximum);
    }

    // Copies one kind; the names imported go into names, in the order of the
    // source's cards. First every card is decided (a question where the
    // criterion asks one), then SQLite copies the decided cards and samples
    // with a few set statements, in the order of the destination's keys.
    void copyKind(bool climb, QStringList &names)
    {
        const Kind &k = KindOf(climb);
        const QString label = GetLangString(k.label);
        progress(label, 0, 0);
        const int total = CountOf(m_dst, QStringLiteral("SELECT COUNT(*) FROM ") + Src(k.cards));
        if (total == 0) {
            progress(QString(), 0, 0);
            return;
        }
        const Columns cardCols = MatchColumns(m_src, m_dst, k.cards, k.cardFields);
        const Columns sampleCols = MatchColumns(m_src, m_dst, k.samples, SampleFields());

        // Each source card, in the source's order: whether the destination has
        // a card of that key, whether either side has samples of it.
        struct Card {
            QString name;
            bool exists, sourceSamples, destSamples;
        };
        QList<Card> cards;
        cards.reserve(total);
        {
            auto c = m_dst.openCursor(
                QStringLiteral("SELECT s.[IDPercorso], "
                               "EXISTS (SELECT 1 FROM %1 AS d WHERE d.[IDPercorso] = s.[IDPercorso]), "
                               "EXISTS (SELECT 1 FROM %2 AS x WHERE x.[IDPercorso] = s.[IDPercorso]), "
                               "EXISTS (SELECT 1 FROM %3 AS y WHERE y.[IDPercorso] = s.[IDPercorso]) "
                               "FROM %4 AS s ORDER BY s.rowid")
                    .arg(Dst(k.cards), Src(k.samples), Dst(k.samples), Src(k.cards)));
            while (c->next())
                cards.append({c->value(0).toString(), c->value(1).toInt() != 0, c->value(2).toInt() != 0,
                              c->value(3).toInt() != 0});
        }
        progress(label, 0, int(cards.size()));

        // What each key of the destination gets. A source whose names are not
        // unique the way the destination's key compares them treats a later
        // card of a key as an existing one, as a card-by-card copy would.
        struct Key {
            bool card = false;          // the destination has (or gets) the card
            bool ownSamples = false;    // samples the destination had, still kept
            QString copyFrom;           // the source card whose samples go in, if any
        };
        QHash<QString, Key> keys;
        QStringList newCards, replaced;
        for (const Card &card : cards) {
            if (aborted())
                return;
            const QString key = KeyOf(card.name);
            auto it = keys.find(key);
            if (it == keys.end())
                it = keys.insert(key, Key{card.exists, card.destSamples, QString()});
            Key &state = *it;
            if (!state.card) {
                newCards << card.name;
                state.card = true;
                names << card.name;
                if (card.sourceSamples)
                    state.copyFrom = card.name;
                continue;
            }
            if (!card.sourceSamples)
                continue;   // nothing to bring: neither listed nor counted
            if (state.ownSamples || !state.copyFrom.isEmpty()) {
                const bool replace = m_criterion == Criterion::OverwriteAll
                    || (m_criterion == Criterion::ConfirmRequest && m_cb.confirm
                        && m_cb.confirm(FormatLangString(GetLangString(k.question1), {card.name})
                                        + QLatin1Char('\n') + GetLangString(k.question2)));
                if (!replace)
                    continue;
                if (state.ownSamples)
                    replaced << card.name;
                state.ownSamples = false;
            }
            state.copyFrom = card.name;
            names << card.name;
        }

        // The samples to bring, by card, in the order of the destination's key.
        QList<std::pair<QByteArray, QString>> ordered;
        for (const Key &state : std::as_const(keys))
            if (!state.copyFrom.isEmpty())
                ordered.append({KeyOf(state.copyFrom).toUtf8(), state.copyFrom});
        std::sort(ordered.begin(), ordered.end(),
                  [](const auto &a, const auto &b) { return a.first < b.first; });

        if (!newCards.isEmpty()) {
            QString sql = QStringLiteral("INSERT INTO ") + Dst(k.cards) + QStringLiteral(" (")
                + cardCols.destination.join(QLatin1Char(',')) + QStringLiteral(") SELECT ")
                + cardCols.select.join(QLatin1Char(',')) + QStringLiteral(" FROM ") + Src(k.cards);
            QVariantList params;
            if (newCards.size() < cards.size()) {
                sql += QStringLiteral(" WHERE [IDPercorso] IN (SELECT value FROM json_each(?))");
                params << NameList(newCards);
            }
            try {
                m_dst.Execute(sql + QStringLiteral(" ORDER BY [IDPercorso]"), 0, params);
            } catch (const VbError &) {
                nameRefusedCard(sql.section(QStringLiteral(" WHERE "), 0, 0)
                                    + QStringLiteral(" WHERE [IDPercorso] IN (SELECT value FROM json_each(?))"),
                                newCards);
                throw;
            }
        }
        if (!replaced.isEmpty())
            m_dst.Execute(QStringLiteral("DELETE FROM ") + Dst(k.samples)
                              + QStringLiteral(" WHERE [IDPercorso] IN (SELECT value FROM json_each(?))"),
                          0, {NameList(replaced)});
        const QString insertSamples = QStringLiteral("INSERT INTO ") + Dst(k.samples) + QStringLiteral(" (")
            + sampleCols.destination.join(QLatin1Char(',')) + QStringLiteral(") SELECT ")
            + sampleCols.select.join(QLatin1Char(',')) + QStringLiteral(" FROM ") + Src(k.samples)
            + QStringLiteral(" WHERE [IDPercorso] IN (SELECT value FROM json_each(?)) ORDER BY [IDPercorso], [DistParz]");
        auto insert = ordered.isEmpty() ? dao::PreparedStatementPtr() : m_dst.prepare(insertSamples);
        const qsizetype all = cards.size();
        for (qsizetype i = 0; i < ordered.size(); i += kCardsPerStatement) {
            if (aborted())
                return;
            QStringList group;
            for (qsizetype j = i; j < qMin(ordered.size(), i + kCardsPerStatement); ++j)
                group << ordered[j].second;
            try {
                insert->execute({NameList(group)});
            } catch (const VbError &) {
                nameRefusedCard(insertSamples, group);
                throw;
            }
            progress(label, int(all * (i + group.size()) / ordered.size()), int(all));
        }
        progress(label, int(all), int(all));
        progress(QString(), 0, 0);
    }

    bool wasAborted() const { return m_aborted; }

private:
    // A set statement that fails names no card. Its changes are undone by the
    // failure and the whole run is rolled back after it, so the cards are
    // tried one at a time to find the first the destination refuses: the
    // message then names it.
    void nameRefusedCard(const QString &sqlForNames, const QStringList &cardNames)
    {
        if (m_aborted)
            return;
        for (const QString &name : cardNames) {
            try {
                m_dst.Execute(sqlForNames, 0, {NameList({name})});
            } catch (const VbError &) {
                m_current = name;
                return;
            }
        }
    }

    dao::Database &m_src;
    dao::Database &m_dst;
    Criterion m_criterion;
    const Callbacks &m_cb;
    bool m_aborted = false;
    QString m_current;
};

} // namespace

Result CopyRaces(dao::Database &source, dao::Database &destination, bool climbs, bool routes,
                 Criterion criterion, const Callbacks &callbacks)
{
    Result r;
    Run run(source, destination, criterion, callbacks);
    auto failed = [&r](const VbError &e) {
        r = Result{};
        r.status = Result::Failed;
        r.errorNumber = e.Number();
        r.errorText = e.Description();
        return r;
    };
    try {
        destination.AttachReadOnly(source, kSource);
    } catch (const VbError &e) {
        return failed(e);
    }
    // A statement that runs long still hears the abort.
    if (callbacks.shouldAbort)
        destination.SetInterruptCheck([&run] { return run.aborted(); }, kStepsPerPoll);
    // Whatever way the run ends, the destination is left as it was found:
    // no check, no attachment.
    struct Cleanup {
        dao::Database &db;
        ~Cleanup()
        {
            try {
                db.SetInterruptCheck({});
                db.Detach(kSource);
            } catch (const VbError &) {
                // The file closes with its connection anyway.
            }
        }
    } cleanup{destination};

    destination.BeginTrans();
    try {
        if (climbs && !run.aborted())
            run.copyKind(true, r.climbs);
        if (routes && !run.aborted())
            run.copyKind(false, r.routes);
        if (run.aborted()) {
            destination.Rollback();
            r = Result{};
            r.status = Result::Aborted;
            return r;
        }
        destination.CommitTrans();
    } catch (const VbError &e) {
        if (destination.InTransaction())
            destination.Rollback();
        if (run.wasAborted()) {
            r = Result{};
            r.status = Result::Aborted;
            return r;
        }
        failed(e);
        // The card refused, cut to a length a message box shows at once.
        r.errorText = readlimits::WithQuotedName(e.Description(), run.current());
        return r;
    } catch (...) {
        if (destination.InTransaction())
            destination.Rollback();
        throw;
    }
    r.status = Result::Completed;
    return r;
}

bool WriteImportLog(const PrivateFolder &folder, const QStringList &climbs, const QStringList &routes, QString *why)
{
    QByteArray text;
    for (const QString &n : climbs)
        text += n.toUtf8() + "\r\n";
    text += "\r\n";
    for (const QString &n : routes)
        text += n.toUtf8() + "\r\n";
    return folder.writeWhole(QString::fromLatin1(ImportLogName), text, why);
}

} // namespace ImportEngine
