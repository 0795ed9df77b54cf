#pragma once
// The XML races file: one route or climb with its altitude samples, carried
// between installations. The writer exports a record of the open database,
// the reader fills a Race from a file or a web address, and the import stores
// what was read as a new record.
#include "core/Race.h"

#include <QString>

namespace xml {
class XmlDocument;
class XmlNode;
}

// Result codes of ReadRaceXml, ImportRaceXml and SaveRacesToDb.
namespace RaceXmlResult {
constexpr int Ok = 0;
constexpr int NoConnection = 1;     // a web address while off line, or a failure of the import itself
constexpr int NotLoaded = 2;        // the source names nothing that can be loaded
constexpr int Invalid = 3;          // not well formed, missing file, server error
constexpr int TimeOut = 4;          // not complete within the time-out
constexpr int XmlError = 5;         // no race element, a sample of fewer than two children, a bad number
constexpr int DatabaseError = 6;    // the database refused a statement (nothing of that race kept)
constexpr int AlreadyPresent = 7;   // a race of that name exists; the user has been told
}

// Asks for a file and writes the route (Kind "tour") or climb (Kind "climb")
// named Id, with its samples, from the open database. Values are escaped and
// numbers written in the user's locale form; the file is UTF-8 and says so.
// Cancelling writes nothing; a record without samples is refused with
// message 28002 and leaves an existing file as it was; other failures show
// the shared data-error message and leave no partial file.
void WriteXmlProfile(const QString &Id, const QString &Kind);

// Reads the first race of a races file or web address into Target, waiting at
// most TimeoutSeconds for a web address to load (the user interface stays
// live meanwhile). Returns a RaceXmlResult code. Only web addresses need the
// computer to be on line.
int ReadRaceXml(const QString &Source, Race &Target, float TimeoutSeconds);
// The part of ReadRaceXml that reads a loaded document: Invalid when it did not
// parse, else as ReadRaceXml.
int ReadRaceXmlDocument(const xml::XmlDocument &doc, Race &Target);

// The named attribute of node, or defaultValue when it has none (or node is null).
QString GetXmlAttr(const xml::XmlNode *node, const QString &name, const QString &defaultValue);
// Text of the first node that path selects from node, or defaultValue when none.
QString GetXmlNodeText(const xml::XmlNode *node, const QString &path, const QString &defaultValue);

// Reads Source (30 s time-out) and stores the race read. RaceName receives the
// race's name whatever the result. Returns a RaceXmlResult code.
int ImportRaceXml(const QString &Source, QString &RaceName);

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
