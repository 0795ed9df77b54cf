// Mutated real recordings: every reader run ends, with a recording or with
// a reason, and a failed run leaves the reader as it was.
#include "recordings/Hrm.h"
#include "recordings/Tur.h"
#include "recordings_support.h"

#include <QFile>
#include <gtest/gtest.h>
#include <random>

using namespace RecordingsTest;

namespace {

QByteArray Load(const char *name)
{
    QFile f(Device(QLatin1String(name)));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

// One random change: a byte flipped or replaced by a character that matters
// to the formats, a piece cut out, the end cut off, or a piece doubled.
QByteArray Mutate(QByteArray data, std::mt19937 &rng)
{
    static const char special[] = {'\0', '\t', '\n', '\r', '[', ']', '=', '-', '9', 'a', '.', ',', '\xff', '\x80'};
    const int changes = 1 + int(rng() % 4);
    for (int c = 0; c < changes && !data.isEmpty(); ++c) {
        const qsizetype at = qsizetype(rng() % uint32_t(data.size()));
        switch (rng() % 5) {
        case 0:
            data[at] = char(data[at] ^ char(1 << (rng() % 8)));
            break;
        case 1:
            data[at] = special[rng() % sizeof special];
            break;
        case 2:
            data.remove(at, qsizetype(rng() % 64));
            break;
        case 3:
            data.truncate(at);
            break;
        default:
            data.insert(at, data.mid(at, qsizetype(rng() % 64)));
            break;
        }
    }
    return data;
}

} // namespace

TEST(RecordingFuzz, MutatedHrmFiles)
{
    std::mt19937 rng(20);
    for (const char *name : {"s725-cycling-metric.hrm", "s710-cycling-english.hrm", "s625x-sample.hrm", "s410-sample.hrm"}) {
        const QByteArray original = Load(name);
        Hrm reference;
        ASSERT_EQ(reference.ReadHRMData(original, QLatin1String(name)), 1);
        for (int i = 0; i < 400; ++i) {
            Hrm h = reference;
            if (h.ReadHRMData(Mutate(original, rng), QLatin1String(name)) == 1) {
                ASSERT_NE(h.Samples(), nullptr);
                EXPECT_FALSE(h.Failure().failed());
            } else {
                EXPECT_TRUE(h.Failure().failed());
                EXPECT_FALSE(h.Failure().Text().isEmpty());
                EXPECT_EQ(h.Samples(), reference.Samples());   // the earlier recording stays
            }
        }
    }
}

TEST(RecordingFuzz, MutatedTourFiles)
{
    std::mt19937 rng(21);
    for (const char *name : {"hac4-pailheres.tur", "hac4-hac5.tur", "hac4-hac4-alt.tur"}) {
        const QByteArray original = Load(name);
        Tur reference;
        ASSERT_EQ(reference.ReadTurData(original, QLatin1String(name)), 1);
        for (int i = 0; i < 400; ++i) {
            Tur t = reference;
            if (t.ReadTurData(Mutate(original, rng), QLatin1String(name)) == 1) {
                ASSERT_NE(t.Samples(), nullptr);
                EXPECT_EQ(t.Samples()->Count(), t.SampleNumber());
            } else {
                EXPECT_TRUE(t.Failure().failed());
                EXPECT_EQ(t.Samples(), reference.Samples());
                EXPECT_EQ(t.TurName(), reference.TurName());
            }
        }
    }
}
