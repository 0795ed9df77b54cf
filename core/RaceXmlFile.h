#pragma once
// The XML races file: one route or climb with its altitude samples, carried
// between installations. The writer gives the file of a record of the open
// database, the reader fills a Race from a file or a web address.
#include "core/Race.h"

#include <QByteArray>
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
constexpr int XmlError = 5;         // no race element, a sample of fewer than two children, a bad number,
                                    // more attributes, levels or elements than the reader takes
constexpr int DatabaseError = 6;    // the database refused a statement (nothing of that race kept)
constexpr int AlreadyPresent = 7;   // a race of that name exists; the user has been told
constexpr int TooLarge = 8;         // larger than the XML document cap; refused before being read
constexpr int Reported = 9;         // another failure, whose reason the user has been told
}

// The races file of the route (Kind "tour") or climb (Kind "climb") named Id
// of the open database, with its sampleCount samples. Values are escaped and
// numbers written in the user's locale form; the file is UTF-8 and says so.
// Throws VbError.
QByteArray raceXmlData(const QString &Id, const QString &Kind, int sampleCount);

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
