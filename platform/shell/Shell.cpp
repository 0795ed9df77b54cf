#include "Shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUrl>

#include <cmath>
#include <pwd.h>
#include <unistd.h>

namespace Shell {

QString ConfigFolder();

namespace {

QString Clean(const QString &path)
{
    if (path.isEmpty())
        return path;
    QString p = QDir::cleanPath(path);
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

QString Standard(QStandardPaths::StandardLocation loc)
{
    return Clean(QStandardPaths::writableLocation(loc));
}

// A folder named in the XDG user-dirs file (e.g. XDG_TEMPLATES_DIR), or the
// fallback below the home folder.
QString XdgUserDir(const char *key, const QString &fallback)
{
    const QString env = qEnvironmentVariable(key);
    if (!env.isEmpty())
        return Clean(env);
    QFile f(ConfigFolder() + QStringLiteral("/user-dirs.dirs"));
    const QString home = QDir::homePath();
    if (f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QString prefix = QString::fromLatin1(key) + QLatin1Char('=');
        while (!f.atEnd()) {
            const QString line = QString::fromUtf8(f.readLine()).trimmed();
            if (!line.startsWith(prefix))
                continue;
            QString v = line.mid(prefix.size());
            if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
                v = v.mid(1, v.size() - 2);
            v.replace(QLatin1String("$HOME"), home);
            if (!v.isEmpty())
                return Clean(v);
        }
    }
    return Clean(home + QLatin1Char('/') + fallback);
}

struct LcidEntry {
    int lcid;
    const char *name;
};

// Windows locale numbers of the locales the program may meet. The first
// entry of a language is the one a bare language name maps to.
constexpr LcidEntry kLcids[] = {
    {1033, "en_US"}, {2057, "en_GB"}, {3081, "en_AU"}, {4105, "en_CA"}, {5129, "en_NZ"},
    {6153, "en_IE"}, {7177, "en_ZA"}, {16393, "en_IN"},
    {1040, "it_IT"}, {2064, "it_CH"},
    {3082, "es_ES"}, {1034, "es_ES"}, {2058, "es_MX"}, {11274, "es_AR"}, {9226, "es_CO"},
    {13322, "es_CL"}, {10250, "es_PE"}, {8202, "es_VE"}, {21514, "es_US"},
    {1031, "de_DE"}, {2055, "de_CH"}, {3079, "de_AT"}, {4103, "de_LU"}, {5127, "de_LI"},
    {1036, "fr_FR"}, {2060, "fr_BE"}, {3084, "fr_CA"}, {4108, "fr_CH"}, {5132, "fr_LU"},
    {6156, "fr_MC"},
    {1043, "nl_NL"}, {2067, "nl_BE"},
    {2070, "pt_PT"}, {1046, "pt_BR"},
    {1025, "ar_SA"}, {1026, "bg_BG"}, {1027, "ca_ES"}, {1028, "zh_TW"}, {2052, "zh_CN"},
    {1029, "cs_CZ"}, {1030, "da_DK"}, {1032, "el_GR"}, {1035, "fi_FI"}, {1037, "he_IL"},
    {1038, "hu_HU"}, {1039, "is_IS"}, {1041, "ja_JP"}, {1042, "ko_KR"}, {1044, "nb_NO"},
    {2068, "nn_NO"}, {1045, "pl_PL"}, {1047, "rm_CH"}, {1048, "ro_RO"}, {1049, "ru_RU"},
    {1050, "hr_HR"}, {1051, "sk_SK"}, {1052, "sq_AL"}, {1053, "sv_SE"}, {1054, "th_TH"},
    {1055, "tr_TR"}, {1057, "id_ID"}, {1058, "uk_UA"}, {1059, "be_BY"}, {1060, "sl_SI"},
    {1061, "et_EE"}, {1062, "lv_LV"}, {1063, "lt_LT"}, {1066, "vi_VN"}, {1069, "eu_ES"},
    {1071, "mk_MK"}, {1081, "hi_IN"}, {1086, "ms_MY"}, {1110, "gl_ES"}, {2074, "sr_RS"},
};

QLocale LocaleOf(int lcid, bool *ok)
{
    const QString name = LocaleNameFromLcid(lcid);
    *ok = !name.isEmpty();
    return *ok ? QLocale(name) : QLocale::c();
}

} // namespace

QString DocumentsFolder()
{
    // A documents folder that is named but was never made (a fresh account, a
    // desktop without the XDG user folders) is no place to start a dialog in.
    const QString docs = Standard(QStandardPaths::DocumentsLocation);
    return !docs.isEmpty() && QFileInfo(docs).isDir() ? docs : HomeFolder();
}
QString PicturesFolder() { return Standard(QStandardPaths::PicturesLocation); }
QString MusicFolder() { return Standard(QStandardPaths::MusicLocation); }
QString VideosFolder() { return Standard(QStandardPaths::MoviesLocation); }
QString DesktopFolder() { return Standard(QStandardPaths::DesktopLocation); }
QString HomeFolder() { return Clean(QDir::homePath()); }
QString AppDataFolder() { return Standard(QStandardPaths::GenericDataLocation); }
QString ConfigFolder() { return Standard(QStandardPaths::GenericConfigLocation); }
QString CacheFolder() { return Standard(QStandardPaths::GenericCacheLocation); }
QString FontsFolder() { return Standard(QStandardPaths::FontsLocation); }
QString TemplatesFolder() { return XdgUserDir("XDG_TEMPLATES_DIR", QStringLiteral("Templates")); }
QString ApplicationsFolder() { return Standard(QStandardPaths::ApplicationsLocation); }

QString TempFolder()
{
    QString t = QDir::tempPath();
    if (!t.endsWith(QLatin1Char('/')))
        t += QLatin1Char('/');
    return t;
}

QString ProgramFolder()
{
    if (QCoreApplication::instance())
        return Clean(QCoreApplication::applicationDirPath());
    return Clean(QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath());
}

QChar DecimalSeparator()
{
    const QString d = QLocale().decimalPoint();
    return d.isEmpty() ? QLatin1Char('.') : d.front();
}

QString FullYearDateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString NumberText(const QLocale &locale, double value, char format, int precision)
{
    const QString text = locale.toString(value, format, precision);
    if (!std::signbit(value) || !std::isfinite(value))
        return text;
    // Digits of any script: a locale may write its own.
    for (const char32_t c : text.toUcs4())
        if (QChar::isDigit(c) && QChar::digitValue(c) != 0)
            return text;
    return locale.toString(-value, format, precision);
}

int LcidFromLocaleName(const QString &bcp47)
{
    QString name = bcp47.trimmed();
    name.replace(QLatin1Char('-'), QLatin1Char('_'));
    // "de_DE.UTF-8", "de_DE@euro": the locale part only.
    name = name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    if (name.isEmpty())
        return 0;
    for (const LcidEntry &e : kLcids)
        if (name.compare(QLatin1String(e.name), Qt::CaseInsensitive) == 0)
            return e.lcid;
    if (!name.contains(QLatin1Char('_'))) {
        const QString prefix = name + QLatin1Char('_');
        for (const LcidEntry &e : kLcids)
            if (QString::fromLatin1(e.name).startsWith(prefix, Qt::CaseInsensitive))
                return e.lcid;
    }
    return 0;
}

QString LocaleNameFromLcid(int lcid)
{
    for (const LcidEntry &e : kLcids)
        if (e.lcid == lcid)
            return QString::fromLatin1(e.name);
    return QString();
}

int UserDefaultLcid()
{
    const QLocale loc;
    int lcid = LcidFromLocaleName(loc.name());
    if (lcid == 0)
        lcid = LcidFromLocaleName(loc.name().section(QLatin1Char('_'), 0, 0));
    return lcid == 0 ? 1033 : lcid;
}

QString LanguageName(int lcid)
{
    bool ok = false;
    const QLocale loc = LocaleOf(lcid, &ok);
    if (!ok)
        return QString();
    // Qt carries language names in English and in each language itself: the
    // user's own language gets its native name, any other the English one.
    if (QLocale().language() == loc.language())
        return NativeLanguageName(lcid);
    return QStringLiteral("%1 (%2)").arg(QLocale::languageToString(loc.language()),
                                         QLocale::territoryToString(loc.territory()));
}

QString NativeLanguageName(int lcid)
{
    bool ok = false;
    const QLocale loc = LocaleOf(lcid, &ok);
    if (!ok)
        return QString();
    return QStringLiteral("%1 (%2)").arg(loc.nativeLanguageName(), loc.nativeTerritoryName());
}

QString UserName()
{
    if (const passwd *pw = getpwuid(geteuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

QString ComputerName()
{
    return QSysInfo::machineHostName();
}

int OpenDocument(const QString &target)
{
    const QString t = target.trimmed();
    if (t.isEmpty())
        return 2;
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]+:"));
    QUrl url;
    if (scheme.match(t).hasMatch()) {
        url = QUrl(t);
        if (!url.isValid())
            return 2;
    } else {
        const QFileInfo fi(t);
        if (!fi.exists())
            return 2;
        url = QUrl::fromLocalFile(fi.absoluteFilePath());
    }
    return QDesktopServices::openUrl(url) ? 42 : 31;
}

int RunAndWait(const QString &program, const QStringList &arguments, int timeoutMs)
{
    if (program.isEmpty())
        return -1;
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(program, arguments);
    if (!p.waitForStarted())
        return -1;
    if (!p.waitForFinished(timeoutMs < 0 ? -1 : timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace Shell
