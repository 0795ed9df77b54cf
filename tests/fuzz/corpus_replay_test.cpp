// Every input kept under tests/data/fuzz/<target>/ (the seed files and each
// input that ever crashed or hung a fuzzer) is run through its fuzz entry point
// on every build, so a mended fault cannot come back unnoticed.
#include "fuzz/FuzzTargets.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString CorpusRoot = QStringLiteral(VETTARO_TEST_DATA "/fuzz");

class FuzzCorpus : public ::testing::TestWithParam<fuzz::Target> {};

TEST_P(FuzzCorpus, EveryInputIsReadWithoutHarm)
{
    const fuzz::Target target = GetParam();
    const QFileInfoList files = QDir(CorpusRoot + QLatin1Char('/') + QLatin1String(target.name))
                                    .entryInfoList(QDir::Files, QDir::Name);
    EXPECT_FALSE(files.isEmpty()) << "no corpus for " << target.name;
    for (const QFileInfo &fi : files) {
        QFile f(fi.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << fi.filePath().toStdString();
        const QByteArray bytes = f.readAll();
        SCOPED_TRACE(fi.fileName().toStdString());
        EXPECT_EQ(target.run(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus, ::testing::ValuesIn(fuzz::Targets()),
                         [](const ::testing::TestParamInfo<fuzz::Target> &info) {
                             return std::string(info.param.name);
                         });

// A corpus folder without a target (one renamed, say) would never be replayed.
TEST(FuzzCorpusFolders, EachNamesATarget)
{
    for (const QString &folder : QDir(CorpusRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool known = false;
        for (const fuzz::Target &t : fuzz::Targets())
            known = known || folder == QLatin1String(t.name);
        EXPECT_TRUE(known) << folder.toStdString();
    }
}

} // namespace
