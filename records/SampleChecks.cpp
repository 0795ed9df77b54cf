#include "records/SampleChecks.h"

#include "platform/error/VbError.h"
#include "records/CardNumbers.h"

using namespace CardNumbers;

namespace SampleChecks {

namespace {

bool IsEmpty(const QVariant &v)
{
    return !v.isValid() || v.isNull() || v.toString().trimmed().isEmpty();
}

// The old cell value as a number, or nothing when the cell was empty.
bool OldNumber(const QVariant &oldValue, const QLocale &locale, double &out)
{
    if (IsEmpty(oldValue))
        return false;
    if (oldValue.typeId() == QMetaType::QString) {
        if (!IsNumber(oldValue.toString(), locale))
            return false;
        out = ReadNumber(oldValue.toString(), locale);
        return true;
    }
    bool ok = false;
    out = oldValue.toDouble(&ok);
    return ok;
}

} // namespace

CellCheck CheckDistance(const QString &typed, const QVariant &oldValue,
                        const QList<double> &storedDistances, const QLocale &locale)
{
    CellCheck c;
    if (!IsNumber(typed, locale))
        return c;
    float value = 0;
    try {
        value = ReadSingle(typed, locale);
    } catch (const VbError &) {
        return c;
    }
    double old = 0;
    if (OldNumber(oldValue, locale, old) && float(old) == value)
        return c;
    for (double stored : storedDistances) {
        if (float(stored) == value) {
            c.outcome = CellCheck::Duplicate;
            return c;
        }
    }
    c.outcome = CellCheck::Accept;
    c.value = QVariant::fromValue(value);
    return c;
}

CellCheck CheckHeight(const QString &typed, const QVariant &oldValue, const QLocale &locale)
{
    CellCheck c;
    if (!IsNumber(typed, locale))
        return c;
    int16_t value = 0;
    try {
        value = ReadInt16(typed, locale);
    } catch (const VbError &) {
        c.outcome = CellCheck::OutOfRange;   // a number, but beyond what the cell holds
        return c;
    }
    double old = 0;
    if (OldNumber(oldValue, locale, old) && old == double(value))
        return c;
    c.outcome = CellCheck::Accept;
    c.value = QVariant::fromValue(value);
    return c;
}

int MissingColumn(const QVariant &distance, const QVariant &height)
{
    if (IsEmpty(distance))
        return DistanceColumn;
    if (IsEmpty(height))
        return HeightColumn;
    return -1;
}

KeyAction IconKeyDown(int column, int keyCode)
{
    return (column == IconColumn && keyCode == 46) ? KeyAction::ClearIcon : KeyAction::None;
}

KeyAction IconKeyPress(int column, int keyAscii)
{
    return (column == IconColumn && keyAscii == 13) ? KeyAction::PickIcon : KeyAction::None;
}


} // namespace SampleChecks
