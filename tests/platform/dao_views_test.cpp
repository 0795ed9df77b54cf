// The stored queries' figures on a small fixture, the list statistics and the
// ranking query as the windows write them, and the older file shapes.
#include "dao_fixture.h"

#include <sqlite3.h>

using namespace dao;

TEST_F(DaoTemplate, ClimbSummaryFigures)
{
    fill();
    auto rs = db->OpenRecordset("SELECT * FROM [Riepilogo Salite] WHERE [IDPersonale] = \"A1\" ORDER BY Data");
    ASSERT_EQ(rs->RecordCount(), 3);
    // Stelvio in one hour: 1000 m over 10 km, rider and bike 70 kg, cadence 70, wheel 2.12 m, 39x21.
    EXPECT_EQ(rs->Value("Data").toDate(), QDate(2005, 1, 2));
    EXPECT_DOUBLE_EQ(rs->Value("Lunghezza").toDouble(), 10.0);
    EXPECT_DOUBLE_EQ(rs->Value("Lunghezzau").toDouble(), 10.0);
    EXPECT_EQ(rs->Value("Quotainiziale").toInt(), 500);
    EXPECT_EQ(rs->Value("Quotafinale").toInt(), 1500);
    EXPECT_EQ(rs->Value("Dislivello").toInt(), 1000);
    EXPECT_DOUBLE_EQ(rs->Value("Pendenza media").toDouble(), 10.0);
    EXPECT_EQ(rs->Value("Tempo").toTime(), QTime(1, 0));
    EXPECT_EQ(rs->Value("VAM").toInt(), 1000);
    EXPECT_EQ(rs->Value("Vam").toInt(), 1000);
    EXPECT_DOUBLE_EQ(rs->Value("VAMA").toDouble(), 1000.0);
    EXPECT_DOUBLE_EQ(rs->Value("Velocità").toDouble(), 10.0);
    EXPECT_EQ(rs->Value("Pedalate").toInt(), 42);                    // 166.7 m/min over 2.12*39/21 m
    EXPECT_EQ(rs->Value("Anteriore").toInt(), 39);
    EXPECT_EQ(rs->Value("Posteriore").toInt(), 21);
    EXPECT_EQ(rs->Value("Anteriore consigliato").toInt(), 30);       // 53 gives 47 teeth, 39 gives 34
    EXPECT_EQ(rs->Value("Posteriore consigliato").toInt(), 26);
    EXPECT_DOUBLE_EQ(rs->Value("Velocità media ideale").toDouble(), 16.54); // 70 rpm * 2.12 * 39/21 * 60 / 1000
    EXPECT_EQ(rs->Value("Potenza").toInt(), 214);
    EXPECT_DOUBLE_EQ(rs->Value("PotenzaPeso").toDouble(), 3.06);
    rs->MoveNext();                                                  // 50 minutes
    EXPECT_EQ(rs->Value("VAM").toInt(), 1200);
    EXPECT_DOUBLE_EQ(rs->Value("Velocità").toDouble(), 12.0);
    rs->MoveNext();                                                  // Mortirolo: 500 m, 5 km, 30 minutes
    EXPECT_EQ(rs->Value("Dislivello").toInt(), 500);
    EXPECT_EQ(rs->Value("VAM").toInt(), 1000);
}

