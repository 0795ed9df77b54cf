// Large results read as the cursor moves: positions, counts, finds and types
// as if every row had been read at opening, and rows that stay those of the
// opening time whatever the connection does next. Also the stored queries'
// figures against their plain definitions on awkward data.
#include "dao_fixture.h"

#include <cmath>

using namespace dao;

namespace {

// 3,000 climb times over 3 athletes and 7 climbs, more than a recordset reads at opening.
void fillMany(Database &db)
{
    db.ExecuteScript(R"SQL(
INSERT INTO "Dati Personali" (IDPersonale, Cognome, Peso, Pesobici, Fqped, Circonfruota)
  VALUES ('A1', 'Rossi', 61.5, 9.3, 72, 2.1), ('B2', 'Bianchi', 50, 8, 80, 2.12), ('C3', 'Verdi', NULL, NULL, NULL, NULL);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 7)
INSERT INTO "Dati Salite" (IDPercorso, Lunghezza, Quotainiziale, Quotafinale)
  SELECT 'Climb ' || i, 3.7 + i * 1.3, 100 * i, 100 * i + 317 * i FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)
INSERT INTO "Tempi Salita" (IDPersonale, IDPercorso, Data, Tempo, Anteriore, Posteriore)
  SELECT CASE i % 3 WHEN 0 THEN 'A1' WHEN 1 THEN 'b2' ELSE 'C3' END, 'Climb ' || (1 + (i * 5) % 7),
         date('2000-01-01', '+' || i || ' days'), time(600 + (i * 97) % 9000, 'unixepoch'), 39, 21 + i % 5 FROM n;
)SQL");
}

int scalar(Database &db, const QString &sqliteSelect)
{
    // Plain SQLite (no Jet translation) through a view of its own.
    db.ExecuteScript(QStringLiteral("DROP VIEW IF EXISTS \"zz check\"; CREATE VIEW \"zz check\" AS ") + sqliteSelect);
    auto rs = db.OpenRecordset(QStringLiteral("zz check"));
    const int n = rs->Value(0).toInt();
    rs->Close();
    db.ExecuteScript(QStringLiteral("DROP VIEW \"zz check\""));
    return n;
}

} // namespace

TEST_F(DaoTemplate, LazyRecordsetMovesCountsAndFindsAsIfReadWhole)
{
    fillMany(*db);
    auto rs = db->OpenRecordset("SELECT IDPersonale, Tempo, IIf(Anteriore > 0, Posteriore, Null) AS Rear, "
                                "[Tempi Salita].Data FROM [Tempi Salita] ORDER BY Data");
    EXPECT_EQ(rs->RecordCount(), 3000);
    EXPECT_DOUBLE_EQ(rs->PercentPosition(), 0.0);
    rs->SetPercentPosition(50);
    EXPECT_EQ(rs->AbsolutePosition(), 1500);
    EXPECT_EQ(rs->Value("Data").toDate(), QDate(2000, 1, 1).addDays(1501));
    const QByteArray middle = rs->Bookmark();

    auto clone = rs->Clone();
    clone->FindFirst("[Data] = #2008-03-01#");
    ASSERT_FALSE(clone->NoMatch());
    EXPECT_EQ(clone->AbsolutePosition(), int(QDate(2000, 1, 1).daysTo(QDate(2008, 3, 1))) - 1);
    clone->SetBookmark(middle);
    EXPECT_EQ(clone->AbsolutePosition(), 1500);

    rs->MoveLast();
    EXPECT_EQ(rs->AbsolutePosition(), 2999);
    EXPECT_EQ(rs->Value("Data").toDate(), QDate(2000, 1, 1).addDays(3000));
    rs->MoveNext();
    EXPECT_TRUE(rs->AtEOF());
    EXPECT_EQ(rs->RecordCount(), 3000);

    int seen = 0;
    auto walk = db->OpenRecordset("Riepilogo Salite", dbOpenSnapshot);
    for (; !walk->AtEOF(); walk->MoveNext()) ++seen;
    EXPECT_EQ(seen, 3000);
    walk->MovePrevious();
    EXPECT_EQ(walk->AbsolutePosition(), 2999);
    EXPECT_THROW(walk->SetAbsolutePosition(3000), VbError);
}

