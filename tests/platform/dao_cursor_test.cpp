// The read paths and the reusable write of the database layer: a forward
// cursor that only ever reads, and a statement compiled once for many rows.
#include "dao_fixture.h"

using namespace dao;

TEST_F(DaoTemplate, CursorRefusesEveryStatementThatIsNotReadOnly)
{
    fill();
    const char *writes[] = {
        "DELETE * FROM [Dati Salite]",
        "UPDATE [Dati Salite] SET Lunghezza = 0",
        "INSERT INTO [Dati Percorsi] (IDPercorso) VALUES ('x')",
        "DROP TABLE [Dati Percorsi]",
        "CREATE TABLE t (a INTEGER)",
        // read-only to SQLite, but no rows: they change the connection, not the file
        "BEGIN",
        "COMMIT",
        "ATTACH DATABASE ':memory:' AS other",
        // a write hidden behind a WITH is still a write
        "WITH x AS (SELECT 1) DELETE FROM [Dati Salite]",
    };
    for (const char *sql : writes) {
        SCOPED_TRACE(sql);
        EXPECT_JET_ERROR(db->openCursor(QString::fromUtf8(sql)), JetErr::ReadOnly);
    }
    // Nothing of them ran, and the connection is in no transaction.
    EXPECT_EQ(db->OpenRecordset("SELECT count(*) FROM [Dati Salite]")->Value(0).toInt(), 2);
    EXPECT_FALSE(db->InTransaction());
    EXPECT_NO_THROW(db->Execute("INSERT INTO [Dati Percorsi] (IDPercorso) VALUES ('after')"));
    // Errors of an ordinary query keep their own numbers.
    EXPECT_JET_ERROR(db->openCursor("SELECT * FROM [No such table]"), JetErr::TableNotFound);
    EXPECT_JET_ERROR(db->openCursor("No such query"), JetErr::TableNotFound);
    EXPECT_JET_ERROR(db->openCursor("SELECT 1; DELETE FROM [Dati Salite]"), 3142);
}

TEST_F(DaoTemplate, CursorGivesNamesTypesAndValuesInOrder)
{
    fill();
    db->Execute("INSERT INTO [Dati Salite] (IDPercorso) VALUES ('Nulls')");
    auto c = db->openCursor("SELECT IDPercorso, Lunghezza AS [Km], Quotainiziale, Quotafinale - Quotainiziale AS Gain, "
                            "Località FROM [Dati Salite] WHERE Lunghezza IS NULL OR Lunghezza > ? ORDER BY IDPercorso",
                            {1.0});
    ASSERT_EQ(c->columnCount(), 5);
    EXPECT_EQ(c->columnName(0), "IDPercorso");
    EXPECT_EQ(c->columnName(1), "Km");
    EXPECT_EQ(c->columnName(4), QString::fromUtf8("Località"));
    EXPECT_EQ(c->columnType(0), dbText);
    EXPECT_EQ(c->columnType(1), dbSingle);
    EXPECT_EQ(c->columnType(2), dbInteger);
    EXPECT_EQ(c->columnType(3), dbLong);   // computed: from its first value
    EXPECT_JET_ERROR(c->value(0), JetErr::NoCurrentRecord);   // before the first next()

    QStringList names;
    QList<QVariant> gains;
    while (c->next()) {
        names << c->value("idpercorso").toString();
        gains << c->value(3);
    }
    EXPECT_EQ(names, (QStringList{"Mortirolo", "Nulls", "Stelvio"}));
    EXPECT_EQ(gains[0], QVariant(500));
    EXPECT_FALSE(gains[1].isValid());   // Null is an invalid QVariant
    EXPECT_FALSE(c->next());
    EXPECT_JET_ERROR(c->value(0), JetErr::NoCurrentRecord);
    EXPECT_JET_ERROR(c->value("Nope"), JetErr::ItemNotFound);

    // Stored queries and tables open by name; dates and times come typed.
    auto t = db->openCursor("Tempi Salita");
    ASSERT_TRUE(t->next());
    EXPECT_EQ(t->value("Data"), QVariant(QDate(2005, 1, 2)));
    EXPECT_EQ(t->value("Tempo"), QVariant(QTime(1, 0, 0)));
    auto v = db->openCursor("[Riepilogo per Atleta]");
    EXPECT_EQ(v->columnName(0), "IDPersonale");
    int athletes = 0;
    while (v->next()) ++athletes;
    EXPECT_EQ(athletes, 2);
}

TEST_F(DaoTemplate, CursorKeepsTheRowsOfItsOpeningTimeThroughWrites)
{
    // More rows than a pass holds at once, then writes while the pass is half done.
    db->ExecuteScript(R"SQL(
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)
INSERT INTO "Dati Percorsi" (IDPercorso, Lunghezza) SELECT 'R' || printf('%05d', i), i FROM n;
)SQL");
    auto c = db->openCursor("SELECT IDPercorso, Lunghezza FROM [Dati Percorsi] ORDER BY IDPercorso");
    double sum = 0;
    int n = 0;
    while (c->next()) {
        sum += c->value(1).toDouble();
        if (++n == 700) {
            db->Execute("DELETE FROM [Dati Percorsi] WHERE Lunghezza > 1000");
            auto p = db->prepare("INSERT INTO [Dati Percorsi] (IDPercorso, Lunghezza) VALUES (?, ?)");
            p->execute({"ZZZ", 1.0e6});
        }
    }
    EXPECT_EQ(n, 2000);
    EXPECT_DOUBLE_EQ(sum, 2000.0 * 2001.0 / 2.0);
    c->close();
    EXPECT_FALSE(c->next());
}

TEST_F(DaoTemplate, PreparedStatementRunsManyTimesAndSurvivesItsErrors)
{
    fill();
    auto ins = db->prepare("INSERT INTO CampioniSalite (IDPercorso, DistParz, Altezza, Note) VALUES (?, ?, ?, ?)");
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(ins->execute({"Mortirolo", 0.5 * i, 1000 + i, QString("O'Neil %1").arg(i)}), 1);
    EXPECT_JET_ERROR(ins->execute({"Mortirolo", 0.5, 1, QVariant()}), JetErr::DuplicateKey);
    EXPECT_JET_ERROR(ins->execute({"No such climb", 0.5, 1, QVariant()}), JetErr::RelatedRecordRequired);
    // Values left out are Null, not those of the run before.
    EXPECT_EQ(ins->execute({"Mortirolo", 9.0}), 1);
    auto rs = db->OpenRecordset("SELECT Altezza, Note FROM CampioniSalite WHERE IDPercorso = 'Mortirolo' ORDER BY DistParz");
    rs->MoveLast();
    EXPECT_TRUE(rs->Value(0).isNull());
    rs->MovePrevious();
    EXPECT_EQ(rs->Value(1).toString(), "O'Neil 3");
    EXPECT_EQ(rs->RecordCount(), 5);

    EXPECT_JET_ERROR(db->prepare("SELECT * FROM [Dati Salite]"), 3065);
    db->Close();
    EXPECT_JET_ERROR(ins->execute({"Mortirolo", 10.0}), JetErr::ObjectClosed);
}
