// What reaches the file: statements that must not lose their WHERE clause,
// and transactions whose end fails.
#include "dao_fixture.h"

using namespace dao;

// Jet has no comments: a double minus is arithmetic and must not turn the
// rest of the statement into an SQLite comment.
TEST_F(DaoTemplate, DoubleMinusIsArithmeticNotAComment)
{
    fill();
    auto rs = db->OpenRecordset("SELECT 5--3 AS v, 8/-2 AS w");
    EXPECT_DOUBLE_EQ(rs->Value("v").toDouble(), 8.0);
    rs->Close();

    // Without care the WHERE clause would vanish and every climb change.
    EXPECT_EQ(db->Execute("UPDATE [Dati Salite] SET Quotafinale = Quotafinale--1 WHERE IDPercorso = 'Mortirolo'"), 1);
    auto check = db->OpenRecordset("SELECT IDPercorso, Quotafinale FROM [Dati Salite] ORDER BY IDPercorso");
    EXPECT_EQ(check->Value("IDPercorso").toString(), "Mortirolo");
    EXPECT_EQ(check->Value("Quotafinale").toInt(), 1501);
    check->MoveNext();
    EXPECT_EQ(check->Value("Quotafinale").toInt(), 1500);
    check->Close();

    // A criteria text likewise keeps its whole condition.
    auto climbs = db->OpenRecordset("Dati Salite");
    climbs->FindFirst("[Quotafinale]--1 = 1502");
    ASSERT_FALSE(climbs->NoMatch());
    EXPECT_EQ(climbs->Value("IDPercorso").toString(), "Mortirolo");
    climbs->FindFirst("[Quotafinale]--1 = 1501 AND [IDPercorso] = 'Stelvio'");
    EXPECT_FALSE(climbs->NoMatch());
    EXPECT_EQ(climbs->Value("IDPercorso").toString(), "Stelvio");
}

// A COMMIT refused by a deferred constraint leaves the transaction open: the
// caller's Rollback must still end it, or every later change would stay
// uncommitted and be lost when the file closes.
TEST_F(DaoTemplate, FailedCommitCanStillBeRolledBack)
{
    fill();
    db->ExecuteScript("CREATE TABLE Parent (Id TEXT PRIMARY KEY);"
                      "CREATE TABLE Child (Id TEXT REFERENCES Parent (Id) DEFERRABLE INITIALLY DEFERRED);");
    for (bool workspace : {false, true}) {
        SCOPED_TRACE(workspace ? "workspace" : "database");
        if (workspace) Workspace::Default().BeginTrans();
        else db->BeginTrans();
        db->Execute("INSERT INTO Child (Id) VALUES ('orphan')");
        EXPECT_JET_ERROR(workspace ? Workspace::Default().CommitTrans() : db->CommitTrans(), 3201);
        EXPECT_TRUE(db->InTransaction());
        if (workspace) Workspace::Default().Rollback();
        else db->Rollback();
        EXPECT_FALSE(db->InTransaction());
    }

    db->Execute("UPDATE [Dati Salite] SET Quotafinale = 1600 WHERE IDPercorso = 'Stelvio'");
    const QString file = db->Name();
    db->Close();
    db = OpenDatabase(file, true, false, DefaultConnect());
    auto rs = db->OpenRecordset("SELECT Quotafinale FROM [Dati Salite] WHERE IDPercorso = 'Stelvio'");
    EXPECT_EQ(rs->Value(0).toInt(), 1600);
    rs = db->OpenRecordset("SELECT count(*) FROM Child");
    EXPECT_EQ(rs->Value(0).toInt(), 0);
}

// A name quoted with SqlLiteral stays one literal whatever it holds.
TEST_F(DaoTemplate, CraftedNamesStayInsideTheirLiteral)
{
    fill();
    const QString names[] = {"x' OR 'a'='a", "O'Neil \"Jr\" [1] #1/1/2000# ? & --", "a''b'", "end\\'"};
    for (const QString &name : names)
        db->Execute("INSERT INTO [Dati Salite] (IDPercorso) VALUES (?)", 0, {name});
    for (const QString &name : names) {
        auto rs = db->OpenRecordset("SELECT IDPercorso FROM [Dati Salite] WHERE [IDPercorso]= " + SqlLiteral(name));
        ASSERT_EQ(rs->RecordCount(), 1) << name.toStdString();
        EXPECT_EQ(rs->Value(0).toString(), name);
        EXPECT_EQ(db->Execute("UPDATE [Dati Salite] SET Quotafinale = 1 WHERE IDPercorso = " + SqlLiteral(name)), 1);
    }
}
