#include "tools/logic/BrowserLogic.h"

#include <QDir>
#include <QFileInfo>

namespace {
// Message box styles (the information and exclamation icons, OK only).
constexpr int InformationIcon = 64;
constexpr int ExclamationIcon = 48;
}

QStringList CompletedHistory(const QStringList &history, const QString &url)
{
    QStringList out = history;
    const qsizetype match = out.indexOf(url);   // exact, case-sensitive
    if (match >= 0)
        out.removeAt(match);
    out.insert(0, url);
    return out;
}

QUrl ReadAddress(const QString &typed, const QString &workingFolder)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return QUrl();
    const QFileInfo local(workingFolder.isEmpty() || QDir::isAbsolutePath(text)
                              ? text : QDir(workingFolder).filePath(text));
    const QUrl url = local.isFile() ? QUrl::fromLocalFile(local.absoluteFilePath()) : QUrl::fromUserInput(text);
    if (!url.isValid() || url.scheme().compare(QLatin1String("javascript"), Qt::CaseInsensitive) == 0)
        return QUrl();
    return url;
}

QString ImportSource(const QString &typed, const QString &workingFolder)
{
    const QUrl url = ReadAddress(typed, workingFolder);
    if (url.isEmpty())
        return QString();
    return url.isLocalFile() ? url.toLocalFile() : url.toString();
}

std::optional<ImportMessage> ImportMessageFor(int code)
{
    switch (code) {
    case 0: return ImportMessage{11500, InformationIcon, true};   // imported
    case 1: return ImportMessage{11501, ExclamationIcon, false};  // no internet connection
    case 2: return ImportMessage{11502, ExclamationIcon, false};  // document did not load
    case 3: return ImportMessage{11503, ExclamationIcon, false};  // not a valid document
    case 4: return ImportMessage{11504, ExclamationIcon, false};  // time-out
    case 5: return ImportMessage{11505, ExclamationIcon, false};  // other reading error
    case 6: return ImportMessage{11506, ExclamationIcon, false};  // storing failed
    default: return std::nullopt;   // 7: already present and told; anything else: nothing
    }
}
