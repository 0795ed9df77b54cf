#pragma once
// Small parsing helpers shared by the recording readers.
#include <QString>
#include <QByteArrayView>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace RecordingParse {

// A whole number with an optional sign and surrounding blanks, nothing else;
// nothing when the text is not one. Values beyond 64 bits saturate.
std::optional<int64_t> WholeNumber(QStringView text);
// The same over bytes of an ASCII-compatible encoding.
std::optional<int64_t> WholeNumber(QByteArrayView text);

// The number at the start of a text the way INI integer keys are read: an
// optional sign and the digits that follow; 0 when it starts otherwise.
int64_t LeadingNumber(QStringView text);

// A decimal number written with either decimal mark ("75.5" or "75,5"),
// no digit grouping; nothing when the text is not one.
std::optional<double> DecimalNumber(QStringView text);

}
