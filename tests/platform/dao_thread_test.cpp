// Connections on a worker thread (the tools compact and repair there) while
// the main thread opens, reads and closes its own: neither thread's work
// reaches the other's connections, and the shared lists stay whole.
#include "dao_fixture.h"

#include <atomic>
#include <thread>

using namespace dao;

namespace {

// 2,000 climbs: more than a recordset reads at opening, so every recordset
// below is read as its cursor moves.
void fillClimbs(Database &db)
{
    db.ExecuteScript(R"SQL(
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)
INSERT INTO "Dati Salite" (IDPercorso, Lunghezza, Quotainiziale, Quotafinale)
  SELECT 'Climb ' || i, i, 100, 200 FROM n;
)SQL");
}

// Opens path, walks a lazily read recordset to its end and closes; the number of rows seen.
int walk(const QString &path)
{
    DatabasePtr db = OpenDatabase(path, true, false, DefaultConnect());
    RecordsetPtr rs = db->OpenRecordset(QStringLiteral("SELECT IDPercorso FROM [Dati Salite]"), dbOpenSnapshot);
    int n = 0;
    for (; !rs->AtEOF(); rs->MoveNext())
        ++n;
    // A write drains the connection's other recordsets first.
    RecordsetPtr open = db->OpenRecordset(QStringLiteral("SELECT IDPercorso FROM [Dati Salite]"), dbOpenSnapshot);
    db->Execute(QStringLiteral("UPDATE [Dati Salite] SET Lunghezza = Lunghezza WHERE IDPercorso = 'Climb 1'"));
    open->MoveLast();
    n = open->RecordCount() == n ? n : -1;
    db->Close();
    return n;
}

} // namespace

TEST_F(DaoTemplate, AWorkspaceTransactionSpansOnlyTheCallingThreadsConnections)
{
    const QString other = tempPath(QStringLiteral("worker.mdb"));
    ASSERT_TRUE(QFile::copy(path(), other + QStringLiteral(".src")));
    db->Close();
    ASSERT_TRUE(QFile::rename(other + QStringLiteral(".src"), other));
    db = OpenDatabase(path(), true, false, DefaultConnect());

    // The worker holds its connection open while the main thread begins and
    // rolls back a workspace transaction, then writes through it.
    std::atomic<int> step{0};
    bool inTransaction = true;
    std::thread worker([&] {
        DatabasePtr w = OpenDatabase(other, true, false, DefaultConnect());
        step = 1;
        while (step != 2) std::this_thread::yield();
        inTransaction = w->InTransaction();
        w->Execute(QStringLiteral("INSERT INTO [Dati Salite] (IDPercorso) VALUES ('kept')"));
        w->Close();
    });
    while (step != 1) std::this_thread::yield();
    Workspace::Default().BeginTrans();
    db->Execute(QStringLiteral("INSERT INTO [Dati Salite] (IDPercorso) VALUES ('undone')"));
    step = 2;
    worker.join();
    Workspace::Default().Rollback();

    EXPECT_FALSE(inTransaction) << "the main thread's transaction reached the worker's connection";
    auto count = [](Database &d, const char *name) {
        auto c = d.openCursor(QStringLiteral("SELECT COUNT(*) FROM [Dati Salite] WHERE IDPercorso = ?"), {name});
        c->next();
        return c->value(0).toInt();
    };
    EXPECT_EQ(count(*db, "undone"), 0);
    db->Close();
    DatabasePtr w = OpenDatabase(other, true, true, DefaultConnect());
    EXPECT_EQ(count(*w, "kept"), 1) << "the worker's row was rolled back with the main thread's transaction";
    w->Close();
}

TEST_F(DaoTemplate, TwoThreadsOpenReadAndCloseAtOnce)
{
    fillClimbs(*db);
    db->Close();
    const QString other = tempPath(QStringLiteral("worker.mdb"));
    ASSERT_TRUE(QFile::copy(path(), other));

    constexpr int kRounds = 60;
    std::atomic<int> workerBad{0};
    std::thread worker([&] {
        for (int i = 0; i < kRounds; ++i) {
            try {
                if (walk(other) != 2000) ++workerBad;
            } catch (const VbError &) {
                ++workerBad;
            }
        }
    });
    int mainBad = 0;
    for (int i = 0; i < kRounds; ++i)
        if (walk(path()) != 2000) ++mainBad;
    worker.join();
    EXPECT_EQ(mainBad, 0);
    EXPECT_EQ(workerBad, 0);
    db = OpenDatabase(path(), true, false, DefaultConnect());
}
