#pragma once
// What a data window offers the find dialog: the data control whose records
// are searched and moved, and whether the window is entering a new record.
// A window that does not implement it is reached by the object names of its
// controls (its data control by name, its cmdAdd button).
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
