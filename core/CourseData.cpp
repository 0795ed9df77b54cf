#include "core/CourseData.h"

#include "core/RecordSamples.h"
#include "platform/error/VbError.h"

#include <QVariant>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {

void AppendLittleEndian(QByteArray &out, double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    char bytes[8];
    qToLittleEndian(bits, bytes);
    out.append(bytes, 8);
}

void AppendLittleEndian(QByteArray &out, qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

double NumberOf(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        RaiseError(94, QStringLiteral("Invalid use of Null"));
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok)
        RaiseError(VbErr::TypeMismatch, QStringLiteral("Type mismatch"));
    return d;
}

} // namespace

double GetPendenza(double &PrevHeight, double Height, double &PrevDistance, double Distance, bool First)
{
    double result = 0.0;
    if (!First) {
        const double run = Distance - PrevDistance;
        if (run == 0.0)
            RaiseError(11, QStringLiteral("Division by zero"));
        result = std::fabs(Height - PrevHeight) / run / 10.0;
    }
    PrevHeight = Height;
    PrevDistance = Distance;
    return result;
}

QByteArray BuildCrsData(const std::vector<CrsPoint> &points)
{
    QByteArray out;
    out.reserve(int(points.size()) * CrsRecordSize);
    double prevHeight = 0.0, prevDistance = 0.0;
    bool first = true;
    for (const CrsPoint &p : points) {
        const double gradient = GetPendenza(prevHeight, p.height, prevDistance, p.distance, first);
        AppendLittleEndian(out, p.distance);
        AppendLittleEndian(out, p.height);
        AppendLittleEndian(out, gradient);
        AppendLittleEndian(out, first ? CrsFirstRecordMark : qint32(0));
        first = false;
    }
    return out;
}

std::vector<CrsPoint> crsPointsOf(const QString &Id, const QString &Kind)
{
    dao::RecordsetPtr rs = OpenSamples(SamplesTableOf(Kind), Id);
    std::vector<CrsPoint> points;
    while (!rs->AtEOF()) {
        points.push_back({NumberOf(rs->Value(QStringLiteral("DistParz"))),
                          NumberOf(rs->Value(QStringLiteral("Altezza")))});
        rs->MoveNext();
    }
    rs->Close();
    return points;
}
