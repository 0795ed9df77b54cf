// Opening the source and destination of an import: each refusal with its texts,
// and neither file changed by a refused opening.
#include "CoreTestSupport.h"
#include "tools/logic/ImportFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace ImportFiles;

namespace {
QByteArray Hash(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1) : QByteArray();
}
}

TEST(ImportFiles, RefusalsTellTheirTexts)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.mdb"));
    ASSERT_TRUE(QFile::copy(TestSupport::BinDir() + QStringLiteral("/ZidoVodu.dat"), good));
    QFile(good).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString text = dir.filePath(QStringLiteral("text.mdb"));
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is not a database\r\n");
    }
    const QString otherPassword = dir.filePath(QStringLiteral("other.mdb"));
    dao::CreateDatabase(otherPassword, QStringLiteral(";PWD=another"))->Close();
    const QString firstVersion = dir.filePath(QStringLiteral("first.mdb"));   // no sample tables
    dao::CreateDatabase(firstVersion, dao::DefaultConnect())->Close();

    struct Case {
        QString path;
        Texts texts;
        int message, second, title;
        bool dataError;
    };
    const Case cases[] = {
        {dir.filePath(QStringLiteral("missing.mdb")), Texts::DatabaseImport, 17508, 0, 0, false},
        {dir.filePath(QStringLiteral("missing.mdb")), Texts::TextImport, 0, 0, 0, false},
        {text, Texts::DatabaseImport, 17505, 0, 17506, false},
        {text, Texts::TextImport, 12502, 0, 12503, false},
        {otherPassword, Texts::DatabaseImport, 17503, 0, 17504, false},
        {otherPassword, Texts::TextImport, 12500, 0, 12501, false},
        {firstVersion, Texts::DatabaseImport, 17503, 17507, 17506, false},
        {firstVersion, Texts::TextImport, 12504, 12505, 12506, false},
    };
    for (const Case &c : cases) {
        for (bool destination : {false, true}) {
            SCOPED_TRACE(c.path.toStdString() + (destination ? " dest" : " origin"));
            const QByteArray before = Hash(c.path);
            const Opened o = destination ? OpenDest(c.path, c.texts) : OpenOrigin(c.path, c.texts);
            EXPECT_FALSE(o.ok());
            EXPECT_EQ(o.message, c.message);
            EXPECT_EQ(o.secondMessage, c.second);
            EXPECT_EQ(o.title, c.title);
            EXPECT_EQ(o.errorNumber != 0, c.dataError);
            EXPECT_EQ(Hash(c.path), before);
        }
    }

    // A file already open elsewhere is refused as in use, and not changed.
    {
        const Opened first = OpenDest(good, Texts::DatabaseImport);
        ASSERT_TRUE(first.ok());
        const Opened second = OpenOrigin(good);
        EXPECT_FALSE(second.ok());
        EXPECT_EQ(second.errorNumber, dao::JetErr::FileInUse);
        first.db->Close();
    }
    // The source is read-only; the destination writable.
    Opened origin = OpenOrigin(good);
    ASSERT_TRUE(origin.ok());
    EXPECT_TRUE(origin.db->IsReadOnly());
    origin.db->Close();
    Opened dest = OpenDest(good, Texts::TextImport);
    ASSERT_TRUE(dest.ok());
    EXPECT_FALSE(dest.db->IsReadOnly());
    EXPECT_TRUE(dest.db->TableExists(QStringLiteral("States")));
    dest.db->Close();
}

TEST(ImportFiles, SameFileSeesThroughPaths)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    const QString a = dir.filePath(QStringLiteral("a.mdb"));
    QFile(a).open(QIODevice::WriteOnly);
    EXPECT_TRUE(SameFile(a, dir.filePath(QStringLiteral("sub/../a.mdb"))));
    ASSERT_TRUE(QFile::link(a, dir.filePath(QStringLiteral("link.mdb"))));
    EXPECT_TRUE(SameFile(a, dir.filePath(QStringLiteral("link.mdb"))));
    EXPECT_FALSE(SameFile(a, dir.filePath(QStringLiteral("b.mdb"))));
}

// A destination the user may not write is refused with the database error and
// left as it was. (Root writes any file, so there the case cannot be made.)
TEST(ImportFiles, ReadOnlyDestinationRefusedUnchanged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("readonly.mdb"));
    ASSERT_TRUE(QFile::copy(TestSupport::BinDir() + QStringLiteral("/ZidoVodu.dat"), path));
    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (QFile(path).open(QIODevice::ReadWrite))
        GTEST_SKIP() << "this user writes read-only files";
    const QByteArray before = Hash(path);
    const Opened o = OpenDest(path, Texts::DatabaseImport);
    EXPECT_FALSE(o.ok());
    EXPECT_NE(o.errorNumber, 0) << o.errorText.toStdString();
    EXPECT_EQ(Hash(path), before);
    // As a source it opens: the source is only read.
    const Opened origin = OpenOrigin(path);
    ASSERT_TRUE(origin.ok());
    origin.db->Close();
    EXPECT_EQ(Hash(path), before);
}
