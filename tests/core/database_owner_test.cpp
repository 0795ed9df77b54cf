// The owner of the open database tells its listeners what happened, and only
// what happened; it needs no window system (this program has none).
#include "CoreTestSupport.h"
#include "core/DataGlobals.h"
#include "core/DbFile.h"

#include <QFile>
#include <QTemporaryDir>

namespace {
class DatabaseOwnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGlobals();
        AppPath = TestSupport::BinDir();
        ASSERT_TRUE(m_dir.isValid());
    }
    void TearDown() override
    {
        ResetGlobals();
        AppPath.clear();
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};
}

TEST_F(DatabaseOwnerTest, OpeningAndClosingAreToldOnceWithTheFile)
{
    DatabaseOwner &owner = DatabaseOwner::instance();
    QStringList opened;
    int closed = 0;
    bool openWhenTold = false;
    QObject context;
    QObject::connect(&owner, &DatabaseOwner::opened, &context, [&](const QString &file) {
        opened << file;
        openWhenTold = CurrentDb && CurrentDb->IsOpen() && ImageList2.Count() > 0;
    });
    QObject::connect(&owner, &DatabaseOwner::closed, &context, [&] { ++closed; });

    const QString file = path("owner.mdb");
    owner.open(file);
    EXPECT_EQ(opened, QStringList{file});
    EXPECT_TRUE(openWhenTold) << "listeners are told once the file is open and its icons loaded";
    EXPECT_EQ(closed, 0);

    CloseDb();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(CurrentDb->IsOpen());
    EXPECT_EQ(ImageList2.Count(), 0);
    // The file at rest holds no icon table.
    auto db = dao::OpenDatabase(file, true, false, dao::DefaultConnect());
    EXPECT_FALSE(db->TableExists("Icons"));
    db->Close();
}

TEST_F(DatabaseOwnerTest, AFailedOpeningIsThrownAndToldToNobody)
{
    const QString file = path("not a database.mdb");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is no database file at all, only text");
    f.close();

    DatabaseOwner &owner = DatabaseOwner::instance();
    int opened = 0;
    QObject context;
    QObject::connect(&owner, &DatabaseOwner::opened, &context, [&] { ++opened; });
    EXPECT_THROW(owner.open(file), VbError);
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(CurrentDb);
    EXPECT_EQ(ImageList2.Count(), 0);
}