TEST_F(DaoTemplate, LazyRecordsetKeepsTheRowsOfItsOpeningTime)
{
    fillMany(*db);
    auto count = db->OpenRecordset("SELECT Data, Tempo FROM [Tempi Salita]", dbOpenSnapshot);
    auto walk = db->OpenRecordset("SELECT Data FROM [Tempi Salita]", dbOpenSnapshot);
    walk->Move(10);
    const QVariant tenth = walk->Value("Data");

    // A write on the connection leaves both as they were: one never read past its
    // first rows, one in the middle.
    EXPECT_EQ(db->Execute("DELETE FROM [Tempi Salita] WHERE IDPersonale = 'A1'"), 1000);
    EXPECT_EQ(count->RecordCount(), 3000);
    count->MoveLast();
    EXPECT_EQ(count->Value("Data").toDate(), QDate(2000, 1, 1).addDays(3000));
    EXPECT_EQ(walk->Value("Data"), tenth);
    int rest = 0;
    for (walk->MoveNext(); !walk->AtEOF(); walk->MoveNext()) ++rest;
    EXPECT_EQ(rest, 2989);

    // Inside a transaction that is rolled back; then the table dropped and the file closed.
    db->BeginTrans();
    db->ExecuteScript("INSERT INTO \"Tempi Salita\" (IDPersonale, IDPercorso, Data) "
                      "SELECT IDPersonale, IDPercorso, date(Data, '+20 years') FROM \"Tempi Salita\"");
    auto inTrans = db->OpenRecordset("SELECT Data FROM [Tempi Salita] ORDER BY Data DESC", dbOpenSnapshot);
    auto view = db->OpenRecordset("Riepilogo Salite");
    db->Rollback();
    EXPECT_EQ(inTrans->RecordCount(), 4000);
    EXPECT_EQ(inTrans->Value("Data").toDate(), QDate(2000, 1, 1).addDays(3000 - 1).addYears(20));
    EXPECT_EQ(scalar(*db, "SELECT count(*) FROM \"Tempi Salita\""), 2000);

    auto afterDrop = db->OpenRecordset("SELECT Data FROM [Tempi Salita]", dbOpenSnapshot);
    db->Execute("DELETE FROM [Tempi Salita]");   // the foreign keys would refuse the drop otherwise
    db->DeleteTable("Tempi Salita");
    db->Close();
    EXPECT_EQ(view->RecordCount(), 4000);
    view->MoveLast();
    EXPECT_EQ(view->AbsolutePosition(), 3999);
    int n = 0;
    for (; !afterDrop->AtEOF(); afterDrop->MoveNext()) ++n;
    EXPECT_EQ(n, 2000);
}

TEST_F(DaoTemplate, LazyRecordsetTypesAComputedColumnByItsFirstValue)
{
    fillMany(*db);
    // Null in every row read at opening; a whole number from row 2,001 on.
    auto rs = db->OpenRecordset("SELECT IIf([Data] > #2005-06-23#, 7, Null) AS Late, Data FROM [Tempi Salita]");
    const QList<FieldInfo> f = rs->Fields();
    EXPECT_EQ(f[0].type, dbLong);
    EXPECT_EQ(rs->RecordCount(), 3000);
    auto empty = db->OpenRecordset("SELECT IIf(Anteriore > 100, 1, Null) AS Never FROM [Tempi Salita]");
    EXPECT_EQ(empty->Fields()[0].type, dbText);
    EXPECT_TRUE(empty->Value("Never").isNull());
}

