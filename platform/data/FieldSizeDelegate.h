#pragma once
// Cell editors of a grid over a RecordsetModel take at most what the column's
// text field holds, counted as the database counts characters, typed or
// pasted (TextLimits.h); a stored value longer than its field opens whole.
// Grids with editors of their own derive from it.
#include <QStyledItemDelegate>

namespace data {

class FieldSizeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
};

}
