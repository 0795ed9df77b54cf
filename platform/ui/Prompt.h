#pragma once
// Message boxes and common dialogs. Every window asks through MsgBox and
// CommonDialog; both go through one replaceable PromptProvider, so tests
// install a ScriptedPromptProvider and no test ever waits on a real dialog.
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QFileDialog;
class QPrinter;
class QWidget;

// Message box styles (added together) and results.
namespace Vb {
constexpr int OKOnly = 0, OKCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5;
constexpr int Critical = 16, Question = 32, Exclamation = 48, Information = 64;
constexpr int DefaultButton2 = 256, DefaultButton3 = 512;
constexpr int OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7;
}

// What a file dialog is asked to show.
struct FileDialogRequest {
    QString title;
    QString filter;        // "desc|*.ext|desc2|*.a;*.b"
    int filterIndex = 1;   // 1-based
    QString defaultExt;    // without the dot
    QString initDir;
    QString fileName;      // proposed name (may hold a folder)
    int flags = 0;
    bool save = false;
};

struct FileDialogResult {
    QString fileName;      // full path (the first one with multiple selection)
    QStringList fileNames; // every chosen path, with multiple selection (flag 0x200)
    int filterIndex = 1;
};

// Flag of CommonDialog::Flags letting an open dialog take several files.
constexpr int MultiSelectFlag = 0x200;

// What a font dialog is asked to show: the font to start from (face, size,
// bold, italic, strike-through, underline) and its colour.
struct FontDialogRequest {
    QFont font;
    QColor color = QColor(0, 0, 0);
    bool effects = false;        // strike-through and underline offered
    bool colorOffered = false;   // the colour offered (and returned)
    bool scalableOnly = false;   // only scalable faces, as rotated text needs
};

// The font chosen; an invalid colour means the colour was not offered.
struct FontDialogResult {
    FontDialogResult() = default;
    FontDialogResult(const QFont &f, const QColor &c = QColor()) : font(f), color(c) {}
    QFont font;
    QColor color;
};

class PromptProvider {
public:
    virtual ~PromptProvider() = default;
    // Returns one of Vb::OK ... Vb::No.
    virtual int messageBox(const QString &text, int style, const QString &title) = 0;
    // nullopt when the user cancels.
    virtual std::optional<FileDialogResult> fileDialog(const FileDialogRequest &request) = 0;
    virtual std::optional<QColor> colorDialog(const QColor &initial) = 0;
    virtual std::optional<FontDialogResult> fontDialog(const FontDialogRequest &request) = 0;
    // A font with strike-through and underline, without colour.
    std::optional<QFont> fontDialog(const QFont &initial);
    // Printer set-up on the given printer; false when cancelled.
    virtual bool printerDialog(QPrinter *printer) = 0;
    // command: 3 contents, 0x105 search for keyword, 2 quit.
    virtual void help(const QString &helpFile, int command, const QString &keyword) = 0;
};

// The printer set-up dialog only keeps the choice: its confirming button reads
// OK (in the user's language) instead of the print dialog's "Print".
void UseSetupWording(class QDialog &printDialog);

// The provider in use; the default one shows real Qt dialogs.
PromptProvider &Prompts();
// Installs a provider (nullptr restores the real dialogs). Returns the previous one.
std::shared_ptr<PromptProvider> SetPromptProvider(std::shared_ptr<PromptProvider> provider);

// The product name shown as a message box's title when it has none of its own.
void SetPromptAppTitle(const QString &title);
QString PromptAppTitle();
// The window that owns the real dialogs (the main window).
void SetPromptParent(QWidget *parent);

// What the real provider does for ShowHelp: the main window installs a handler
// that shows its help pages. Returns the previous handler.
using HelpHandler = std::function<void(const QString &helpFile, int command, const QString &keyword)>;
HelpHandler SetHelpHandler(HelpHandler handler);

// Sets up a real file dialog for a request: accept mode, file mode (an open
// dialog takes only existing files unless the request offers to create one,
// flag 0x2000), overwrite question (0x2), filters, folder and proposed name.
void ConfigureFileDialog(QFileDialog &dialog, const FileDialogRequest &request);

