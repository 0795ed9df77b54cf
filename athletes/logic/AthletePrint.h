#pragma once
// The athlete card's two prints: the list of all athletes that the print form
// prints, and the card of the athlete shown, drawn on the printer.
#include "platform/print/CardPage.h"
#include "platform/print/Printer.h"

#include <QString>

namespace AthletePrint {

// What the list print hands to the print form.
struct PrintJob {
    QString caption;   // "Print " + the athlete window's caption
    QString sql;       // PrintSQL
    QString title;     // Titolo
};
PrintJob ListJob(const QString &windowCaption);

// The athlete as the card's fields show it.
struct Athlete {
    QString code, surname, name, birthday, weight, cadence, maxHeartRate, bikeWeight, circumference, odometer;
};
// The ten label and value rows, values with their units.
QList<CardPage::Row> CardRows(const Athlete &a);

// Header ("Date:", "Time:", texts dateText and timeText) and footer (program
// name and version, organisation) texts of now.
CardPage::PageTexts CurrentPageTexts(int dateText = 8505, int timeText = 8506);

// The card may be printed when the athlete count reads as a number above 0 and
// no new athlete is being entered.
bool PrintAllowed(const QString &athleteCount, bool adding);

// Prints the card on one page and ends the document; on failure the document
// is discarded and the VbError thrown on.
void PrintCard(Printer &printer, const Athlete &a, int orientation,
               const CardPage::PageTexts &texts = CurrentPageTexts());

} // namespace AthletePrint
