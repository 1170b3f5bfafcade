#include "harvest/FileOps.h"

#include "platform/NativePath.h"
#include "platform/NewFile.h"
#include "util/Error.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor {

namespace {

// Every path reaches the system through this, byte-exact.
std::string Native(const QString& path)
{
    return platform::ToNativePath(path);
}

// Closes a descriptor when the scope ends.
struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Opens path for reading only when it is a regular file. Without O_NONBLOCK
// the open of a fifo (any name ending in .ico can be one) would wait for a
// writer and hold the run for ever; a device or socket gives no icon either.
// Returns -1 with errno set: EINVAL when the path is not a regular file.
int OpenRegularFile(const QString& path)
{
    const int fd = ::open(Native(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat st {};
    const int error = ::fstat(fd, &st) != 0 ? errno : (S_ISREG(st.st_mode) ? 0 : EINVAL);
    if (error == 0)
        return fd;
    ::close(fd);
    errno = error;
    return -1;
}

} // namespace

std::optional<std::vector<platform::DirEntry>> FileOps::listDirectory(const QString& folder)
{
    try {
        return platform::ListDirectory(folder, platform::AttributeDetail::Full);
    } catch (const Error&) {
        return std::nullopt;
    }
}

int FileOps::makeDirectory(const QString& path)
{
    return ::mkdir(platform::ToNativePath(path).c_str(), 0777) == 0 ? 0 : errno;
}

bool FileOps::removeDirectory(const QString& path)
{
    return ::rmdir(Native(path).c_str()) == 0;
}

std::optional<QString> FileOps::copyToNewName(const QString& from, const QString& scratchFolder,
                                              const std::function<QString()>& nextName)
{
    Fd in;
    // Anything but a regular file fails the copy, so that the clean-up keeps it.
    in.fd = OpenRegularFile(from);
    if (in.fd < 0)
        return std::nullopt;
    const QString name = from.mid(from.lastIndexOf(QLatin1Char('/')) + 1);
    platform::NewFile out(platform::ToNativePath(scratchFolder), platform::ToNativePath(name));
    if (!out.ok())
        return std::nullopt;
    std::uint8_t buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(in.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        if (!out.write(buffer, std::size_t(n)))
            return std::nullopt;
    }
    if (!out.finish())
        return std::nullopt;
    QString offered;
    const bool placed = out.place([&]() -> std::optional<std::string> {
                            offered = nextName();
                            return platform::ToNativePath(offered);
                        }).has_value();
    if (!placed)
        return std::nullopt;
    return offered;
}

bool FileOps::deleteFile(const QString& path)
{
    return ::unlink(Native(path).c_str()) == 0;
}

std::optional<Signature> FileOps::readSignature(const QString& path)
{
    Fd file;
    file.fd = OpenRegularFile(path);
    if (file.fd < 0) {
        // A fifo, device or socket cannot hold an icon: like a short file it
        // equals nothing, and its own copy fails later, so it is never deleted.
        if (errno == EINVAL)
            return std::nullopt;
        platform::ThrowFileIoError(errno);
    }
    Signature signature{};
    std::size_t have = 0;
    while (have < signature.size()) {
        const ssize_t n = ::read(file.fd, signature.data() + have, signature.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            platform::ThrowFileIoError(errno);
        if (n == 0)
            return std::nullopt;
        have += std::size_t(n);
    }
    return signature;
}

std::optional<Signature> FileOps::comparableSignature(const QString& path)
{
    try {
        return readSignature(path);
    } catch (const EInOutError&) {
        return std::nullopt;
    }
}

FileOps& SystemFileOps()
{
    static FileOps ops;
    return ops;
}

} // namespace glyphor
