#pragma once
// The per-user folder for files the program keeps for its user alone (the
// import log): the folder VettaroConfigFolderName below the XDG runtime
// folder, or below the XDG cache folder when there is no runtime folder.
// Never the shared temporary folder, where another local user could plant a
// link or a file at the name.
#include <QByteArray>
#include <QString>

// The private folder, held open: its files are written through this handle,
// so the folder that was checked is the folder written, even where another
// account renamed it and put a link or a folder of its own at its name.
class PrivateFolder {
public:
    PrivateFolder() = default;
    PrivateFolder(int fd, const QString &path) : m_fd(fd), m_path(path) {}
    PrivateFolder(PrivateFolder &&other) noexcept;
    PrivateFolder &operator=(PrivateFolder &&other) noexcept;
    PrivateFolder(const PrivateFolder &) = delete;
    PrivateFolder &operator=(const PrivateFolder &) = delete;
    ~PrivateFolder();

    bool isOpen() const { return m_fd >= 0; }
    int handle() const { return m_fd; }
    // The path it had when it was checked, for messages.
    QString path() const { return m_path; }

    // Writes data as the whole file name of the folder (mode 0600, replacing
    // whatever stands at the name without following it). False with *error
    // set to the reason; the previous file is then untouched.
    bool writeWhole(const QString &name, const QByteArray &data, QString *error = nullptr) const;

private:
    int m_fd = -1;
    QString m_path;
};

// Opens the folder, making it with mode 0700 when missing. The base folder
// must be the user's or root's, and where others may write it (its group, but
// for the user's own private group, or everyone), sticky (so no one else can
// rename or remove the user's folder in it); the folder itself
// must be a real folder (not a link) owned by the user; a looser mode is set
// back to 0700. Otherwise a closed folder with *error set to the reason.
PrivateFolder OpenUserPrivateFolder(QString *error = nullptr);
