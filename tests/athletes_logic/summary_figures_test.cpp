// The per-athlete summary against the athlete's own lists: every figure the
// summary shows, rounded as it shows it, is the one worked out from the rows
// of that athlete's climb and training lists.
#include "CoreTestSupport.h"
#include "athletes/logic/AthleteLists.h"
#include "platform/dao/Dao.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace {

// Min, max, sum, mean and count of the non-null values of one list column.
struct Column {
    std::optional<double> min, max;
    double sum = 0;
    int n = 0;
    void add(const QVariant &v)
    {
        if (v.isNull() || !v.isValid())
            return;
        const double d = v.toDouble();
        min = min ? std::min(*min, d) : d;
        max = max ? std::max(*max, d) : d;
        sum += d;
        ++n;
    }
    std::optional<double> mean() const { return n ? std::optional<double>(sum / n) : std::nullopt; }
    std::optional<double> total() const { return n ? std::optional<double>(sum) : std::nullopt; }
};

QString Shown(const std::optional<double> &v, int decimals)
{
    return v ? QString::number(*v, 'f', decimals) : QStringLiteral("-");
}

// Whether a value sits on a rounding edge of the decimals shown, where its
// last bit alone picks the text.
bool OnEdge(double v, int decimals)
{
    const double scaled = std::fabs(v) * std::pow(10.0, decimals);
    return std::fabs(scaled - std::floor(scaled) - 0.5) < 1e-7;
}

class SummaryFigures : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("summary.mdb"));
        ASSERT_TRUE(QFile::copy(TestSupport::BinDir() + QStringLiteral("/ZidoVodu.dat"), path));
        QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        db = dao::OpenDatabase(path, true, false, dao::DefaultConnect());
    }
    void TearDown() override { db->Close(); }

    QTemporaryDir m_dir;
    dao::DatabasePtr db;
};

} // namespace

