#include "core/Globals.h"
#include "core/PrintToFile.h"
#include "platform/print/Printer.h"

#include <QPrinter>

CommonDialog cmDlg1;
ImageList ImageList1;
QString DbPassword;

// The device of the printer object that the card and profile prints draw on,
// so a printer (or PDF file) chosen in the set-up dialog is where they go.
QPrinter *DefaultPrinter() { return &SharedPrinter().Device(); }

// Without a printer installed, prints go to a PDF file the user names.
namespace {
[[maybe_unused]] const bool PrintFileChooserInstalled = (SetPdfFileChooser(&AskPrintFile), true);
}
