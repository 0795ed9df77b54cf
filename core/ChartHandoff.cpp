#include "core/ChartHandoff.h"

#include "platform/error/VbError.h"
#include "platform/shell/Shell.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <cmath>

QString ChartTitle;
QString ChartMode;
QVector<ChartRecord> ChartData;
int32_t ChartPointCount = 0;

namespace ChartHandoff {

namespace {

QString Text(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    const QLocale locale;
    switch (v.typeId()) {
    // Days as the list's grid shows them: the short form with the whole year.
    case QMetaType::QDate:
        return locale.toString(v.toDate(), Shell::FullYearDateFormat());
    case QMetaType::QTime:
        return v.toTime().toString(QStringLiteral("hh:mm:ss"));
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        const QString day = locale.toString(dt.date(), Shell::FullYearDateFormat());
        if (dt.time() == QTime(0, 0))
            return day;
        return day + QLatin1Char(' ') + locale.toString(dt.time(), QLocale::ShortFormat);
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        QLocale plain = locale;
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
        return Shell::NumberText(plain, v.toDouble(), 'g', 15);
    }
    default:
        return v.toString();
    }
}

double Number(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return 0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        RaiseError(VbErr::TypeMismatch, QStringLiteral("Type mismatch"));
    return d;
}

float Single(const QVariant &v)
{
    const double d = Number(v);
    if (std::fabs(d) > 3.402823e38)
        RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
    return float(d);
}

int16_t Integer(const QVariant &v)
{
    const double d = std::nearbyint(Number(v));
    if (d < -32768 || d > 32767)
        RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
    return int16_t(d);
}

int Field(const dao::Recordset &rows, const char *name)
{
    const QString n = QString::fromUtf8(name);
    const int index = rows.FieldIndex(n);
    if (index < 0)
        RaiseError(3265, QStringLiteral("Item not found in this collection."));
    return index;
}

} // namespace

QVector<ChartRecord> ReadRecords(dao::Recordset &rows, Kind kind)
{
    const bool climbs = kind == Kind::Climbs;
    const int name = Field(rows, "IDPercorso");
    const int date = Field(rows, "Data");
    const int length = Field(rows, climbs ? "Lunghezza" : "Distanza");
    const int time = Field(rows, "Tempo");
    const int speed = Field(rows, climbs ? "Velocità" : "Velocità media");
    const int power = Field(rows, "Potenza");
    const int rate = climbs ? Field(rows, "VAM") : -1;

    QVector<ChartRecord> records;
    try {
        rows.MoveFirst();
    } catch (const VbError &e) {
        if (e.Number() == 3021)   // no rows
            return records;
        throw;
    }
    while (!rows.EOF_()) {
        if (records.size() >= MaxRecords)
            RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
        ChartRecord r;
        r.name = Text(rows.Value(name));
        r.date = Text(rows.Value(date));
        r.length = Text(rows.Value(length));
        r.time = Text(rows.Value(time));
        r.speed = Single(rows.Value(speed));
        r.power = Single(rows.Value(power));
        if (rate >= 0)
            r.climbRate = Integer(rows.Value(rate));
        records.push_back(r);
        rows.MoveNext();
    }
    return records;
}

bool Fill(Kind kind, const QString &title, const QVector<ChartRecord> &records)
{
    if (records.size() < MinRecords)
        return false;
    ChartTitle = title;
    ChartMode = QString::fromLatin1(kind == Kind::Climbs ? ClimbMode : TrainingMode);
    ChartData = records;
    ChartPointCount = int32_t(records.size());
    return true;
}

void Reset()
{
    ChartTitle.clear();
    ChartMode.clear();
    ChartData.clear();
    ChartPointCount = 0;
}

} // namespace ChartHandoff
