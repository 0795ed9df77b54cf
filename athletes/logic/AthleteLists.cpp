#include "athletes/logic/AthleteLists.h"


#include <QDateTime>
#include <QTime>

namespace AthleteLists {

namespace {
const QString kAvgSeconds = QStringLiteral(
    "avg((3600*hour([Tempo]))+(60*minute([Tempo]))+second([Tempo])) AS [Secondi], ");

QString JetDate(const QDate &d)
{
    // Written by hand: QDate::toString follows no locale here, but the slashes
    // must never become the user's date separator.
    return QStringLiteral("#%1/%2/%3#")
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(d.year(), 4, 10, QLatin1Char('0'));
}

QString ValueLiteral(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', 17);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return JetDate(value.toDate());
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (dt.time() == QTime(0, 0))
            return JetDate(dt.date());
        return dao::SqlLiteral(dt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    }
    case QMetaType::QTime:
        return dao::SqlLiteral(value.toTime().toString(QStringLiteral("hh:mm:ss")));
    default:
        return dao::SqlLiteral(value.toString());
    }
}
} // namespace

QString ListSql(Kind kind, const QString &athleteCode)
{
    const QString head = kind == Kind::Trainings
        ? QStringLiteral("SELECT * FROM [Riepilogo Tempi Allenamento] WHERE [IDPersonale] = ")
        : QStringLiteral("SELECT * FROM [Riepilogo Salite] WHERE [IDPersonale] = ");
    return head + dao::SqlLiteral(athleteCode);
}

QString StatsSqlHead(Kind kind)
{
    if (kind == Kind::Trainings)
        return QStringLiteral("SELECT count(*) AS [NumeroAll], sum([Dist2]) AS [Kmtot], ") + kAvgSeconds
            + QStringLiteral("avg(cdbl([Velocità media])) AS [kmh] ");
    return QStringLiteral("SELECT count(*) AS [NumeroSal], sum([Lunghezzau]) AS [Kmtot], ") + kAvgSeconds
        + QStringLiteral("avg([VAMA]) AS [MedVam], avg(cdbl([Velocità])) AS [kmh] ");
}

QString FilterCondition(const QString &field, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral(" AND ([%1] IS NULL) ").arg(field);
    return QStringLiteral(" AND ([%1] =  %2) ").arg(field, ValueLiteral(value));
}

QString SortClause(const QString &field, bool ascending)
{
    return QStringLiteral(" ORDER BY [%1]  %2").arg(field, ascending ? QStringLiteral("ASC") : QStringLiteral("DESC"));
}

QString HeadClickSortClause(const QString &field, bool descending)
{
    return QStringLiteral(" ORDER BY [%1] %2").arg(field, descending ? QStringLiteral("DESC") : QStringLiteral("ASC"));
}

QString DateCondition(const QString &op, const QDate &date)
{
    if (!date.isValid() || (op != QLatin1String(">=") && op != QLatin1String("<=")))
        return QString();
    return QStringLiteral(" AND ([Data] ") + op + JetDate(date) + QStringLiteral(" ) ");
}

QString PrintSql(Kind kind, const QString &recordSource)
{
    const int from = recordSource.indexOf(QLatin1String("FROM"));
    if (from < 0)
        return QString();
    const QString head = kind == Kind::Trainings
        ? QStringLiteral("SELECT [IDPercorso] AS [Nome Percorso],[Data],[Distanza],[Tempo],[Velocità media],"
                         "[Potenza],[PotenzaPeso] AS [Rapporto Potenza-Peso] ")
        : QStringLiteral("SELECT [IDPercorso] AS [Nome Salita],[Data],[Lunghezza],[Quotainiziale] AS [Quota Iniziale],"
                         "[Quotafinale] AS [Quota Finale],[Pendenza media],[Tempo],[VAM],[Velocità] AS [Velocità media],"
                         "[Pedalate] AS [rpm],[Anteriore] AS [Anteriore usato],[Posteriore] AS [Posteriore usato],"
                         "[Anteriore consigliato],[Posteriore consigliato],[Velocità media ideale],[Potenza],"
                         "[PotenzaPeso] AS [Rapporto Potenza-Peso] ");
    return head + recordSource.mid(from);
}

QString PrintTitle(const QString &surname, const QString &name, const QString &listName)
{
    return surname + QLatin1Char(' ') + name + QStringLiteral("| ") + listName;
}

static QString RankingTail(const QString &climb)
{
    const QString lit = dao::SqlLiteral(climb);
    return QStringLiteral("(SELECT R1.IDPercorso, R1.IDPersonale, Min(R1.Tempo) AS MinTime FROM [Riepilogo Salite] AS R1 WHERE ")
        + QStringLiteral("R1.IDPercorso =") + lit
        + QStringLiteral(" And R1.IDpersonale = R2.IDpersonale AND  R1.IDPercorso = R2.IDpercorso ")
        + QStringLiteral("AND R1.Tempo >= R2.Tempo GROUP BY R1.IDPercorso, R1.IDPersonale) ")
        + QStringLiteral("AND R2.Tempo <= ALL (SELECT Min(Tempo) FROM [Riepilogo Salite] AS R3 ")
        + QStringLiteral("WHERE R3.IDPercorso = ") + lit
        + QStringLiteral(" AND R3.IDPersonale = R2.IDpersonale ")
        + QStringLiteral("AND  R3.IDPercorso = R2.IDpercorso GROUP BY R3.IDPercorso, R3.IDPersonale) ORDER By Tempo;");
}

QString RankingSql(const QString &climb)
{
    return QStringLiteral("SELECT R2.* FROM [Riepilogo Salite] AS R2 WHERE EXISTS ") + RankingTail(climb);
}

QString RankingPrintSql(const QString &climb)
{
    // The printed headings are the column names; a bare Vam would take the
    // view's spelling "VAM".
    return QStringLiteral("SELECT IDPersonale AS [Codice Personale],Data, Tempo AS [Miglior Tempo],Vam AS [Vam],Velocità,"
                          "Anteriore,Posteriore FROM [Riepilogo Salite] AS R2 WHERE EXISTS ")
        + RankingTail(climb);
}

QString RankingPrintTitle(const QString &climb, const QString &bestGrimpeur)
{
    return climb + QStringLiteral("| ") + bestGrimpeur;
}

QString SummarySortSql(const QString &source, const QString &field, bool ascending)
{
    return QStringLiteral("SELECT * FROM [") + source + QStringLiteral("]") + SortClause(field, ascending);
}

Stats ComputeStats(const dao::DatabasePtr &db, Kind kind, const QString &listSql, const QLocale &locale)
{
    return ListStats::Compute(db, StatsSqlHead(kind), listSql, kind == Kind::Climbs, locale);
}

} // namespace AthleteLists
