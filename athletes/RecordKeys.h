#pragma once
// The record keys of the list and summary windows: Page Up and Page Down move
// the data control one record back or on, Home and End to the first or the
// last. Nothing moves with fewer than two records or past either end.
#include "core/RecordCounts.h"
#include "platform/data/DataControl.h"
#include "platform/error/VbError.h"
#include "platform/ui/Feedback.h"

#include <Qt>

inline void MoveByKey(data::DataControl &control, int32_t count, int key)
{
    dao::RecordsetPtr rs = control.recordset();
    if (count <= 1 || !rs)
        return;
    try {
        const int32_t pos = RecordPosition(rs, count);
        switch (key) {
        case Qt::Key_PageUp: if (pos >= 2) control.MovePrevious(); break;
        case Qt::Key_PageDown: if (pos >= 1 && pos < count) control.MoveNext(); break;
        case Qt::Key_Home: control.MoveFirst(); break;
        case Qt::Key_End: control.MoveLast(); break;
        default: break;
        }
    } catch (const VbError &e) {
        ShowDataError(e);
    }
}
