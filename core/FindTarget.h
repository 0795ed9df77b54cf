#pragma once
// What a data window offers the find dialog: the data control whose records
// are searched and moved, and whether the window is entering a new record.
// Every data window the find dialog serves implements it (Q_INTERFACES), so
// the dialog reaches the window the registry gives with qobject_cast; a
// window without it is not searched (the find buttons do nothing).
#include <QObject>
#include <QtPlugin>

namespace data {
class DataControl;
}

class FindTarget {
public:
    virtual ~FindTarget() = default;
    virtual data::DataControl *findDataControl() const = 0;
    // True while the window is adding a new record (its cmdAdd is disabled).
    virtual bool findAdding() const { return false; }
};
#define VettaroFindTarget_iid "org.vettaro.FindTarget"
Q_DECLARE_INTERFACE(FindTarget, VettaroFindTarget_iid)