TEST_F(DaoTemplate, TrainingAndAthleteSummaryFigures)
{
    fill();
    auto tr = db->OpenRecordset("SELECT * FROM [Riepilogo Tempi Allenamento] WHERE [IDPersonale] = \"a1\"");
    ASSERT_EQ(tr->RecordCount(), 1);
    EXPECT_DOUBLE_EQ(tr->Value("Distanza").toDouble(), 100.0);
    EXPECT_DOUBLE_EQ(tr->Value("Dist2").toDouble(), 100.0);
    EXPECT_DOUBLE_EQ(tr->Value("Velocità media").toDouble(), 25.0);
    EXPECT_EQ(tr->Value("Potenza").toInt(), 117);                    // (0.021 v^2 + 0.01*70) v 9.81, v = 6.94 m/s
    EXPECT_DOUBLE_EQ(tr->Value("PotenzaPeso").toDouble(), 1.67);

    auto sum = db->OpenRecordset("SELECT * FROM [Riepilogo per Atleta] ORDER BY [ConteggioDiIDPercorso] DESC");
    ASSERT_EQ(sum->RecordCount(), 2);
    EXPECT_EQ(sum->Value("IDPersonale").toString(), "A1");
    EXPECT_EQ(sum->Value("Cognome").toString(), "Rossi");
    EXPECT_EQ(sum->Value("ConteggioDiIDPercorso").toInt(), 3);
    EXPECT_DOUBLE_EQ(sum->Value("SommaDiLunghezzau").toDouble(), 25.0);
    EXPECT_EQ(sum->Value("SommaDiDislivello").toInt(), 2500);
    EXPECT_DOUBLE_EQ(sum->Value("MaxDiVAMA").toDouble(), 1200.0);
    EXPECT_DOUBLE_EQ(sum->Value("MinDiVAMA").toDouble(), 1000.0);
    EXPECT_NEAR(sum->Value("MediaDiVAMA").toDouble(), 3200.0 / 3, 1e-9);
    EXPECT_DOUBLE_EQ(sum->Value("MaxDiLunghezzau").toDouble(), 10.0);
    EXPECT_DOUBLE_EQ(sum->Value("MinDiLunghezzau").toDouble(), 5.0);
    EXPECT_NEAR(sum->Value("MediaDiLunghezzau").toDouble(), 25.0 / 3, 1e-9);
    EXPECT_EQ(sum->Value("MaxDiDislivello").toInt(), 1000);
    EXPECT_EQ(sum->Value("MinDiDislivello").toInt(), 500);
    EXPECT_NEAR(sum->Value("MediaDiDislivello").toDouble(), 2500.0 / 3, 1e-9);
    EXPECT_EQ(sum->Value("ConteggioDiPercorso").toInt(), 1);
    EXPECT_DOUBLE_EQ(sum->Value("SommaDiDist2").toDouble(), 100.0);
    EXPECT_DOUBLE_EQ(sum->Value("MaxDiDist2").toDouble(), 100.0);
    EXPECT_DOUBLE_EQ(sum->Value("MinDiDist2").toDouble(), 100.0);
    sum->MoveNext();
    EXPECT_EQ(sum->Value("IDPersonale").toString(), "B2");
    EXPECT_EQ(sum->Value("ConteggioDiPercorso").toInt(), 0);
    EXPECT_TRUE(sum->Value("SommaDiDist2").isNull());
}

TEST_F(DaoTemplate, ListStatisticsHeadSplicedOnTheListTail)
{
    fill();
    const QString head = "SELECT count(*) AS [NumeroSal], sum([Lunghezzau]) AS [Kmtot], "
                         "avg((3600*hour([Tempo]))+(60*minute([Tempo]))+second([Tempo])) AS [Secondi], "
                         "avg([VAMA]) AS [MedVam], avg(cdbl([Velocità])) AS [kmh] ";
    QString list = "SELECT * FROM [Riepilogo Salite] WHERE [IDPersonale] = \"A1\"";
    auto stats = db->OpenRecordset(head + list.mid(9));
    EXPECT_EQ(stats->Value("NumeroSal").toInt(), 3);
    EXPECT_DOUBLE_EQ(stats->Value("Kmtot").toDouble(), 25.0);
    EXPECT_DOUBLE_EQ(stats->Value("Secondi").toDouble(), 2800.0);
    EXPECT_NEAR(stats->Value("MedVam").toDouble(), 3200.0 / 3, 1e-9);
    EXPECT_NEAR(stats->Value("kmh").toDouble(), 32.0 / 3, 1e-9);

    list += " AND ([IDPercorso] =  \"STELVIO\") ";                   // a filter, as the grid appends it
    list += " AND ([Data] >=#03/01/2005# ) ";                         // the date filter
    auto filtered = db->OpenRecordset(head + list.mid(9));
    EXPECT_EQ(filtered->Value("NumeroSal").toInt(), 1);
    EXPECT_DOUBLE_EQ(filtered->Value("Secondi").toDouble(), 3000.0);
    EXPECT_EQ(db->OpenRecordset(list + " ORDER BY [Tempo]  DESC")->RecordCount(), 1);

    auto none = db->OpenRecordset(head + QString("SELECT * FROM [Riepilogo Salite] WHERE [IDPersonale] = \"Nobody\"").mid(9));
    EXPECT_EQ(none->Value("NumeroSal").toInt(), 0);
    EXPECT_TRUE(none->Value("Secondi").isNull());

    auto count = db->OpenRecordset("SELECT Count(*) AS Numcamp " + list.mid(9));
    EXPECT_EQ(count->Value("numcamp").toInt(), 1);
}

