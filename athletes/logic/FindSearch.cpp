#include "athletes/logic/FindSearch.h"

#include <limits>

namespace FindSearch {

std::optional<Served> ServedWindow(const QString &formName)
{
    const QStringList athlete{QStringLiteral("IDPersonale"), QStringLiteral("Cognome"), QStringLiteral("Nome")};
    if (formName == QLatin1String("frmDatiPers"))
        return Served{QStringLiteral("DataDPers"), true, athlete};
    if (formName == QLatin1String("frmDatiSal") || formName == QLatin1String("frmDatiPerc")) {
        QStringList f{QStringLiteral("IDPercorso"), QStringLiteral("Stato"), QStringLiteral("Regione"),
                      QStringLiteral("Località"), QStringLiteral("Provincia")};
        if (formName == QLatin1String("frmDatiPerc"))
            f << QStringLiteral("Periodo");
        f << QStringLiteral("E-mail") << QStringLiteral("Url") << QStringLiteral("Telefono") << QStringLiteral("Fax")
          << QStringLiteral("Descrizione");
        return Served{QStringLiteral("Data1"), true, f};
    }
    if (formName == QLatin1String("frmHitGrimpeur"))
        return Served{QStringLiteral("Data1"), false, {QStringLiteral("IDPercorso")}};
    if (formName == QLatin1String("frmPrestAll") || formName == QLatin1String("frmAngolo")
        || formName == QLatin1String("frmRiepilogo"))
        return Served{QStringLiteral("dataAtleta"), false, athlete};
    return std::nullopt;
}

QStringList ModeItems()
{
    return {QStringLiteral("Campo intero"), QStringLiteral("Parte del campo"), QStringLiteral("Inizio campo")};
}

QString PrepareText(const QString &text)
{
    int from = 0, to = text.size();
    while (from < to && text.at(from) == QLatin1Char(' '))
        ++from;
    while (to > from && text.at(to - 1) == QLatin1Char(' '))
        --to;
    return text.mid(from, to - from);
}

QString MakeLikePattern(const QString &prepared, int mode)
{
    switch (mode) {
    case WholeField: return prepared;
    case PartOfField: return QLatin1Char('*') + prepared + QLatin1Char('*');
    case StartOfField: return prepared + QLatin1Char('*');
    default: return QString();
    }
}

QString Criterion(const QString &field)
{
    return QLatin1Char('[') + field + QStringLiteral("] LIKE ?");
}

QByteArray Search(const dao::RecordsetPtr &rs, const QString &field, const QString &text, int mode, bool next)
{
    const QString criterion = Criterion(field);
    const QVariantList params{MakeLikePattern(PrepareText(text), mode)};
    if (next)
        rs->FindNext(criterion, params);
    else
        rs->FindFirst(criterion, params);
    if (rs->NoMatch())
        return {};
    return rs->Bookmark();
}

std::optional<int> StoredPosition(const QString &value, bool sixteenBits)
{
    bool ok = false;
    const qlonglong v = value.trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    const qlonglong lo = sixteenBits ? std::numeric_limits<qint16>::min() : std::numeric_limits<int>::min();
    const qlonglong hi = sixteenBits ? std::numeric_limits<qint16>::max() : std::numeric_limits<int>::max();
    if (v < lo || v > hi)
        return std::nullopt;
    return int(v);
}

} // namespace FindSearch
