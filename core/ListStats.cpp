#include "core/ListStats.h"

#include "core/TimeFormat.h"
#include "platform/shell/Shell.h"

#include <cmath>

namespace ListStats {

QString StatsSql(const QString &head, const QString &listSql)
{
    return head + listSql.mid(9);
}

QString FormatTwoDecimals(double value, const QLocale &locale)
{
    // The pattern has no grouping: 1200 km read "1200.00", never "1,200.00".
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    QString s = Shell::NumberText(plain, value, 'f', 2);
    if (std::fabs(value) < 1.0) {
        const int zero = s.indexOf(QLatin1Char('0'));
        if (zero >= 0 && zero + 1 < s.size() && s.at(zero + 1) == plain.decimalPoint().at(0))
            s.remove(zero, 1);
    }
    return s;
}

Stats Compute(const dao::DatabasePtr &db, const QString &head, const QString &listSql, bool climbs,
              const QLocale &locale)
{
    Stats st;
    dao::RecordsetPtr rs = db->OpenRecordset(StatsSql(head, listSql));
    if (rs->AtEOF())
        return st;
    const QVariant n = rs->Value(climbs ? QStringLiteral("NumeroSal") : QStringLiteral("NumeroAll"));
    st.count = QString::number(n.toLongLong());
    const QVariant km = rs->Value(QStringLiteral("Kmtot"));
    st.km = FormatTwoDecimals(km.isNull() ? 0.0 : km.toDouble(), locale);
    const QVariant secs = rs->Value(QStringLiteral("Secondi"));
    st.avgTime = FormatSeconds(secs.isNull() ? 0.0 : secs.toDouble());
    const QVariant kmh = rs->Value(QStringLiteral("kmh"));
    st.kmh = FormatTwoDecimals(kmh.isNull() ? 0.0 : kmh.toDouble(), locale);
    if (climbs) {
        const QVariant vam = rs->Value(QStringLiteral("MedVam"));
        st.vam = QString::number(static_cast<qlonglong>(std::floor(vam.isNull() ? 0.0 : vam.toDouble())));
    }
    rs->Close();
    return st;
}

} // namespace ListStats