TEST_F(DaoTemplate, StoredQueriesMatchTheirPlainDefinitions)
{
    fillMany(*db);
    // Times as another program may have written them: every form the seconds are read from.
    db->ExecuteScript(R"SQL(
INSERT INTO "Tempi Salita" (IDPersonale, IDPercorso, Data, Tempo) VALUES
  ('A1', 'Climb 1', '2020-01-01', '24:00:00'), ('A1', 'Climb 2', '2020-01-02', '12:34   '),
  ('B2', 'Climb 3', '2020-01-03', '1a:2b:3c'), ('B2', 'Climb 4', '2020-01-04', '7:05:09'),
  ('C3', 'Climb 5', '2020-01-05', '12345678'), ('C3', 'Climb 6', '2020-01-06', '12:34+01'),
  ('A1', 'Climb 7', '2020-01-07', '00:61:00'), ('A1', 'Climb 1', '2020-01-08', NULL),
  ('b2', 'Climb 2', '2020-01-09', '00:00:00'), ('B2', 'Climb 3', '2020-01-10', '12:34Z  ');
INSERT INTO "Dati Percorsi" (IDPercorso, Lunghezza) VALUES ('R1', 41.3), ('R2', 17.9);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500)
INSERT INTO "Tempi Allenamento" (IDPersonale, IDPercorso, Data, Tempo)
  SELECT CASE i % 3 WHEN 0 THEN 'a1' ELSE 'B2' END, 'R' || (1 + i % 2), date('2001-01-01', '+' || i || ' days'),
         time(3000 + i * 7, 'unixepoch') FROM n;
INSERT INTO "Tempi Allenamento" (IDPersonale, IDPercorso, Data, Tempo) VALUES
  ('A1', 'R1', '2020-02-01', '24:00:00'), ('A1', 'R2', '2020-02-02', '1a:2b:3c'), ('B2', 'R1', '2020-02-03', '12:34   '),
  ('B2', 'R2', '2020-02-04', '12345678'), ('B2', 'R1', '2020-02-05', '9:00:00');
)SQL");
    const char *secs = R"(CASE WHEN length(T."Tempo") = 8 THEN CAST(substr(T."Tempo", 1, 2) AS INTEGER) * 3600
        + CAST(substr(T."Tempo", 4, 2) AS INTEGER) * 60 + CAST(substr(T."Tempo", 7, 2) AS INTEGER)
        ELSE CAST(strftime('%s', '1970-01-01 ' || time(T."Tempo")) AS INTEGER) END)";
    const QString climbs = QStringLiteral(
        "SELECT T.\"IDPersonale\", T.\"Data\", (S.\"Quotafinale\" - S.\"Quotainiziale\") * 3600.0 / (%1) AS V, "
        "round(S.\"Lunghezza\" * 3600.0 / (%1), 2) AS K FROM \"Tempi Salita\" AS T "
        "JOIN \"Dati Salite\" AS S ON S.\"IDPercorso\" = T.\"IDPercorso\"").arg(QLatin1String(secs));
    const QString view = QStringLiteral("SELECT \"IDPersonale\", \"Data\", \"VAMA\", \"Velocità\" FROM \"Riepilogo Salite\"");
    EXPECT_EQ(scalar(*db, QStringLiteral("SELECT count(*) FROM (%1 EXCEPT %2)").arg(view, climbs)), 0);
    EXPECT_EQ(scalar(*db, QStringLiteral("SELECT count(*) FROM (%1 EXCEPT %2)").arg(climbs, view)), 0);
    EXPECT_EQ(scalar(*db, "SELECT count(*) FROM \"Riepilogo Salite\" WHERE \"VAMA\" IS NULL"), 3);
    const QString training = QStringLiteral(
        "SELECT T.\"IDPersonale\", T.\"Data\", round(R.\"Lunghezza\" * 3600.0 / (%1), 2) AS K FROM \"Tempi Allenamento\" AS T "
        "JOIN \"Dati Percorsi\" AS R ON R.\"IDPercorso\" = T.\"IDPercorso\"").arg(QLatin1String(secs));
    const QString trainingView = QStringLiteral(
        "SELECT \"IDPersonale\", \"Data\", \"Velocità media\" FROM \"Riepilogo Tempi Allenamento\"");
    EXPECT_EQ(scalar(*db, QStringLiteral("SELECT count(*) FROM (%1 EXCEPT %2)").arg(trainingView, training)), 0);
    EXPECT_EQ(scalar(*db, QStringLiteral("SELECT count(*) FROM (%1 EXCEPT %2)").arg(training, trainingView)), 0);

    // The athletes' summary as the grouping of the two lists: every figure the
    // same, sums and means to within the last bits of a double.
    const QString perAthlete = QStringLiteral(R"(
SELECT P."IDPersonale", P."Cognome", P."Nome", coalesce(C."N", 0), C."SumL", C."SumD", C."MaxV", C."MinV", C."AvgV",
       C."MaxL", C."MinL", C."AvgL", C."MaxD", C."MinD", C."AvgD", coalesce(A."N", 0), A."SumL", A."MaxL", A."MinL", A."AvgL"
FROM "Dati Personali" AS P
LEFT JOIN (SELECT "IDPersonale" AS "ID", count("IDPercorso") AS "N", sum("Lunghezzau") AS "SumL", sum("Dislivello") AS "SumD",
                  max("VAMA") AS "MaxV", min("VAMA") AS "MinV", avg("VAMA") AS "AvgV", max("Lunghezzau") AS "MaxL",
                  min("Lunghezzau") AS "MinL", avg("Lunghezzau") AS "AvgL", max("Dislivello") AS "MaxD",
                  min("Dislivello") AS "MinD", avg("Dislivello") AS "AvgD"
           FROM "Riepilogo Salite" GROUP BY "IDPersonale") AS C ON C."ID" = P."IDPersonale"
LEFT JOIN (SELECT "IDPersonale" AS "ID", count("IDPercorso") AS "N", sum("Dist2") AS "SumL", max("Dist2") AS "MaxL",
                  min("Dist2") AS "MinL", avg("Dist2") AS "AvgL"
           FROM "Riepilogo Tempi Allenamento" GROUP BY "IDPersonale") AS A ON A."ID" = P."IDPersonale")");
    auto mine = db->openCursor(QStringLiteral("SELECT * FROM \"Riepilogo per Atleta\" ORDER BY 1"));
    // Plain SQLite (no Jet translation) through a view of its own.
    db->ExecuteScript(QStringLiteral("CREATE VIEW \"zz lists\" AS ") + perAthlete);
    auto lists = db->openCursor(QStringLiteral("SELECT * FROM [zz lists] ORDER BY 1"));
    int rows = 0;
    while (lists->next()) {
        ASSERT_TRUE(mine->next());
        ++rows;
        for (int i = 0; i < lists->columnCount(); ++i) {
            SCOPED_TRACE(QStringLiteral("%1 %2").arg(lists->value(0).toString()).arg(i).toStdString());
            const QVariant a = mine->value(i), b = lists->value(i);
            ASSERT_EQ(a.isNull(), b.isNull());
            if (i < 3) {
                EXPECT_EQ(a, b);
            } else if (!a.isNull()) {
                EXPECT_NEAR(a.toDouble(), b.toDouble(), 1e-12 * std::max(1.0, std::fabs(b.toDouble())));
            }
        }
    }
    EXPECT_FALSE(mine->next());
    EXPECT_GT(rows, 2);
    EXPECT_EQ(scalar(*db, "SELECT count(*) FROM \"Riepilogo per Atleta\" WHERE \"ConteggioDiIDPercorso\" > 1000"), 3);
}
