#include "help/HelpPicture.h"

#include "files/InputFile.h"
#include "files/NativePath.h"
#include "platform/FileSystem.h"

#include <QDir>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>

namespace glyphor::help {

namespace {

Failure SystemFailure(int error)
{
    return Failure { platform::SystemErrorText(error).toStdString() };
}

// The path with every link, "." and ".." resolved, or the system's reason.
Result<std::string> RealPath(const std::string& path)
{
    const std::unique_ptr<char, decltype(&std::free)> real(
        ::realpath(path.c_str(), nullptr), &std::free);
    if (!real)
        return SystemFailure(errno);
    return std::string(real.get());
}

} // namespace

Result<std::vector<std::uint8_t>> ReadHelpPicture(
    const QString& helpFolder, const QString& reference)
{
    const Failure outside { "not in the help's folder" };
    // Told by the name first: a path that climbs out of the folder is
    // refused whether or not something is there.
    const QString cleaned = QDir::cleanPath(reference);
    if (reference.isEmpty() || cleaned.startsWith(QLatin1Char('/'))
        || cleaned == QLatin1String("..") || cleaned.startsWith(QLatin1String("../")))
        return outside;
    const Result<std::string> folder = RealPath(files::ToNativePath(helpFolder));
    if (!folder)
        return Failure { folder.message() };
    // Resolved before it is opened, so that a link on the way, or "..",
    // that leads out of the folder is seen for what it is.
    const Result<std::string> path
        = RealPath(files::ToNativePath(helpFolder + QLatin1Char('/') + reference));
    if (!path)
        return Failure { path.message() };
    const std::string inside = *folder == "/" ? *folder : *folder + "/";
    if (!path->starts_with(inside))
        return outside;

    files::InputFile file = files::InputFile::open(*path);
    if (!file.ok()) {
        if (file.notRegular())
            return Failure { "not a regular file" };
        return SystemFailure(file.error());
    }
    const Failure tooLarge { "larger than " + std::to_string(kMaxHelpPictureBytes) + " bytes" };
    if (file.size() > kMaxHelpPictureBytes)
        return tooLarge;
    std::vector<std::uint8_t> bytes;
    if (const int error = file.readToEnd(bytes, kMaxHelpPictureBytes); error != 0)
        return SystemFailure(error);
    if (bytes.size() > kMaxHelpPictureBytes)
        return tooLarge;
    return bytes;
}

} // namespace glyphor::help
