#include "core/RaceStore.h"

#include <charconv>

namespace {

// A single as the database keeps it: the double nearest to its shortest
// decimal form, so 0.1 is stored as 0.1 and not as 0.100000001490116.
double StoredSingle(float value)
{
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    double d = value;
    std::from_chars(buffer, r.ptr, d);
    return d;
}

int Slot(int raceType) { return raceType == 0 ? 0 : 1; }

} // namespace

RaceStore::RaceStore(dao::Database &db) : m_db(db) {}
RaceStore::~RaceStore() = default;

QString RaceStore::cardTable(int raceType)
{
    return raceType == 0 ? QStringLiteral("[Dati Salite]") : QStringLiteral("[Dati Percorsi]");
}

QString RaceStore::sampleTable(int raceType)
{
    return raceType == 0 ? QStringLiteral("[CampioniSalite]") : QStringLiteral("[CampioniPercorsi]");
}

bool RaceStore::exists(int raceType, const QString &name)
{
    auto c = m_db.openCursor(QStringLiteral("SELECT COUNT(*) FROM ") + cardTable(raceType)
                                 + QStringLiteral(" WHERE IDPercorso = ?"),
                             {name});
    return c->next() && c->value(0).toInt() != 0;
}

RaceOutcome RaceStore::save(const Race &race)
{
    RaceOutcome out;
    out.name = race.raceName();
    const int type = race.raceType();
    bool inTransaction = false;
    try {
        m_db.BeginTrans();
        inTransaction = true;
        if (exists(type, out.name)) {
            m_db.Rollback();
            out.status = RaceOutcome::AlreadyPresent;
            return out;
        }
        if (type == 0) {
            m_db.Execute(QStringLiteral("INSERT INTO ") + cardTable(type)
                             + QStringLiteral(" ([IDPercorso],Lunghezza,QuotaIniziale,QuotaFinale,località,Provincia,"
                                              "Regione,Stato,Descrizione,[E-mail],Url,Telefono) "
                                              "VALUES (?,?,?,?,?,?,?,?,?,?,?,?)"),
                         0,
                         {out.name, StoredSingle(race.lenght()), int(race.StartHeight()), int(race.endHeight()),
                          race.City(), race.province(), race.region(), race.state(), race.info(), race.mail(),
                          race.web(), race.phone()});
        } else {
            m_db.Execute(QStringLiteral("INSERT INTO ") + cardTable(type)
                             + QStringLiteral(" ([IDPercorso],Lunghezza,località,Provincia,Regione,Stato,"
                                              "Descrizione,[E-mail],Url,Telefono) VALUES (?,?,?,?,?,?,?,?,?,?)"),
                         0,
                         {out.name, StoredSingle(race.lenght()), race.City(), race.province(), race.region(),
                          race.state(), race.info(), race.mail(), race.web(), race.phone()});
        }
        if (race.Samples()) {
            dao::PreparedStatementPtr &insert = m_sampleInsert[Slot(type)];
            if (!insert)
                insert = m_db.prepare(QStringLiteral("INSERT INTO ") + sampleTable(type)
                                      + QStringLiteral(" ([IDPercorso],[DistParz],[Altezza],[Note],[image]) "
                                                       "VALUES (?,?,?,?,?)"));
            for (const SamplePtr &s : *race.Samples()) {
                insert->execute({out.name, StoredSingle(s->Distance()), int(s->Height()), s->Label(), s->Icon()});
                ++out.samples;
            }
        }
        m_db.CommitTrans();
        inTransaction = false;
        out.status = RaceOutcome::Stored;
    } catch (const VbError &e) {
        if (inTransaction) {
            try {
                m_db.Rollback();
            } catch (const VbError &) {
            }
        }
        out.status = RaceOutcome::Failed;
        out.errorNumber = e.Number();
        out.errorText = e.Description();
        out.samples = 0;
    } catch (...) {
        if (inTransaction) {
            try {
                m_db.Rollback();
            } catch (const VbError &) {
            }
        }
        throw;
    }
    return out;
}

QList<RaceOutcome> RaceStore::saveAll(const ColRace &races)
{
    QList<RaceOutcome> out;
    for (const RacePtr &race : races)
        out.append(save(*race));
    return out;
}
