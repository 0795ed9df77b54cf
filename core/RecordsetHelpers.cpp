#include "RecordsetHelpers.h"

#include "core/ValueParsing.h"


namespace {

bool IsNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Long: case QMetaType::ULong: case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

bool SameNumber(const QVariant &field, const QString &value)
{
    double v = 0;
    if (field.isNull() || !ParseDecimal(value, &v))
        return false;
    bool ok = false;
    const double f = field.toDouble(&ok);
    if (!ok)
        return false;
    // Distances and lengths are single-precision columns: compare at that width.
    return f == v || float(f) == float(v);
}

// The walk shared by the three tests; leaves Rs on the match or at its end.
template <class Same>
bool Walk(const dao::RecordsetPtr &Rs, Same same)
{
    if (!Rs || !Rs->IsOpen() || Rs->RecordCount() == 0)
        return false;
    for (Rs->MoveFirst(); !Rs->AtEOF(); Rs->MoveNext())
        if (same())
            return true;
    return false;
}

// Runs a test that closes the recordset after it, whatever happens.
template <class Test>
bool ThenClose(const dao::RecordsetPtr &Rs, Test test)
{
    bool found = false;
    try {
        found = test();
    } catch (const VbError &) {
        // Callers take a recordset that cannot be read as one without the value.
        found = false;
    }
    try {
        if (Rs && Rs->IsOpen())
            Rs->Close();
    } catch (const VbError &) {
        // The answer is known; a failed close changes nothing of it.
    }
    return found;
}

} // namespace

bool FindValue(const dao::RecordsetPtr &Rs, const QString &Field, const QString &Value)
{
    return Walk(Rs, [&] {
        const QVariant v = Rs->Value(Field);
        if (v.isNull())
            return false;
        if (IsNumber(v))
            return SameNumber(v, Value);
        return v.toString() == Value;
    });
}

bool NumValueExists(dao::RecordsetPtr Rs, const QString &Field, const QString &Value)
{
    return ThenClose(Rs, [&] {
        double probe = 0;
        if (!ParseDecimal(Value, &probe))
            return false;
        return Walk(Rs, [&] { return SameNumber(Rs->Value(Field), Value); });
    });
}

bool TextValueExists(dao::RecordsetPtr Rs, const QString &Field, const QString &Value)
{
    return ThenClose(Rs, [&] {
        return Walk(Rs, [&] {
            const QVariant v = Rs->Value(Field);
            return !v.isNull() && QString::compare(v.toString(), Value, Qt::CaseInsensitive) == 0;
        });
    });
}
