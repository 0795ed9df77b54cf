-- Schema of the template database ZidoVodu.dat (built into the program folder).
-- Plain SQLite. Every text column compares without regard to case; CHECK constraints are
-- named after what they guard (zls: no empty text, len: field size, type: a number) so that
-- a violation can be reported with the matching database error.
-- The number check is written typeof(x) NOT IN ('text','blob'); files made before hold
-- IN ('integer','real','null'), which accepts the same values but slows every insert.

CREATE TABLE "Dati Personali" (
  "IDPersonale" TEXT(255) COLLATE NOCASE NOT NULL CONSTRAINT "zls:IDPersonale" CHECK ("IDPersonale" <> '') CONSTRAINT "len:IDPersonale" CHECK (length("IDPersonale") <= 255),
  "Cognome" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Cognome" CHECK (length("Cognome") <= 255),
  "Nome" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Nome" CHECK (length("Nome") <= 255),
  "Datanascita" DATE,
  "Peso" FLOAT CONSTRAINT "type:Peso" CHECK (typeof("Peso") NOT IN ('text','blob')),
  "Fqped" SMALLINT CONSTRAINT "type:Fqped" CHECK (typeof("Fqped") NOT IN ('text','blob')),
  "Fcmax" SMALLINT CONSTRAINT "type:Fcmax" CHECK (typeof("Fcmax") NOT IN ('text','blob')),
  "Pesobici" FLOAT CONSTRAINT "type:Pesobici" CHECK (typeof("Pesobici") NOT IN ('text','blob')),
  "Circonfruota" FLOAT CONSTRAINT "type:Circonfruota" CHECK (typeof("Circonfruota") NOT IN ('text','blob')),
  "Kmparziali" DOUBLE CONSTRAINT "type:Kmparziali" CHECK (typeof("Kmparziali") NOT IN ('text','blob'))
);
CREATE TABLE "Dati Salite" (
  "IDPercorso" TEXT(255) COLLATE NOCASE NOT NULL CONSTRAINT "zls:IDPercorso" CHECK ("IDPercorso" <> '') CONSTRAINT "len:IDPercorso" CHECK (length("IDPercorso") <= 255),
  "Lunghezza" FLOAT CONSTRAINT "type:Lunghezza" CHECK (typeof("Lunghezza") NOT IN ('text','blob')),
  "Quotainiziale" SMALLINT CONSTRAINT "type:Quotainiziale" CHECK (typeof("Quotainiziale") NOT IN ('text','blob')),
  "Quotafinale" SMALLINT CONSTRAINT "type:Quotafinale" CHECK (typeof("Quotafinale") NOT IN ('text','blob')),
  "Regione" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Regione" CHECK (length("Regione") <= 255),
  "Località" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Località" CHECK (length("Località") <= 255),
  "Provincia" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Provincia" CHECK (length("Provincia") <= 255),
  "Stato" TEXT(250) COLLATE NOCASE CONSTRAINT "len:Stato" CHECK (length("Stato") <= 250),
  "Telefono" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Telefono" CHECK (length("Telefono") <= 255),
  "Fax" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Fax" CHECK (length("Fax") <= 255),
  "E-mail" TEXT(255) COLLATE NOCASE CONSTRAINT "len:E-mail" CHECK (length("E-mail") <= 255),
  "Url" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Url" CHECK (length("Url") <= 255),
  "Descrizione" LONGTEXT COLLATE NOCASE
);
CREATE TABLE "Dati Percorsi" (
  "IDPercorso" TEXT(255) COLLATE NOCASE NOT NULL CONSTRAINT "zls:IDPercorso" CHECK ("IDPercorso" <> '') CONSTRAINT "len:IDPercorso" CHECK (length("IDPercorso") <= 255),
  "Lunghezza" FLOAT CONSTRAINT "type:Lunghezza" CHECK (typeof("Lunghezza") NOT IN ('text','blob')),
  "Regione" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Regione" CHECK (length("Regione") <= 255),
  "Località" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Località" CHECK (length("Località") <= 255),
  "Provincia" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Provincia" CHECK (length("Provincia") <= 255),
  "Periodo" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Periodo" CHECK (length("Periodo") <= 255),
  "Stato" TEXT(250) COLLATE NOCASE CONSTRAINT "len:Stato" CHECK (length("Stato") <= 250),
  "Telefono" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Telefono" CHECK (length("Telefono") <= 255),
  "Fax" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Fax" CHECK (length("Fax") <= 255),
  "Descrizione" LONGTEXT COLLATE NOCASE,
  "Url" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Url" CHECK (length("Url") <= 255),
  "E-mail" TEXT(255) COLLATE NOCASE CONSTRAINT "len:E-mail" CHECK (length("E-mail") <= 255)
);
CREATE TABLE "CampioniSalite" (
  "IDPercorso" TEXT(255) COLLATE NOCASE NOT NULL REFERENCES "Dati Salite" ("IDPercorso") ON DELETE CASCADE ON UPDATE CASCADE CONSTRAINT "len:IDPercorso" CHECK (length("IDPercorso") <= 255),
  "DistParz" FLOAT CONSTRAINT "type:DistParz" CHECK (typeof("DistParz") NOT IN ('text','blob')),
  "Altezza" SMALLINT CONSTRAINT "type:Altezza" CHECK (typeof("Altezza") NOT IN ('text','blob')),
  "Note" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Note" CHECK (length("Note") <= 255),
  "Contatore" INTEGER CONSTRAINT "type:Contatore" CHECK (typeof("Contatore") NOT IN ('text','blob')),
  "image" TEXT(250) COLLATE NOCASE CONSTRAINT "len:image" CHECK (length("image") <= 250)
);
CREATE TABLE "CampioniPercorsi" (
  "IDPercorso" TEXT(255) COLLATE NOCASE NOT NULL REFERENCES "Dati Percorsi" ("IDPercorso") ON DELETE CASCADE ON UPDATE CASCADE CONSTRAINT "len:IDPercorso" CHECK (length("IDPercorso") <= 255),
  "DistParz" FLOAT CONSTRAINT "type:DistParz" CHECK (typeof("DistParz") NOT IN ('text','blob')),
  "Altezza" SMALLINT CONSTRAINT "type:Altezza" CHECK (typeof("Altezza") NOT IN ('text','blob')),
  "Note" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Note" CHECK (length("Note") <= 255),
  "Contatore" INTEGER CONSTRAINT "type:Contatore" CHECK (typeof("Contatore") NOT IN ('text','blob')),
  "image" TEXT(250) COLLATE NOCASE CONSTRAINT "len:image" CHECK (length("image") <= 250)
);
CREATE TABLE "Tempi Salita" (
  "IDPersonale" TEXT(255) COLLATE NOCASE NOT NULL REFERENCES "Dati Personali" ("IDPersonale") ON DELETE CASCADE ON UPDATE CASCADE CONSTRAINT "len:IDPersonale" CHECK (length("IDPersonale") <= 255),
  "IDPercorso" TEXT(255) COLLATE NOCASE NOT NULL REFERENCES "Dati Salite" ("IDPercorso") ON DELETE CASCADE ON UPDATE CASCADE CONSTRAINT "len:IDPercorso" CHECK (length("IDPercorso") <= 255),
  "Data" DATE,
  "Tempo" TIME,
  "Anteriore" SMALLINT CONSTRAINT "type:Anteriore" CHECK (typeof("Anteriore") NOT IN ('text','blob')),
  "Posteriore" SMALLINT CONSTRAINT "type:Posteriore" CHECK (typeof("Posteriore") NOT IN ('text','blob')),
  "Note" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Note" CHECK (length("Note") <= 255)
);
CREATE TABLE "Tempi Allenamento" (
  "IDPersonale" TEXT(255) COLLATE NOCASE NOT NULL REFERENCES "Dati Personali" ("IDPersonale") ON DELETE CASCADE ON UPDATE CASCADE CONSTRAINT "len:IDPersonale" CHECK (length("IDPersonale") <= 255),
  "IDPercorso" TEXT(255) COLLATE NOCASE NOT NULL REFERENCES "Dati Percorsi" ("IDPercorso") ON DELETE CASCADE ON UPDATE CASCADE CONSTRAINT "len:IDPercorso" CHECK (length("IDPercorso") <= 255),
  "Data" DATE,
  "Tempo" TIME,
  "Note" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Note" CHECK (length("Note") <= 255)
);
CREATE TABLE "States" (
  "State" TEXT(250) COLLATE NOCASE NOT NULL CONSTRAINT "zls:State" CHECK ("State" <> '') CONSTRAINT "len:State" CHECK (length("State") <= 250)
);
CREATE UNIQUE INDEX "Dati Personali.PrimaryKey" ON "Dati Personali" ("IDPersonale");
INSERT INTO "__VettaroDb" ("Key", "Value") VALUES ('pk:Dati Personali', 'PrimaryKey');
CREATE UNIQUE INDEX "Dati Salite.PrimaryKey" ON "Dati Salite" ("IDPercorso");
INSERT INTO "__VettaroDb" ("Key", "Value") VALUES ('pk:Dati Salite', 'PrimaryKey');
CREATE UNIQUE INDEX "Dati Percorsi.PrimaryKey" ON "Dati Percorsi" ("IDPercorso");
INSERT INTO "__VettaroDb" ("Key", "Value") VALUES ('pk:Dati Percorsi', 'PrimaryKey');
CREATE UNIQUE INDEX "CampioniSalite.PrimaryKey" ON "CampioniSalite" ("IDPercorso", "DistParz");
INSERT INTO "__VettaroDb" ("Key", "Value") VALUES ('pk:CampioniSalite', 'PrimaryKey');
CREATE UNIQUE INDEX "CampioniPercorsi.PrimaryKey" ON "CampioniPercorsi" ("IDPercorso", "DistParz");
INSERT INTO "__VettaroDb" ("Key", "Value") VALUES ('pk:CampioniPercorsi', 'PrimaryKey');
CREATE INDEX "Tempi Salita.IDPersonale" ON "Tempi Salita" ("IDPersonale");
CREATE INDEX "Tempi Salita.IDPercorso" ON "Tempi Salita" ("IDPercorso", "IDPersonale");
CREATE INDEX "Tempi Salita.Data" ON "Tempi Salita" ("Data");
CREATE INDEX "Tempi Allenamento.IDPersonale" ON "Tempi Allenamento" ("IDPersonale");
CREATE INDEX "Tempi Allenamento.IDPercorso" ON "Tempi Allenamento" ("IDPercorso", "IDPersonale");
CREATE INDEX "Tempi Allenamento.Data" ON "Tempi Allenamento" ("Data");
-- What the per-athlete totals read of the times, in athlete order, so that they never visit
-- the table's rows.
CREATE INDEX "Tempi Salita.Riepilogo" ON "Tempi Salita" ("IDPersonale", "IDPercorso", "Tempo");
CREATE INDEX "Tempi Allenamento.Riepilogo" ON "Tempi Allenamento" ("IDPersonale", "IDPercorso");
CREATE UNIQUE INDEX "States.keyState" ON "States" ("State");
INSERT INTO "__VettaroDb" ("Key", "Value") VALUES ('pk:States', 'keyState');

