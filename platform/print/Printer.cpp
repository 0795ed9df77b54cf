#include "platform/print/Printer.h"

#include "platform/error/VbError.h"
#include "platform/shell/FileWrite.h"

#include <QColor>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QPrinterInfo>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <unistd.h>

namespace {
// A PDF written whole: synced to disk, and the offset its trailer gives
// ("startxref") holds the cross-reference table. A write the PDF writer lost
// leaves the file shorter than its offsets, or without its trailer.
// *systemError is the errno of a failed sync, else 0.
bool PdfComplete(const QString &path, int *systemError)
{
    *systemError = 0;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    if (::fsync(f.handle()) != 0) {
        *systemError = errno;
        return false;
    }
    const qint64 size = f.size();
    const qint64 tailStart = std::max<qint64>(0, size - 64);
    if (!f.seek(tailStart))
        return false;
    const QByteArray tail = f.read(size - tailStart);
    const qsizetype at = tail.lastIndexOf("startxref");
    if (at < 0 || !tail.trimmed().endsWith("%%EOF"))
        return false;
    bool ok = false;
    const qint64 xref = tail.mid(at + 9).split('%').value(0).trimmed().toLongLong(&ok);
    if (!ok || xref < 0 || xref >= size || !f.seek(xref))
        return false;
    return f.read(4) == QByteArrayLiteral("xref");
}

QColor VbColour(uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

PrinterListProvider &ListProvider()
{
    static PrinterListProvider provider;
    return provider;
}

PdfFileChooser &Chooser()
{
    static PdfFileChooser chooser;
    return chooser;
}
} // namespace

PrinterListProvider SetPrinterListProvider(PrinterListProvider provider)
{
    PrinterListProvider old = std::move(ListProvider());
    ListProvider() = std::move(provider);
    return old;
}

QStringList InstalledPrinters()
{
    if (ListProvider())
        return ListProvider()();
    return QPrinterInfo::availablePrinterNames();
}

PdfFileChooser SetPdfFileChooser(PdfFileChooser chooser)
{
    PdfFileChooser old = std::move(Chooser());
    Chooser() = std::move(chooser);
    return old;
}

Printer::Printer() : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    m_printer->setFullPage(true);
    m_font = QFont(QStringLiteral("Arial"));
    m_font.setPointSizeF(10);
    ApplyScaleMode();
}

Printer::~Printer()
{
    if (m_painter && m_painter->isActive())
        m_painter->end();
    // A file not finished is removed by its writer, the old one left as it was.
    m_output.reset();
}

bool Printer::ChooseOutput(const QString &documentName)
{
    m_documentName = documentName;
    // Qt's printer turns itself into a PDF writer without a file name when no
    // printer is installed: only a file name set or chosen by someone counts.
    if (InDocument() || !m_chosenFile.isEmpty() || !m_printer->outputFileName().isEmpty())
        return true;
    if (!Chooser() || !InstalledPrinters().isEmpty())
        return true;
    const std::optional<QString> chosen = Chooser()(documentName);
    if (!chosen || chosen->isEmpty())
        return false;
    // Opened through the writer when the document starts; a file that cannot
    // be written then fails it with the printer error.
    m_chosenFile = QDir::isAbsolutePath(*chosen) ? *chosen : QDir::currentPath() + QLatin1Char('/') + *chosen;
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setDocName(documentName);
    return true;
}

bool Printer::OpenOutput(QString *why)
{
    if (why)
        why->clear();
    if (m_output)
        return true;
    // The chosen file, or the one set on the printer (by the program, or as
    // "print to file" in the printer dialog).
    const QString named = m_printer->outputFileName();
    const QString target = m_chosenFile.isEmpty() ? named : m_chosenFile;
    if (target.isEmpty()) {
        // Qt's printer with no printer installed is a PDF writer without a
        // file, which cannot start: said before anything is painted.
        return m_printer->outputFormat() != QPrinter::PdfFormat;
    }
    // The writer takes ".." on the folder it reaches, as the system does.
    auto output = std::make_unique<FileWrite::SafeFileWriter>(target);
    if (!output->open()) {
        if (why)
            *why = output->errorText();
        FinishOutputFile(false);
        return false;
    }
    // The PDF writer opens the writer's new file by its name and fills it;
    // the printer gets its own name back when the document ends.
    m_outputTarget = target;
    m_namedFile = named;
    m_printer->setOutputFileName(output->temporaryPath());
    m_output = std::move(output);
    return true;
}

