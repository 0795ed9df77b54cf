#include "platform/files/Causes.h"

#include <QDir>
#include <QHash>
#include <QReadWriteLock>

#include <cerrno>
#include <iterator>

namespace files {

namespace {

constexpr CauseInfo kCauses[] = {
#define VETTARO_CAUSE_INFO(key, number, english) {Cause::key, number, english},
    VETTARO_FILE_CAUSES(VETTARO_CAUSE_INFO)
#undef VETTARO_CAUSE_INFO
};

const char *const kFailureFrame = "Path/File access error: %1: '%2'";

// The texts set for the interface language, by text number. Failures are
// worded on worker threads too (compaction, repair), so the table is read
// under a lock and replaced whole.
QReadWriteLock g_lock;
QHash<int, QString> g_texts;

QString TextOr(int number, const char *english)
{
    {
        QReadLocker read(&g_lock);
        const auto it = g_texts.constFind(number);
        if (it != g_texts.constEnd())
            return it.value();
    }
    return QString::fromUtf8(english);
}

} // namespace

const CauseInfo *AllCauses(int *count)
{
    if (count)
        *count = int(std::size(kCauses));
    return kCauses;
}

QString Words(Cause cause)
{
    const CauseInfo &info = kCauses[static_cast<int>(cause)];
    return TextOr(info.text, info.english);
}

void SetFailureTexts(const std::function<QString(int text)> &textOf)
{
    QHash<int, QString> texts;
    if (textOf) {
        auto keep = [&](int number) {
            const QString text = textOf(number);
            if (!text.isEmpty())
                texts.insert(number, text);
        };
        keep(FailureFrameText);
        for (const CauseInfo &c : kCauses)
            keep(c.text);
    }
    QWriteLocker write(&g_lock);
    g_texts = std::move(texts);
}

std::optional<Cause> CauseKeyOfErrno(int e)
{
    switch (e) {
    case ENOSPC:
    case EDQUOT:
        return Cause::DiskFull;
    case EROFS:
        return Cause::ReadOnly;
    case EACCES:
    case EPERM:
        return Cause::PermissionDenied;
    case ENOENT:
    case ENOTDIR:
        return Cause::FolderNotFound;
    case ENAMETOOLONG:
        return Cause::NameTooLong;
    case EISDIR:
        return Cause::IsAFolder;
    case ELOOP:
        return Cause::TooManyLinks;
    case EIO:
        return Cause::InputOutputError;
    case EFBIG:
        return Cause::FileTooLarge;
    default:
        return std::nullopt;
    }
}

QString CauseOfErrno(int e)
{
    const std::optional<Cause> key = CauseKeyOfErrno(e);
    return key ? Words(*key) : QString();
}

QString CauseOfAnyErrno(int e)
{
    const QString cause = CauseOfErrno(e);
    return cause.isEmpty() ? Words(Cause::SystemError).arg(e) : cause;
}

QString FailureText(const QString &path, const QString &cause)
{
    // One pass over the frame: a cause or a path holding "%1" stays as it is.
    const QString frame = TextOr(FailureFrameText, kFailureFrame);
    return frame.arg(cause, QDir::toNativeSeparators(path));
}

} // namespace files