-- Stored queries. Built-in functions only, and none newer than SQLite 3.8 (no unixepoch), so
-- any SQLite tool can read them.
-- Secs: the time as seconds; D: height gain m; L: length km; W: rider and bike kg.
-- Secs takes a text of 8 characters ("hh:mm:ss") apart into its digits, and reads any other
-- text with time(). Files made before read the 8 characters with strftime('%s') first (the
-- date part being 2000-01-01 = 946684800) and take the digits apart only where strftime
-- cannot read them: the two give the same number wherever strftime reads the text, and the
-- digits alone cost less than a date parse on each of 50,000 times.
-- Power follows the climb simulator: P = ((p + 0.01) W + 0.021 v^2) v 9.81 with
-- p = D / (1000 L) and v = 1000 L / Secs in m/s; on a route there is no gradient term.
-- Suggested gear: road chainrings 53/39/30, sprocket s(r) = Int(wheel r C 6 / 100 / K)
-- with C the athlete's cadence and K the speed in km/h; the large ring while s <= 22,
-- else the middle ring while s <= 28, else the small ring; without the athlete's cadence or
-- wheel size there is no suggestion (both columns empty).

CREATE VIEW "Riepilogo Salite" AS
SELECT X."IDPersonale" AS "IDPersonale",
       X."IDPercorso" AS "IDPercorso",
       X."Data" AS "Data",
       X."Lunghezza" AS "Lunghezza",
       X."Lunghezza" AS "Lunghezzau",
       X."Quotainiziale" AS "Quotainiziale",
       X."Quotafinale" AS "Quotafinale",
       X."D" AS "Dislivello",
       round(X."D" * 100.0 / (X."Lunghezza" * 1000.0), 1) AS "Pendenza media",
       X."Tempo" AS "Tempo",
       CAST(round(X."D" * 3600.0 / X."Secs") AS INTEGER) AS "VAM",
       X."D" * 3600.0 / X."Secs" AS "VAMA",
       round(X."Lunghezza" * 3600.0 / X."Secs", 2) AS "Velocità",
       CAST(round((X."Lunghezza" * 60000.0 / X."Secs")
                  / (X."Circonfruota" * X."Anteriore" / X."Posteriore")) AS INTEGER) AS "Pedalate",
       X."Anteriore" AS "Anteriore",
       X."Posteriore" AS "Posteriore",
       CASE WHEN X."Secs" IS NULL OR X."Secs" = 0 OR X."Lunghezza" IS NULL OR X."Lunghezza" = 0
                 OR X."Fqped" IS NULL OR X."Circonfruota" IS NULL THEN NULL
            WHEN CAST(X."Circonfruota" * 53 * X."Fqped" * 6 / 100.0 / (X."Lunghezza" * 3600.0 / X."Secs") AS INTEGER) <= 22 THEN 53
            WHEN CAST(X."Circonfruota" * 39 * X."Fqped" * 6 / 100.0 / (X."Lunghezza" * 3600.0 / X."Secs") AS INTEGER) <= 28 THEN 39
            ELSE 30 END AS "Anteriore consigliato",
       CASE WHEN X."Secs" IS NULL OR X."Secs" = 0 OR X."Lunghezza" IS NULL OR X."Lunghezza" = 0
                 OR X."Fqped" IS NULL OR X."Circonfruota" IS NULL THEN NULL
            WHEN CAST(X."Circonfruota" * 53 * X."Fqped" * 6 / 100.0 / (X."Lunghezza" * 3600.0 / X."Secs") AS INTEGER) <= 22
                 THEN CAST(X."Circonfruota" * 53 * X."Fqped" * 6 / 100.0 / (X."Lunghezza" * 3600.0 / X."Secs") AS INTEGER)
            WHEN CAST(X."Circonfruota" * 39 * X."Fqped" * 6 / 100.0 / (X."Lunghezza" * 3600.0 / X."Secs") AS INTEGER) <= 28
                 THEN CAST(X."Circonfruota" * 39 * X."Fqped" * 6 / 100.0 / (X."Lunghezza" * 3600.0 / X."Secs") AS INTEGER)
            ELSE CAST(X."Circonfruota" * 30 * X."Fqped" * 6 / 100.0 / (X."Lunghezza" * 3600.0 / X."Secs") AS INTEGER) END
           AS "Posteriore consigliato",
       round(X."Fqped" * X."Circonfruota" * X."Anteriore" / X."Posteriore" * 60 / 1000.0, 2) AS "Velocità media ideale",
       CAST(round(((X."D" / (X."Lunghezza" * 1000.0) + 0.01) * X."W"
                   + 0.021 * (X."Lunghezza" * 1000.0 / X."Secs") * (X."Lunghezza" * 1000.0 / X."Secs"))
                  * (X."Lunghezza" * 1000.0 / X."Secs") * 9.81) AS INTEGER) AS "Potenza",
       round(((X."D" / (X."Lunghezza" * 1000.0) + 0.01) * X."W"
              + 0.021 * (X."Lunghezza" * 1000.0 / X."Secs") * (X."Lunghezza" * 1000.0 / X."Secs"))
             * (X."Lunghezza" * 1000.0 / X."Secs") * 9.81 / X."W", 2) AS "PotenzaPeso"
