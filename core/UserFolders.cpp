#include "UserFolders.h"

#include "platform/shell/Shell.h"

#include <QDir>
#include <QStandardPaths>

SpecialFolder SpecialFolders;

namespace {

// First system-wide data folder (XDG_DATA_DIRS), "" when none is named.
QString SystemDataFolder()
{
    const QStringList all = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    const QString own = Shell::AppDataFolder();
    for (const QString &p : all)
        if (QDir::cleanPath(p) != own)
            return QDir::cleanPath(p);
    return QString();
}

QString Below(const QString &base, const char *sub)
{
    return base.isEmpty() ? QString() : base + QLatin1Char('/') + QLatin1String(sub);
}

} // namespace

QString SpecialFolder::PlatformFolder(int csidl)
{
    switch (csidl) {
    case 0x00: // Desktop
    case 0x10: // DesktopDirectory
        return Shell::DesktopFolder();
    case 0x05: // Personal
    case 0x0c: // MyDocuments
        return Shell::DocumentsFolder();
    case 0x02: // Programs
    case 0x0b: // StartMenu
        return Shell::ApplicationsFolder();
    case 0x07: // Startup
        return Below(Shell::ConfigFolder(), "autostart");
    case 0x0d: return Shell::MusicFolder();
    case 0x0e: return Shell::VideosFolder();
    case 0x14: return Shell::FontsFolder();
    case 0x15: return Shell::TemplatesFolder();
    case 0x16: // CommonStartMenu
    case 0x17: // CommonPrograms
        return Below(SystemDataFolder(), "applications");
    case 0x18: return QStringLiteral("/etc/xdg/autostart"); // CommonStartup
    case 0x1a: return Shell::ConfigFolder();                // AppData (roaming settings)
    case 0x1c: return Shell::AppDataFolder();               // LocalAppData
    case 0x20: return Shell::CacheFolder();                 // InternetCache
    case 0x23: return SystemDataFolder();                   // CommonAppData
    case 0x27: return Shell::PicturesFolder();
    case 0x28: return Shell::HomeFolder();                  // Profile
    default: return QString();
    }
}

QString SpecialFolder::GetShellFolder(int folderId) const
{
    const QString path = PlatformFolder(folderId);
    return path.isEmpty() ? m_DefaultDir : path;
}

void SpecialFolder::InitFolders(const QString &lclDefaultDir)
{
    m_DefaultDir = lclDefaultDir;
#define VETTARO_FOLDER_INIT(name, id) m_##name = GetShellFolder(id);
    VETTARO_SHELL_FOLDERS(VETTARO_FOLDER_INIT)
#undef VETTARO_FOLDER_INIT
    m_Temp = Shell::TempFolder();
}

QString SpecialFolder::ByNumber(int csidl) const
{
#define VETTARO_FOLDER_CASE(name, id) if (csidl == id) return m_##name;
    VETTARO_SHELL_FOLDERS(VETTARO_FOLDER_CASE)
#undef VETTARO_FOLDER_CASE
    return QString();
}
