#include "recordings/RecordingTableModel.h"

#include "core/TimeFormat.h"
#include "platform/shell/Shell.h"

RecordingTableModel::RecordingTableModel(QObject *parent) : QAbstractTableModel(parent) {}

void RecordingTableModel::setSamples(ColSamplePtr samples, const QStringList &headers)
{
    beginResetModel();
    m_samples = std::move(samples);
    m_headers = headers;
    endResetModel();
}

int RecordingTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_samples ? 0 : m_samples->Count();
}

int RecordingTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 11;
}

QString RecordingTableModel::CellText(const Sample &s, int position, int column, const QLocale &locale)
{
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    switch (column) {
    case 0:
        return QString::number(position);
    case 1:
        return FormatSeconds(s.Seconds());
    case 2:
        return Shell::NumberText(l, double(s.Distance()), 'f', 2);
    case 3:
        return l.toString(int(s.Height()));
    case 4:
        return Shell::NumberText(l, double(s.Speed()), 'f', 2);
    case 5:
        return l.toString(int(s.Pulse()));
    case 6:
        return l.toString(int(s.Cadence()));
    case 7:
        return Shell::NumberText(l, double(s.Temperature()), 'g', 7);
    case 8:
        return l.toString(int(s.Power()));
    case 9:
        return l.toString(int(s.PowerBalance()));
    case 10:
        return l.toString(int(s.PedalingIndex()));
    }
    return QString();
}

QString RecordingTableModel::cellText(int row, int column) const
{
    if (!m_samples || row < 0 || row >= m_samples->Count() || column < 0 || column > 10)
        return QString();
    return CellText(*m_samples->Item(row + 1), row + 1, column, QLocale());
}

QVariant RecordingTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return {};
}

QVariant RecordingTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 1 || section > 10)
        return QString();
    // A header wraps only at its blanks: a word joiner after each slash keeps
    // a unit such as "[S/min]" on one line.
    QString header = m_headers.value(section - 1);
    header.replace(QLatin1Char('/'), QStringLiteral("/\u2060"));
    return header;
}

QString RecordingTableModel::rangeText(int top, int left, int bottom, int right) const
{
    QStringList rows;
    for (int r = top; r <= bottom; ++r) {
        QStringList cells;
        for (int c = left; c <= right; ++c)
            cells << cellText(r, c);
        rows << cells.join(QLatin1Char('\t'));
    }
    return rows.join(QLatin1Char('\r'));
}
