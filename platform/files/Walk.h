#pragma once
// Finding a file through folder handles, one entry at a time, following a link
// only where the system's protection against links planted in shared folders
// would follow it. The file writer finds every file it writes this way, and
// the database layer finds the files it clears beside a database the same
// way, so both follow the same links.
#include <QString>
#include <QStringList>

#include <sys/stat.h>

namespace files {

// Whether the system's protection against links planted in shared folders
// (fs.protected_symlinks) lets this user follow the link described by link,
// which stands in the folder open at dirFd: the link is the user's own, or
// the folder is not both sticky and writable by everyone (as /tmp is), or
// the link belongs to the folder's owner. The rule is applied here whether
// or not the system applies it, since the walk resolves links itself.
bool MayFollow(int dirFd, const struct stat &link);

// Where a path's final entry is: its folder, opened (a handle through which
// everything else is done, so the folder cannot be swapped in between), the
// folder's path with no link in it, and the entry's name.
struct Place {
    int dir = -1;
    QStringList folder;
    QString name;
    // A failed walk: the errno, and a link that was refused.
    int error = 0;
    QString refusedLink;

    // The folder's path, "/a/b".
    QString folderPath() const;
};

// Walks an absolute path one entry at a time, following a link only where
// MayFollow allows it; the final entry is followed when followFinal is set
// (and may be missing). "." and ".." are taken as the system takes them, on
// the folder reached so far (after a link, the parent of where it led). A
// path through one of this process's folder handles (ThroughHandle) starts
// at the folder the handle holds, as the system takes it, whatever path names
// that folder now; ".." may not climb out of it (EACCES).
// With makeFolders the whole path names a folder: a missing folder on the way
// is made (mode 0777 less the umask, as mkdir -p makes it), the final entry is
// followed like any other, and place->dir is that folder, place->name empty.
// False with place->error (EACCES and refusedLink for a link that was
// refused). On success place->dir is a handle (O_PATH) the caller closes.
bool Walk(const QString &path, bool followFinal, Place *place, bool makeFolders = false);

// name in folder, with one '/' between them.
QString InFolder(const QString &folder, const QString &name);

// A name of name in the folder open at dirFd, through this process's handle
// of that folder: "/proc/self/fd/<dirFd>/<name>" (the folder itself when name
// is empty). The system reaches through it the very folder the handle holds,
// even where that folder's path has since been given to a link or another
// folder, so a library that opens files only by name (the database engine)
// works in the folder that was checked. Valid while the handle is open.
QString ThroughHandle(int dirFd, const QString &name = QString());
// The handle a name made by ThroughHandle goes through, with the rest of the
// name in *rest (empty for the folder itself); -1 for any other name.
int HandleOf(const QString &path, QString *rest = nullptr);

} // namespace files
