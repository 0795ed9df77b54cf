#pragma once
// Per-user settings store: text values by application name, section and key,
// kept in one INI file per application under the XDG config folder.
// Sections and keys match without regard to case.
#include <QString>
#include <QStringList>

#include <functional>

QString GetSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue = QString());
// Both return false when the file could not be written (the old file is then
// kept whole) or could not be read (it is then left alone).
bool SaveSetting(const QString &appName, const QString &section, const QString &key,
                 const QString &value);
// An empty key deletes the whole section.
bool DeleteSetting(const QString &appName, const QString &section, const QString &key = QString());
// Keys of a section in stored order (empty when the section is absent).
QStringList GetSettingKeys(const QString &appName, const QString &section);
// A stored value read as a Boolean the way "-1"/"0" (any number) or
// "True"/"False" mean it; fallback for anything else.
bool SettingAsBool(const QString &text, bool fallback);
// Path of the INI file that holds an application's settings.
QString SettingsFilePath(const QString &appName);

// Called with the reason ("Path/File access error: disk full: '<file>'") when
// a settings file could not be written: once, until a later write succeeds,
// so a run of settings saved together is reported once. The main window
// installs one that tells the user. Returns the previous handler.
using SettingsFailureHandler = std::function<void(const QString &reason)>;
SettingsFailureHandler SetSettingsFailureHandler(SettingsFailureHandler handler);
