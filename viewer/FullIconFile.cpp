#include "viewer/FullIconFile.h"

#include "files/NativePath.h"
#include "files/NewFile.h"
#include "util/Error.h"

#include <cstring>

namespace glyphor {

void WriteFullIconFile(const QString& path, std::span<const std::uint8_t> group)
{
    const std::string native = files::ToNativePath(path);
    const std::string shown = files::MessagePath(path);
    files::NewFile file(native);
    if (!file.ok())
        throw Error(
            FormatMessage("Cannot create file %s", shown) + ": " + std::strerror(file.error()));
    if (!file.write(group.data(), group.size()) || !file.finish())
        throw Error("Stream write error: " + shown + ": " + std::strerror(file.error()));
    if (!file.placeAs(native))
        throw Error(
            FormatMessage("Cannot create file %s", shown) + ": " + std::strerror(file.error()));
}

} // namespace glyphor
