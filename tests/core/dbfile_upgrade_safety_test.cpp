// An upgrade that fails half-way leaves a file the next opening upgrades.
#include "mainwindow_fixture.h"

namespace {
bool FieldPresent(dao::Database &db, const QString &table, const QString &field)
{
    for (const dao::FieldDef &f : db.TableDefinition(table).fields)
        if (f.name.compare(field, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}
}

TEST_F(MainWindowTest, AStatesUpgradeThatFailsLeavesNoHalfUpgradedFile)
{
    const QString path = Docs("half.mdb");
    ASSERT_NO_THROW(CreateFromTemplate(path));
    {
        // No States yet, and "Dati Percorsi" already holds a "Stato": adding
        // the field to the second card table fails after the first succeeded.
        auto db = dao::OpenDatabase(path, true, false, dao::DefaultConnect());
        if (db->TableExists("States"))
            db->DeleteTable("States");
        if (FieldPresent(*db, "Dati Salite", "Stato"))
            db->Execute("ALTER TABLE [Dati Salite] DROP COLUMN [Stato]");
        if (!FieldPresent(*db, "Dati Percorsi", "Stato"))
            db->Execute("ALTER TABLE [Dati Percorsi] ADD COLUMN [Stato] TEXT(250)");
        db->Close();
    }
    EXPECT_THROW(OpenDatabaseFile(path), VbError);
    {
        auto db = dao::OpenDatabase(path, true, false, dao::DefaultConnect());
        EXPECT_FALSE(db->TableExists("States"));
        EXPECT_FALSE(FieldPresent(*db, "Dati Salite", "Stato"));
        EXPECT_FALSE(db->InTransaction());
        // Once the cause is gone, the next opening does the whole step.
        db->Execute("ALTER TABLE [Dati Percorsi] DROP COLUMN [Stato]");
        db->Close();
    }
    ASSERT_NO_THROW(OpenDatabaseFile(path));
    EXPECT_TRUE(CurrentDb->TableExists("States"));
    EXPECT_TRUE(FieldPresent(*CurrentDb, "Dati Salite", "Stato"));
    EXPECT_TRUE(FieldPresent(*CurrentDb, "Dati Percorsi", "Stato"));
    CloseDb();
}
