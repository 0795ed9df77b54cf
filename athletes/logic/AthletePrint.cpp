#include "athletes/logic/AthletePrint.h"

#include "core/LangClient.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QLocale>
#include <QTime>
#include <QVersionNumber>

namespace AthletePrint {

PrintJob ListJob(const QString &windowCaption)
{
    PrintJob job;
    job.caption = FormatLangString(GetLangString(8503), {windowCaption});
    job.sql = QStringLiteral(
        "SELECT [IDPersonale] AS [Codice],[Cognome],[Nome],[Datanascita] AS [Data nascita],[Peso],"
        "[Fqped] AS [Frequenza Pedalata],[Fcmax],[Pesobici] AS [Peso Bici],"
        "[Circonfruota] AS [Circonferenza ruota],[Kmparziali] AS [km parziali] FROM [Dati Personali]");
    job.title = GetLangString(8504);
    return job;
}

QList<CardPage::Row> CardRows(const Athlete &a)
{
    const QString kg = QStringLiteral(" kg.");
    return {{GetLangString(8509), a.code},
            {GetLangString(8510), a.surname},
            {GetLangString(8511), a.name},
            {GetLangString(8512), a.birthday},
            {GetLangString(8513), a.weight + kg},
            {GetLangString(8514), a.cadence + QLatin1Char(' ') + GetLangString(8515)},
            {GetLangString(8516), a.maxHeartRate + QLatin1Char(' ') + GetLangString(8517)},
            {GetLangString(8518), a.bikeWeight + kg},
            {GetLangString(8519), a.circumference + QStringLiteral(" m.")},
            {GetLangString(8520), a.odometer + QStringLiteral(" km.")}};
}

CardPage::PageTexts CurrentPageTexts(int dateText, int timeText)
{
    const QLocale locale;
    CardPage::PageTexts t;
    t.headerLeft = QLatin1Char(' ') + GetLangString(dateText) + QLatin1Char(' ')
                   + locale.toString(QDate::currentDate(), QLocale::ShortFormat);
    t.headerRight = GetLangString(timeText) + QLatin1Char(' ')
                    + locale.toString(QTime::currentTime(), QLocale::ShortFormat) + QLatin1Char(' ');
    const QVersionNumber v = QVersionNumber::fromString(QCoreApplication::applicationVersion());
    t.footerLeft = QLatin1Char(' ') + QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()
                   + QLatin1Char(' ') + QString::number(v.majorVersion()) + QLatin1Char('.')
                   + QString::number(v.minorVersion());
    QString org = QCoreApplication::organizationName();
    if (org.isEmpty())
        org = QStringLiteral("Vettaro");
    t.footerRight = org + QLatin1Char(' ');
    return t;
}

bool PrintAllowed(const QString &athleteCount, bool adding)
{
    if (adding)
        return false;
    bool ok = false;
    const double n = QLocale().toDouble(athleteCount.trimmed(), &ok);
    return ok && n > 0;
}

void PrintCard(Printer &printer, const Athlete &a, int orientation, const CardPage::PageTexts &texts)
{
    CardPage::PrintSimpleCard(printer, orientation, texts, GetLangString(8507), CardRows(a));
}

} // namespace AthletePrint
