#include "recordings/ReadFailure.h"


#include "core/LangClient.h"
#include "platform/shell/ReadLimits.h"

QString ReadFailure::Text() const
{
    return text ? FormatLangString(GetLangString(text), args) : QString();
}

QString QuoteForReason(const QString &raw)
{
    QString out;
    for (const QChar c : raw) {
        if (c.unicode() == 0)
            out += QStringLiteral("\\0");
        else if (c.unicode() == '\t')
            out += QStringLiteral("\\t");
        else if (c.unicode() == '\r')
            out += QStringLiteral("\\r");
        else if (c.unicode() < 32)
            out += QLatin1Char('?');
        else
            out += c;
        if (out.size() > 40) {
            out = out.left(40) + QStringLiteral("...");
            break;
        }
    }
    return out;
}

bool ReadRecordingFile(const QString &path, QByteArray &contents, ReadFailure &failure)
{
    switch (readlimits::ReadWholeFile(path, readlimits::MaxRecordingBytes, contents)) {
    case readlimits::ReadResult::Ok:
        return true;
    case readlimits::ReadResult::TooLarge:
        failure = {RecordingText::TooLarge, {readlimits::Megabytes(readlimits::MaxRecordingBytes)}};
        return false;
    case readlimits::ReadResult::CannotOpen:
        break;
    }
    failure = {RecordingText::CannotOpen, {}};
    return false;
}
