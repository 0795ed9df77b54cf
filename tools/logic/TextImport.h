#pragma once
// Importing text profile files (one climb or route each) into a database file,
// all files in one transaction on the destination, on the same callbacks and
// result as the database import.
#include "records/TextProfile.h"
#include "tools/logic/ImportEngine.h"

#include <optional>

namespace TextImport {

// Reads one file: the record, or nothing for a file of another program (it is
// skipped and not counted). Throws VbError for a broken profile: the run then
// fails and nothing of it is kept.
using Reader = std::function<std::optional<TextProfileRecord>(const QString &path)>;

// The reader of the program's files: the signature in [Prog] Name tells a
// profile ("Vettaro-V4" or "vettaro", any case) from another program's file;
// a profile that cannot be read throws, naming what is wrong.
// A file larger than the text profile cap is refused before it is read.
std::optional<TextProfileRecord> ReadProfileFile(const QString &path);
// Whether the bytes carry a profile's signature in [Prog] Name.
bool HasProfileSignature(const QByteArray &bytes);

struct Result : ImportEngine::Result {
    QString failedFile;        // Failed while reading or storing this file
};

// overwrite: an existing card's samples are replaced by the file's (the card
// itself never changes). progress gets the files done and the file count.
Result Import(dao::Database &destination, const QStringList &files, bool overwrite, const Reader &read,
              const ImportEngine::Callbacks &callbacks);

} // namespace TextImport
