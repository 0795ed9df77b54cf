#pragma once
// The printer object the program draws its cards and profiles on: a page with a
// user scale, a current position, a current font, text metrics, text, lines,
// boxes and circles, new page, end of document and kill document. It draws on a
// QPrinter; with an output file name set it writes a PDF file instead.
//
// A document starts with the first drawing operation and ends with EndDoc
// (printed) or KillDoc (discarded). Positions and sizes are in scale units:
// twips (1/1440 inch) by default, millimetres with ScaleMode 6, or the units of
// a Scale(x1, y1, x2, y2) call. (0, 0) of the twip and millimetre scales is the
// top-left corner of the sheet.
//
// On a machine without any printer installed, a document meant for the system
// printer goes to a PDF file instead: before the document starts, the installed
// file chooser is asked for the file (ChooseOutput). A PDF file, chosen or set,
// is written through the file writer (FileWrite::SafeFileWriter): the writer's
// new file is opened before anything is painted, so a file that cannot be
// written fails the document with the writer's reason; the PDF writer fills
// that new file, which takes the file's name only when the document ends
// whole, so a failed or discarded print leaves nothing half-written behind.
#include <QFont>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QImage;
class QPrinter;
class QPainter;
namespace FileWrite {
class SafeFileWriter;
}

class Printer {
public:
    enum ScaleModes { vbUser = 0, vbTwips = 1, vbPixels = 3, vbMillimeters = 6 };
    enum Orientations { vbPRORPortrait = 1, vbPRORLandscape = 2 };
    static constexpr int ErrPrinter = 482;   // "Printer error"

    Printer();
    ~Printer();
    Printer(const Printer &) = delete;
    Printer &operator=(const Printer &) = delete;

    // Where the output goes: a PDF file, or (empty name) the system printer.
    void SetOutputFileName(const QString &path);
    QString OutputFileName() const;
    QPrinter &Device();

    // Called before a document, with the name of what is printed (proposed as
    // the file's name). When the output is the system printer and none is
    // installed, asks the file chooser for a PDF file to print to for this one
    // document. False when the user cancelled: nothing is to be printed. The
    // first drawing operation asks by itself when nobody did, and throws
    // VbError CancelError on a cancel.
    bool ChooseOutput(const QString &documentName);
    // For a document drawn on Device() by someone else, after ChooseOutput
    // and before the drawing starts: opens the file (chosen, or set on the
    // printer by the program or its dialog) through the file writer and
    // gives the PDF writer its new file. False
    // when the file cannot be written, with *why in the writer's words
    // ("Path/File access error: folder not found: '<file>'"), or when Qt's
    // printer is a PDF writer without a file (no printer installed, none
    // chosen; *why empty); a chosen file is then let go, so the next print
    // asks again. Nothing is painted, so Qt says nothing on the terminal.
    bool OpenOutput(QString *why = nullptr);
    // For a document drawn on Device() by someone else after OpenOutput:
    // the chosen (or set) file takes its name (keep) or is left as it was.
    // Nothing happens when no file was opened. False when the file is
    // incomplete (a failed write) or could not take its name; *why then says
    // why.
    bool FinishOutput(bool keep, QString *why = nullptr);
    // Why the output cannot be written, for a document that failed on it: for
    // a PDF file, the file writer's words with the file's name ("Path/File
    // access error: folder not found: '<file>'"); empty for the system
    // printer, or when nothing about the file explains the failure.
    QString OutputFailure() const;

    // Page.
    int Orientation() const;
    void SetOrientation(int orientation);      // 1 portrait, 2 landscape
    double Width() const;                      // sheet width in twips
    double Height() const;                     // sheet height in twips
    int Page() const { return m_page; }        // 1-based number of the current page

    // Scale.
    int ScaleMode() const { return m_scaleMode; }
    void SetScaleMode(int mode);               // 1 twips, 3 pixels, 6 millimetres
    void Scale(double x1, double y1, double x2, double y2);  // user scale, ScaleMode 0
    double ScaleLeft() const { return m_scaleLeft; }
    double ScaleTop() const { return m_scaleTop; }
    double ScaleWidth() const { return m_scaleWidth; }
    double ScaleHeight() const { return m_scaleHeight; }

    // Position and drawing state.
    double CurrentX = 0;
    double CurrentY = 0;
    uint32_t ForeColor = 0;                    // RGB, red in the low byte
    int DrawWidth = 1;                         // pen width in device dots

    // Font.
    QString FontName() const { return m_font.family(); }
    void SetFontName(const QString &name);
    double FontSize() const { return m_font.pointSizeF(); }
    void SetFontSize(double points);
    bool FontBold() const { return m_font.bold(); }
    void SetFontBold(bool bold);
    bool FontItalic() const { return m_font.italic(); }
    void SetFontItalic(bool italic);
    QFont Font() const { return m_font; }

    // Text metrics in scale units.
    double TextWidth(const QString &text) const;
    double TextHeight(const QString &text = QStringLiteral("Z")) const;

    // Prints text with its top at (CurrentX, CurrentY). With newLine the position
    // moves to the start of the next line, else CurrentX moves past the text.
    void Print(const QString &text, bool newLine = true);
    // Line from (x1, y1) to (x2, y2); the current position becomes (x2, y2).
    // box: the rectangle with those corners instead, filled when fill is true.
    void Line(double x1, double y1, double x2, double y2, bool box = false, bool fill = false);
    // Line from the current position to (x2, y2).
    void LineTo(double x2, double y2);
    void Circle(double x, double y, double radius);
    // Paints a picture stretched into the rectangle (x, y, w, h).
    void PaintPicture(const QImage &image, double x, double y, double w, double h);

    void NewPage();
    void EndDoc();     // finishes the document; nothing happens when none is open
    void KillDoc();    // discards the open document (a PDF file is removed)
    bool InDocument() const;

private:
    void Begin();
    // Ends a print to a PDF file: the file takes its name (keep) or is left as
    // it was; after a chosen file the output goes back to the system printer.
    void FinishOutputFile(bool keep);
    void ApplyScaleMode();
    double DeviceX(double x) const;
    double DeviceY(double y) const;
    double DeviceW(double w) const;
    double DeviceH(double h) const;
    double DotsPerTwipX() const;
    double DotsPerTwipY() const;

    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    QFont m_font;
    int m_scaleMode = vbTwips;
    double m_scaleLeft = 0, m_scaleTop = 0, m_scaleWidth = 0, m_scaleHeight = 0;
    int m_page = 1;
    QString m_documentName;
    QString m_chosenFile;    // the PDF file chosen for the document under way
    QString m_outputTarget;  // the file the writer below writes
    QString m_namedFile;     // the printer's own file name, given back after the document
    // The writer of the PDF file of the document under way.
    std::unique_ptr<FileWrite::SafeFileWriter> m_output;
};

// The one printer of the program.
Printer &SharedPrinter();

// The names of the installed printers. Tests replace the list; nullptr
// restores the system's. Returns the previous provider.
using PrinterListProvider = std::function<QStringList()>;
PrinterListProvider SetPrinterListProvider(PrinterListProvider provider);
QStringList InstalledPrinters();

// Asks for the PDF file a print goes to when no printer is installed: gets the
// name of what is printed, returns the full path chosen or nothing when the
// user cancels. Without a chooser such a print fails as the printer does.
// Returns the previous chooser.
using PdfFileChooser = std::function<std::optional<QString>(const QString &documentName)>;
PdfFileChooser SetPdfFileChooser(PdfFileChooser chooser);
