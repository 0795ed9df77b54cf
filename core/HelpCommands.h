#pragma once
// The Help menu's commands: the help pages (contents, search, quick help) in
// one help window of the main window, and the links to the program's home
// page and author.
#include <QString>

class QWidget;

// The addresses the program links to.
QString HomePageAddress();
QString MailAddress();
QString WebImportAddress();
// The mail link to the author: "mailto:", the address and the subject.
QString MailLink();
// Asks the desktop to open a link. A failure is told with the message of its
// kind: noAssocId (no program for it), memoryId (out of memory) or otherId;
// an error on the way is shown with ShowDataError.
void OpenLink(const QString &target, int noAssocId, int memoryId, int otherId);

// The help pages at their contents, or at their search.
void ShowHelpContents();
void ShowHelpSearch();
// Opens the home page, or a mail to the author, telling a failure.
void OpenHomePage();
void WriteMailToAuthor();

// The help pages of helpFile's folder in the help window of owner, made on
// first use: command 3 the contents, 0x105 the search (keyword prefilled),
// HelpWindow::QuickHelpCommand the page on the toolbars and commands; 2
// closes the window.
void ShowHelpPages(QWidget *owner, const QString &helpFile, int command, const QString &keyword);
// The page on the toolbars and commands, from the help file of cmDlg1 (or
// the program's own help folder when none is set).
void ShowQuickHelp(QWidget *owner);
