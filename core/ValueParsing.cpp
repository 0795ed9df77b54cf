#include "core/ValueParsing.h"

#include "platform/shell/Shell.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>
#include <cmath>

namespace {

QString TimeFormat(const QLocale &l, QLocale::FormatType type)
{
    QString f = l.timeFormat(type);
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b"));
    f.remove(zone);
    return f.trimmed();
}

QStringList TimeFormats(const QLocale &l)
{
    QStringList f = {TimeFormat(l, QLocale::LongFormat), TimeFormat(l, QLocale::ShortFormat),
                     QStringLiteral("H:m:s"), QStringLiteral("H:m"), QStringLiteral("H.m.s"),
                     QStringLiteral("H.m"), QStringLiteral("h:m:s AP"), QStringLiteral("h:m AP"),
                     QStringLiteral("h:m:sAP"), QStringLiteral("h:mAP")};
    f.removeDuplicates();
    return f;
}

QStringList DateFormats(const QLocale &l)
{
    QStringList f = {l.dateFormat(QLocale::ShortFormat), l.dateFormat(QLocale::LongFormat),
                     QStringLiteral("yyyy-M-d")};
    if (l.dateFormat(QLocale::ShortFormat).startsWith(QLatin1Char('M')))
        f << QStringLiteral("M/d/yyyy") << QStringLiteral("M/d/yy") << QStringLiteral("M-d-yyyy");
    else
        f << QStringLiteral("d/M/yyyy") << QStringLiteral("d/M/yy") << QStringLiteral("d.M.yyyy")
          << QStringLiteral("d-M-yyyy") << QStringLiteral("d.M.yy");
    f.removeDuplicates();
    return f;
}

QTime ReadTime(const QLocale &l, const QString &t)
{
    for (const QString &f : TimeFormats(l)) {
        const QTime tm = l.toTime(t, f);
        if (tm.isValid())
            return tm;
    }
    return QTime();
}

QDate ReadDate(const QLocale &l, const QString &t)
{
    for (const QString &f : DateFormats(l)) {
        const QDate d = l.toDate(t, f);
        if (d.isValid())
            return d;
    }
    return QDate();
}

} // namespace

bool ParseDecimal(const QString &Text, double *Value) { return ParseDecimal(Text, QLocale(), Value); }

bool ParseDecimal(const QString &Text, const QLocale &locale, double *Value)
{
    const QString t = Text.trimmed();
    if (t.isEmpty())
        return false;
    QLocale l = locale;
    l.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    double v = l.toDouble(t, &ok);
    if (!ok) {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        v = c.toDouble(CommaToPoint(t), &ok);
    }
    if (!ok || !std::isfinite(v))
        return false;
    if (Value)
        *Value = v;
    return true;
}

bool ParseDateTime(const QString &Text, QTime *TimeOfDay, bool *hasDate, bool *hasTime)
{
    const QString t = Text.simplified();
    if (hasDate)
        *hasDate = false;
    if (hasTime)
        *hasTime = false;
    if (t.isEmpty() || t.size() > 64)
        return false;
    const QLocale l;
    QTime tm = ReadTime(l, t);
    bool date = false, time = tm.isValid();
    if (!time) {
        if (ReadDate(l, t).isValid()) {
            date = true;
            tm = QTime(0, 0);
        } else {
            // A date followed by a time.
            const QStringList parts = t.split(QLatin1Char(' '));
            for (int i = 1; i < parts.size() && !time; ++i) {
                const QDate d = ReadDate(l, parts.mid(0, i).join(QLatin1Char(' ')));
                if (!d.isValid())
                    continue;
                tm = ReadTime(l, parts.mid(i).join(QLatin1Char(' ')));
                date = time = tm.isValid();
            }
            if (!time)
                return false;
        }
    }
    if (TimeOfDay)
        *TimeOfDay = tm;
    if (hasDate)
        *hasDate = date;
    if (hasTime)
        *hasTime = time;
    return true;
}

QString FormatTimeOfDay(const QTime &t)
{
    const QLocale l;
    return l.toString(t, TimeFormat(l, QLocale::LongFormat));
}

int16_t GetDecimalSeparator(int16_t Default)
{
    const QChar c = Shell::DecimalSeparator();
    if (c.isNull() || c.unicode() > 0x7FFF)
        return Default;
    return int16_t(c.unicode());
}

QString CommaToPoint(const QString &Text)
{
    QString out = Text;
    out.replace(QLatin1Char(','), QLatin1Char('.'));
    return out;
}

