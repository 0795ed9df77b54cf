#include "records/CardPrint.h"

#include "core/LangClient.h"
#include "platform/dao/Dao.h"
#include "platform/print/CardPage.h"
#include "records/CardNumbers.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>
#include <QTime>
#include <QVersionNumber>

#include <algorithm>
#include <cmath>

namespace CardPrint {

PageTexts CurrentPageTexts()
{
    PageTexts t;
    const QLocale locale;
    t.date = locale.toString(QDate::currentDate(), QLocale::ShortFormat);
    t.time = locale.toString(QTime::currentTime(), QLocale::ShortFormat);
    const QVersionNumber v = QVersionNumber::fromString(QCoreApplication::applicationVersion());
    t.program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QLatin1Char(' ')
                + QString::number(v.majorVersion()) + QLatin1Char('.') + QString::number(v.minorVersion());
    return t;
}

bool CardPrintAllowed(const QString &recordCountCaption, bool saveEnabled)
{
    if (saveEnabled || !CardNumbers::IsNumber(recordCountCaption))
        return false;
    return CardNumbers::ReadNumber(recordCountCaption) > 0;
}

namespace {

struct Field {
    int label;
    QString value;
};

class CardLayout {
public:
    CardLayout(CardPage::Layout &frame, const CardData &card, const PageTexts &page)
        : p(frame.printer()), card(card), page(page), frame(frame) {}

    void Run()
    {
        // The frame of the page (scale, font, 5 % margins) is the shared card page's.
        L = frame.X0();
        T = frame.Y0();
        E = frame.W();
        F = frame.H();

        HeaderAndFooter();

        const bool route = card.route;
        SectionTitle(route ? 7515 : 9509, 1);

        p.SetFontSize(13);
        const double s = 1.5 * p.TextHeight(QStringLiteral("Z"));
        X0 = L + p.TextWidth(QStringLiteral("ZZZZZ"));
        const double right = L + E;
        double y = T + 3 * h18;
        p.SetFontBold(true);
        QList<Field> first;
        if (route) {
            first = {{7516, card.name}, {7517, card.length + QStringLiteral(" km.")}, {7518, card.period},
                     {7519, card.region}, {7520, card.place}, {7521, card.county}};
        } else {
            // The distance line has a second column, the grade; each value
            // keeps to its own column.
            y = FieldLine({9511, card.name}, y, right, s);
            const double k1 = X0 + p.TextWidth(GetLangString(9510) + QStringLiteral("   "));
            const double last = frame.Field(X0, y, {GetLangString(9512), card.length + QStringLiteral(" km.")},
                                            2 * k1 - p.TextWidth(QStringLiteral("  ")));
            Put(2 * k1, y, GetLangString(9513));
            // The grade's value stands where the reference label says, but
            // never on its own label (which is the wider in some languages).
            const double vx = 2 * k1 + std::max(p.TextWidth(GetLangString(9514) + QStringLiteral("   ")),
                                                p.TextWidth(GetLangString(9513) + QStringLiteral("  ")));
            p.SetFontBold(false);
            const double gradeLast = frame.Wrapped(vx, y, right, card.grade);
            p.SetFontBold(true);
            y = frame.NextLine(std::max(last, gradeLast), s);
            first = {{9514, card.startAltitude + QStringLiteral(" m.")},
                     {9515, card.endAltitude + QStringLiteral(" m.")},
                     {9516, card.region}, {9517, card.place}, {9518, card.county}};
        }
        for (const Field &f : first)
            y = FieldLine(f, y, right, s);

        // The second section keeps its distance below the first, so it stands
        // at its usual place unless values that went on over further lines
        // pushed the first section down.
        const int firstRows = route ? 6 : 7;
        double titleY = y + (T + 11 * h18) - (T + 3 * h18 + firstRows * s);
        if (titleY + 3 * h18 > frame.Bottom()) {
            p.NewPage();
            HeaderAndFooter();
            titleY = T + 2 * h8;
        }
        frame.TitleAt(QStringLiteral("  ") + GetLangString(route ? 7522 : 9519) + QStringLiteral("  "), titleY);
        h18 = frame.TH18();
        p.SetFontSize(13);
        p.SetFontBold(true);
        y = titleY + 2 * h18;
        XD = X0 + p.TextWidth(GetLangString(route ? 7523 : 9520) + QStringLiteral("   "));
        const QList<Field> second = route
            ? QList<Field>{{7524, card.email}, {7525, card.url}, {7526, card.phone}, {7527, card.fax}}
            : QList<Field>{{9521, card.email}, {9522, card.url}, {9523, card.phone}, {9524, card.fax}};
        for (const Field &f : second)
            y = FieldLine(f, y, right, s);
        Put(X0, y, GetLangString(route ? 7528 : 9525));
        Description(y);
    }

private:
    void Put(double x, double y, const QString &text) { frame.Put(x, y, text); }

