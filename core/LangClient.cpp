#include "core/LangClient.h"

#include "core/DataGlobals.h"
#include "platform/error/VbError.h"
#include "platform/files/Causes.h"
#include "platform/settings/Settings.h"
#include "platform/shell/FileWrite.h"
#include "platform/shell/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <optional>

ColSuppLang Languages;
QString LangId;
Com::ObjectPtr LangStrings;

namespace {

const QString kLibraryMark = QStringLiteral("VettaroLang");
// The locale number of the language whose texts are shown.
QString g_interfaceLocale;
constexpr int kLocaleUserDefault = 0x400;
constexpr int kLocaleSystemDefault = 0x800;
constexpr int kLocaleSLanguage = 2;
constexpr int kLocaleSDecimal = 14;

QString NotFound(int id)
{
    return QStringLiteral("No") + QString::number(id);
}


// The language a library file stands for, from its name alone:
// "VettaroLang1040.so" -> 1040, Italian, VettaroLang1040.clsResLang.
// Nothing when the name gives no number or one the system knows as no locale.
std::optional<SuppLang> LanguageFromFileName(const QString &fileName)
{
    const QString suffix = LangLibrarySuffix();
    const int mark = fileName.indexOf(kLibraryMark);
    if (mark < 0 || !fileName.endsWith(suffix))
        return std::nullopt;
    const int start = mark + kLibraryMark.size();
    const QString localeText = fileName.mid(start, fileName.size() - suffix.size() - start);
    if (localeText.isEmpty())
        return std::nullopt;
    for (QChar c : localeText)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    bool ok = false;
    const int lcid = localeText.toInt(&ok);
    // The number as the system writes it: "01033" would be a second name of 1033.
    if (!ok || QString::number(lcid) != localeText)
        return std::nullopt;
    const QString name = GetLocaleString(lcid, kLocaleSLanguage);
    if (name.isEmpty())
        return std::nullopt;
    const QString base = fileName.left(fileName.size() - suffix.size());
    return SuppLang(localeText, name, fileName, base + QStringLiteral(".clsResLang"));
}

} // namespace

// ---- texts -----------------------------------------------------------------

QString GetLangString(int id)
{
    if (!LangStrings)
        return NotFound(id);
    try {
        QVariantList args{id};
        const QVariant text = LangStrings->Invoke(QStringLiteral("GetResourceString"), args);
        return text.toString();
    } catch (const VbError &) {
        // The library holds no text of that number, or the object has gone.
        return NotFound(id);
    }
}

QString FormatLangString(const QString &text, const QStringList &args)
{
    // One pass over the text: a "%" with the longest run of digits after it
    // names one value, so "%10" is the tenth value and never "%1" and "0";
    // placeholders without a value, and values' own "%n", stay as they are.
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('%')) {
            qsizetype j = i + 1;
            while (j < n && text.at(j).isDigit() && text.at(j).unicode() < 128)
                ++j;
            if (j > i + 1) {
                bool ok = false;
                const qlonglong number = QStringView(text).mid(i + 1, j - i - 1).toLongLong(&ok);
                if (ok && number >= 1 && number <= args.size()) {
                    out += args.at(qsizetype(number - 1));
                    i = j - 1;
                    continue;
                }
            }
        }
        out += c;
    }
    return out;
}

// ---- the collection --------------------------------------------------------

SuppLangPtr ColSuppLang::Add(const QString &localeId, const QString &englishName,
                             const QString &dllName, const QString &exportDllName,
                             const QString &key)
{
    auto item = std::make_shared<SuppLang>(localeId, englishName, dllName, exportDllName);
    Append(item, key);
    return item;
}

