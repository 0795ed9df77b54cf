#pragma once
// The sample table of the recording window as a model: eleven columns (the
// sample's position, then time, distance, altitude, speed, pulse, cadence,
// temperature, power, balance and pedalling index), texts made as the view
// asks for them, in the user's locale.
#include "core/Race.h"

#include <QAbstractTableModel>
#include <QLocale>
#include <QStringList>

class RecordingTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordingTableModel(QObject *parent = nullptr);

    // Shows the samples (null: none) under the ten headers of columns 1 to 10.
    void setSamples(ColSamplePtr samples, const QStringList &headers);
    const ColSamplePtr &samples() const { return m_samples; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text of one cell; row from 0.
    QString cellText(int row, int column) const;
    // The cells of rows top..bottom and columns left..right: cells joined by
    // tabs, rows by carriage returns.
    QString rangeText(int top, int left, int bottom, int right) const;

    // The text of a cell of a sample at a position (from 1), in the locale.
    static QString CellText(const Sample &s, int position, int column, const QLocale &locale);

private:
    ColSamplePtr m_samples;
    QStringList m_headers;
};
