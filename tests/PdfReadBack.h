#pragma once
// Reading printed pages back in tests: the shared printer's output sent to a
// PDF file for a scope, and the file's text or words with their boxes as
// pdftotext gives them.
#include "platform/print/Printer.h"

#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace PdfReadBack {

// Puts the shared printer's output into a PDF file for the object's length.
class Output {
public:
    explicit Output(const QString &path) : m_old(SharedPrinter().OutputFileName())
    {
        SharedPrinter().SetOutputFileName(path);
    }
    ~Output() { SharedPrinter().SetOutputFileName(m_old); }
    Output(const Output &) = delete;
    Output &operator=(const Output &) = delete;

private:
    QString m_old;
};

// pdftotext's text of the file, with its options (none: in reading order).
inline QString Text(const QString &pdf, const QStringList &options = {QStringLiteral("-layout")})
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), QStringList(options) << pdf << QStringLiteral("-"));
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Every run of white space made one blank, so words can be looked for
// whatever the layout.
inline QString Flat(const QString &text)
{
    return QString(text).replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
}

struct Word {
    QString text;
    double x0, y0, x1, y1;   // points from the page's top left
};

// The words of the file with their boxes, and the first page's size.
inline QList<Word> Words(const QString &pdf, QSizeF *page = nullptr)
{
    const QString html = Text(pdf, {QStringLiteral("-bbox")});
    if (page) {
        const auto m = QRegularExpression(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\"")).match(html);
        *page = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    QList<Word> words;
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.push_back({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                         m.captured(4).toDouble()});
    }
    return words;
}

} // namespace PdfReadBack
