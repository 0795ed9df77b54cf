#pragma once
// Globals of the application core, shared by the windows of every subsystem.
// Other subsystems keep their own globals in their own headers. The globals
// that need no window are in DataGlobals.h.
#include "core/DataGlobals.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"

class QPrinter;

// The program's one common dialog: file, colour, font and printer dialogs and
// the help viewer, for every window.
extern CommonDialog cmDlg1;
// The main window's image list of small pictures of its own (the frames of
// the database tools' busy animation, "n_coca" and "l_coca").
extern ImageList ImageList1;
// The database password last typed in the password prompt of the compaction
// ("" when that prompt was cancelled); kept until the next prompt.
extern QString DbPassword;
// The printer all printing of the program uses; the printer set-up command
// changes it. Created on first use.
QPrinter *DefaultPrinter();

