// The spreadsheet export: the workbook's sheet and chart compared with
// golden files, a recording without samples, sheet names that need cleaning.
#include "CoreTestSupport.h"
#include "FileFaults.h"
#include "recordings/RecordingWorkbook.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

WorkbookTexts Texts()
{
    WorkbookTexts t;
    t.headers = QStringList{"Time", "Distance [km]", "Altitude [m]", "Speed [km/h]", "Heart [bpm]", "Cadence",
                            "Teperature [°C]", "Power [W]", "Power Balance", "Pedalling Index"};
    t.xAxis = QStringLiteral("Distance [km]");
    t.yAxis = QStringLiteral("Altitude [m]");
    return t;
}

ColSamplePtr ThreeSamples()
{
    auto s = std::make_shared<ColSample>();
    s->Add(0, 0, 0, 664, 142, 0, 21, {}, {}, 0, 0, 0);
    s->Add(31.456f, 3725, 12.3f, 671, 148, 90, 21.5f, {}, {}, 250, 48, 35);
    s->Add(14.4f, 3745, 12.38f, 676, 152, 91, -3, {}, {}, 251, 50, 80);
    return s;
}

// A member of the workbook's zip, as unzip gives it; empty when it is not there.
QByteArray Member(const QString &xlsx, const QString &member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, member});
    EXPECT_TRUE(unzip.waitForFinished(20000));
    return unzip.exitCode() == 0 ? unzip.readAllStandardOutput() : QByteArray();
}

QStringList Members(const QString &xlsx)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), xlsx});
    EXPECT_TRUE(unzip.waitForFinished(20000));
    return QString::fromUtf8(unzip.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// Compares with the golden file (VETTARO_UPDATE_GOLDEN=1 rewrites it).
void ExpectGolden(const QByteArray &actual, const QString &name)
{
    const QString path = QDir(TestSupport::DataDir()).filePath(QStringLiteral("recordings/") + name);
    if (qEnvironmentVariableIsSet("VETTARO_UPDATE_GOLDEN")) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(actual);
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_EQ(actual.toStdString(), f.readAll().toStdString()) << name.toStdString();
}

} // namespace

TEST(RecordingWorkbook, ThreeSamplesMatchTheGoldenSheetAndChart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ride.xlsx"));
    QString error;
    ASSERT_TRUE(WriteRecordingWorkbook(path, QStringLiteral("Col de Pailhères"), ThreeSamples().get(), Texts(), &error))
        << error.toStdString();
    ExpectGolden(Member(path, QStringLiteral("xl/worksheets/sheet1.xml")), QStringLiteral("three-samples-sheet1.xml"));
    ExpectGolden(Member(path, QStringLiteral("xl/charts/chart1.xml")), QStringLiteral("three-samples-chart1.xml"));
    const QByteArray workbook = Member(path, QStringLiteral("xl/workbook.xml"));
    EXPECT_TRUE(workbook.contains("name=\"Col de Pailhères\"")) << workbook.constData();
    EXPECT_TRUE(workbook.contains("name=\"Chart1\""));
    // Nothing but the workbook is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"ride.xlsx"});
}

TEST(RecordingWorkbook, WithoutSamplesOnlyTheHeaderRowAndNoChart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.xlsx"));
    QString error;
    ColSample none;
    ASSERT_TRUE(WriteRecordingWorkbook(path, QStringLiteral("empty"), &none, Texts(), &error));
    const QByteArray sheet = Member(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(sheet.contains("<row r=\"1\""));
    EXPECT_FALSE(sheet.contains("<row r=\"2\""));
    for (const QString &m : Members(path))
        EXPECT_FALSE(m.contains(QLatin1String("chart"))) << m.toStdString();
}

TEST(RecordingWorkbook, SheetNamesFollowTheSpreadsheetRules)
{
    struct Case { QString name, sheet; };
    const Case cases[] = {
        {"Col d'Izoard", "Col d'Izoard"},
        {"'quoted'", "quoted"},
        {"a[b]:c*d?e/f\\g", "a_b__c_d_e_f_g"},
        {"Passo dello Stelvio da Bormio per le Torri", "Passo dello Stelvio da Bormio p"},
        {"", "Sheet1"},
        {"'''", "Sheet1"},
        {"ride\tone", "rideone"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(SpreadsheetSheetName(c.name), c.sheet) << c.name.toStdString();
        EXPECT_LE(SpreadsheetSheetName(c.name).size(), 31);
    }
    EXPECT_EQ(QuotedSheetName(QStringLiteral("Col d'Izoard")), QStringLiteral("'Col d''Izoard'"));

    // A name that needs cleaning: the sheet takes the clean name, the chart's
    // ranges quote it, and the title keeps the recording's own name.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("izoard.xlsx"));
    QString error;
    ASSERT_TRUE(WriteRecordingWorkbook(path, QStringLiteral("Col d'Izoard: 2/3"), ThreeSamples().get(), Texts(), &error))
        << error.toStdString();
    EXPECT_TRUE(Member(path, QStringLiteral("xl/workbook.xml")).contains("name=\"Col d'Izoard_ 2_3\""));
    const QByteArray chart = Member(path, QStringLiteral("xl/charts/chart1.xml"));
    EXPECT_TRUE(chart.contains("<c:f>'Col d''Izoard_ 2_3'!$B$2:$B$4</c:f>")) << chart.constData();
    EXPECT_TRUE(chart.contains("<c:f>'Col d''Izoard_ 2_3'!$J$1</c:f>"));
    EXPECT_TRUE(chart.contains("<a:t>Col d'Izoard: 2/3</a:t>")) << chart.constData();
}

// A write that cannot be put in place reports why and leaves nothing behind.
TEST(RecordingWorkbook, AFailedWriteLeavesNoFileBehind)
{
    QTemporaryDir dir;
    QString error;
    const QString missing = dir.filePath(QStringLiteral("missing-folder/ride.xlsx"));
    EXPECT_FALSE(WriteRecordingWorkbook(missing, QStringLiteral("x"), ThreeSamples().get(), Texts(), &error));
    // The cause with the path it concerns.
    EXPECT_TRUE(error.contains(QStringLiteral("folder not found: '%1'").arg(missing))) << error.toStdString();
    // The target is a folder: the workbook is written, cannot be renamed into place, and goes.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("ride.xlsx")));
    error.clear();
    EXPECT_FALSE(WriteRecordingWorkbook(dir.filePath(QStringLiteral("ride.xlsx")), QStringLiteral("x"),
                                        ThreeSamples().get(), Texts(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"ride.xlsx"});
}

// A disk with no room left: the old workbook stays whole, nothing is left
// beside it and the reason names the full disk.
TEST(RecordingWorkbook, AFullDiskKeepsTheOldWorkbook)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("small"));
    QDir().mkpath(folder);
    SmallFileSystem disk(folder, 0, "size=64k");
    if (!disk.ok())
        GTEST_SKIP() << "this process may not mount a file system";
    const QString path = folder + QStringLiteral("/ride.xlsx");
    QString error;
    ASSERT_TRUE(WriteRecordingWorkbook(path, QStringLiteral("old"), ThreeSamples().get(), Texts(), &error))
        << error.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray old = f.readAll();
    f.close();
    disk.fill();
    EXPECT_FALSE(WriteRecordingWorkbook(path, QStringLiteral("new"), ThreeSamples().get(), Texts(), &error));
    EXPECT_EQ(error, QStringLiteral("disk full"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), old);
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"filler", "ride.xlsx"}));
}
