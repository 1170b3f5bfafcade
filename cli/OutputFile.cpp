#include "cli/OutputFile.h"

#include "cli/CommandLine.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace glyphor::cli {

namespace {

std::string Reason(int error)
{
    return platform::SystemErrorText(error).toStdString();
}

// The permissions a file created the usual way gets: mkstemp makes its file
// private, which would leave a PNG meant for other programs unreadable to them.
mode_t CreationMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    std::string pattern = path + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        throw Error(FormatMessage("Cannot create file %s", Shown(path)) + ": " + Reason(errno));
    int error = 0;
    errno = 0;
    if (::fchmod(fd, CreationMode()) != 0 || !WriteAll(fd, bytes))
        error = errno != 0 ? errno : EIO;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(name.data(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(name.data());
        throw Error("Stream write error: " + Shown(path) + ": " + Reason(error));
    }
}

} // namespace glyphor::cli