// A saved name typed without extension completed as the system dialog did:
// with the extension of the chosen filter's first pattern ("*.jpg"), or
// defaultExt when that filter names none ("*.*").
QString CompleteSaveName(const QString &fileName, const QString &filter, int filterIndex, const QString &defaultExt);

// Qt name filters ("desc (*.ext)") of a "desc|*.ext|..." filter text.
QStringList QtNameFilters(const QString &filter);

int MsgBox(const QString &text, int style = Vb::OKOnly, const QString &title = QString());

// The paths a FileName of a multiple selection stands for: one part is one
// path; a folder and names become each name joined to the folder.
QStringList SplitMultiSelection(const QString &fileName);

// The common dialog control cmDlg1. ShowFont honours the flags 0x100
// (strike-through, underline and colour offered; without it Color and the two
// effects stay as they are) and 0x40000 (scalable faces only).
class CommonDialog {
public:
    QString DialogTitle;
    QString Filter;
    int FilterIndex = 1;
    QString DefaultExt;
    QString InitDir;
    int Flags = 0;
    QString FileName;
    QString FileTitle;      // the name part of FileName after a file dialog
    bool CancelError = true;
    int Color = 0;          // 24-bit RGB, red in the low byte
    QString FontName;
    double FontSize = 8.25;
    bool FontBold = false, FontItalic = false, FontUnderline = false, FontStrikethru = false;
    QString HelpFile;
    int HelpCommand = 0;
    QString HelpKey;
    QPrinter *Printer = nullptr;   // printer set up by ShowPrinter
    // The question ShowOpen asks when Flags offer to create a missing file
    // (0x2000) and the name chosen does not exist; "%1" stands for the name.
    // Yes returns the name, anything else shows the dialog again. Empty: no
    // question, the name is returned.
    QString CreatePromptText;

    // With MultiSelectFlag and several files chosen, ShowOpen leaves in FileName
    // the folder followed by the file names, each part separated by a NUL
    // character (one file chosen: its path, as without the flag).
    // Each throws VbError(32755) on cancel when CancelError is set,
    // otherwise returns leaving the properties unchanged.
    void ShowOpen();
    void ShowSave();
    void ShowColor();
    void ShowFont();
    void ShowPrinter();
    void ShowHelp();
};

// A provider that answers from a script, for tests. Unscripted questions get
// the first button (OK / Yes) and cancelled dialogs; every prompt is recorded.
class ScriptedPromptProvider : public PromptProvider {
public:
    struct Shown {
        QString kind;      // "msgbox", "open", "save", "color", "font", "printer", "help"
        QString text;      // message text or dialog title
        int style = 0;
        QString title;
        FileDialogRequest request;
        FontDialogRequest font;
    };

    std::deque<int> answers;                           // message box results
    std::deque<std::optional<QString>> files;          // file dialog answers (nullopt = cancel);
                                                       // several full paths separated by NUL
                                                       // answer a multiple selection
    std::deque<int> filterIndexes;                     // filter chosen with each answered file dialog
                                                       // (none left: the one the dialog preselected)
    std::deque<std::optional<QColor>> colors;
    // Font answers: a QFont alone keeps the colour, {font, colour} picks one.
    std::deque<std::optional<FontDialogResult>> fonts;
    std::deque<bool> printers;
    // What a confirmed printer dialog changes on the printer (orientation ...).
    std::function<void(QPrinter *)> printerChoice;
    std::vector<Shown> shown;

    int messageBox(const QString &text, int style, const QString &title) override;
    std::optional<FileDialogResult> fileDialog(const FileDialogRequest &request) override;
    std::optional<QColor> colorDialog(const QColor &initial) override;
    using PromptProvider::fontDialog;
    std::optional<FontDialogResult> fontDialog(const FontDialogRequest &request) override;
    bool printerDialog(QPrinter *printer) override;
    void help(const QString &helpFile, int command, const QString &keyword) override;

    // Texts of the message boxes shown so far.
    QStringList messages() const;
};
