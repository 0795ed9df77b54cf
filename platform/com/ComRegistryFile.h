#pragma once
// Layout of a class registry file, shared by the host and the class servers
// (header only, Qt Core only, so a server library needs nothing else).
//
// A registry file is an INI file:
//   [Classes]
//   VettaroLang1033.clsResLang=Lang/VettaroLang1033.so
// The value is the library's path; a library that lies in the registry file's
// folder or below it is written relative to that folder, so a program folder
// can be moved as a whole. Class identifiers match without regard to case.
#include "platform/shell/ConfigFolderName.h"
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

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

// Registers a class to a library. False when the file cannot be written.
inline bool Write(const QString &registryFile, const QString &classId, const QString &libraryPath)
{
    const QFileInfo fileInfo(registryFile);
    if (!QDir().mkpath(fileInfo.absolutePath()))
        return false;
    const QDir dir = fileInfo.absoluteDir();
    QString value = dir.relativeFilePath(QFileInfo(libraryPath).absoluteFilePath());
    if (value.startsWith(QLatin1String("..")))
        value = QFileInfo(libraryPath).absoluteFilePath();
    QSettings ini(registryFile, QSettings::IniFormat);
    const QString old = FindKey(ini, classId);
    if (!old.isEmpty() && old != classId)
        ini.remove(ClassesGroup() + QLatin1Char('/') + old);
    ini.setValue(ClassesGroup() + QLatin1Char('/') + classId, value);
    ini.sync();
    return ini.status() == QSettings::NoError;
}

// Removes a class's entry when it names this library (another library
// registered for the same class is left alone). False on a write failure.
inline bool Remove(const QString &registryFile, const QString &classId, const QString &libraryPath)
{
    if (!QFileInfo::exists(registryFile))
        return true;
    const QString current = Lookup(registryFile, classId);
    if (current.isEmpty() || QFileInfo(current) != QFileInfo(libraryPath))
        return true;
    QSettings ini(registryFile, QSettings::IniFormat);
    ini.remove(ClassesGroup() + QLatin1Char('/') + FindKey(ini, classId));
    ini.sync();
    return ini.status() == QSettings::NoError;
}

} // namespace ComRegistryFile
