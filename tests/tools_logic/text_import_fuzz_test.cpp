// Mutated real profile files through the text import: every run ends, either
// completed (the file stored or skipped as another program's) or failed with
// a reason naming the file, and a failed run keeps nothing in the destination.
#include "destination_fixture.h"
#include "tools/logic/TextImport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <random>

namespace {

QByteArray Load(const char *name)
{
    QFile f(QStringLiteral(VETTARO_TEST_DATA "/fuzz/text_profile/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

// One to four random changes: a bit flipped, a byte replaced by one that
// matters to the format, a piece cut out, the end cut off, a piece doubled.
QByteArray Mutate(QByteArray data, std::mt19937 &rng)
{
    static const char special[] = {'\0', '\n', '\r', '[', ']', '=', '-', '9', '.', ',', '"', 'e', '\xff', '\x80', '\xe0'};
    const int changes = 1 + int(rng() % 4);
    for (int c = 0; c < changes && !data.isEmpty(); ++c) {
        const qsizetype at = qsizetype(rng() % uint32_t(data.size()));
        switch (rng() % 5) {
        case 0: data[at] = char(data[at] ^ char(1 << (rng() % 8))); break;
        case 1: data[at] = special[rng() % sizeof special]; break;
        case 2: data.remove(at, qsizetype(rng() % 64)); break;
        case 3: data.truncate(at); break;
        default: data.insert(at, data.mid(at, qsizetype(rng() % 64))); break;
        }
    }
    return data;
}

class TextImportFuzz : public DestinationDbTest {
protected:
    int rows()
    {
        int n = 0;
        for (const char *t : {"Dati Salite", "Dati Percorsi", "CampioniSalite", "CampioniPercorsi"}) {
            auto c = db->openCursor(QStringLiteral("SELECT COUNT(*) FROM [%1]").arg(QLatin1String(t)));
            c->next();
            n += c->value(0).toInt();
        }
        return n;
    }

    // Imports bytes as one file; checks the outcome is one of the sound ones.
    // Returns the status.
    TextImport::Result::Status run(const QByteArray &bytes, const std::string &what)
    {
        SCOPED_TRACE(what);
        const QString path = m_dir.filePath(QStringLiteral("case.txt"));
        {
            QFile f(path);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
        }
        const int before = rows();
        const TextImport::Result r = TextImport::Import(*db, {path}, true, TextImport::ReadProfileFile, {});
        EXPECT_FALSE(db->InTransaction());
        if (r.status == TextImport::Result::Failed) {
            EXPECT_FALSE(r.errorText.isEmpty());
            EXPECT_NE(r.errorNumber, 0);
            EXPECT_EQ(r.failedFile, path);
            EXPECT_EQ(rows(), before);
        } else {
            EXPECT_EQ(r.status, TextImport::Result::Completed);
            EXPECT_LE(r.climbs.size() + r.routes.size(), 1);
        }
        // Each case starts from an empty destination.
        for (const char *t : {"CampioniSalite", "CampioniPercorsi", "Dati Salite", "Dati Percorsi"})
            db->Execute(QStringLiteral("DELETE FROM [%1]").arg(QLatin1String(t)));
        return r.status;
    }
};

} // namespace

TEST_F(TextImportFuzz, MutatedRealFiles)
{
    std::mt19937 rng(23);
    for (const char *name : {"climb_v4.txt", "older_latin1.txt"}) {
        const QByteArray original = Load(name);
        ASSERT_EQ(run(original, name), TextImport::Result::Completed);
        int failed = 0;
        for (int i = 0; i < 300; ++i)
            failed += run(Mutate(original, rng), std::string(name) + " #" + std::to_string(i)) == TextImport::Result::Failed;
        EXPECT_GT(failed, 0);   // the mutations do reach the checks
    }
}

// Hostile shapes of an otherwise good file.
TEST_F(TextImportFuzz, HostileValues)
{
    const QByteArray good = Load("climb_v4.txt");
    const QByteArray huge(100 * 1024, 'x');
    auto with = [&](const char *from, const QByteArray &to) { return QByteArray(good).replace(from, to); };
    const struct {
        const char *what;
        QByteArray bytes;
        bool fails;
    } cases[] = {
        {"empty file", QByteArray(), false},
        {"only empty lines", QByteArray("\r\n\r\n\n\r"), false},
        {"huge number", with("Number=4", "Number=99999999999999999999"), true},
        {"number beyond the lines", with("Number=4", "Number=5"), true},
        {"negative number", with("Number=4", "Number=-3"), false},   // no samples, the card still comes in
        {"fractional number", with("Number=4", "Number=2.7"), true},
        {"number not numeric", with("Number=4", "Number=four"), true},
        {"huge length", with("Lunghezza=12350", "Lunghezza=1e400"), true},
        {"huge start height", with("Quotainiziale=1205", "Quotainiziale=99999999999"), true},
        {"huge height", with("10,1900", "10,1e30"), true},
        {"huge distance", with("10,1900", "1e300,1900"), true},
        {"100 kB name", with("Passo dello Stelvio", huge), false},
        {"100 kB note", with("\"Bormio\"", "\"" + huge + "\""), false},
        {"empty lines among samples", with("10,1900", "\r\n10,1900"), true},
        {"BOM", "\xef\xbb\xbf" + good, false},
        {"CR-only line ends", QByteArray(good).replace("\r\n", "\r").replace('\n', '\r'), false},
        {"UTF-16", QByteArray(reinterpret_cast<const char *>(QString::fromUtf8(good).utf16()), good.size() * 2), false},
        {"section header only", QByteArray("[Prog]\r\nName=Vettaro-V4\r\n"), false},
        {"NUL bytes", with("Bormio", QByteArray("Bor\0mio", 7)), false},
    };
    for (const auto &c : cases) {
        const auto status = run(c.bytes, c.what);
        if (c.fails) {
            EXPECT_EQ(status, TextImport::Result::Failed) << c.what;
        }
    }
}