FROM (SELECT T."IDPersonale" AS "IDPersonale", T."IDPercorso" AS "IDPercorso", T."Data" AS "Data",
             T."Tempo" AS "Tempo", T."Anteriore" AS "Anteriore", T."Posteriore" AS "Posteriore",
             S."Lunghezza" AS "Lunghezza", S."Quotainiziale" AS "Quotainiziale", S."Quotafinale" AS "Quotafinale",
             S."Quotafinale" - S."Quotainiziale" AS "D",
             CASE WHEN length(T."Tempo") = 8
                  THEN CAST(substr(T."Tempo", 1, 2) AS INTEGER) * 3600 + CAST(substr(T."Tempo", 4, 2) AS INTEGER) * 60 + CAST(substr(T."Tempo", 7, 2) AS INTEGER)
                  ELSE CAST(strftime('%s', '1970-01-01 ' || time(T."Tempo")) AS INTEGER) END AS "Secs",
             P."Fqped" AS "Fqped", P."Circonfruota" AS "Circonfruota",
             coalesce(P."Peso", 0) + coalesce(P."Pesobici", 0) AS "W"
      FROM "Tempi Salita" AS T
      INNER JOIN "Dati Salite" AS S ON S."IDPercorso" = T."IDPercorso"
      LEFT JOIN "Dati Personali" AS P ON P."IDPersonale" = T."IDPersonale") AS X;

