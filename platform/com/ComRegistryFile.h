#pragma once
// Layout of a class registry file, shared by the host and the class servers
// (header only, Qt Core only; a server library compiles the file writer in).
//
// A registry file is an INI file:
//   [Classes]
//   VettaroLang1033.clsResLang=Lang/VettaroLang1033.so
// The value is the library's path; a library that lies in the registry file's
// folder or below it is written relative to that folder, so a program folder
// can be moved as a whole. Class identifiers match without regard to case.
#include "platform/shell/ConfigFolderName.h"
#include "platform/shell/FileWrite.h"
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

#include <unistd.h>

namespace ComRegistryFile {

inline QString ClassesGroup() { return QStringLiteral("Classes"); }

// The per-user registry file: <XDG config home>/vettaro/com-registry.ini.
inline QString DefaultUserFile()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir(base).filePath(QLatin1String(VettaroConfigFolderName) + QStringLiteral("/com-registry.ini"));
}

// The file a server's registration entry writes to: the one the host named
// in the environment, else the per-user one.
inline QString TargetFile()
{
    const QString named = qEnvironmentVariable("VETTARO_COM_REGISTRY");
    return named.isEmpty() ? DefaultUserFile() : named;
}

// The stored key of a class identifier, whatever its case ("" when absent).
inline QString FindKey(QSettings &ini, const QString &classId)
{
    ini.beginGroup(ClassesGroup());
    const QStringList keys = ini.childKeys();
    ini.endGroup();
    for (const QString &k : keys)
        if (k.compare(classId, Qt::CaseInsensitive) == 0)
            return k;
    return QString();
}

// Absolute path of the library registered for a class, or "" when the file
// does not register it.
inline QString Lookup(const QString &registryFile, const QString &classId)
{
    if (registryFile.isEmpty() || !QFileInfo::exists(registryFile))
        return QString();
    QSettings ini(registryFile, QSettings::IniFormat);
    const QString key = FindKey(ini, classId);
    if (key.isEmpty())
        return QString();
    const QString value = ini.value(ClassesGroup() + QLatin1Char('/') + key).toString();
    if (value.isEmpty())
        return QString();
    return QDir::cleanPath(QFileInfo(registryFile).absoluteDir().absoluteFilePath(value));
}

// A key as the INI reader takes it back: letters, digits, '.', '_' and '-'
// as they are, anything else as %XX of its UTF-8 bytes.
inline QString EscapedKey(const QString &key)
{
    QString out;
    for (const char c : key.toUtf8()) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
                           || c == '_' || c == '-';
        out += plain ? QString(QLatin1Char(c))
                     : QStringLiteral("%%1").arg(uint(uchar(c)), 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

// The classes with their libraries, in the stored order.
inline QList<std::pair<QString, QString>> ReadClasses(const QString &registryFile)
{
    QList<std::pair<QString, QString>> classes;
    if (!QFileInfo::exists(registryFile))
        return classes;
    QSettings ini(registryFile, QSettings::IniFormat);
    ini.beginGroup(ClassesGroup());
    for (const QString &key : ini.childKeys())
        classes.append({key, ini.value(key).toString()});
    return classes;
}

// Writes the whole file through the program's file writer: a failure (a full
// disk) keeps the old file and gives false.
inline bool WriteClasses(const QString &registryFile, const QList<std::pair<QString, QString>> &classes)
{
    QString text = QLatin1Char('[') + ClassesGroup() + QStringLiteral("]\n");
    for (const auto &[key, value] : classes) {
        QString quoted = value;
        quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
        text += EscapedKey(key) + QStringLiteral("=\"") + quoted + QStringLiteral("\"\n");
    }
    QString why;
    return FileWrite::WriteFileAtomically(registryFile, text.toUtf8(), &why);
}

// Registers a class to a library. False when the file cannot be written.
inline bool Write(const QString &registryFile, const QString &classId, const QString &libraryPath)
{
    const QFileInfo fileInfo(registryFile);
    // The folder is made as the writer walks: through handles, following a
    // link on the way only where the writer would follow it.
    const int folder = FileWrite::OpenOrMakeFolder(fileInfo.absolutePath());
    if (folder < 0)
        return false;
    ::close(folder);
    const QDir dir = fileInfo.absoluteDir();
    QString value = dir.relativeFilePath(QFileInfo(libraryPath).absoluteFilePath());
    if (value.startsWith(QLatin1String("..")))
        value = QFileInfo(libraryPath).absoluteFilePath();
    // Libraries register at once while a build runs: each reads, changes and
    // writes the whole file under the lock, so no entry is lost.
    QLockFile lock(registryFile + QStringLiteral(".lock"));
    if (!lock.lock())
        return false;
    QList<std::pair<QString, QString>> classes = ReadClasses(registryFile);
    classes.removeIf([&](const auto &c) { return c.first.compare(classId, Qt::CaseInsensitive) == 0; });
    classes.append({classId, value});
    return WriteClasses(registryFile, classes);
}

// Removes a class's entry when it names this library (another library
// registered for the same class is left alone). False on a write failure.
inline bool Remove(const QString &registryFile, const QString &classId, const QString &libraryPath)
{
    if (!QFileInfo::exists(registryFile))
        return true;
    QLockFile lock(registryFile + QStringLiteral(".lock"));
    if (!lock.lock())
        return false;
    const QString current = Lookup(registryFile, classId);
    if (current.isEmpty() || QFileInfo(current) != QFileInfo(libraryPath))
        return true;
    QList<std::pair<QString, QString>> classes = ReadClasses(registryFile);
    classes.removeIf([&](const auto &c) { return c.first.compare(classId, Qt::CaseInsensitive) == 0; });
    return WriteClasses(registryFile, classes);
}

} // namespace ComRegistryFile
