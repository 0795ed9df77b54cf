#include "Settings.h"

#include "IniDocument.h"
#include "platform/shell/ConfigFolderName.h"
#include "platform/shell/FileWrite.h"
#include "platform/shell/Shell.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <unistd.h>

namespace {

// Names are stored percent-encoded where a character would change the file's
// structure, so any section or key text survives a round trip.
QString EncodeName(const QString &name, bool section)
{
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        const bool edge = i == 0 || i == name.size() - 1;
        bool escape = c == QLatin1Char('%') || c == QLatin1Char('\n') || c == QLatin1Char('\r')
                      || (edge && c.isSpace());
        if (section)
            escape = escape || c == QLatin1Char(']');
        else
            escape = escape || c == QLatin1Char('=')
                     || (i == 0 && (c == QLatin1Char('[') || c == QLatin1Char(';')));
        // The file's lines are read trimmed of every kind of blank, so a blank at
        // either end is escaped whatever its code: %XX up to 0xFF, %uXXXX above.
        if (!escape || (c.unicode() >= 128 && !(edge && c.isSpace())))
            out += c;
        else if (c.unicode() < 256)
            out += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += QStringLiteral("%u") + QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

// The value of count hex digits at name[from], or -1 unless all count are hex digits.
int HexAt(const QString &name, qsizetype from, int count)
{
    if (from + count > name.size())
        return -1;
    int code = 0;
    for (int k = 0; k < count; ++k) {
        const char16_t c = name.at(from + k).unicode();
        const int digit = c >= '0' && c <= '9' ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0)
            return -1;
        code = code * 16 + digit;
    }
    return code;
}

// The reverse of EncodeName. A settings file may have been edited by hand, so
// only a well-formed escape of a real character is decoded; any other text
// ("%-1", "%uD800", a "%" at the end) is kept as it stands.
QString DecodeName(const QString &name)
{
    if (!name.contains(QLatin1Char('%')))
        return name;
    QString out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name.at(i) == QLatin1Char('%')) {
            const bool wide = i + 1 < name.size() && name.at(i + 1) == QLatin1Char('u');
            const int code = wide ? HexAt(name, i + 2, 4) : HexAt(name, i + 1, 2);
            if (code >= 0 && !QChar::isSurrogate(char32_t(code))) {
                out += QChar(char16_t(code));
                i += wide ? 5 : 2;
                continue;
            }
        }
        out += name.at(i);
    }
    return out;
}