CREATE VIEW "Riepilogo Tempi Allenamento" AS
SELECT X."IDPersonale" AS "IDPersonale",
       X."IDPercorso" AS "IDPercorso",
       X."Data" AS "Data",
       X."Lunghezza" AS "Distanza",
       X."Lunghezza" AS "Dist2",
       X."Tempo" AS "Tempo",
       round(X."Lunghezza" * 3600.0 / X."Secs", 2) AS "Velocità media",
       CAST(round((0.021 * (X."Lunghezza" * 1000.0 / X."Secs") * (X."Lunghezza" * 1000.0 / X."Secs") + 0.01 * X."W")
                  * (X."Lunghezza" * 1000.0 / X."Secs") * 9.81) AS INTEGER) AS "Potenza",
       round((0.021 * (X."Lunghezza" * 1000.0 / X."Secs") * (X."Lunghezza" * 1000.0 / X."Secs") + 0.01 * X."W")
             * (X."Lunghezza" * 1000.0 / X."Secs") * 9.81 / X."W", 2) AS "PotenzaPeso"
FROM (SELECT T."IDPersonale" AS "IDPersonale", T."IDPercorso" AS "IDPercorso", T."Data" AS "Data",
             T."Tempo" AS "Tempo", R."Lunghezza" AS "Lunghezza",
             CASE WHEN length(T."Tempo") = 8
                  THEN CAST(substr(T."Tempo", 1, 2) AS INTEGER) * 3600 + CAST(substr(T."Tempo", 4, 2) AS INTEGER) * 60 + CAST(substr(T."Tempo", 7, 2) AS INTEGER)
                  ELSE CAST(strftime('%s', '1970-01-01 ' || time(T."Tempo")) AS INTEGER) END AS "Secs",
             coalesce(P."Peso", 0) + coalesce(P."Pesobici", 0) AS "W"
      FROM "Tempi Allenamento" AS T
      INNER JOIN "Dati Percorsi" AS R ON R."IDPercorso" = T."IDPercorso"
      LEFT JOIN "Dati Personali" AS P ON P."IDPersonale" = T."IDPersonale") AS X;

