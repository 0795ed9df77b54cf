#include "athletes/logic/TimeCards.h"

namespace TimeCards {

const Config &Config::Training()
{
    static const Config c = [] {
        Config c;
        c.kind = Kind::Training;
        c.formName = QStringLiteral("frmTempiAll");
        c.dataName = QStringLiteral("DataTAll");
        c.table = QStringLiteral("Tempi Allenamento");
        c.placeTable = QStringLiteral("Dati Percorsi");
        c.gears = false;
        c.textBase = 25000;
        c.texts = {{25000, "", 'C'},          {25001, "cmdDesc", 'C'},     {25002, "cmdClose", 'C'},
                   {25003, "cmdUpdate", 'C'}, {25004, "cmdRefresh", 'C'},  {25005, "cmdDelete", 'C'},
                   {25006, "cmdAdd", 'C'},    {25007, "Label2", 'C'},      {25008, "Label1", 'C'},
                   {25009, "lblLabels(3)", 'C'}, {25010, "lblLabels(2)", 'C'},
                   {25011, "lblLabels(1)", 'C'}, {25012, "lblLabels(0)", 'C'}};
        c.deleteQuestion = 25500;
        c.selectFromList = 25501;
        c.noteMore = 25502;
        c.noteHide = 25503;
        c.incomplete = 25504;
        return c;
    }();
    return c;
}

const Config &Config::Climb()
{
    static const Config c = [] {
        Config c;
        c.kind = Kind::Climb;
        c.formName = QStringLiteral("frmTempiSal");
        c.dataName = QStringLiteral("DataTSal");
        c.table = QStringLiteral("Tempi Salita");
        c.placeTable = QStringLiteral("Dati Salite");
        c.gears = true;
        c.textBase = 26000;
        c.texts = {{26000, "", 'C'},          {26001, "cmdDesc", 'C'},     {26004, "cmdClose", 'C'},
                   {26005, "cmdUpdate", 'C'}, {26002, "cmdRefresh", 'C'},  {26003, "cmdDelete", 'C'},
                   {26006, "cmdAdd", 'C'},    {26007, "Label2", 'C'},      {26008, "Label1", 'C'},
                   {26009, "lblLabels(5)", 'C'}, {26010, "lblLabels(4)", 'C'},
                   {26011, "lblLabels(3)", 'C'}, {26012, "lblLabels(2)", 'C'},
                   {26013, "lblLabels(1)", 'C'}, {26014, "lblLabels(0)", 'C'}};
        c.deleteQuestion = 26500;
        c.selectFromList = 26501;
        c.noteMore = 26502;
        c.noteHide = 26503;
        c.incomplete = 26504;
        return c;
    }();
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