TEST_F(DaoTemplate, RankingQueryWithAll)
{
    fill();
    db->Execute("INSERT INTO [Tempi Salita] (IDPersonale, IDPercorso, Data, Tempo) VALUES ('B2', 'Stelvio', ?, ?)", 0,
                {QDate(2005, 8, 1), QTime(1, 40, 0)});                // B2 equals his best time once more
    const QString name = "Stelvio";
    const QString sql =
        "SELECT R2.* FROM [Riepilogo Salite] AS R2 WHERE EXISTS "
        "(SELECT R1.IDPercorso, R1.IDPersonale, Min(R1.Tempo) AS MinTime FROM [Riepilogo Salite] AS R1 WHERE "
        "R1.IDPercorso =\"" + name + "\" And R1.IDpersonale = R2.IDpersonale AND  R1.IDPercorso = R2.IDpercorso "
        "AND R1.Tempo >= R2.Tempo GROUP BY R1.IDPercorso, R1.IDPersonale) "
        "AND R2.Tempo <= ALL (SELECT Min(Tempo) FROM [Riepilogo Salite] AS R3 "
        "WHERE R3.IDPercorso = \"" + name + "\" AND R3.IDPersonale = R2.IDpersonale "
        "AND  R3.IDPercorso = R2.IDpercorso GROUP BY R3.IDPercorso, R3.IDPersonale) ORDER By Tempo;";
    auto rs = db->OpenRecordset(sql);
    QStringList rows;
    for (; !rs->EOF_(); rs->MoveNext())
        rows << rs->Value("IDPersonale").toString() + " " + rs->Value("Tempo").toTime().toString("hh:mm:ss");
    EXPECT_EQ(rows, QStringList({"A1 00:50:00", "B2 01:40:00", "B2 01:40:00"}));
}

namespace {
DatabasePtr buildFromScript(const QString &path, const QString &script)
{
    QFile f(TestSupport::DataDir() + "/dao/" + script);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    auto db = CreateDatabase(path, DefaultConnect());
    db->ExecuteScript(QString::fromUtf8(f.readAll()));
    return db;
}
} // namespace

TEST(DaoOlderFiles, ShapesBeforeTheUpgradeAndOfTheFirstVersion)
{
    QTemporaryDir dir;
    auto old = buildFromScript(dir.filePath("old.mdb"), "before_upgrade.sql");
    EXPECT_EQ(old->TableDefinition("CampioniSalite").FieldCount(), 5);
    EXPECT_EQ(old->TableDefinition("CampioniPercorsi").FieldCount(), 5);
    EXPECT_FALSE(old->TableNames().contains("States"));
    for (const FieldDef &f : old->TableDefinition("Dati Salite").fields) EXPECT_NE(f.name, "Stato");
    old->AppendField("CampioniSalite", FieldDef{"image", dbText, 250, true});
    EXPECT_EQ(old->TableDefinition("CampioniSalite").FieldCount(), 6);
    EXPECT_EQ(old->QueryNames().size(), 3);
    old->Close();

    auto first = buildFromScript(dir.filePath("first.mdb"), "first_version.sql");
    first->Close();
    first = OpenDatabase(dir.filePath("first.mdb"), true, false, DefaultConnect());
    EXPECT_JET_ERROR(first->OpenRecordset("CampioniSalite"), JetErr::TableNotFound);
}

// Without the athlete's cadence or wheel size there is no suggested gear: both
// columns are empty, not a chainring beside an empty sprocket.
TEST_F(DaoTemplate, NoSuggestedGearWithoutCadenceOrWheel)
{
    fill();
    db->Execute("UPDATE [Dati Personali] SET Fqped = NULL WHERE IDPersonale = 'A1'");
    db->Execute("UPDATE [Dati Personali] SET Circonfruota = NULL WHERE IDPersonale = 'B2'");
    auto rs = db->OpenRecordset("SELECT [Anteriore consigliato], [Posteriore consigliato] FROM [Riepilogo Salite]");
    ASSERT_EQ(rs->RecordCount(), 4);
    for (; !rs->AtEOF(); rs->MoveNext()) {
        EXPECT_TRUE(rs->Value("Anteriore consigliato").isNull());
        EXPECT_TRUE(rs->Value("Posteriore consigliato").isNull());
    }
}

