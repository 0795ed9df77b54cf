-- A file of the first program version: no CampioniSalite table.
-- Plain SQLite. Every text column compares without regard to case; CHECK constraints are
-- named after what they guard (zls: no empty text, len: field size, type: a number) so that
-- a violation can be reported with the matching database error.

CREATE TABLE "Dati Personali" (
  "IDPersonale" TEXT(255) COLLATE NOCASE NOT NULL CONSTRAINT "zls:IDPersonale" CHECK ("IDPersonale" <> '') CONSTRAINT "len:IDPersonale" CHECK (length("IDPersonale") <= 255),
  "Cognome" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Cognome" CHECK (length("Cognome") <= 255),
  "Nome" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Nome" CHECK (length("Nome") <= 255),
  "Datanascita" DATE,
  "Peso" FLOAT CONSTRAINT "type:Peso" CHECK (typeof("Peso") IN ('integer','real','null')),
  "Fqped" SMALLINT CONSTRAINT "type:Fqped" CHECK (typeof("Fqped") IN ('integer','real','null')),
  "Fcmax" SMALLINT CONSTRAINT "type:Fcmax" CHECK (typeof("Fcmax") IN ('integer','real','null')),
  "Pesobici" FLOAT CONSTRAINT "type:Pesobici" CHECK (typeof("Pesobici") IN ('integer','real','null')),
  "Circonfruota" FLOAT CONSTRAINT "type:Circonfruota" CHECK (typeof("Circonfruota") IN ('integer','real','null')),
  "Kmparziali" DOUBLE CONSTRAINT "type:Kmparziali" CHECK (typeof("Kmparziali") IN ('integer','real','null'))
);
CREATE TABLE "Dati Salite" (
  "IDPercorso" TEXT(255) COLLATE NOCASE NOT NULL CONSTRAINT "zls:IDPercorso" CHECK ("IDPercorso" <> '') CONSTRAINT "len:IDPercorso" CHECK (length("IDPercorso") <= 255),
  "Lunghezza" FLOAT CONSTRAINT "type:Lunghezza" CHECK (typeof("Lunghezza") IN ('integer','real','null')),
  "Quotainiziale" SMALLINT CONSTRAINT "type:Quotainiziale" CHECK (typeof("Quotainiziale") IN ('integer','real','null')),
  "Quotafinale" SMALLINT CONSTRAINT "type:Quotafinale" CHECK (typeof("Quotafinale") IN ('integer','real','null')),
  "Regione" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Regione" CHECK (length("Regione") <= 255),
  "Località" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Località" CHECK (length("Località") <= 255),
  "Provincia" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Provincia" CHECK (length("Provincia") <= 255),
  "Telefono" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Telefono" CHECK (length("Telefono") <= 255),
  "Fax" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Fax" CHECK (length("Fax") <= 255),
  "E-mail" TEXT(255) COLLATE NOCASE CONSTRAINT "len:E-mail" CHECK (length("E-mail") <= 255),
  "Url" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Url" CHECK (length("Url") <= 255),
  "Descrizione" LONGTEXT COLLATE NOCASE
);
CREATE TABLE "Dati Percorsi" (
  "IDPercorso" TEXT(255) COLLATE NOCASE NOT NULL CONSTRAINT "zls:IDPercorso" CHECK ("IDPercorso" <> '') CONSTRAINT "len:IDPercorso" CHECK (length("IDPercorso") <= 255),
  "Lunghezza" FLOAT CONSTRAINT "type:Lunghezza" CHECK (typeof("Lunghezza") IN ('integer','real','null')),
  "Regione" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Regione" CHECK (length("Regione") <= 255),
  "Località" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Località" CHECK (length("Località") <= 255),
  "Provincia" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Provincia" CHECK (length("Provincia") <= 255),
  "Periodo" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Periodo" CHECK (length("Periodo") <= 255),
  "Telefono" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Telefono" CHECK (length("Telefono") <= 255),
  "Fax" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Fax" CHECK (length("Fax") <= 255),
  "Descrizione" LONGTEXT COLLATE NOCASE,
  "Url" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Url" CHECK (length("Url") <= 255),
  "E-mail" TEXT(255) COLLATE NOCASE CONSTRAINT "len:E-mail" CHECK (length("E-mail") <= 255)
);
CREATE TABLE "CampioniPercorsi" (
  "IDPercorso" TEXT(255) COLLATE NOCASE NOT NULL REFERENCES "Dati Percorsi" ("IDPercorso") ON DELETE CASCADE ON UPDATE CASCADE CONSTRAINT "len:IDPercorso" CHECK (length("IDPercorso") <= 255),
  "DistParz" FLOAT CONSTRAINT "type:DistParz" CHECK (typeof("DistParz") IN ('integer','real','null')),
  "Altezza" SMALLINT CONSTRAINT "type:Altezza" CHECK (typeof("Altezza") IN ('integer','real','null')),
  "Note" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Note" CHECK (length("Note") <= 255),
  "Contatore" INTEGER CONSTRAINT "type:Contatore" CHECK (typeof("Contatore") IN ('integer','real','null'))
);
CREATE TABLE "Tempi Salita" (
  "IDPersonale" TEXT(255) COLLATE NOCASE NOT NULL REFERENCES "Dati Personali" ("IDPersonale") ON DELETE CASCADE ON UPDATE CASCADE CONSTRAINT "len:IDPersonale" CHECK (length("IDPersonale") <= 255),
  "IDPercorso" TEXT(255) COLLATE NOCASE NOT NULL REFERENCES "Dati Salite" ("IDPercorso") ON DELETE CASCADE ON UPDATE CASCADE CONSTRAINT "len:IDPercorso" CHECK (length("IDPercorso") <= 255),
  "Data" DATE,
  "Tempo" TIME,
  "Anteriore" SMALLINT CONSTRAINT "type:Anteriore" CHECK (typeof("Anteriore") IN ('integer','real','null')),
  "Posteriore" SMALLINT CONSTRAINT "type:Posteriore" CHECK (typeof("Posteriore") IN ('integer','real','null')),
  "Note" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Note" CHECK (length("Note") <= 255)
);
CREATE TABLE "Tempi Allenamento" (
  "IDPersonale" TEXT(255) COLLATE NOCASE NOT NULL REFERENCES "Dati Personali" ("IDPersonale") ON DELETE CASCADE ON UPDATE CASCADE CONSTRAINT "len:IDPersonale" CHECK (length("IDPersonale") <= 255),
  "IDPercorso" TEXT(255) COLLATE NOCASE NOT NULL REFERENCES "Dati Percorsi" ("IDPercorso") ON DELETE CASCADE ON UPDATE CASCADE CONSTRAINT "len:IDPercorso" CHECK (length("IDPercorso") <= 255),
  "Data" DATE,
  "Tempo" TIME,
  "Note" TEXT(255) COLLATE NOCASE CONSTRAINT "len:Note" CHECK (length("Note") <= 255)
);
CREATE UNIQUE INDEX "Dati Personali.PrimaryKey" ON "Dati Personali" ("IDPersonale");
INSERT INTO "__VettaroDb" ("Key", "Value") VALUES ('pk:Dati Personali', 'PrimaryKey');
CREATE UNIQUE INDEX "Dati Salite.PrimaryKey" ON "Dati Salite" ("IDPercorso");
INSERT INTO "__VettaroDb" ("Key", "Value") VALUES ('pk:Dati Salite', 'PrimaryKey');
CREATE UNIQUE INDEX "Dati Percorsi.PrimaryKey" ON "Dati Percorsi" ("IDPercorso");
INSERT INTO "__VettaroDb" ("Key", "Value") VALUES ('pk:Dati Percorsi', 'PrimaryKey');
CREATE UNIQUE INDEX "CampioniPercorsi.PrimaryKey" ON "CampioniPercorsi" ("IDPercorso", "DistParz");
INSERT INTO "__VettaroDb" ("Key", "Value") VALUES ('pk:CampioniPercorsi', 'PrimaryKey');
CREATE INDEX "Tempi Salita.IDPersonale" ON "Tempi Salita" ("IDPersonale");
CREATE INDEX "Tempi Salita.IDPercorso" ON "Tempi Salita" ("IDPercorso", "IDPersonale");
CREATE INDEX "Tempi Salita.Data" ON "Tempi Salita" ("Data");
CREATE INDEX "Tempi Allenamento.IDPersonale" ON "Tempi Allenamento" ("IDPersonale");
CREATE INDEX "Tempi Allenamento.IDPercorso" ON "Tempi Allenamento" ("IDPercorso", "IDPersonale");
CREATE INDEX "Tempi Allenamento.Data" ON "Tempi Allenamento" ("Data");
