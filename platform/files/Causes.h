#pragma once
// Why a file could not be written, in the words every failure message of the
// program uses ("disk full", "read-only", "permission denied", "folder not
// found" ...), shared by the file writer, the database layer and the printer.
//
// The platform levels cannot ask the language libraries for texts, so each
// cause is a stable key with the number of its words in the string tables
// and its English words. The application hands in the texts of the
// interface language (SetFailureTexts) whenever it sets a language; until
// then, and for a number its table lacks, the English words are used.
// A new cause is one line of VETTARO_FILE_CAUSES plus its number in each
// Lang/<locale>/strings.tsv.
#include <QString>

#include <functional>
#include <optional>

//        key                  text  English words
#define VETTARO_FILE_CAUSES(X)                                                                  \
    X(DiskFull,                201, "disk full")                                                \
    X(ReadOnly,                202, "read-only")                                                \
    X(PermissionDenied,        203, "permission denied")                                        \
    X(FolderNotFound,          204, "folder not found")                                         \
    X(NameTooLong,             205, "file name too long")                                       \
    X(NotAFolder,              206, "not a folder")                                             \
    X(FolderNotWritable,       207, "folder not writable")                                      \
    X(OwnedByAnotherUser,      208, "owned by another user")                                    \
    X(OpenToOtherUsers,        209, "open to other users")                                      \
    X(LinkOfAnotherUser,       210, "link of another user in a shared folder, not followed")    \
    X(UnknownCause,            211, "unknown cause")                                            \
    X(NotARegularFile,         212, "not a regular file")                                       \
    X(FileOfAnotherUser,       213, "file of another user in a shared folder")                  \
    X(AlreadyWritten,          214, "already written")                                          \
    X(IsAFolder,               215, "is a folder")                                              \
    X(TooManyLinks,            216, "too many levels of links")                                 \
    X(InputOutputError,        217, "input/output error")                                       \
    X(FileTooLarge,            218, "file too large")                                           \
    X(SystemError,             219, "system error %1")                                          \
    X(FileNotFound,            220, "file not found")                                           \
    X(NotBesideTarget,         221, "not in the folder of the file it replaces")                \
    X(ReplacedMeanwhile,       222, "file replaced meanwhile")                                  \
    X(NewFileTakenMeanwhile,   223, "new file removed or replaced meanwhile")

namespace files {

enum class Cause {
#define VETTARO_CAUSE_KEY(key, number, english) key,
    VETTARO_FILE_CAUSES(VETTARO_CAUSE_KEY)
#undef VETTARO_CAUSE_KEY
};

// The text number of "Path/File access error: %1: '%2'", the frame of every
// failure the program tells (%1 the cause, %2 the path).
constexpr int FailureFrameText = 200;

struct CauseInfo {
    Cause key;
    int text;              // number in the string tables
    const char *english;   // the words when no text is set
};
// Every cause, in the order of VETTARO_FILE_CAUSES.
const CauseInfo *AllCauses(int *count);

// A cause's words in the interface language.
QString Words(Cause cause);

// Sets the texts of the interface language: called once here for the frame
// and each cause with its number; an empty answer keeps the English words.
// Safe while other threads build failure texts. An empty function goes back
// to the English words.
void SetFailureTexts(const std::function<QString(int text)> &textOf);

// The cause an errno stands for; none for any other errno. Callers that act
// on a cause test its key, never its words, which are the interface
// language's.
std::optional<Cause> CauseKeyOfErrno(int e);
// The words of the cause an errno stands for; empty for any other errno.
QString CauseOfErrno(int e);
// The same, with "system error <number>" for an errno no cause stands for:
// never the C library's text, which is in its own language, not the
// interface's.
QString CauseOfAnyErrno(int e);

// "Path/File access error: <cause>: '<path>'" in the interface language, the
// words of every failed write the program tells.
QString FailureText(const QString &path, const QString &cause);
inline QString FailureText(const QString &path, Cause cause) { return FailureText(path, Words(cause)); }

} // namespace files
