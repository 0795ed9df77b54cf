// Storing races without a word to the user: one outcome per race, and a race
// either stored whole or not at all.
#include "CoreTestSupport.h"
#include "core/RaceStore.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

RacePtr MakeRace(const QString &name, int type, std::vector<std::pair<float, int16_t>> points)
{
    auto race = std::make_shared<Race>();
    race->raceName(name);
    race->raceType(type);
    race->lenght(points.empty() ? 0.0f : points.back().first);
    race->StartHeight(type == 0 && !points.empty() ? points.front().second : 0);
    race->endHeight(type == 0 && !points.empty() ? points.back().second : 0);
    race->City(QStringLiteral("Bormio"));
    auto samples = std::make_shared<ColSample>();
    for (const auto &p : points) {
        auto s = std::make_shared<Sample>();
        s->Distance(p.first);
        s->Height(p.second);
        s->Label(QStringLiteral("km %1").arg(p.first));
        s->Icon(QStringLiteral("summit"));
        samples->Append(s);
    }
    race->Samples(samples);
    return race;
}

class RaceStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("store.mdb"));
        ASSERT_TRUE(QFile::copy(TestSupport::BinDir() + QStringLiteral("/ZidoVodu.dat"), path));
        QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        db = dao::OpenDatabase(path, true, false, dao::DefaultConnect());
    }
    void TearDown() override { db->Close(); }

    int count(const QString &table, const QString &name)
    {
        auto c = db->openCursor(QStringLiteral("SELECT COUNT(*) FROM ") + table + QStringLiteral(" WHERE IDPercorso = ?"),
                                {name});
        c->next();
        return c->value(0).toInt();
    }

    QTemporaryDir m_dir;
    dao::DatabasePtr db;
};

} // namespace

TEST_F(RaceStoreTest, EachRaceComesBackWithItsOutcome)
{
    db->Execute("INSERT INTO [Dati Salite] (IDPercorso, Lunghezza) VALUES ('Stelvio', 21.5)");
    ColRace races;
    races.Append(MakeRace("Gavia", 0, {{0.0f, 1300}, {0.1f, 1310}, {17.3f, 2621}}));
    races.Append(MakeRace("STELVIO", 0, {{0.0f, 1}}));                     // present, without regard to case
    races.Append(MakeRace("Twice at 1 km", 1, {{0.0f, 10}, {1.0f, 20}, {1.0f, 30}}));
    races.Append(MakeRace("", 1, {{0.0f, 10}}));                            // an empty name is refused
    races.Append(MakeRace("Stelvio", 1, {{0.0f, 200}, {5.0f, 900}}));      // a route: the other table
    auto noSamples = MakeRace("Bare", 1, {});
    noSamples->Samples(nullptr);
    races.Append(noSamples);

    RaceStore store(*db);
    const QList<RaceOutcome> out = store.saveAll(races);
    ASSERT_EQ(out.size(), 6);
    EXPECT_EQ(out[0].status, RaceOutcome::Stored);
    EXPECT_EQ(out[0].samples, 3);
    EXPECT_EQ(out[1].status, RaceOutcome::AlreadyPresent);
    EXPECT_EQ(out[1].name, "STELVIO");
    EXPECT_EQ(out[2].status, RaceOutcome::Failed);
    EXPECT_EQ(out[2].errorNumber, dao::JetErr::DuplicateKey);
    EXPECT_FALSE(out[2].errorText.isEmpty());
    EXPECT_EQ(out[3].status, RaceOutcome::Failed);
    EXPECT_EQ(out[3].errorNumber, dao::JetErr::ZeroLengthString);
    EXPECT_EQ(out[4].status, RaceOutcome::Stored);   // a failure does not stop the races after it
    EXPECT_EQ(out[5].status, RaceOutcome::Stored);
    EXPECT_EQ(out[5].samples, 0);

    // A failed race leaves nothing; a present one is left as it was.
    EXPECT_EQ(count("[Dati Percorsi]", "Twice at 1 km"), 0);
    EXPECT_EQ(count("[CampioniPercorsi]", "Twice at 1 km"), 0);
    EXPECT_EQ(count("[CampioniSalite]", "Stelvio"), 0);
    EXPECT_EQ(count("[CampioniPercorsi]", "Stelvio"), 2);
    EXPECT_FALSE(db->InTransaction());

    // What was stored, as stored: singles by their shortest form, heights, labels, icons.
    auto c = db->openCursor("SELECT s.Lunghezza, s.Quotainiziale, s.Quotafinale, s.Località, c.DistParz, c.Altezza, "
                            "c.Note, c.image FROM [Dati Salite] AS s INNER JOIN CampioniSalite AS c "
                            "ON c.IDPercorso = s.IDPercorso WHERE s.IDPercorso = 'Gavia' ORDER BY c.DistParz");
    ASSERT_TRUE(c->next());
    ASSERT_TRUE(c->next());
    EXPECT_EQ(c->value(0).toDouble(), 17.3);
    EXPECT_EQ(c->value(1).toInt(), 1300);
    EXPECT_EQ(c->value(2).toInt(), 2621);
    EXPECT_EQ(c->value(3).toString(), "Bormio");
    EXPECT_EQ(c->value(4).toDouble(), 0.1);
    EXPECT_EQ(c->value(5).toInt(), 1310);
    EXPECT_EQ(c->value(6).toString(), "km 0.1");
    EXPECT_EQ(c->value(7).toString(), "summit");

    EXPECT_TRUE(store.exists(0, "gavia"));
    EXPECT_FALSE(store.exists(1, "Gavia"));
}

TEST_F(RaceStoreTest, AClosedDatabaseFailsEveryRaceWithItsError)
{
    ColRace races;
    races.Append(MakeRace("Gavia", 0, {{0.0f, 1300}}));
    RaceStore store(*db);
    db->Close();
    const QList<RaceOutcome> out = store.saveAll(races);
    ASSERT_EQ(out.size(), 1);
    EXPECT_EQ(out[0].status, RaceOutcome::Failed);
    EXPECT_EQ(out[0].errorNumber, dao::JetErr::ObjectClosed);
}
