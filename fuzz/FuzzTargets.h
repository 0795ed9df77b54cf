#pragma once
// The fuzz entry points: each takes arbitrary bytes and runs one reader of
// outside input on them. They are plain functions so that the seed corpus and
// every input that ever crashed or hung can be replayed by an ordinary test on
// every build; fuzz_main.cpp wraps one of them for libFuzzer.
//
// Each returns 0. A fault shows as a crash, a hang or a sanitizer report;
// errors the readers raise for bad input (VbError) are the expected outcome.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzz {

// The Jet SQL translator, the LIKE matcher (pattern, a line break, the text)
// and the date literal parser.
int JetSql(const uint8_t *data, size_t size);
// The XML document reader and the races reader on top of it.
int XmlRaces(const uint8_t *data, size_t size);
// The text profile reader.
int TextProfile(const uint8_t *data, size_t size);
// The INI document, the settings file and the profile file readers.
int Settings(const uint8_t *data, size_t size);
// The field checks of the windows and the data control's field conversion:
// each line of the input is one typed text.
int FieldText(const uint8_t *data, size_t size);
// Arbitrary bytes opened as a database file, its tables read through.
int Database(const uint8_t *data, size_t size);
// The heart-rate monitor recording reader (.hrm).
int HrmFile(const uint8_t *data, size_t size);
// The cycle computer's tour-file reader (.tur).
int TourFile(const uint8_t *data, size_t size);
// The states list's import file reader (names separated by commas and line ends).
int StatesFile(const uint8_t *data, size_t size);
// Arbitrary bytes opened as the program opens a database: checked, upgraded
// to the current tables, its icon table rebuilt, then closed.
int DatabaseUpgrade(const uint8_t *data, size_t size);
// Arbitrary bytes as the source database of the database import, copied into
// a database of the program's own tables.
int DatabaseImport(const uint8_t *data, size_t size);
// The states of an import file added to the table States.
int StatesImport(const uint8_t *data, size_t size);
// The text profile import's reading of a file: the signature scan, then the
// profile reader when the signature is there.
int TextProfileFile(const uint8_t *data, size_t size);
// A settings file read by the consumers of its values: the recent files,
// the profile window's place and options, toolbar flags and column widths.
int SettingsValues(const uint8_t *data, size_t size);

struct Target {
    const char *name;   // also the corpus folder tests/data/fuzz/<name>
    int (*run)(const uint8_t *, size_t);
};
const std::vector<Target> &Targets();

// Makes the process ready for the targets: settings and temporary files in a
// folder of its own, a fixed locale. Called once by the libFuzzer programs; the
// test program sets up the same itself.
void InitProcess();

} // namespace fuzz
