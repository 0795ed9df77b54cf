#include "xmlraces_fixture.h"

#include "core/CourseFile.h"
#include "core/LangClient.h"
#include "platform/settings/Settings.h"

#include <QtEndian>
#include <cstring>

namespace {

// Little-endian bytes of the course records, spelled out field by field.
QByteArray Hex(const char *text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

const QByteArray kThreeSamples = Hex(
    // 0 km            100 m              gradient 0         first-record mark
    "0000000000000000 0000000000005940 0000000000000000 f8414000"
    // 1 km            150 m              5 %                0
    "000000000000f03f 0000000000c06240 0000000000001440 00000000"
    // 2 km            120 m              3 % (a descent)    0
    "0000000000000040 0000000000005e40 0000000000000840 00000000");

} // namespace

using CourseFileTest = ExchangeDbTest;

TEST_F(CourseFileTest, WritesTheRecordsByteForByte)
{
    addClimb("Colle", 2.0, 100, 120, "Bra", {{2.0, 120, {}}, {0.0, 100, {}}, {1.0, 150, "top"}});
    addRoute("Giro", 0.0, {{0.5, 321, {}}});

    TestSupport::Script().files = {outFile("Colle.crs"), outFile("Giro.crs")};
    WriteCrsProfile("Colle", "climb");
    WriteCrsProfile("Giro", "tour");
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty()) << TestSupport::Script().messages().join("|").toStdString();

    EXPECT_EQ(ReadAll(outFile("Colle.crs")).toHex(' ').toStdString(), kThreeSamples.toHex(' ').toStdString());
    // One sample: one record of 28 bytes, gradient 0 and the first-record mark.
    EXPECT_EQ(ReadAll(outFile("Giro.crs")).toHex(' ').toStdString(),
              Hex("000000000000e03f 0000000000107440 0000000000000000 f8414000").toHex(' ').toStdString());

    const auto &save = TestSupport::Script().shown.front();
    EXPECT_EQ(save.kind, "save");
    EXPECT_EQ(save.request.fileName, "Colle.crs");
    EXPECT_EQ(save.request.defaultExt, "crs");
    EXPECT_EQ(save.request.flags, 6);
    EXPECT_EQ(save.request.title, GetLangString(28026));
    EXPECT_EQ(save.request.filter, GetLangString(28027));
    EXPECT_EQ(GetSetting(AppName, "CRS", "CrsDir"), outDir());
    EXPECT_EQ(TestSupport::Script().shown[1].request.initDir, outDir());
}

TEST_F(CourseFileTest, GradientStartsAtTheFirstRecordEvenBelowSeaLevel)
{
    // A depression route: every height is below 0 and still gets its gradient.
    const QByteArray data = BuildCrsData({{0.0, -10.0}, {1.0, -5.0}, {2.0, -20.0}, {4.0, 0.0}});
    ASSERT_EQ(data.size(), 4 * CrsRecordSize);
    auto field = [&](int record, int offset) {
        double v;
        const QByteArray bytes = data.mid(record * CrsRecordSize + offset, 8);
        quint64 bits = qFromLittleEndian<quint64>(bytes.constData());
        std::memcpy(&v, &bits, 8);
        return v;
    };
    EXPECT_DOUBLE_EQ(field(0, 16), 0.0);
    EXPECT_DOUBLE_EQ(field(1, 16), 0.5);
    EXPECT_DOUBLE_EQ(field(2, 16), 1.5);
    EXPECT_DOUBLE_EQ(field(3, 16), 1.0);
    EXPECT_DOUBLE_EQ(field(1, 8), -5.0);
    EXPECT_EQ(qFromLittleEndian<qint32>(data.constData() + 24), CrsFirstRecordMark);
    EXPECT_EQ(qFromLittleEndian<qint32>(data.constData() + CrsRecordSize + 24), 0);

    double prevH = 0, prevD = 0;
    EXPECT_EQ(GetPendenza(prevH, -3, prevD, 7, true), 0.0);
    EXPECT_EQ(prevH, -3.0);
    EXPECT_EQ(prevD, 7.0);
    EXPECT_THROW(GetPendenza(prevH, 10, prevD, 7, false), VbError);   // same distance
    EXPECT_TRUE(BuildCrsData({}).isEmpty());
}

TEST_F(CourseFileTest, RefusalsAndFailuresLeaveAnExistingFileAlone)
{
    addRoute("Empty", 1.0, {});
    addRoute("Broken", 1.0, {{0.0, 100, {}}, {1.0, QVariant(), {}}});
    const QByteArray old = "old contents";
    WriteAll(outFile("Empty.crs"), old);
    WriteAll(outFile("Broken.crs"), old);

    // No samples: message 28028, the file of that name is kept.
    TestSupport::Script().files = {outFile("Empty.crs")};
    WriteCrsProfile("Empty", "tour");
    ASSERT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(28028)});
    EXPECT_EQ(TestSupport::Script().shown.back().style & 0x70, Vb::Critical);
    EXPECT_EQ(ReadAll(outFile("Empty.crs")), old);

    // A null height fails the export through the data-error message: nothing is written.
    TestSupport::ResetScript().files = {outFile("Broken.crs")};
    WriteCrsProfile("Broken", "tour");
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages().front().startsWith("Error 94"))
        << TestSupport::Script().messages().front().toStdString();
    EXPECT_EQ(ReadAll(outFile("Broken.crs")), old);

    // Cancel: nothing asked further, nothing written.
    TestSupport::ResetScript().files = {std::nullopt};
    WriteCrsProfile("Broken", "tour");
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());

    EXPECT_EQ(outFiles(), (QStringList{"Broken.crs", "Empty.crs"}));
}

TEST_F(CourseFileTest, ExtensionIsAppendedUnlessExactlyLowerCase)
{
    addRoute("Giro", 1.0, {{0.0, 100, {}}});
    TestSupport::Script().files = {outFile("a.CRS"), outFile("b"), outFile("c.crs")};
    WriteCrsProfile("Giro", "tour");
    WriteCrsProfile("Giro", "tour");
    WriteCrsProfile("Giro", "tour");
    EXPECT_EQ(outFiles(), (QStringList{"a.CRS.crs", "b.crs", "c.crs"}));
    EXPECT_EQ(ReadAll(outFile("b.crs")).size(), CrsRecordSize);
}
