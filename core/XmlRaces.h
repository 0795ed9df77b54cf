#pragma once
// The commands of the XML races file: the export of a record of the open
// database to a file the user chooses, and the import that stores what was
// read as a new record. The file itself is read and written by RaceXmlFile.h.
#include "core/RaceXmlFile.h"

#include <QString>

// Asks for a file and writes the route (Kind "tour") or climb (Kind "climb")
// named Id, with its samples, from the open database. Values are escaped and
// numbers written in the user's locale form; the file is UTF-8 and says so.
// Cancelling writes nothing; a record without samples is refused with
// message 28002 and leaves an existing file as it was; other failures show
// the shared data-error message and leave no partial file.
void WriteXmlProfile(const QString &Id, const QString &Kind);

// Reads Source, waiting at most TimeoutSeconds for a web address to load, and
// stores the race read. RaceName receives the race's name whatever the result.
// Returns a RaceXmlResult code.
// An error raised on the way is shown (ShowDataError) and gives Reported.
int ImportRaceXml(const QString &Source, QString &RaceName, double TimeoutSeconds = 30.0);

// The refusal of a races file larger than the cap, in the user's language.
QString RaceXmlTooLargeText();

// Stores each race of Races, in order, as a new record with its samples, each
// race in one transaction of CurrentDb. A race whose name is present already
// is not stored and the user is told (message 549). Returns 0; 7 when at least
// one race was already present; 6 after a database error, which is shown with
// the shared data-error message and leaves nothing of the failing race (races
// stored before it stay).
int SaveRacesToDb(ColRace &Races);

// The main window's XML import command: asks for a file, imports it under the
// hourglass and reports the outcome (messages 527 to 533).
void RunXmlImport();