bool Printer::FinishOutput(bool keep, QString *why)
{
    try {
        FinishOutputFile(keep);
    } catch (const VbError &e) {
        if (why)
            *why = e.Description();
        return false;
    }
    return true;
}

QString Printer::OutputFailure() const
{
    const QString target = !m_chosenFile.isEmpty() ? m_chosenFile
                           : m_output                ? m_outputTarget
                                                     : m_printer->outputFileName();
    if (target.isEmpty())
        return QString();
    // The PDF writer keeps its reason to itself: the folder the file goes to
    // tells it (missing, read-only, full, not writable).
    const files::Cause cause = FileWrite::CauseKey(target, 0, QString());
    if (cause == files::Cause::UnknownCause)
        return QString();
    return FileWrite::FailureText(target, cause);
}

void Printer::FinishOutputFile(bool keep)
{
    std::unique_ptr<FileWrite::SafeFileWriter> output = std::move(m_output);
    const bool chosen = !m_chosenFile.isEmpty();
    const QString target = chosen ? m_chosenFile : m_outputTarget;
    m_chosenFile.clear();
    m_outputTarget.clear();
    // A chosen file was for one document, after which the output goes back
    // to the system printer; a file set on the printer stays its output (the
    // PDF writer gets the writer's new file again when the next document
    // starts).
    if (chosen) {
        m_printer->setOutputFormat(QPrinter::NativeFormat);
        m_printer->setOutputFileName(QString());
    } else if (output) {
        m_printer->setOutputFileName(m_namedFile);
    }
    m_namedFile.clear();
    if (!output)
        return;
    if (!keep) {
        output->cancel();
        return;
    }
    // The PDF writer does not report a failed write (a full disk): the new
    // file is synced and must end in a cross-reference table where its
    // trailer says, which a file missing any piece does not. Only then does
    // the writer commit it, replacing an existing file in one step, so the
    // old one is kept whole until the new one is complete.
    int e = 0;
    QString why;
    if (!PdfComplete(output->temporaryPath(), &e))
        why = FileWrite::FailureText(target, FileWrite::Cause(target, e, QString()));   // judged while the new file still fills the disk
    else if (output->commit())
        return;
    else
        why = output->errorText();
    output->cancel();
    RaiseError(ErrPrinter, QStringLiteral("Printer error\n%1").arg(why));
}

void Printer::SetOutputFileName(const QString &path)
{
    if (m_output) {
        m_namedFile = path;   // the document under way keeps its file
        return;
    }
    if (path.isEmpty()) {
        m_printer->setOutputFormat(QPrinter::NativeFormat);
        m_printer->setOutputFileName(QString());
    } else {
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(path);
    }
}

QString Printer::OutputFileName() const
{
    return m_output ? m_namedFile : m_printer->outputFileName();
}

QPrinter &Printer::Device() { return *m_printer; }

int Printer::Orientation() const
{
    return m_printer->pageLayout().orientation() == QPageLayout::Landscape ? vbPRORLandscape
                                                                            : vbPRORPortrait;
}

void Printer::SetOrientation(int orientation)
{
    if (orientation != vbPRORPortrait && orientation != vbPRORLandscape)
        RaiseError(380, QStringLiteral("Invalid property value"));
    m_printer->setPageOrientation(orientation == vbPRORLandscape ? QPageLayout::Landscape
                                                                 : QPageLayout::Portrait);
    if (m_scaleMode != vbUser)
        ApplyScaleMode();
}

