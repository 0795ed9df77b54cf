#pragma once
// Grid cells over a RecordsetModel: times show as the database keeps them,
// hh:mm:ss, without milliseconds.
#include "platform/data/RecordsetModel.h"

#include <QStyledItemDelegate>
#include <QTime>

class GridTimeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (const auto *model = qobject_cast<const data::RecordsetModel *>(index.model())) {
            const QVariant v = model->value(index.row(), index.column());
            if (v.typeId() == QMetaType::QTime)
                option->text = v.toTime().toString(QStringLiteral("hh:mm:ss"));
        }
    }
};