-- Per athlete: the figures of "Riepilogo Salite" and "Riepilogo Tempi Allenamento" worked out from the
-- tables themselves with the same expressions (a sum or mean may differ from a row-by-row one in the
-- last bit of a double only). The times are first grouped by athlete and climb, straight from the
-- index that covers them, so a climb's row is read once per pair instead of once per time, and each
-- time is taken apart into seconds once: the count, the sum of 3600 / seconds (the pair's climb rates
-- sum to its gain times that), the times given, and those not of the form "hh:mm:ss" with minutes
-- and seconds below 60. Then by athlete. In a pair of such times alone the text orders as the
-- seconds, so its fastest and slowest times (the extremes of its climb rate) and its times of zero
-- seconds (no climb rate) are each found by one seek in the same index; a pair holding another form
-- works them out from its rows.
CREATE VIEW "Riepilogo per Atleta" AS
SELECT P."IDPersonale" AS "IDPersonale",
       P."Cognome" AS "Cognome",
       P."Nome" AS "Nome",
       coalesce(C."N", 0) AS "ConteggioDiIDPercorso",
       C."SumL" AS "SommaDiLunghezzau",
       C."SumD" AS "SommaDiDislivello",
       C."MaxV" AS "MaxDiVAMA",
       C."MinV" AS "MinDiVAMA",
       C."AvgV" AS "MediaDiVAMA",
       C."MaxL" AS "MaxDiLunghezzau",
       C."MinL" AS "MinDiLunghezzau",
       C."AvgL" AS "MediaDiLunghezzau",
       C."MaxD" AS "MaxDiDislivello",
       C."MinD" AS "MinDiDislivello",
       C."AvgD" AS "MediaDiDislivello",
       coalesce(A."N", 0) AS "ConteggioDiPercorso",
       A."SumL" AS "SommaDiDist2",
       A."MaxL" AS "MaxDiDist2",
       A."MinL" AS "MinDiDist2",
       A."AvgL" AS "MediaDiDist2"
