#pragma once

#include "platform/data/RecordsetModel.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QMetaObject>
#include <QObject>
#include <QPersistentModelIndex>

namespace data {

// Writes a grid's pending row when the current cell leaves it, as a bound grid
// does. A refused row (its rules have told the user why) takes the grid back
// to it; while the grid is being put back, returning() is true, so nothing is
// checked or told twice. Lives as a child of the grid.
class RowCommitOnLeave : public QObject {
public:
    RowCommitOnLeave(QAbstractItemView *grid, RecordsetModel *model) : QObject(grid)
    {
        connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this, grid, model](const QModelIndex &, const QModelIndex &previous) {
                    if (m_returning || !previous.isValid() || model->pendingRow() != previous.row())
                        return;
                    if (model->CommitRow())
                        return;
                    m_returning = true;
                    const QPersistentModelIndex back = model->index(previous.row(), previous.column());
                    QMetaObject::invokeMethod(
                        this,
                        [this, grid, back] {
                            if (back.isValid())
                                grid->setCurrentIndex(back);
                            m_returning = false;
                        },
                        Qt::QueuedConnection);
                });
    }
    bool returning() const { return m_returning; }

private:
    bool m_returning = false;
};

}