double Printer::Width() const
{
    return m_printer->pageLayout().fullRect(QPageLayout::Point).width() * 20.0;
}

double Printer::Height() const
{
    return m_printer->pageLayout().fullRect(QPageLayout::Point).height() * 20.0;
}

double Printer::DotsPerTwipX() const { return m_printer->resolution() / 1440.0; }
double Printer::DotsPerTwipY() const { return m_printer->resolution() / 1440.0; }

void Printer::ApplyScaleMode()
{
    m_scaleLeft = m_scaleTop = 0;
    switch (m_scaleMode) {
    case vbMillimeters:
        m_scaleWidth = Width() / 1440.0 * 25.4;
        m_scaleHeight = Height() / 1440.0 * 25.4;
        break;
    case vbPixels:
        m_scaleWidth = Width() * DotsPerTwipX();
        m_scaleHeight = Height() * DotsPerTwipY();
        break;
    default:
        m_scaleWidth = Width();
        m_scaleHeight = Height();
        break;
    }
}

void Printer::SetScaleMode(int mode)
{
    if (mode != vbTwips && mode != vbPixels && mode != vbMillimeters && mode != vbUser)
        RaiseError(380, QStringLiteral("Invalid property value"));
    m_scaleMode = mode;
    if (mode != vbUser)
        ApplyScaleMode();
}

void Printer::Scale(double x1, double y1, double x2, double y2)
{
    if (x2 == x1 || y2 == y1)
        RaiseError(VbErr::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
    m_scaleMode = vbUser;
    m_scaleLeft = x1;
    m_scaleTop = y1;
    m_scaleWidth = x2 - x1;
    m_scaleHeight = y2 - y1;
    CurrentX = x1;
    CurrentY = y1;
}

double Printer::DeviceW(double w) const { return w / m_scaleWidth * Width() * DotsPerTwipX(); }
double Printer::DeviceH(double h) const { return h / m_scaleHeight * Height() * DotsPerTwipY(); }
double Printer::DeviceX(double x) const { return DeviceW(x - m_scaleLeft); }
double Printer::DeviceY(double y) const { return DeviceH(y - m_scaleTop); }

void Printer::SetFontName(const QString &name)
{
    m_font.setFamily(name);
    if (m_painter && m_painter->isActive())
        m_painter->setFont(m_font);
}

void Printer::SetFontSize(double points)
{
    if (!(points > 0) || points > 2160)
        RaiseError(380, QStringLiteral("Invalid property value"));
    m_font.setPointSizeF(points);
    if (m_painter && m_painter->isActive())
        m_painter->setFont(m_font);
}

void Printer::SetFontBold(bool bold)
{
    m_font.setBold(bold);
    if (m_painter && m_painter->isActive())
        m_painter->setFont(m_font);
}

void Printer::SetFontItalic(bool italic)
{
    m_font.setItalic(italic);
    if (m_painter && m_painter->isActive())
        m_painter->setFont(m_font);
}

double Printer::TextWidth(const QString &text) const
{
    const QFontMetricsF fm(m_font, m_printer.get());
    double widest = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest / (Width() * DotsPerTwipX()) * m_scaleWidth;
}

double Printer::TextHeight(const QString &text) const
{
    const QFontMetricsF fm(m_font, m_printer.get());
    const int lines = int(text.count(QLatin1Char('\n'))) + 1;
    return fm.height() * lines / (Height() * DotsPerTwipY()) * m_scaleHeight;
}

bool Printer::InDocument() const { return m_painter && m_painter->isActive(); }

void Printer::Begin()
{
    if (InDocument())
        return;
    if (!ChooseOutput(m_documentName))
        RaiseError(VbErr::CancelError, QStringLiteral("Cancel was selected."));
    // The file is known to be writable before the painter starts on it.
    QString why;
    if (!OpenOutput(&why))
        RaiseError(ErrPrinter, why.isEmpty() ? QStringLiteral("Printer error") : QStringLiteral("Printer error\n") + why);
    if (!m_painter)
        m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_printer.get())) {
        // Why, on a line of its own, as the file's other failures are told.
        why = OutputFailure();
        FinishOutputFile(false);
        RaiseError(ErrPrinter, why.isEmpty() ? QStringLiteral("Printer error") : QStringLiteral("Printer error\n") + why);
    }
    m_painter->setFont(m_font);
    m_page = 1;
}

