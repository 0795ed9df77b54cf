#include "records/CardNumbers.h"
#include "records/SampleChecks.h"
#include "TestSupport.h"

#include <limits>
#include <optional>

using namespace SampleChecks;

namespace {
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kItalian(QLocale::Italian, QLocale::Italy);
// Distances stored for one record, as the database hands them back (single
// precision values widened to double).
const QList<double> kStored = {0.0, double(1.1f), 3.0};
} // namespace

TEST(SampleChecks, DistanceCell)
{
    struct Case {
        const char *typed;
        QVariant old;
        QLocale locale;
        CellCheck::Outcome outcome;
        float value;
    } cases[] = {
        {"", QVariant(), kEnglish, CellCheck::Reject, 0},
        {"abc", QVariant(), kEnglish, CellCheck::Reject, 0},
        {"1.5", QVariant(), kEnglish, CellCheck::Accept, 1.5f},
        {"1,5", QVariant(), kEnglish, CellCheck::Accept, 1.5f},
        {"1,5", QVariant(), kItalian, CellCheck::Accept, 1.5f},
        {"1.5", QVariant(), kItalian, CellCheck::Accept, 1.5f},
        {" 2.25 ", QVariant(), kEnglish, CellCheck::Accept, 2.25f},
        // Another sample already has this distance, whichever way it is written.
        {"1.1", QVariant(), kEnglish, CellCheck::Duplicate, 0},
        {"1,1", QVariant(), kEnglish, CellCheck::Duplicate, 0},
        {"1,1", QVariant(), kItalian, CellCheck::Duplicate, 0},
        {"1.10", QVariant(), kItalian, CellCheck::Duplicate, 0},
        {"3", QVariant(5.0), kEnglish, CellCheck::Duplicate, 0},
        // The old value again (as a number) is no change: the edit is undone.
        {"3.0", QVariant(3.0), kEnglish, CellCheck::Reject, 0},
        {"3,00", QVariant(QStringLiteral("3")), kItalian, CellCheck::Reject, 0},
        // Moving a sample to a free distance.
        {"4", QVariant(3.0), kEnglish, CellCheck::Accept, 4.0f},
    };
    for (const Case &c : cases) {
        const CellCheck r = CheckDistance(QString::fromLatin1(c.typed), c.old, kStored, c.locale);
        EXPECT_EQ(r.outcome, c.outcome) << c.typed << " " << c.locale.name().toStdString();
        if (c.outcome == CellCheck::Accept) {
            EXPECT_FLOAT_EQ(r.value.toFloat(), c.value) << c.typed;
        }
    }
}

TEST(SampleChecks, HeightCell)
{
    struct Case { const char *typed; QVariant old; QLocale locale; CellCheck::Outcome outcome; int value; } cases[] = {
        {"", QVariant(), kEnglish, CellCheck::Reject, 0},
        {"x1", QVariant(), kEnglish, CellCheck::Reject, 0},
        {"12,5", QVariant(), kItalian, CellCheck::Accept, 12},
        {"13,5", QVariant(), kItalian, CellCheck::Accept, 14},
        {"12.5", QVariant(), kItalian, CellCheck::Accept, 12},
        {"13.5", QVariant(), kEnglish, CellCheck::Accept, 14},
        {"32767", QVariant(), kEnglish, CellCheck::Accept, 32767},
        {"-32768", QVariant(), kEnglish, CellCheck::Accept, -32768},
        {"40000", QVariant(), kEnglish, CellCheck::OutOfRange, 0},   // beyond 16 bits: told
        {"-40000", QVariant(), kEnglish, CellCheck::OutOfRange, 0},
        {"99999", QVariant(1200), kEnglish, CellCheck::OutOfRange, 0},
        {"1200", QVariant(1200), kEnglish, CellCheck::Reject, 0},
        {"1200", QVariant(1100), kEnglish, CellCheck::Accept, 1200},
    };
    for (const Case &c : cases) {
        const CellCheck r = CheckHeight(QString::fromLatin1(c.typed), c.old, c.locale);
        EXPECT_EQ(r.outcome, c.outcome) << c.typed;
        if (c.outcome == CellCheck::Accept) {
            EXPECT_EQ(r.value.toInt(), c.value) << c.typed;
        }
    }
}

TEST(SampleChecks, RowNeedsDistanceAndHeight)
{
    EXPECT_EQ(MissingColumn(QVariant(), QVariant(5)), DistanceColumn);
    EXPECT_EQ(MissingColumn(QVariant(QString()), QVariant(5)), DistanceColumn);
    EXPECT_EQ(MissingColumn(QVariant(QVariant::fromValue(nullptr)), QVariant()), DistanceColumn);
    EXPECT_EQ(MissingColumn(QVariant(1.5), QVariant()), HeightColumn);
    EXPECT_EQ(MissingColumn(QVariant(1.5), QVariant(QStringLiteral(""))), HeightColumn);
    EXPECT_EQ(MissingColumn(QVariant(0.0), QVariant(0)), -1);
}

TEST(SampleChecks, GridKeys)
{
    EXPECT_EQ(IconKeyDown(IconColumn, 46), KeyAction::ClearIcon);
    EXPECT_EQ(IconKeyDown(NoteColumn, 46), KeyAction::None);
    EXPECT_EQ(IconKeyDown(IconColumn, 45), KeyAction::None);
    EXPECT_EQ(IconKeyPress(IconColumn, 13), KeyAction::PickIcon);
    EXPECT_EQ(IconKeyPress(DistanceColumn, 13), KeyAction::None);
}

// Stored widths and choices read back: locale form first, then the C form,
// halves to the even neighbour; what is no number, or none a 64-bit whole
// number can hold, reads as nothing.
TEST(SettingNumbers, ReadBack)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    const struct {
        const char *text;
        std::optional<qint64> value;
    } cases[] = {
        {"1200", 1200}, {" 850,5 ", 850}, {"3,5", 4}, {"-3", -3}, {"", std::nullopt},
        {"abc", std::nullopt}, {"nan", std::nullopt}, {"inf", std::nullopt},
        {"1e300", std::nullopt}, {"-1e19", std::nullopt}, {"9.3e18", std::nullopt},
        {"-9223372036854775808", std::numeric_limits<qint64>::min()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CardNumbers::ReadSettingNumber(QString::fromLatin1(c.text)), c.value) << c.text;
    QLocale::setDefault(saved);
}
