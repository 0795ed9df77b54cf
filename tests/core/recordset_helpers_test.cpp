#include "CoreTestSupport.h"
#include "core/RecordsetHelpers.h"

#include <QTemporaryDir>

namespace {
class RecordsetHelpers : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = dao::CreateDatabase(dir.filePath("t.mdb"), dao::DefaultConnect());
        dao::TableDef t;
        t.name = "Campioni";
        dao::FieldDef id, dist, height;
        id.name = "IDPercorso";
        id.size = 50;
        dist.name = "DistParz";
        dist.type = dao::dbSingle;
        height.name = "Altezza";
        height.type = dao::dbInteger;
        t.fields = {id, dist, height};
        db->CreateTable(t);
        const QVariantList rows[] = {{"Stelvio", 0.1, 1200}, {"O\"Neil", 1.5, 1300}, {"it's", 2.25, QVariant()},
                                     {QVariant(), 3.0, 1400}};
        for (const QVariantList &r : rows)
            db->Execute("INSERT INTO [Campioni] (IDPercorso, DistParz, Altezza) VALUES (?, ?, ?)", 0, r);
    }
    dao::RecordsetPtr Open() { return db->OpenRecordset("SELECT * FROM [Campioni]", dao::dbOpenDynaset); }

    QTemporaryDir dir;
    dao::DatabasePtr db;
};
}

TEST_F(RecordsetHelpers, FindValueComparesExactlyAndLeavesTheRecordsetOnTheMatch)
{
    auto rs = Open();
    EXPECT_TRUE(FindValue(rs, "IDPercorso", "O\"Neil"));
    EXPECT_EQ(rs->Value("DistParz").toDouble(), 1.5);
    EXPECT_FALSE(FindValue(rs, "IDPercorso", "stelvio"));   // letter case counts
    EXPECT_TRUE(rs->AtEOF());
    EXPECT_TRUE(FindValue(rs, "idpercorso", "it's"));
    EXPECT_TRUE(FindValue(rs, "Altezza", "1300"));
    EXPECT_FALSE(FindValue(rs, "IDPercorso", ""));
    EXPECT_FALSE(FindValue(rs, "IDPercorso", QString(100000, 'x')));
    // A clone stands on no row: it is searched all the same.
    EXPECT_TRUE(FindValue(rs->Clone(), "IDPercorso", "Stelvio"));
    auto empty = db->OpenRecordset("SELECT * FROM [Campioni] WHERE Altezza > 9999", dao::dbOpenDynaset);
    EXPECT_FALSE(FindValue(empty, "IDPercorso", "Stelvio"));
    EXPECT_FALSE(FindValue(nullptr, "IDPercorso", "Stelvio"));
}

TEST_F(RecordsetHelpers, TextValueExistsComparesValuesNotCriteria)
{
    const struct { const char *value; bool exists; } cases[] = {
        {"Stelvio", true}, {"STELVIO", true}, {"O\"Neil", true}, {"it's", true},
        // Texts that would have changed a pasted criteria's meaning.
        {"x\" Or \"1\"=\"1", false}, {"\"", false}, {"*", false}, {"Stel*", false},
        {"", false}, {"Gavia", false}};
    for (const auto &c : cases) {
        auto rs = Open();
        EXPECT_EQ(TextValueExists(rs, "IDPercorso", c.value), c.exists) << c.value;
        EXPECT_FALSE(rs->IsOpen());   // closed in every case
    }
    EXPECT_FALSE(TextValueExists(Open(), "NoSuchField", "Stelvio"));   // an error gives false
    EXPECT_FALSE(TextValueExists(nullptr, "IDPercorso", "Stelvio"));
    auto rs = Open();
    auto clone = rs->Clone();
    EXPECT_TRUE(TextValueExists(clone, "IDPercorso", "Stelvio"));
    EXPECT_TRUE(rs->IsOpen());   // closing the clone leaves the original open
}

TEST_F(RecordsetHelpers, NumValueExistsComparesNumbersWithEitherMark)
{
    TestSupport::LocaleScope it(QLocale(QLocale::Italian, QLocale::Italy));
    const struct { const char *value; bool exists; } cases[] = {
        {"1,5", true}, {"1.5", true}, {"0,1", true}, {"2,25", true}, {"3", true},
        {"1,50000001", true},   // the same single-precision number
        {"1,6", false}, {"0", false}, {"", false}, {"abc", false}, {"1 Or 1=1", false},
        {"1,5,2", false}};
    for (const auto &c : cases) {
        auto rs = Open();
        EXPECT_EQ(NumValueExists(rs, "DistParz", c.value), c.exists) << c.value;
        EXPECT_FALSE(rs->IsOpen());
    }
    EXPECT_FALSE(NumValueExists(Open(), "Missing", "1,5"));
}
