#pragma once
// Why a recording could not be read, and where: a text number of the
// language tables with the values for its placeholders (line numbers, the
// offending text), so the reason is told in the user's language.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>

namespace RecordingText {
constexpr int CannotOpen = 15526;       // "The file cannot be opened."
constexpr int NotANumber = 15527;       // "Line %1: '%2' is not a number."
constexpr int OutOfRange = 15528;       // "Line %1: %2 is out of range."
constexpr int TooFewFields = 15529;     // "Line %1: %2 fields where %3 are expected."
constexpr int NotADate = 15530;         // "Line %1: '%2' is not a date."
constexpr int NotATime = 15531;         // "Line %1: '%2' is not a time of day."
constexpr int HeaderCut = 15532;        // "The file ends in its header, at line %1."
constexpr int RecordsCut = 15533;       // "The file ends after %1 of %2 records."
constexpr int RecordOutOfRange = 15534; // "Record %1: %2 is out of range."
constexpr int KeyOutOfRange = 15535;    // "%1=%2 is out of range."
constexpr int TooManySamples = 15543;   // "The recording has more than %1 samples: it is not read."
constexpr int TooLarge = 171;           // "The file is larger than %1 MB: it is not read."
}

struct ReadFailure {
    int text = 0;          // 0 while nothing failed
    QStringList args;

    bool failed() const { return text != 0; }
    // The reason in the current language.
    QString Text() const;
};

// A piece of a file quoted in a reason: control characters made visible,
// long texts cut.
QString QuoteForReason(const QString &raw);

// The whole of a recording file, or in failure CannotOpen when it cannot be
// opened or read, TooLarge (before reading) when it passes the size cap.
bool ReadRecordingFile(const QString &path, QByteArray &contents, ReadFailure &failure);

// Parses into a copy of the reader, so a failure leaves the reader as it was
// with only the reason set; 1 when the copy took the reader's place, else 0.
template <typename Reader>
int16_t ParseIntoCopy(Reader &reader, ReadFailure &failure, const QByteArray &contents, const QString &fileName)
{
    Reader next = reader;
    next.m_failure = {};
    if (!next.parse(contents, fileName)) {
        failure = next.m_failure;
        return 0;
    }
    reader = std::move(next);
    return 1;
}