    void HeaderAndFooter()
    {
        CardPage::PageTexts texts;
        texts.headerLeft = QStringLiteral(" ") + GetLangString(card.route ? 7513 : 9507) + QStringLiteral(" ") + page.date;
        texts.headerRight = GetLangString(card.route ? 7514 : 9508) + QStringLiteral(" ") + page.time + QStringLiteral(" ");
        texts.footerLeft = QStringLiteral(" ") + page.program;
        frame.HeaderAndFooter(texts);
        h8 = frame.TH8();
    }

    void SectionTitle(int textId, int rows)
    {
        frame.Title(QStringLiteral("  ") + GetLangString(textId) + QStringLiteral("  "), rows);
        h18 = frame.TH18();
    }

    // A label and its value (wrapped inside the frame); returns the next line's y.
    double FieldLine(const Field &f, double y, double right, double step)
    {
        return frame.NextLine(frame.Field(X0, y, {GetLangString(f.label), f.value}, right), step);
    }

    // Words laid out in lines from (XD, y); a line that would reach the footer
    // starts a new page, where the text goes on below the header.
    void Description(double y)
    {
        p.SetFontBold(false);
        const double d = p.TextHeight(QStringLiteral("Z"));
        const double available = E - XD - p.TextWidth(QStringLiteral("Z"));
        double u = 0;
        auto nextLine = [&] { y = frame.NextLine(y, d); };
        QString text = card.description;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        for (const QString &token : text.split(QLatin1Char(' '))) {
            const QStringList pieces = token.split(QLatin1Char('\n'));
            for (int i = 0; i < pieces.size(); ++i) {
                if (i > 0) {           // a line break between two pieces
                    nextLine();
                    u = 0;
                }
                const QString &piece = pieces[i];
                if (piece.isEmpty())
                    continue;
                const QString out = QStringLiteral(" ") + piece;
                const double w = p.TextWidth(out);
                if (u + w <= available) {
                    Put(XD + u, y, out);
                    u += w;
                } else {
                    nextLine();
                    Put(XD, y, out);
                    u = w;
                }
            }
        }
    }

    Printer &p;
    const CardData &card;
    const PageTexts &page;
    CardPage::Layout &frame;
    double L = 0, T = 0, E = 0, F = 0;
    double h8 = 0, h18 = 0, X0 = 0, XD = 0;
};

} // namespace

void PrintCard(Printer &printer, const CardData &card, int orientation, const PageTexts &page)
{
    CardPage::PrintCard(printer, orientation, [&](CardPage::Layout &frame) { CardLayout(frame, card, page).Run(); });
}

PrintJob ListPrintJob(bool route, const QString &windowCaption)
{
    PrintJob job;
    job.caption = FormatLangString(GetLangString(route ? 7511 : 9505), {windowCaption});
    job.sql = route
        ? QStringLiteral("SELECT [IDPercorso] AS [Nome Percorso],[Lunghezza],[Regione], "
                         "[Località],[Provincia] FROM [Dati Percorsi]")
        : QStringLiteral("SELECT [IDPercorso] AS [Nome Salita],[Lunghezza],"
                         "[Quotainiziale] AS [Quota Iniziale],[Quotafinale] AS [Quota Finale],"
                         "[Regione],[Località],[Provincia] FROM [Dati Salite]");
    job.title = GetLangString(route ? 7512 : 9506);
    return job;
}

PrintJob SamplesPrintJob(bool route, const QString &recordName)
{
    PrintJob job;
    job.caption = FormatLangString(GetLangString(route ? 7532 : 9529), {recordName});
    job.sql = QStringLiteral("SELECT [DistParz] AS [Distanza],[Altezza],[Note] FROM [%1] WHERE [IDPercorso]= ")
                  .arg(route ? QStringLiteral("CampioniPercorsi") : QStringLiteral("CampioniSalite"))
              + dao::SqlLiteral(recordName) + QStringLiteral(" ORDER BY [DistParz] ASC");
    job.title = recordName + QLatin1Char('|') + GetLangString(route ? 7533 : 9530);
    return job;
}

} // namespace CardPrint
