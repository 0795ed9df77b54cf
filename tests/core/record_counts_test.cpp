// The "n of N" counters: the caller's row stays, positions 1 .. N, 32-bit counts.
#include "CoreTestSupport.h"
#include "core/RecordCounts.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
dao::DatabasePtr NewDb(const QTemporaryDir &dir, int rows)
{
    dao::DatabasePtr db = dao::CreateDatabase(dir.filePath(QStringLiteral("c.dat")), dao::DefaultConnect());
    db->Execute(QStringLiteral("CREATE TABLE T (N INTEGER)"));
    db->BeginTrans();
    for (int i = 0; i < rows; ++i)
        db->Execute(QStringLiteral("INSERT INTO T (N) VALUES (?)"), 0, {i});
    db->CommitTrans();
    return db;
}
}

TEST(RecordCounts, EmptyAndMissingRecordsets)
{
    QTemporaryDir dir;
    dao::DatabasePtr db = NewDb(dir, 0);
    dao::RecordsetPtr rs = db->OpenRecordset(QStringLiteral("SELECT * FROM T"));
    EXPECT_EQ(CountRecords(rs), 0);
    EXPECT_TRUE(rs->AtEOF());
    EXPECT_EQ(RecordPosition(rs, 0), 0);
    EXPECT_EQ(CountRecords(nullptr), 0);
    EXPECT_EQ(RecordPosition(nullptr, 5), 0);
    db->Close();
}

// Over 50,000 rows a 16-bit count would overflow; the count and every
// position come out right, and counting leaves the caller's row alone.
TEST(RecordCounts, CountsAndPositionsPast16Bits)
{
    QTemporaryDir dir;
    const int n = 50001;
    dao::DatabasePtr db = NewDb(dir, n);
    dao::RecordsetPtr rs = db->OpenRecordset(QStringLiteral("SELECT * FROM T ORDER BY N"));
    rs->MoveFirst();
    rs->MoveNext();
    EXPECT_EQ(CountRecords(rs), n);
    EXPECT_EQ(rs->Value(QStringLiteral("N")).toInt(), 1);
    EXPECT_EQ(RecordPosition(rs, n), 2);
    for (int target : {0, 32766, 32767, 32768, 40000, n - 1}) {
        rs->SetAbsolutePosition(target);
        EXPECT_EQ(RecordPosition(rs, n), target + 1) << target;
    }
    rs->MoveLast();
    EXPECT_EQ(RecordPosition(rs, n), n);
    db->Close();
}
