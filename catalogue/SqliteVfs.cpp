#include "catalogue/SqliteVfs.h"

#include <sqlite3.h>

#include <cstring>
#include <mutex>
#include <sys/stat.h>

namespace glyphor::catalogue {

namespace {

constexpr const char* kName = "glyphor2-catalogue";

sqlite3_vfs* g_system = nullptr;

int FullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    if (name[0] != '/')
        return g_system->xFullPathname(g_system, name, size, out);
    const std::size_t length = std::strlen(name);
    if (length + 1 > static_cast<std::size_t>(size))
        return SQLITE_CANTOPEN;
    std::memcpy(out, name, length + 1);
    return SQLITE_OK;
}

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    // The files SQLite names after the database (temporary files have no
    // name) must not be links or anything but regular files.
    struct stat st { };
    if (name != nullptr && ::lstat(name, &st) == 0 && !S_ISREG(st.st_mode)) {
        file->pMethods = nullptr;
        return SQLITE_CANTOPEN;
    }
    return g_system->xOpen(g_system, name, file, flags, outFlags);
}

} // namespace

const char* CatalogueVfsName()
{
    static std::once_flag once;
    std::call_once(once, [] {
        static sqlite3_vfs vfs;
        g_system = sqlite3_vfs_find(nullptr);
        vfs = *g_system;
        vfs.pNext = nullptr;
        vfs.zName = kName;
        vfs.xFullPathname = FullPathname;
        vfs.xOpen = Open;
        sqlite3_vfs_register(&vfs, 0);
    });
    return kName;
}

} // namespace glyphor::catalogue