FROM "Dati Personali" AS P
LEFT JOIN (SELECT H."ID" AS "ID", sum(H."N") AS "N",
                  sum(H."N" * H."L") AS "SumL", sum(H."N" * H."D") AS "SumD",
                  max(H."MaxV") AS "MaxV", min(H."MinV") AS "MinV",
                  sum(H."D" * H."SumInv") / sum(CASE WHEN H."D" IS NOT NULL THEN H."NV" END) AS "AvgV",
                  max(H."L") AS "MaxL", min(H."L") AS "MinL",
                  sum(H."N" * H."L") / sum(CASE WHEN H."L" IS NOT NULL THEN H."N" END) AS "AvgL",
                  max(H."D") AS "MaxD", min(H."D") AS "MinD",
                  sum(H."N" * H."D") * 1.0 / sum(CASE WHEN H."D" IS NOT NULL THEN H."N" END) AS "AvgD"
           FROM (SELECT G."ID" AS "ID", G."N" AS "N", G."SumInv" AS "SumInv",
                        S."Lunghezza" AS "L", S."Quotafinale" - S."Quotainiziale" AS "D",
                        CASE WHEN G."Odd" = 0
                             THEN G."NT" - (SELECT count(*) FROM "Tempi Salita" AS Z
                                            WHERE Z."IDPersonale" = G."ID" AND Z."IDPercorso" = G."IDPercorso"
                                              AND Z."Tempo" = '00:00:00')
                             ELSE (SELECT count(NULLIF((CASE WHEN length(Z."Tempo") = 8 THEN CAST(substr(Z."Tempo", 1, 2) AS INTEGER) * 3600 + CAST(substr(Z."Tempo", 4, 2) AS INTEGER) * 60 + CAST(substr(Z."Tempo", 7, 2) AS INTEGER) ELSE CAST(strftime('%s', '1970-01-01 ' || time(Z."Tempo")) AS INTEGER) END), 0)) FROM "Tempi Salita" AS Z
                                   WHERE Z."IDPersonale" = G."ID" AND Z."IDPercorso" = G."IDPercorso") END AS "NV",
                        CASE WHEN G."Odd" = 0
                             THEN (S."Quotafinale" - S."Quotainiziale") * 3600.0
                                  / CASE WHEN S."Quotafinale" - S."Quotainiziale" >= 0
                                         THEN (SELECT (CASE WHEN length(M."Tempo") = 8 THEN CAST(substr(M."Tempo", 1, 2) AS INTEGER) * 3600 + CAST(substr(M."Tempo", 4, 2) AS INTEGER) * 60 + CAST(substr(M."Tempo", 7, 2) AS INTEGER) ELSE CAST(strftime('%s', '1970-01-01 ' || time(M."Tempo")) AS INTEGER) END) FROM (SELECT min(Z."Tempo") AS "Tempo" FROM "Tempi Salita" AS Z
                                                       WHERE Z."IDPersonale" = G."ID" AND Z."IDPercorso" = G."IDPercorso"
                                                         AND Z."Tempo" > '00:00:00') AS M)
                                         ELSE (SELECT (CASE WHEN length(M."Tempo") = 8 THEN CAST(substr(M."Tempo", 1, 2) AS INTEGER) * 3600 + CAST(substr(M."Tempo", 4, 2) AS INTEGER) * 60 + CAST(substr(M."Tempo", 7, 2) AS INTEGER) ELSE CAST(strftime('%s', '1970-01-01 ' || time(M."Tempo")) AS INTEGER) END) FROM (SELECT max(Z."Tempo") AS "Tempo" FROM "Tempi Salita" AS Z
                                                       WHERE Z."IDPersonale" = G."ID" AND Z."IDPercorso" = G."IDPercorso"
                                                         AND Z."Tempo" > '00:00:00') AS M) END
                             ELSE (SELECT max((S."Quotafinale" - S."Quotainiziale") * 3600.0 / (CASE WHEN length(Z."Tempo") = 8 THEN CAST(substr(Z."Tempo", 1, 2) AS INTEGER) * 3600 + CAST(substr(Z."Tempo", 4, 2) AS INTEGER) * 60 + CAST(substr(Z."Tempo", 7, 2) AS INTEGER) ELSE CAST(strftime('%s', '1970-01-01 ' || time(Z."Tempo")) AS INTEGER) END)) FROM "Tempi Salita" AS Z
                                   WHERE Z."IDPersonale" = G."ID" AND Z."IDPercorso" = G."IDPercorso") END AS "MaxV",
                        CASE WHEN G."Odd" = 0
                             THEN (S."Quotafinale" - S."Quotainiziale") * 3600.0
                                  / CASE WHEN S."Quotafinale" - S."Quotainiziale" >= 0
                                         THEN (SELECT (CASE WHEN length(M."Tempo") = 8 THEN CAST(substr(M."Tempo", 1, 2) AS INTEGER) * 3600 + CAST(substr(M."Tempo", 4, 2) AS INTEGER) * 60 + CAST(substr(M."Tempo", 7, 2) AS INTEGER) ELSE CAST(strftime('%s', '1970-01-01 ' || time(M."Tempo")) AS INTEGER) END) FROM (SELECT max(Z."Tempo") AS "Tempo" FROM "Tempi Salita" AS Z
                                                       WHERE Z."IDPersonale" = G."ID" AND Z."IDPercorso" = G."IDPercorso"
                                                         AND Z."Tempo" > '00:00:00') AS M)
                                         ELSE (SELECT (CASE WHEN length(M."Tempo") = 8 THEN CAST(substr(M."Tempo", 1, 2) AS INTEGER) * 3600 + CAST(substr(M."Tempo", 4, 2) AS INTEGER) * 60 + CAST(substr(M."Tempo", 7, 2) AS INTEGER) ELSE CAST(strftime('%s', '1970-01-01 ' || time(M."Tempo")) AS INTEGER) END) FROM (SELECT min(Z."Tempo") AS "Tempo" FROM "Tempi Salita" AS Z
                                                       WHERE Z."IDPersonale" = G."ID" AND Z."IDPercorso" = G."IDPercorso"
                                                         AND Z."Tempo" > '00:00:00') AS M) END
                             ELSE (SELECT min((S."Quotafinale" - S."Quotainiziale") * 3600.0 / (CASE WHEN length(Z."Tempo") = 8 THEN CAST(substr(Z."Tempo", 1, 2) AS INTEGER) * 3600 + CAST(substr(Z."Tempo", 4, 2) AS INTEGER) * 60 + CAST(substr(Z."Tempo", 7, 2) AS INTEGER) ELSE CAST(strftime('%s', '1970-01-01 ' || time(Z."Tempo")) AS INTEGER) END)) FROM "Tempi Salita" AS Z
                                   WHERE Z."IDPersonale" = G."ID" AND Z."IDPercorso" = G."IDPercorso") END AS "MinV"
                 FROM (SELECT T."IDPersonale" AS "ID", T."IDPercorso" AS "IDPercorso", count(*) AS "N",
                              sum(3600.0 / (CASE WHEN length(T."Tempo") = 8 THEN CAST(substr(T."Tempo", 1, 2) AS INTEGER) * 3600 + CAST(substr(T."Tempo", 4, 2) AS INTEGER) * 60 + CAST(substr(T."Tempo", 7, 2) AS INTEGER) ELSE CAST(strftime('%s', '1970-01-01 ' || time(T."Tempo")) AS INTEGER) END)) AS "SumInv", count(T."Tempo") AS "NT",
                              sum(T."Tempo" NOT GLOB '[0-9][0-9]:[0-5][0-9]:[0-5][0-9]') AS "Odd"
                       FROM "Tempi Salita" AS T
                       GROUP BY T."IDPersonale", T."IDPercorso") AS G
                 INNER JOIN "Dati Salite" AS S ON S."IDPercorso" = G."IDPercorso"
                 LIMIT -1 OFFSET 0) AS H
           GROUP BY H."ID") AS C ON C."ID" = P."IDPersonale"
LEFT JOIN (SELECT G."ID" AS "ID", sum(G."N") AS "N",
                  sum(G."N" * R."Lunghezza") AS "SumL", max(R."Lunghezza") AS "MaxL", min(R."Lunghezza") AS "MinL",
                  sum(G."N" * R."Lunghezza") / sum(CASE WHEN R."Lunghezza" IS NOT NULL THEN G."N" END) AS "AvgL"
           FROM (SELECT T."IDPersonale" AS "ID", T."IDPercorso" AS "IDPercorso", count(*) AS "N"
                 FROM "Tempi Allenamento" AS T
                 GROUP BY T."IDPersonale", T."IDPercorso") AS G
           INNER JOIN "Dati Percorsi" AS R ON R."IDPercorso" = G."IDPercorso"
           GROUP BY G."ID") AS A ON A."ID" = P."IDPersonale";
