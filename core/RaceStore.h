#pragma once
// Storing routes and climbs that arrive from outside (a races file, a
// recording, another database file, a text profile, a web page) in a
// database, each with its samples. Nothing here talks to the user: every race
// comes back with its outcome, and the caller decides what to tell.
//
//     RaceStore store(*CurrentDb);
//     for (const RaceOutcome &o : store.saveAll(races))
//         if (o.status == RaceOutcome::Failed) ... o.errorNumber, o.errorText
//
// A race goes into "Dati Salite" and "CampioniSalite" when its raceType is 0
// (a climb), else into "Dati Percorsi" and "CampioniPercorsi". Each race is
// stored in one transaction: either the record and all its samples are
// stored, or nothing of it is.
#include "core/Race.h"
#include "platform/dao/Dao.h"

#include <QList>
#include <QString>

struct RaceOutcome {
    enum Status {
        Stored,          // the record and its samples are in the database
        AlreadyPresent,  // a record of that name (without regard to case) was there; nothing written
        Failed,          // the database refused a statement; nothing of the race was kept
    };
    QString name;        // the race's name
    Status status = Stored;
    int errorNumber = 0; // Failed: the database error number (3022 duplicate, 3315 empty name ...)
    QString errorText;   // Failed: the database's description
    int samples = 0;     // Stored: samples written
};

class RaceStore {
public:
    // The store writes to db, which must stay open while the store is used.
    explicit RaceStore(dao::Database &db);
    ~RaceStore();
    RaceStore(const RaceStore &) = delete;
    RaceStore &operator=(const RaceStore &) = delete;

    // Saves one race with its samples (in enumeration order) in one
    // transaction. Database errors are returned as Failed, not thrown;
    // anything else (out of memory) is thrown after the transaction is undone.
    RaceOutcome save(const Race &race);
    // Saves every race in order and returns one outcome per race, in the same
    // order; a failing race does not stop the ones after it.
    QList<RaceOutcome> saveAll(const ColRace &races);

    // Whether a climb (raceType 0) or route of that name is stored.
    bool exists(int raceType, const QString &name);

    // The tables of a race type, in brackets: "[Dati Salite]" / "[Dati Percorsi]"
    // and "[CampioniSalite]" / "[CampioniPercorsi]".
    static QString cardTable(int raceType);
    static QString sampleTable(int raceType);

private:
    dao::Database &m_db;
    // One prepared insert per sample table, kept for every race stored.
    dao::PreparedStatementPtr m_sampleInsert[2];
};
