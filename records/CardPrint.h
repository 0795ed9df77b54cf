#pragma once
// The print layouts of the route and climb windows: the card of the current
// record drawn on the printer, and the query and title that the list and the
// sample table hand to the print form.
#include "platform/print/Printer.h"

#include <QString>

namespace CardPrint {

// The card as the window shows it: every value is the text of its box.
struct CardData {
    bool route = false;
    QString name;            // IDPercorso
    QString length;          // Lunghezza, km
    QString period;          // routes: Periodo
    QString startAltitude;   // climbs: Quotainiziale, m
    QString endAltitude;     // climbs: Quotafinale, m
    QString grade;           // climbs: the mean-gradient figure as displayed
    QString region;          // Regione
    QString place;           // Località
    QString county;          // Provincia
    QString email;           // E-mail
    QString url;             // Url
    QString phone;           // Telefono
    QString fax;             // Fax
    QString description;     // Descrizione, several lines
};

// The texts of the page's header and footer lines.
struct PageTexts {
    QString date;            // short date
    QString time;            // time of day
    QString program;         // executable name without extension, and major.minor version
};
// Today's date and time in the user's short formats and this program's name and version.
PageTexts CurrentPageTexts();

// The card may be printed when the record-count caption reads as a number above
// 0 and the save button is disabled (no addition or edit open).
bool CardPrintAllowed(const QString &recordCountCaption, bool saveEnabled);

// Draws the card on `printer` as one document and ends it. `orientation` is the
// page orientation to use (1 portrait, 2 landscape). A description that does not
// fit on the page continues on further pages. The printer's font is put back
// afterwards. On any failure the document is discarded (KillDoc) and the
// VbError is thrown on for the window to report.
void PrintCard(Printer &printer, const CardData &card, int orientation,
               const PageTexts &page = CurrentPageTexts());

// What the list and the sample table hand to the print form.
struct PrintJob {
    QString caption;   // the print form's caption
    QString sql;       // PrintSQL
    QString title;     // Titolo
};
// The list of all routes or climbs; windowCaption is the card window's own caption.
PrintJob ListPrintJob(bool route, const QString &windowCaption);
// The samples of one record; the name enters the query as a quoted literal.
PrintJob SamplesPrintJob(bool route, const QString &recordName);

} // namespace CardPrint
