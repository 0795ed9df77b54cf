#pragma once
// Every text shown to the user is asked for by number from the current
// language library. A number the library cannot give reads "No<number>".
//
// The language libraries lie in the Lang folder of the program folder, named
// "VettaroLang<locale>.so"; each offers the class VettaroLang<locale>.clsResLang
// whose GetResourceString(number) gives the text of a number.
#include "platform/com/ComRegistry.h"
#include "platform/error/VbError.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>


QString GetLangString(int id);
// The locale of the language whose texts are shown (German, Germany for
// 1031): a number inside one of its texts is written as that language writes
// it ("-32.768"). The user's locale while no language is set.
QLocale InterfaceLocale();
// A whole number as the interface language writes it, for the texts.
QString InterfaceNumber(qint64 number);
// Replaces "%1" by args[0], "%2" by args[1] ... in one pass ("%10" is not "%1" + "0").
QString FormatLangString(const QString &text, const QStringList &args);

// One supported language.
class SuppLang {
public:
    SuppLang() = default;
    SuppLang(QString localeId, QString englishName, QString dllName, QString exportDllName)
        : m_localeId(std::move(localeId)), m_englishName(std::move(englishName)),
          m_dllName(std::move(dllName)), m_exportDllName(std::move(exportDllName)) {}

    // The locale number as decimal text, from the file name ("1033").
    QString LocaleID() const { return m_localeId; }
    void LocaleID(const QString &v) { m_localeId = v; }
    // The name shown in the menu: the system's name of that language.
    QString EnglishName() const { return m_englishName; }
    void EnglishName(const QString &v) { m_englishName = v; }
    // The library's file name ("VettaroLang1033.so").
    QString DllName() const { return m_dllName; }
    void DllName(const QString &v) { m_dllName = v; }
    // Class identifier of its text object ("VettaroLang1033.clsResLang").
    QString ExportDllName() const { return m_exportDllName; }
    void ExportDllName(const QString &v) { m_exportDllName = v; }

private:
    QString m_localeId, m_englishName, m_dllName, m_exportDllName;
};
using SuppLangPtr = std::shared_ptr<SuppLang>;

// The ordered collection of supported languages, keyed by locale. Indexes
// run from 1. Item and Remove of an unknown index or key throw VbError 5
// (index) or 9 (key), Add/Append of a key in use throw VbError 457.
class ColSuppLang {
public:
    SuppLangPtr Add(const QString &localeId, const QString &englishName, const QString &dllName,
                    const QString &exportDllName, const QString &key = QString());
    SuppLangPtr Item(int index) const;
    SuppLangPtr Item(const QString &key) const;
    int Count() const { return int(m_items.size()); }
    void Remove(int index);
    void Remove(const QString &key);
    void Append(const SuppLangPtr &item, const QString &key = QString());
    // True when some member's LocaleID equals the text exactly.
    bool Find(const QString &localeId) const;
    // Range-for over the members in order (the collection's enumeration).
    QList<SuppLangPtr>::const_iterator begin() const { return m_items.begin(); }
    QList<SuppLangPtr>::const_iterator end() const { return m_items.end(); }

private:
    QList<SuppLangPtr> m_items;
    QStringList m_keys;   // parallel to m_items; "" when added without key
};

// The languages found at start-up and added since.
extern ColSuppLang Languages;
// The current locale number as text; empty when no language could be set.
extern QString LangId;
// The text object of the current library; empty until a language is set.
extern Com::ObjectPtr LangStrings;

// The library file names end in this ("VettaroLang1033.so").
QString LangLibrarySuffix();
// <appPath>/Lang
QString LangFolder(const QString &appPath);

// Fills Languages from the Lang folder of the program folder. Files whose
// name does not give a known locale, or a locale already listed, are skipped.
void LoadLanguages(const QString &appPath);
// Makes the chosen language's text object LangStrings and returns its locale:
// the stored locale when listed, else the user's locale when listed, else
// defaultLocale. Returns "" and keeps LangStrings when that one cannot be
// created, with the reason in failure (when given) for the caller to tell.
QString SelectLanguage(const QString &localeId, const QString &defaultLocale,
                       std::optional<VbError> *failure = nullptr);
// The system's locale information: infoType 2 the language's name,
// 14 the decimal separator; lcid 0x400 (1024) is the user's default locale.
QString GetLocaleString(int lcid, int infoType);
// Registers (or unregisters) a library for the current user: calls its
// DllRegisterServer / DllUnregisterServer. True when the entry returns 0.
bool RegisterLangDll(const QString &path, bool doRegister);
// Clears Languages, LangId and LangStrings (tests, and the program's end).
void ResetLanguages();

// The application name the language choice is stored under: AppName, or the
// application's name before start-up set it.
QString settingsAppName();
// Copies a language library into the Lang folder of appPath, registers it and
// appends its language to Languages. nullptr (nothing changed) when the file
// name is not a language library's, names a locale already listed or one
// unknown, or the copy exists already or does not register. Throws VbError
// 53 (missing file) or 75 (not copied).
SuppLangPtr installLanguageLibrary(const QString &sourcePath, const QString &appPath);
