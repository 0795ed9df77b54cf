#pragma once
// The paths of the user's and the system's special folders, gathered once at
// start-up. Folders that have a meaning on this platform map to their XDG or
// home counterpart; the others (virtual or Windows-only folders) take the
// fallback folder handed to InitFolders. Shell-folder paths do not end in a
// separator; Temp does ("/").
#include <QString>

// The shell folders with their Windows folder numbers, in ascending order.
#define VETTARO_SHELL_FOLDERS(X) \
    X(Desktop, 0x00) X(Internet, 0x01) X(Programs, 0x02) X(Controls, 0x03) X(Printers, 0x04) \
    X(Personal, 0x05) X(Favorites, 0x06) X(Startup, 0x07) X(Recent, 0x08) X(SendTo, 0x09) \
    X(BitBucket, 0x0a) X(StartMenu, 0x0b) X(MyDocuments, 0x0c) X(MyMusic, 0x0d) X(MyVideo, 0x0e) \
    X(DesktopDirectory, 0x10) X(Drives, 0x11) X(Network, 0x12) X(NetHood, 0x13) X(Fonts, 0x14) \
    X(Templates, 0x15) X(CommonStartMenu, 0x16) X(CommonPrograms, 0x17) X(CommonStartup, 0x18) \
    X(CommonDesktopDirectory, 0x19) X(AppData, 0x1a) X(PrintHood, 0x1b) X(LocalAppData, 0x1c) \
    X(AltStartup, 0x1d) X(CommonAltStartup, 0x1e) X(CommonFavorites, 0x1f) X(InternetCache, 0x20) \
    X(Cookies, 0x21) X(History, 0x22) X(CommonAppData, 0x23) X(Windows, 0x24) X(System, 0x25) \
    X(ProgramFiles, 0x26) X(MyPictures, 0x27) X(Profile, 0x28) X(SystemX86, 0x29) \
    X(ProgramFileX86, 0x2a) X(ProgramFilesCommon, 0x2b) X(ProgramFilesCommonX86, 0x2c) \
    X(CommonTemplates, 0x2d) X(CommonDocuments, 0x2e) X(CommonAdminTools, 0x2f) X(AdminTools, 0x30) \
    X(Connections, 0x31) X(CommonMusic, 0x35) X(CommonPictures, 0x36) X(CommonVideo, 0x37) \
    X(Resources, 0x38) X(ResourcesLocalized, 0x39) X(CommonOemLinks, 0x3a) X(CDBurnArea, 0x3b) \
    X(ComputersNearMe, 0x3d)

class SpecialFolder {
public:
    // Fills every property; a folder the platform cannot give takes lclDefaultDir.
    void InitFolders(const QString &lclDefaultDir);

    const QString &Temp() const { return m_Temp; }
    void Temp(const QString &v) { m_Temp = v; }
    const QString &DefaultDir() const { return m_DefaultDir; }
    void DefaultDir(const QString &v) { m_DefaultDir = v; }

#define VETTARO_FOLDER_PROPERTY(name, id) \
    const QString &name() const { return m_##name; } \
    void name(const QString &v) { m_##name = v; }
    VETTARO_SHELL_FOLDERS(VETTARO_FOLDER_PROPERTY)
#undef VETTARO_FOLDER_PROPERTY

    // Path of a shell folder by its Windows number ("" for an unknown number).
    QString ByNumber(int csidl) const;

private:
    // The platform's folder for a Windows folder number; "" when it has none.
    static QString PlatformFolder(int csidl);
    QString GetShellFolder(int folderId) const;

    QString m_Temp;
    QString m_DefaultDir;
#define VETTARO_FOLDER_FIELD(name, id) QString m_##name;
    VETTARO_SHELL_FOLDERS(VETTARO_FOLDER_FIELD)
#undef VETTARO_FOLDER_FIELD
};

// The one shared object; start-up calls InitFolders with the program folder.
extern SpecialFolder SpecialFolders;
