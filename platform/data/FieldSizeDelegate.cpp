#include "platform/data/FieldSizeDelegate.h"

#include "platform/data/RecordsetModel.h"
#include "platform/data/TextLimits.h"

#include <QLineEdit>

namespace data {

namespace {
int FieldSize(const QModelIndex &index)
{
    return index.data(RecordsetModel::TextSizeRole).toInt();
}
}

QWidget *FieldSizeDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                         const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        LimitText(line, FieldSize(index));
    return editor;
}

void FieldSizeDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    // The limit first, so that the value it is given is never cut.
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        const QString value = index.data(Qt::EditRole).toString();
        if (line->maxLength() < value.size())
            line->setMaxLength(int(value.size()));
        LimitText(line, TextLimitFor(FieldSize(index), value));
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

}