// Values keep their blanks and line breaks: such a value is stored quoted
// with backslash escapes.
QString EncodeValue(const QString &v)
{
    const bool plain = !v.contains(QLatin1Char('\n')) && !v.contains(QLatin1Char('\r'))
                       && !v.contains(QLatin1Char('\t')) && v.trimmed() == v
                       && !v.startsWith(QLatin1Char('"'));
    if (plain)
        return v;
    QString out = QStringLiteral("\"");
    for (QChar c : v) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '"': out += QLatin1String("\\\""); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default: out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

QString DecodeValue(const QString &v)
{
    if (v.size() < 2 || !v.startsWith(QLatin1Char('"')) || !v.endsWith(QLatin1Char('"')))
        return v;
    QString out;
    const qsizetype end = v.size() - 1;
    for (qsizetype i = 1; i < end; ++i) {
        QChar c = v.at(i);
        if (c == QLatin1Char('\\') && i + 1 < end) {
            const QChar n = v.at(++i);
            switch (n.unicode()) {
            case 'n': c = QLatin1Char('\n'); break;
            case 'r': c = QLatin1Char('\r'); break;
            case 't': c = QLatin1Char('\t'); break;
            default: c = n; break;
            }
        }
        out += c;
    }
    return out;
}

// Parsed files, reused while the file on disk is unchanged.
struct Cached {
    QDateTime modified;
    qint64 size = -1;
    IniDocument doc;
};

QMutex g_mutex;
QHash<QString, Cached> g_cache;
SettingsFailureHandler g_onFailure;
bool g_failing = false;   // reported once until a save succeeds again

// The parsed file; *readable is false when the file exists but cannot be
// read, so that a write does not replace it with only the new key.
IniDocument &Load(const QString &path, bool *readable = nullptr)
{
    const QFileInfo fi(path);
    Cached &c = g_cache[path];
    const QDateTime m = fi.exists() ? fi.lastModified() : QDateTime();
    const qint64 s = fi.exists() ? fi.size() : -1;
    bool ok = true;
    if (c.size != s || c.modified != m || !fi.exists()) {
        c.doc = IniDocument();
        ok = c.doc.load(path) || !fi.exists();
        c.modified = ok ? m : QDateTime();
        c.size = ok ? s : -2;   // an unreadable file is read again next time
    }
    if (readable)
        *readable = ok;
    return c.doc;
}

// Stores doc; on failure the old file stays and the failure is handed to
// the installed handler (once per run of failures), called with the lock
// released so that it may show a message.
bool Store(QMutexLocker<QMutex> &lock, const QString &path, const IniDocument &doc)
{
    // The folder is made as the writer walks: through handles, following a
    // link on the way only where the writer would follow it.
    QString why;
    const int folder = FileWrite::OpenOrMakeFolder(path.left(path.lastIndexOf(QLatin1Char('/'))), &why);
    if (folder >= 0)
        ::close(folder);
    if (folder < 0 || !doc.save(path, &why)) {
        // Later reads see what the disk holds, not a change that was never stored.
        g_cache.remove(path);
        const bool first = !g_failing;
        g_failing = true;
        const SettingsFailureHandler handler = g_onFailure;
        lock.unlock();
        if (first && handler)
            handler(why);
        return false;
    }
    g_failing = false;
    const QFileInfo fi(path);
    Cached &c = g_cache[path];
    c.doc = doc;
    c.modified = fi.exists() ? fi.lastModified() : QDateTime();
    c.size = fi.exists() ? fi.size() : -1;
    return true;
}

} // namespace

SettingsFailureHandler SetSettingsFailureHandler(SettingsFailureHandler handler)
{
    QMutexLocker lock(&g_mutex);
    std::swap(g_onFailure, handler);
    g_failing = false;
    return handler;
}

QString SettingsFilePath(const QString &appName)
{
    QString name = appName.trimmed();
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("_");
    return Shell::ConfigFolder() + QLatin1Char('/') + QLatin1String(VettaroConfigFolderName) + QLatin1Char('/') + name
           + QStringLiteral(".ini");
}

QString GetSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue)
{
    QMutexLocker lock(&g_mutex);
    bool found = false;
    const QString v = Load(SettingsFilePath(appName))
                          .value(EncodeName(section, true), EncodeName(key, false), &found);
    return found ? DecodeValue(v) : defaultValue;
}

namespace {
// Applies a change to an application's settings file and stores it when the
// change says it changed something. A file that exists but cannot be read is
// left alone rather than replaced by one holding only this change.
template <typename Change>
bool ModifySettings(const QString &appName, Change change)
{
    QMutexLocker lock(&g_mutex);
    const QString path = SettingsFilePath(appName);
    bool readable = false;
    IniDocument doc = Load(path, &readable);
    if (readable && change(doc))
        return Store(lock, path, doc);
    return readable;
}
}

bool SaveSetting(const QString &appName, const QString &section, const QString &key,
                 const QString &value)
{
    return ModifySettings(appName, [&](IniDocument &doc) {
        doc.setValue(EncodeName(section, true), EncodeName(key, false), EncodeValue(value));
        return true;
    });
}

bool DeleteSetting(const QString &appName, const QString &section, const QString &key)
{
    return ModifySettings(appName, [&](IniDocument &doc) {
        return key.isEmpty() ? doc.removeSection(EncodeName(section, true))
                             : doc.removeKey(EncodeName(section, true), EncodeName(key, false));
    });
}

QStringList GetSettingKeys(const QString &appName, const QString &section)
{
    QMutexLocker lock(&g_mutex);
    QStringList out;
    for (const QString &k : Load(SettingsFilePath(appName)).keys(EncodeName(section, true)))
        out << DecodeName(k);
    return out;
}

bool SettingAsBool(const QString &text, bool fallback)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (ok)
        return number != 0;
    if (text.trimmed().compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.trimmed().compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0)
        return false;
    return fallback;
}
