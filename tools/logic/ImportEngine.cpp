#include "tools/logic/ImportEngine.h"

#include "core/LangClient.h"
#include "tools/logic/BatchInsert.h"
#include "platform/error/VbError.h"
#include "platform/shell/ReadLimits.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <QSaveFile>

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

    // Copies one kind; the names imported go into names.
    void copyKind(bool climb, QStringList &names)
    {
        const Kind &k = KindOf(climb);
        const QString label = GetLangString(k.label);
        progress(label, 0, 0);
        const int total = CountOf(m_src, QStringLiteral("SELECT COUNT(*) FROM ") + Br(k.cards));
        if (total == 0) {
            progress(QString(), 0, 0);
            return;
        }
        const Columns cardCols = MatchColumns(m_src, m_dst, k.cards, k.cardFields);
        const Columns sampleCols = MatchColumns(m_src, m_dst, k.samples, SampleFields());
        auto placeholders = [](int n) { return QStringList(n, QStringLiteral("?")).join(QLatin1Char(',')); };
        auto insertCard = m_dst.prepare(QStringLiteral("INSERT INTO ") + Br(k.cards) + QStringLiteral(" (")
                                        + cardCols.destination.join(QLatin1Char(',')) + QStringLiteral(") VALUES (")
                                        + placeholders(int(cardCols.destination.size())) + QLatin1Char(')'));
        BatchInsert insertSample(m_dst, Br(k.samples), sampleCols.destination);
        // The destination's cards of this kind and how many samples each has,
        // read once and kept up to date as the run writes: each source card is
        // then looked up by its key without a query of its own.
        QSet<QString> destCards;
        QHash<QString, int> destSamples;
        {
            auto c = m_dst.openCursor(QStringLiteral("SELECT [IDPercorso] FROM ") + Br(k.cards));
            while (c->next())
                destCards.insert(KeyOf(c->value(0).toString()));
            c = m_dst.openCursor(QStringLiteral("SELECT [IDPercorso], COUNT(*) FROM ") + Br(k.samples)
                                 + QStringLiteral(" GROUP BY [IDPercorso]"));
            while (c->next())
                destSamples[KeyOf(c->value(0).toString())] += c->value(1).toInt();
        }
        auto deleteSamples = m_dst.prepare(QStringLiteral("DELETE FROM ") + Br(k.samples) + QStringLiteral(" WHERE [IDPercorso]=?"));
        const QString sampleSelect = QStringLiteral("SELECT ") + sampleCols.select.join(QLatin1Char(','))
                                     + QStringLiteral(" FROM ") + Br(k.samples)
                                     + QStringLiteral(" WHERE [IDPercorso]=? ORDER BY [DistParz]");

        // The card rows are read in full first: the source stays untouched
        // and the samples of each card are read by a cursor of their own.
        QList<QVariantList> cards;
        {
            auto c = m_src.openCursor(QStringLiteral("SELECT ") + cardCols.select.join(QLatin1Char(','))
                                      + QStringLiteral(" FROM ") + Br(k.cards));
            while (c->next()) {
                QVariantList row;
                for (int i = 0; i < c->columnCount(); ++i)
                    row << c->value(i);
                cards << row;
            }
        }
        const int nameColumn = int(cardCols.destination.indexOf(QStringLiteral("[IDPercorso]")));
        int done = 0;
        progress(label, 0, int(cards.size()));
        for (const QVariantList &card : cards) {
            if (aborted())
                return;
            const QString name = card.value(nameColumn).toString();
            m_current = name;
            const QString key = KeyOf(name);
            const bool exists = destCards.contains(key);
            // The source samples are opened once: a first row tells that there
            // are some, and the copy goes on from it.
            auto samples = m_src.openCursor(sampleSelect, {name});
            const bool sourceHasSamples = samples->next();
            if (exists) {
                bool copySamples = false;
                if (sourceHasSamples) {
                    if (destSamples.value(key) == 0) {
                        copySamples = true;
                    } else if (m_criterion == Criterion::OverwriteAll
                               || (m_criterion == Criterion::ConfirmRequest && m_cb.confirm
                                   && m_cb.confirm(FormatLangString(GetLangString(k.question1), {name})
                                                   + QLatin1Char('\n') + GetLangString(k.question2)))) {
                        deleteSamples->execute({name});
                        destSamples[key] = 0;
                        copySamples = true;
                    }
                }
                if (copySamples) {
                    if (!copy(*samples, insertSample, destSamples[key]))
                        return;
                    names << name;
                }
            } else {
                insertCard->execute(card);
                destCards.insert(key);
                names << name;
                if (sourceHasSamples && !copy(*samples, insertSample, destSamples[key]))
                    return;
            }
            m_current.clear();
            progress(label, ++done, int(cards.size()));
        }
        progress(QString(), 0, 0);
    }

private:
    // The samples of one card, all written before the next card is looked at;
    // rows holds its first row already. copied counts the rows sent.
    bool copy(dao::ReadCursor &rows, BatchInsert &insert, int &copied)
    {
        do {
            if (aborted()) {
                insert.discard();
                return false;
            }
            insert.add(rows);
            ++copied;
        } while (rows.next());
        insert.flush();
        return true;
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
        r = Result{};
        r.status = Result::Failed;
        r.errorNumber = e.Number();
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

QString ImportLogPath(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("LogImport.txt"));
}

bool WriteImportLog(const QString &folder, const QStringList &climbs, const QStringList &routes)
{
    QByteArray text;
    for (const QString &n : climbs)
        text += n.toUtf8() + "\r\n";
    text += "\r\n";
    for (const QString &n : routes)
        text += n.toUtf8() + "\r\n";
    QSaveFile f(ImportLogPath(folder));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(text) != text.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

} // namespace ImportEngine