// The views name no function newer than the tools that read the file: a
// connection whose unixepoch() fails (as on SQLite before 3.38) gets the same
// figures.
TEST_F(DaoTemplate, ViewsReadWithoutNewerFunctions)
{
    fill();
    db->Close();
    sqlite3 *h = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path()).constData(), &h, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    auto missing = [](sqlite3_context *ctx, int, sqlite3_value **) { sqlite3_result_error(ctx, "no such function: unixepoch", -1); };
    for (int args = -1; args <= 3; ++args)
        sqlite3_create_function(h, "unixepoch", args, SQLITE_UTF8, nullptr, missing, nullptr, nullptr);
    const struct { const char *sql; double expected; } cases[] = {
        {"SELECT VAM FROM [Riepilogo Salite] WHERE IDPersonale = 'A1' ORDER BY Data LIMIT 1", 1000},
        {"SELECT [Velocità media] FROM [Riepilogo Tempi Allenamento]", 25},
        {"SELECT MaxDiVAMA FROM [Riepilogo per Atleta] WHERE IDPersonale = 'A1'", 1200},
    };
    for (const auto &c : cases) {
        sqlite3_stmt *st = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(h, c.sql, -1, &st, nullptr), SQLITE_OK) << c.sql << ": " << sqlite3_errmsg(h);
        ASSERT_EQ(sqlite3_step(st), SQLITE_ROW) << c.sql << ": " << sqlite3_errmsg(h);
        EXPECT_DOUBLE_EQ(sqlite3_column_double(st, 0), c.expected) << c.sql;
        sqlite3_finalize(st);
    }
    sqlite3_close(h);
}

// The stored queries take a time of 8 characters apart into its digits; files
// made before read it with strftime('%s') first. Both forms must give the same
// seconds for every text, so that the figures built on them stay the same.
TEST_F(DaoTemplate, TimeSecondsMatchTheEarlierForm)
{
    const char *const times[] = {
        "01:00:00", "00:00:00", "23:59:59", "24:00:00", "24:30:00", "25:00:00", "12:60:00", "12:34:60",
        "99:99:99", "1:02:03x", "ab:cd:ef", "+1:00:00", " 1:00:00", "-1:00:00", "12:34+01", "12:34:5 ",
        "12:34:5Z", "12-34-56", "00:00:0.", "1:2:3   ", "\u00e91:00:00", "12:34:56.5", "1:02:03", ""};
    QStringList rows;
    for (const char *t : times)
        rows << QStringLiteral("('%1')").arg(QString::fromUtf8(t));
    rows << QStringLiteral("(NULL)");
    const QString earlier = QStringLiteral(
        "coalesce(CASE WHEN substr(T.\"Tempo\", 3, 1) = ':' THEN CAST(strftime('%s', T.\"Tempo\") AS INTEGER) - 946684800 END, "
        "CAST(substr(T.\"Tempo\", 1, 2) AS INTEGER) * 3600 + CAST(substr(T.\"Tempo\", 4, 2) AS INTEGER) * 60 "
        "+ CAST(substr(T.\"Tempo\", 7, 2) AS INTEGER))");
    const QString now = QStringLiteral(
        "CAST(substr(T.\"Tempo\", 1, 2) AS INTEGER) * 3600 + CAST(substr(T.\"Tempo\", 4, 2) AS INTEGER) * 60 "
        "+ CAST(substr(T.\"Tempo\", 7, 2) AS INTEGER)");
    db->ExecuteScript(QStringLiteral("CREATE VIEW \"SecsCheck\" AS SELECT T.\"Tempo\" AS \"Tempo\", "
                                     "CASE WHEN length(T.\"Tempo\") = 8 THEN %1 END AS \"Before\", "
                                     "CASE WHEN length(T.\"Tempo\") = 8 THEN %2 END AS \"Now\" "
                                     "FROM (SELECT column1 AS \"Tempo\" FROM (VALUES %3)) AS T")
                          .arg(earlier, now, rows.join(QLatin1Char(','))));
    int checked = 0, hourTwentyFour = 0;
    for (auto rs = db->OpenRecordset("SecsCheck", dbOpenSnapshot); !rs->EOF_(); rs->MoveNext(), ++checked) {
        const QVariant before = rs->Value("Before"), after = rs->Value("Now");
        EXPECT_EQ(after.isNull(), before.isNull()) << rs->Value("Tempo").toString().toStdString();
        EXPECT_EQ(after.toLongLong(), before.toLongLong()) << rs->Value("Tempo").toString().toStdString();
        hourTwentyFour += rs->Value("Tempo").toString() == QLatin1String("24:30:00") && after.toLongLong() == 88200;
    }
    EXPECT_EQ(checked, int(std::size(times)) + 1);
    EXPECT_EQ(hourTwentyFour, 1);   // strftime reads "24:30:00" as the next day
    // The template's stored queries hold the digits-only form checked above,
    // and not the earlier one.
    for (const QString &view : {QStringLiteral("Riepilogo Salite"), QStringLiteral("Riepilogo Tempi Allenamento"),
                                QStringLiteral("Riepilogo per Atleta")}) {
        auto sql = db->OpenRecordset(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = '%1'").arg(view));
        const QString text = sql->Value("sql").toString().simplified();
        EXPECT_FALSE(text.contains(QLatin1String("946684800"))) << view.toStdString();
        EXPECT_TRUE(text.contains(now.simplified())) << view.toStdString();
    }
}