SuppLangPtr ColSuppLang::Item(int index) const
{
    if (index < 1 || index > Count())
        RaiseError(VbErr::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
    return m_items.at(index - 1);
}

SuppLangPtr ColSuppLang::Item(const QString &key) const
{
    for (qsizetype i = 0; i < m_keys.size(); ++i)
        if (!m_keys.at(i).isEmpty() && m_keys.at(i).compare(key, Qt::CaseInsensitive) == 0)
            return m_items.at(i);
    RaiseError(VbErr::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
}

void ColSuppLang::Remove(int index)
{
    if (index < 1 || index > Count())
        RaiseError(VbErr::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
    m_items.removeAt(index - 1);
    m_keys.removeAt(index - 1);
}

void ColSuppLang::Remove(const QString &key)
{
    for (qsizetype i = 0; i < m_keys.size(); ++i)
        if (!m_keys.at(i).isEmpty() && m_keys.at(i).compare(key, Qt::CaseInsensitive) == 0) {
            m_items.removeAt(i);
            m_keys.removeAt(i);
            return;
        }
    RaiseError(VbErr::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
}

void ColSuppLang::Append(const SuppLangPtr &item, const QString &key)
{
    if (!key.isEmpty())
        for (const QString &k : m_keys)
            if (k.compare(key, Qt::CaseInsensitive) == 0)
                RaiseError(457, QStringLiteral("This key is already associated with an element of this collection"));
    m_items.append(item);
    m_keys.append(key);
}

bool ColSuppLang::Find(const QString &localeId) const
{
    for (const SuppLangPtr &item : m_items)
        if (item->LocaleID() == localeId)
            return true;
    return false;
}

// ---- choosing the language --------------------------------------------------

QString LangLibrarySuffix()
{
    return QStringLiteral(".so");
}

QString LangFolder(const QString &appPath)
{
    return QDir(appPath).filePath(QStringLiteral("Lang"));
}

void LoadLanguages(const QString &appPath)
{
    Languages = ColSuppLang();
    const QDir folder(LangFolder(appPath));
    const QStringList files = folder.entryList({QLatin1Char('*') + LangLibrarySuffix()},
                                               QDir::Files, QDir::Name);
    for (const QString &file : files) {
        // A stray file (no locale in its name, an unknown locale, a second
        // library of one locale) is passed over; the others are still listed.
        const std::optional<SuppLang> lang = LanguageFromFileName(file);
        if (!lang || Languages.Find(lang->LocaleID()))
            continue;
        Languages.Append(std::make_shared<SuppLang>(*lang), lang->LocaleID());
    }
}

QString SelectLanguage(const QString &localeId, const QString &defaultLocale, std::optional<VbError> *failure)
{
    const QString userLocale = QString::number(Shell::UserDefaultLcid());
    QString chosen;
    if (!localeId.isEmpty() && Languages.Find(localeId))
        chosen = localeId;
    // Exact locales only: an English (UK) user does not get English (US).
    if (chosen.isEmpty() && Languages.Find(userLocale))
        chosen = userLocale;
    if (chosen.isEmpty())
        chosen = defaultLocale;
    // No library of that language at all: nothing to tell, the texts stay.
    if (!Languages.Find(chosen))
        return QString();
    try {
        Com::ObjectPtr object = Com::CreateObject(Languages.Item(chosen)->ExportDllName());
        LangStrings = std::move(object);
        g_interfaceLocale = chosen;
        // The platform words its failures ("disk full") in this language too.
        files::SetFailureTexts([](int number) {
            const QString text = GetLangString(number);
            return text == NotFound(number) ? QString() : text;
        });
        return chosen;
    } catch (const VbError &e) {
        // Not listed, not registered or not loadable: the current texts stay,
        // and the caller tells why.
        if (failure)
            *failure = e;
        return QString();
    }
}

QString GetLocaleString(int lcid, int infoType)
{
    const bool user = lcid == kLocaleUserDefault || lcid == kLocaleSystemDefault;
    const int number = user ? Shell::UserDefaultLcid() : lcid;
    switch (infoType) {
    case kLocaleSLanguage:
        return Shell::LanguageName(number);
    case kLocaleSDecimal: {
        if (user)
            return QString(Shell::DecimalSeparator());
        const QString name = Shell::LocaleNameFromLcid(number);
        return name.isEmpty() ? QString() : QLocale(name).decimalPoint();
    }
    default:
        return QString();
    }
}

bool RegisterLangDll(const QString &path, bool doRegister)
{
    // A library the user adds is registered for that user.
    return Com::RegisterServer(path, doRegister, Com::UserRegistryFile()) == VT_S_OK;
}

void ResetLanguages()
{
    Languages = ColSuppLang();
    LangId.clear();
    LangStrings.reset();
    g_interfaceLocale.clear();
    files::SetFailureTexts({});
}

QLocale InterfaceLocale()
{
    const QString name = g_interfaceLocale.isEmpty() ? QString() : Shell::LocaleNameFromLcid(g_interfaceLocale.toInt());
    return name.isEmpty() ? QLocale() : QLocale(name);
}

QString InterfaceNumber(qint64 number) { return InterfaceLocale().toString(number); }

QString settingsAppName()
{
    if (!AppName.isEmpty())
        return AppName;
    return QCoreApplication::applicationName();
}

SuppLangPtr installLanguageLibrary(const QString &sourcePath, const QString &appPath)
{
    const QString folder = LangFolder(appPath);
    const QString fileName = QFileInfo(sourcePath).fileName();
    // The name decides, not the folder it comes from.
    if (!fileName.contains(kLibraryMark))
        return nullptr;
    const QString target = QDir(folder).filePath(fileName);
    if (QFileInfo::exists(target))
        return nullptr;
    // A file that could never be listed is neither copied nor registered.
    const std::optional<SuppLang> lang = LanguageFromFileName(fileName);
    if (!lang || Languages.Find(lang->LocaleID()))
        return nullptr;
    if (!QFileInfo::exists(sourcePath))
        RaiseError(VbErr::FileNotFound, QStringLiteral("File not found"));
    QDir().mkpath(folder);
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        FileWrite::RaiseFailure(sourcePath, 0, source.errorString());
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        FileWrite::RaiseFailure(sourcePath, 0, source.errorString());
    FileWrite::WriteWhole(target, bytes);
    QFile::setPermissions(target, source.permissions());
    if (!RegisterLangDll(target, true)) {
        QFile::remove(target);
        return nullptr;
    }
    auto added = std::make_shared<SuppLang>(*lang);
    Languages.Append(added, lang->LocaleID());
    return added;
}
