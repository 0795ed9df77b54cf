#include "profile/ProfileReadout.h"

#include "core/BikeRoutine.h"
#include "core/LangClient.h"
#include "core/Validators.h"
#include "records/CardNumbers.h"

#include <QTime>

#include <cmath>

namespace ProfileReadout {

bool InGraphArea(const ProfileView &v, double X, double Y)
{
    const double x = X - v.OriginX;
    if (!(x > 0 && x < v.distance))
        return false;
    const double h = std::fabs(v.textHeightZ);
    return Y >= v.OriginY && Y <= v.OriginY + v.span + 2 * h;
}

QString TimeAt(double x, const QString &speedText, const QLocale &locale)
{
    double speed = 0;
    if (!CardNumbers::IsNumber(speedText, locale))
        return QString();
    speed = CardNumbers::ReadNumber(speedText, locale);
    if (!(speed > 0))
        return QString();
    const double t = std::floor(x * 3600.0 / speed);
    if (!std::isfinite(t) || t < 0)
        return QString();
    const qint64 secs = qint64(t);
    return QStringLiteral("%1:%2:%3")
        .arg(secs / 3600, 2, 10, QLatin1Char('0'))
        .arg((secs % 3600) / 60, 2, 10, QLatin1Char('0'))
        .arg(secs % 60, 2, 10, QLatin1Char('0'));
}

CursorTexts Cursor(const QVector<ProfileSample> &samples, double x, const QString &speedText, Segment &seg,
                   const QLocale &locale)
{
    QString note;
    bool found = false;
    for (int i = 0; i < samples.size(); ++i) {
        if (std::fabs(samples[i].DistParz - x) < 0.2)
            note = samples[i].Note;
        if (x < samples[i].DistParz)
            break;
        if (i + 1 < samples.size()) {
            seg.SegStartDist = samples[i].DistParz;
            seg.SegStartHeight = float(samples[i].Altezza);
            seg.SegEndDist = samples[i + 1].DistParz;
            seg.SegEndHeight = float(samples[i + 1].Altezza);
            found = true;
        }
    }
    CursorTexts t;
    const QString blank = QStringLiteral(" ");
    t.distance = GetLangString(2503) + blank + CardNumbers::FormatFixed2(x, locale);
    const float run = seg.SegEndDist - seg.SegStartDist;
    if (found && run != 0) {
        const float rise = seg.SegEndHeight - seg.SegStartHeight;
        const double alt = std::floor(seg.SegStartHeight + rise / run * (x - seg.SegStartDist));
        t.altitude = GetLangString(2504) + blank + QString::number(qint64(alt));
        QLocale l(locale);
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        t.grade = GetLangString(2505) + blank + l.toString(std::fabs(rise / run) / 1000.0 * 100.0, 'f', 1)
            + QStringLiteral(" %");
    } else {
        t.altitude = GetLangString(2504);
        t.grade = GetLangString(2505);
    }
    const QString time = TimeAt(x, speedText, locale);
    t.time = time.isEmpty() ? GetLangString(2506) : GetLangString(2506) + blank + time;
    t.place = GetLangString(2507) + blank + note;
    return t;
}

double Power(double weight, double v, double slope)
{
    return 9.81 * v * (weight * (slope + 0.01) + 0.021 * v * v);
}

MarkTexts Mark(double startX, double startY, double endX, double endY, const QString &timeText,
               const QString &weightText, const QLocale &locale)
{
    MarkTexts m;
    const double dx = endX - startX;
    const double dy = endY - startY;
    m.dist = CardNumbers::FormatFixed2(std::fabs(dx), locale);
    // Whole metres of the height difference, a drop like a rise.
    m.disl = QString::number(qint64(std::floor(std::fabs(dy))));
    m.pend = dx != 0 ? CardNumbers::FormatPercent1(std::fabs(dy / dx) / 1000.0, locale) : QStringLiteral("0%");

    QTime time;
    bool hasTime = false;
    double t = 0;
    if (!timeText.trimmed().isEmpty() && ParseDateTime(timeText, &time, nullptr, &hasTime) && hasTime)
        t = std::nearbyint(TimeToSeconds(QVariant(time)));
    if (!(t > 0)) {
        m.vel = m.vam = m.power = QStringLiteral("--");
        return m;
    }
    m.vel = CardNumbers::FormatFixed2(std::fabs(dx) / t * 3600.0, locale);
    m.vam = QString::number(qint64(std::floor(std::fabs(dy) / t * 3600.0)));
    double weight = 0;
    if (!ParseDecimal(weightText.trimmed(), &weight)) {
        m.keepPower = true;
        return m;
    }
    if (dy < 0 || dx <= 0) {
        m.power = QStringLiteral("--");
        return m;
    }
    const float v = float(dx / t * 1000.0);
    const double slope = dy / dx / 1000.0;
    m.power = QString::number(qint64(std::nearbyint(Power(weight, double(v), slope))));
    return m;
}

} // namespace ProfileReadout
