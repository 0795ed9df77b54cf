// The engine's file system layer for every connection the layer opens: the
// system's own, except that a name through one of this process's folder
// handles ("/proc/self/fd/<folder>/<name>", files::ThroughHandle) is kept as
// given. The system's layer resolves links in a name to make it absolute,
// which would turn the handle into the path its folder has at that moment
// and open the file by path again, in whatever folder that path names by
// then; kept, the name reaches the folder the handle holds, for the file and
// for the journal beside it.
#include "platform/dao/DaoDetail.h"

#include "platform/files/Walk.h"

#include <QFile>

#include <cstring>
#include <mutex>

namespace dao::detail {

namespace {

sqlite3_vfs g_keeping;
sqlite3_vfs *g_system = nullptr;

int fullPathname(sqlite3_vfs *, const char *name, int size, char *out)
{
    if (name && files::HandleOf(QFile::decodeName(name)) >= 0) {
        const size_t length = std::strlen(name);
        if (size <= 0 || length >= size_t(size))
            return SQLITE_CANTOPEN;
        std::memcpy(out, name, length + 1);
        return SQLITE_OK;
    }
    return g_system->xFullPathname(g_system, name, size, out);
}

} // namespace

const char *keepHandlePaths()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_system = sqlite3_vfs_find(nullptr);
        // Everything else is the system layer's own, its private data too
        // (its methods read it through the layer they are called with).
        g_keeping = *g_system;
        g_keeping.pNext = nullptr;
        g_keeping.zName = "vettaro-handle-paths";
        g_keeping.xFullPathname = fullPathname;
        sqlite3_vfs_register(&g_keeping, 0);
    });
    return g_keeping.zName;
}

} // namespace dao::detail
