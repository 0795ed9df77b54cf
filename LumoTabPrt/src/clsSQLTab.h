#pragma once
// Table layout of a row source: one column per field, a head row of field
// names repeated on every page, one row per record, page breaks; recorded
// through a clsImpaginatore. The rows are read once, into the layout's own
// buffer, while the column widths are fitted: no cursor is read twice.
#include "LumoTabPrt/src/LumoExport.h"
#include "LumoTabPrt/src/LumoTabPrt.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVector>

class clsImpaginatore;

class LUMOTABPRT_EXPORT clsSQLTab {
public:
    // Lays out every row of rs under the head lines of title. Done when the
    // whole table is laid out; Empty without rows or columns; Cancelled when
    // the host said so; LayoutError with Message() otherwise.
    lumo::JobStatus AttuatoreStampa_SQL(clsImpaginatore &layout, lumo::RowCursor &rs, const QString &title);
    QString Message() const { return m_message; }

    // The printed text of a value (without the leading blank), numbers in locale's form.
    static QString FormatValue(const QVariant &value, lumo::ColType type, const QLocale &locale = QLocale());
    // A text cut at CR LF, lone CR and lone LF.
    static QStringList SplitLines(const QString &text);
    static bool RightAligned(lumo::ColType type);
    // Whether values of the type may wrap over more lines (texts); numbers,
    // dates and times are never broken.
    static bool Wraps(lumo::ColType type);

    // Host asked every this many records while the widths are fitted, and
    // every this many rows once they are laid out.
    static constexpr int FitCancelEvery = 31;
    static constexpr int RowCancelEvery = 6;

private:
    struct Cell {
        QString text;     // with its leading blank; lines joined by '\n'
        float width = 0;  // widest line
        qint32 lines = 1;
    };
    bool ReadAndMeasure(clsImpaginatore &layout, lumo::RowCursor &rs, QVector<QVariant> &first);
    // Widths a column asks for, from the most comfortable to the least.
    struct Needs {
        double want = 0;    // its values at the six-digit starting width, its name whole
        double whole = 0;   // every value and the name on one line
        double ideal = 0;   // as whole, a long text wrapping (decides the sheet's orientation)
        double words = 0;   // texts wrapping at their blanks, no word broken
        double values = 0;  // as words, a heading broken inside its words
        double least = 0;   // texts broken inside long words too
    };
    void MeasureNames(clsImpaginatore &layout);
    QVector<Needs> ColumnNeeds(clsImpaginatore &layout) const;
    bool FitColumns(clsImpaginatore &layout);
    // Cells and names wider than their columns cut into lines.
    void WrapCells(clsImpaginatore &layout);
    void PrintHeadRow(clsImpaginatore &layout);
    // Lines [from, to) of row r, framed; then the next row's line.
    void PrintRowSlice(clsImpaginatore &layout, qint32 r, qint32 from, qint32 to);
    bool AskCancel();

    lumo::JobHost *m_host = nullptr;
    QString m_message;
    lumo::JobStatus m_stop = lumo::JobStatus::Done;
    QVector<lumo::Column> m_columns;
    QVector<double> m_widths;
    QVector<double> m_content;   // widest value of each column, without the starting width
    QVector<double> m_word;      // widest piece of each column a value cannot be broken at
    QVector<double> m_nameWidth, m_nameWord;   // each column's name, whole and its widest word (bold)
    QVector<QStringList> m_headParts;          // each column's name as printed, line by line
    qint32 m_headRowLines = 1;
    QVector<Cell> m_cells;   // row-major
    QVector<qint32> m_rowLines;
};