void Printer::Print(const QString &text, bool newLine)
{
    Begin();
    m_painter->setFont(m_font);
    m_painter->setPen(QPen(VbColour(ForeColor)));
    const QFontMetricsF fm(m_font, m_printer.get());
    const double x = DeviceX(CurrentX);
    const double y = DeviceY(CurrentY);
    m_painter->drawText(QPointF(x, y + fm.ascent()), text);
    if (newLine) {
        CurrentY += TextHeight(text);
        CurrentX = m_scaleLeft;
    } else {
        CurrentX += TextWidth(text);
    }
}

void Printer::Line(double x1, double y1, double x2, double y2, bool box, bool fill)
{
    Begin();
    QPen pen(VbColour(ForeColor));
    pen.setWidthF(DrawWidth);
    m_painter->setPen(pen);
    const QPointF a(DeviceX(x1), DeviceY(y1)), b(DeviceX(x2), DeviceY(y2));
    if (box) {
        const QRectF r = QRectF(a, b).normalized();
        if (fill)
            m_painter->fillRect(r, VbColour(ForeColor));
        else
            m_painter->drawRect(r);
    } else {
        m_painter->drawLine(a, b);
    }
    CurrentX = x2;
    CurrentY = y2;
}

void Printer::LineTo(double x2, double y2)
{
    Line(CurrentX, CurrentY, x2, y2);
}

void Printer::Circle(double x, double y, double radius)
{
    Begin();
    QPen pen(VbColour(ForeColor));
    pen.setWidthF(DrawWidth);
    m_painter->setPen(pen);
    m_painter->setBrush(Qt::NoBrush);
    const double rx = DeviceW(radius);
    m_painter->drawEllipse(QPointF(DeviceX(x), DeviceY(y)), std::fabs(rx), std::fabs(rx));
    CurrentX = x;
    CurrentY = y;
}

void Printer::PaintPicture(const QImage &image, double x, double y, double w, double h)
{
    Begin();
    const QRectF target = QRectF(QPointF(DeviceX(x), DeviceY(y)), QPointF(DeviceX(x + w), DeviceY(y + h))).normalized();
    m_painter->drawImage(target, image);
    CurrentX = x + w;
    CurrentY = y + h;
}

void Printer::NewPage()
{
    Begin();
    if (!m_printer->newPage())
        RaiseError(ErrPrinter, QStringLiteral("Printer error"));
    ++m_page;
    CurrentX = m_scaleLeft;
    CurrentY = m_scaleTop;
}

void Printer::EndDoc()
{
    // A PDF file is kept only when a document was drawn and is whole: a
    // writer that lost bytes (a full disk) fails the check and is reported.
    const bool drawn = InDocument();
    if (drawn)
        m_painter->end();
    m_page = 1;
    CurrentX = m_scaleLeft;
    CurrentY = m_scaleTop;
    m_documentName.clear();
    FinishOutputFile(drawn);
}

void Printer::KillDoc()
{
    if (InDocument()) {
        m_printer->abort();
        if (m_painter->isActive())
            m_painter->end();
    }
    m_page = 1;
    CurrentX = m_scaleLeft;
    CurrentY = m_scaleTop;
    m_documentName.clear();
    FinishOutputFile(false);
}

namespace {
Printer *g_sharedPrinter = nullptr;
}

Printer &SharedPrinter()
{
    if (!g_sharedPrinter) {
        g_sharedPrinter = new Printer;
        // Released with the application, while the font and print systems still exist.
        qAddPostRoutine([] {
            delete g_sharedPrinter;
            g_sharedPrinter = nullptr;
        });
    }
    return *g_sharedPrinter;
}
