#include "harvest/NextIconFileName.h"

#include "files/Folder.h"
#include "files/NativePath.h"
#include "harvest/IconCounter.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>

namespace glyphor {

namespace {

// The name space of one folder: 0000 to 9999.
constexpr int kNamesPerFolder = 10000;

// A name is taken by anything but a folder. A link counts by what it points
// at, and a dangling link counts as taken so that nothing is written through
// it: its attributes then hold no folder bit.
bool FileTaken(const QString& path)
{
    const std::optional<unsigned> attributes = platform::AttributesOf(path);
    return attributes && !(*attributes & platform::faDirectory);
}

// The counter steps in 32 bits and wraps instead of overflowing; only the last
// four digits ever matter.
std::int32_t Next(std::int32_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1u);
}

} // namespace

QString IconNumberDigits(std::int32_t value)
{
    const std::int64_t magnitude = value < 0 ? -static_cast<std::int64_t>(value) : value;
    const QString text = QStringLiteral("0000") + QString::number(magnitude);
    return text.right(4);
}

namespace {

// The first free name by taken(name), from IconCounter upward.
template <class Taken> QString FirstFreeName(const QString& folder, Taken&& taken)
{
    const std::int32_t start = IconCounter();
    std::int32_t counter = start;
    for (int tried = 0; tried < kNamesPerFolder; ++tried) {
        QString name = QStringLiteral("Icon") + IconNumberDigits(counter) + QStringLiteral(".ico");
        const bool isTaken = taken(name);
        counter = Next(counter);
        if (!isTaken) {
            SetIconCounter(counter);
            return name;
        }
    }
    // Every one of the 10000 numbers has been tried once, so the search would
    // never end.
    SetIconCounter(start);
    throw ENoFreeIconName(
        FormatMessage("No free icon file name left in %s: Icon0000.ico to Icon9999.ico all exist",
            files::MessagePath(folder)));
}

} // namespace

QString NextIconFileName(const QString& folder)
{
    return platform::JoinPath(folder, FirstFreeName(folder, [&](const QString& name) {
        return FileTaken(platform::JoinPath(folder, name));
    }));
}

QString NextIconFileNameIn(const files::Folder& folder)
{
    return FirstFreeName(files::FromNativePath(folder.path()), [&](const QString& name) {
        // As FileTaken, relative to the open folder.
        struct stat st { };
        if (::fstatat(folder.descriptor(), files::ToNativePath(name).c_str(), &st, 0) == 0)
            return !S_ISDIR(st.st_mode);
        return ::fstatat(
                   folder.descriptor(), files::ToNativePath(name).c_str(), &st, AT_SYMLINK_NOFOLLOW)
            == 0;
    });
}

} // namespace glyphor
