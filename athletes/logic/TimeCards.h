#pragma once
// The training-time and climb-time cards are one window with two setups:
// Config holds everything in which the climb-time card differs, and Confirm's
// checks.
#include <QString>
#include <vector>

namespace TimeCards {

enum class Kind { Training, Climb };

struct Config {
    Kind kind = Kind::Training;
    QString formName;        // "frmTempiAll" / "frmTempiSal"
    QString dataName;        // "DataTAll" / "DataTSal"
    QString table;           // the times table
    QString placeTable;      // routes or climbs
    bool gears = false;      // chainring and sprocket fields
    int textBase = 25000;    // 25000 / 26000
    // Window texts: number, control name, 'C' caption, 'T' tool tip.
    struct Text {
        int number;
        const char *control;
        char property;
    };
    std::vector<Text> texts;
    // Runtime texts.
    int deleteQuestion = 0;
    int selectFromList = 0;
    int noteMore = 0;
    int noteHide = 0;
    int incomplete = 0;
    int timeRefused = 0;     // a time the field cannot read, not stored
    int gearRefused = 0;     // climb only: "%1" = the gear's label

    static const Config &Training();
    static const Config &Climb();
};

// What Confirm checks, as the card's controls hold it.
struct Entry {
    QString athlete;          // combo text
    bool athleteListed = false;  // one of the combo's entries is selected
    QString place;            // route or climb combo text
    bool placeListed = false;
    QString time;
    QString front;            // climb only
    QString rear;             // climb only
};

enum class Field { None, Athlete, Place, Time, Front, Rear };

// The first field that keeps the row from being stored, in the order athlete,
// route (climb), time and, on the climb-time card, chainring and sprocket;
// Field::None when the row may be stored.
Field FirstMissing(Kind kind, const Entry &entry);

} // namespace TimeCards