TEST_F(SummaryFigures, EqualWhatTheAthletesListsShow)
{
    // Climbs with gains up, down, flat and unknown, lengths with and without
    // decimals or unknown; times of every form: "hh:mm:ss", none, zero, and
    // texts of another length that SQLite's time() reads or does not.
    QRandomGenerator rng(32);
    db->BeginTrans();
    for (int a = 0; a < 12; ++a)
        db->Execute("INSERT INTO [Dati Personali] (IDPersonale, Cognome, Peso, Pesobici) VALUES (?, ?, 70, 8)", 0,
                    {QStringLiteral("A%1").arg(a), QStringLiteral("S%1").arg(a)});
    for (int c = 0; c < 15; ++c) {
        const int start = 300 + int(rng.bounded(1500));
        const QVariant gain[] = {QVariant(start + 50 + int(rng.bounded(1200))), QVariant(start - 200), QVariant(start),
                                 QVariant()};
        const QVariant length[] = {QVariant(1 + int(rng.bounded(25))), QVariant(0.5 + rng.bounded(250) / 10.0),
                                   QVariant()};
        db->Execute("INSERT INTO [Dati Salite] (IDPercorso, Lunghezza, Quotainiziale, Quotafinale) VALUES (?, ?, ?, ?)", 0,
                    {QStringLiteral("C%1").arg(c), length[c % 3 == 2 && c > 10 ? 2 : c % 2], start, gain[c % 4 == 3 && c > 7 ? 3 : c % 3]});
    }
    for (int r = 0; r < 6; ++r)
        db->Execute("INSERT INTO [Dati Percorsi] (IDPercorso, Lunghezza) VALUES (?, ?)", 0,
                    {QStringLiteral("R%1").arg(r), r == 5 ? QVariant() : QVariant(10 + rng.bounded(900) / 10.0)});
    const char *const odd[] = {"1:05:00", "0:00", "abc", "2004-01-01 01:02:03", "00:00:00"};
    for (int i = 0; i < 900; ++i) {
        // Athlete 11 has trainings only, athlete 10 climbs only; some codes in another case.
        const int a = int(rng.bounded(11));
        QString who = QStringLiteral("A%1").arg(a);
        if (i % 17 == 0)
            who = who.toLower();
        const QString climb = QStringLiteral("C%1").arg(rng.bounded(15));
        const int secs = 60 + int(rng.bounded(4 * 3600));
        const QString time = i % 23 == 0 ? QString::fromLatin1(odd[(i / 23) % 5])
                             : QStringLiteral("%1:%2:%3").arg(secs / 3600, 2, 10, QLatin1Char('0'))
                                   .arg(secs / 60 % 60, 2, 10, QLatin1Char('0')).arg(secs % 60, 2, 10, QLatin1Char('0'));
        const QVariant tempo = i % 31 == 0 ? QVariant() : QVariant(time);
        db->Execute("INSERT INTO [Tempi Salita] (IDPersonale, IDPercorso, Data) VALUES (?, ?, '2004-01-01')", 0,
                    {who, climb});
        // Written straight, as a file from elsewhere may hold any text.
        db->Execute("UPDATE [Tempi Salita] SET Tempo = ? WHERE rowid = last_insert_rowid()", 0, {tempo});
        if (a != 10)
            db->Execute("INSERT INTO [Tempi Allenamento] (IDPersonale, IDPercorso, Data, Tempo) VALUES (?, ?, '2004-01-01', '01:00:00')",
                        0, {a == 0 ? QStringLiteral("A11") : who, QStringLiteral("R%1").arg(rng.bounded(6))});
    }
    db->CommitTrans();

    int compared = 0;
    auto summary = db->openCursor(QStringLiteral("SELECT * FROM [Riepilogo per Atleta] ORDER BY IDPersonale"));
    while (summary->next()) {
        const QString who = summary->value(QStringLiteral("IDPersonale")).toString();
        SCOPED_TRACE(who.toStdString());
        Column length, gain, rate, distance;
        int climbs = 0, trainings = 0;
        auto rows = db->openCursor(AthleteLists::ListSql(AthleteLists::Kind::Climbs, who));
        while (rows->next()) {
            ++climbs;
            length.add(rows->value(QStringLiteral("Lunghezzau")));
            gain.add(rows->value(QStringLiteral("Dislivello")));
            rate.add(rows->value(QStringLiteral("VAMA")));
        }
        rows = db->openCursor(AthleteLists::ListSql(AthleteLists::Kind::Trainings, who));
        while (rows->next()) {
            ++trainings;
            distance.add(rows->value(QStringLiteral("Dist2")));
        }
        EXPECT_EQ(summary->value(QStringLiteral("ConteggioDiIDPercorso")).toInt(), climbs);
        EXPECT_EQ(summary->value(QStringLiteral("ConteggioDiPercorso")).toInt(), trainings);
        struct Figure { const char *field; std::optional<double> fromList; int decimals; };
        const Figure figures[] = {
            {"SommaDiLunghezzau", length.total(), 2}, {"SommaDiDislivello", gain.total(), 2},
            {"MaxDiVAMA", rate.max, 0},               {"MinDiVAMA", rate.min, 0},
            {"MediaDiVAMA", rate.mean(), 0},          {"MaxDiLunghezzau", length.max, 2},
            {"MinDiLunghezzau", length.min, 2},       {"MediaDiLunghezzau", length.mean(), 2},
            {"MaxDiDislivello", gain.max, 2},         {"MinDiDislivello", gain.min, 2},
            {"MediaDiDislivello", gain.mean(), 2},    {"SommaDiDist2", distance.total(), 2},
            {"MaxDiDist2", distance.max, 2},          {"MinDiDist2", distance.min, 2},
            {"MediaDiDist2", distance.mean(), 2},
        };
        for (const Figure &f : figures) {
            SCOPED_TRACE(f.field);
            const QVariant v = summary->value(QLatin1String(f.field));
            const std::optional<double> shown = v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
            if (f.fromList && OnEdge(*f.fromList, f.decimals))
                continue;
            EXPECT_EQ(Shown(shown, f.decimals), Shown(f.fromList, f.decimals));
            if (f.fromList && shown) {
                EXPECT_NEAR(*shown, *f.fromList, 1e-9 * std::max(1.0, std::fabs(*f.fromList)));
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 12 * 14);
}
