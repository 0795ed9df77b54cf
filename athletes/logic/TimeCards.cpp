#include "athletes/logic/TimeCards.h"

#include <algorithm>
#include <iterator>

namespace TimeCards {

namespace {

// The window captions of the two cards: control, its text number on the
// training-time card and on the climb-time card (0: the card has no such
// control). The climb-time card numbers its buttons in another order and has
// two more labels, chainring and sprocket.
struct Caption {
    const char *control;
    int training;
    int climb;
};
constexpr Caption kCaptions[] = {
    {"", 25000, 26000},           {"cmdDesc", 25001, 26001},     {"cmdClose", 25002, 26004},
    {"cmdUpdate", 25003, 26005},  {"cmdRefresh", 25004, 26002},  {"cmdDelete", 25005, 26003},
    {"cmdAdd", 25006, 26006},     {"Label2", 25007, 26007},      {"Label1", 25008, 26008},
    {"lblLabels(5)", 0, 26009},   {"lblLabels(4)", 0, 26010},    {"lblLabels(3)", 25009, 26011},
    {"lblLabels(2)", 25010, 26012}, {"lblLabels(1)", 25011, 26013}, {"lblLabels(0)", 25012, 26014}};

// What the two cards differ in; Make builds either from its row.
struct Card {
    Kind kind;
    const char *formName;
    const char *dataName;
    const char *table;
    const char *placeTable;
    bool gears;
    int textBase;   // the messages are textBase + 500 ...
};

constexpr Card kCards[] = {
    {Kind::Training, "frmTempiAll", "DataTAll", "Tempi Allenamento", "Dati Percorsi", false, 25000},
    {Kind::Climb, "frmTempiSal", "DataTSal", "Tempi Salita", "Dati Salite", true, 26000},
};

Config Make(Kind kind)
{
    const Card &card = *std::find_if(std::begin(kCards), std::end(kCards), [kind](const Card &r) { return r.kind == kind; });
    Config c;
    c.kind = card.kind;
    c.formName = QString::fromUtf8(card.formName);
    c.dataName = QString::fromUtf8(card.dataName);
    c.table = QString::fromUtf8(card.table);
    c.placeTable = QString::fromUtf8(card.placeTable);
    c.gears = card.gears;
    c.textBase = card.textBase;
    for (const Caption &caption : kCaptions) {
        const int number = kind == Kind::Climb ? caption.climb : caption.training;
        if (number != 0)
            c.texts.push_back({number, caption.control, 'C'});
    }
    const int messages = card.textBase + 500;
    c.deleteQuestion = messages;
    c.selectFromList = messages + 1;
    c.noteMore = messages + 2;
    c.noteHide = messages + 3;
    c.incomplete = messages + 4;
    c.timeRefused = messages + 5;
    c.gearRefused = card.gears ? messages + 6 : 0;
    return c;
}

} // namespace

const Config &Config::Training()
{
    static const Config c = Make(Kind::Training);
    return c;
}

const Config &Config::Climb()
{
    static const Config c = Make(Kind::Climb);
    return c;
}

Field FirstMissing(Kind kind, const Entry &e)
{
    if (e.athlete.isEmpty() || !e.athleteListed)
        return Field::Athlete;
    if (e.place.isEmpty() || !e.placeListed)
        return Field::Place;
    if (e.time.isEmpty())
        return Field::Time;
    if (kind == Kind::Climb) {
        if (e.front.isEmpty())
            return Field::Front;
        if (e.rear.isEmpty())
            return Field::Rear;
    }
    return Field::None;
}

} // namespace TimeCards
