#include "platform/PathCheck.h"

#include "platform/FileSystem.h"
#include "platform/InputFile.h"
#include "platform/NativePath.h"

#include <cerrno>
#include <sys/stat.h>

namespace glyphor::platform {

std::optional<QString> fileReadProblem(const QString& path)
{
    // What is neither a regular file nor a folder is left to the readers,
    // which take it for no executable; it is not opened here either, so that
    // naming a fifo cannot hang the check.
    const InputFile file = InputFile::open(toNativePath(path));
    if (file.ok() || (file.notRegular() && file.error() != EISDIR))
        return std::nullopt;
    return systemErrorText(file.error());
}

std::optional<QString> folderProblem(const QString& path)
{
    struct stat st { };
    if (::stat(toNativePath(path).c_str(), &st) != 0)
        return systemErrorText(errno);
    if (!S_ISDIR(st.st_mode))
        return systemErrorText(ENOTDIR);
    return std::nullopt;
}

} // namespace glyphor::platform
