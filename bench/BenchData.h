#pragma once
// The large benchmark database: 1,000 climbs with 200 samples each, 100 routes,
// 200 athletes, 50,000 climb times and 50,000 training times.
#include "platform/dao/Dao.h"

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

// Milliseconds one call of fn takes.
inline double timeMs(const std::function<void()> &fn)
{
    QElapsedTimer t;
    t.start();
    fn();
    return t.nsecsElapsed() / 1e6;
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline void fill(dao::Database &db)
{
    db.BeginTrans();
    db.ExecuteScript(R"SQL(
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200)
INSERT INTO "Dati Personali" (IDPersonale, Cognome, Nome, Datanascita, Peso, Fqped, Fcmax, Pesobici, Circonfruota)
SELECT 'ATH' || i, 'Surname ' || i, 'Name ' || i, '1970-01-01', 55 + i % 30, 60 + i % 30, 170 + i % 20, 8 + i % 4, 2.1
FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000)
INSERT INTO "Dati Salite" (IDPercorso, Lunghezza, Quotainiziale, Quotafinale, Regione, "Località", Provincia)
SELECT 'Climb ' || i, 5 + i % 20, 200 + i % 500, 900 + i % 1200, 'Region', 'Town ' || i, 'PR' FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100)
INSERT INTO "Dati Percorsi" (IDPercorso, Lunghezza, Regione) SELECT 'Route ' || i, 40 + i, 'Region' FROM n;
WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 1000),
               s(j) AS (SELECT 0 UNION ALL SELECT j + 1 FROM s WHERE j < 199)
INSERT INTO CampioniSalite (IDPercorso, DistParz, Altezza, Note)
SELECT 'Climb ' || i, j * 0.1, 200 + i % 500 + j * 3, 'Sample ' || j FROM c, s;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 49999)
INSERT INTO "Tempi Salita" (IDPersonale, IDPercorso, Data, Tempo, Anteriore, Posteriore, Note)
SELECT 'ATH' || (1 + i % 200), 'Climb ' || (1 + (i * 7) % 1000), date('2000-01-01', '+' || (i % 5000) || ' days'),
       time(1800 + (i * 37) % 7200, 'unixepoch'), 39, 21 + i % 7, NULL FROM n;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 49999)
INSERT INTO "Tempi Allenamento" (IDPersonale, IDPercorso, Data, Tempo, Note)
SELECT 'ATH' || (1 + i % 200), 'Route ' || (1 + (i * 3) % 100), date('2000-01-01', '+' || (i % 5000) || ' days'),
       time(3600 + (i * 53) % 14400, 'unixepoch'), NULL FROM n;
)SQL");
    db.CommitTrans();
}

} // namespace bench
