#include "platform/PathCheck.h"

#include "files/InputFile.h"
#include "files/NativePath.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <sys/stat.h>

namespace glyphor::platform {

std::optional<QString> FileReadProblem(const QString& path)
{
    // What is neither a regular file nor a folder is left to the readers,
    // which take it for no executable; it is not opened here either, so that
    // naming a fifo cannot hang the check.
    const files::InputFile file = files::InputFile::open(files::ToNativePath(path));
    if (file.ok() || (file.notRegular() && file.error() != EISDIR))
        return std::nullopt;
    return SystemErrorText(file.error());
}

std::optional<QString> FolderProblem(const QString& path)
{
    struct stat st { };
    if (::stat(files::ToNativePath(path).c_str(), &st) != 0)
        return SystemErrorText(errno);
    if (!S_ISDIR(st.st_mode))
        return SystemErrorText(ENOTDIR);
    return std::nullopt;
}

} // namespace glyphor::platform
