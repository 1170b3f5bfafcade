#include "files/NewFile.h"

#include "files/Folder.h"
#include "files/WriteAll.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace glyphor::files {

namespace {

// Far more names than any folder holds: the numbering of icon files wraps
// after 10000, so a caller that keeps offering taken names is stopped here.
constexpr int kMaxTries = 10000;

constexpr std::string_view kRandomPart = "XXXXXX";

mode_t NewFileMode()
{
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return 0666 & ~mask;
    }();
    return mode;
}

bool IsRandomCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

} // namespace

NewFile::NewFile(const std::string& folder, const std::string& name)
    : m_folderFd(AT_FDCWD)
{
    // Beside the final names, so that the last step is a rename within one
    // file system; hidden, so that folder lists leave it out. Long names are
    // shortened to stay within the system's limit on a name.
    std::string temp = folder;
    if (!temp.empty() && temp.back() != '/')
        temp += '/';
    temp += '.';
    temp += name.substr(0, 200);
    temp += '.';
    temp += kRandomPart;
    m_fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (m_fd < 0)
        m_error = errno;
    else
        m_temp = std::move(temp);
}

namespace {

// The folder part of path with its slash, and the name after it.
std::pair<std::string, std::string> SplitPath(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return { std::string(), path };
    return { path.substr(0, slash + 1), path.substr(slash + 1) };
}

char RandomCharacter(unsigned value)
{
    static constexpr char kCharacters[]
        = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    return kCharacters[value % (sizeof kCharacters - 1)];
}

} // namespace

NewFile::NewFile(const std::string& path)
    : NewFile(SplitPath(path).first, SplitPath(path).second)
{
}

NewFile::NewFile(const Folder& folder, const std::string& name)
    : m_folderFd(folder.descriptor())
{
    if (m_folderFd < 0) {
        m_error = folder.error();
        return;
    }
    // As mkostemp does, but within the open folder. The generator is seeded
    // once: opening the system's source of randomness for every file would
    // cost more than writing it.
    static std::mt19937 random { std::random_device()() };
    for (int tries = 0; tries < 100; ++tries) {
        std::string temp = "." + name.substr(0, 200) + ".";
        for (std::size_t i = 0; i < kRandomPart.size(); ++i)
            temp += RandomCharacter(unsigned(random()));
        m_fd = ::openat(
            m_folderFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd >= 0) {
            m_temp = std::move(temp);
            return;
        }
        if (errno != EEXIST)
            break;
    }
    m_error = errno;
}

NewFile::~NewFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_placed && !m_temp.empty())
        ::unlinkat(m_folderFd, m_temp.c_str(), 0);
}

bool NewFile::write(const std::uint8_t* data, std::size_t size)
{
    return WriteAll(m_fd, data, size, m_error);
}

bool NewFile::finish()
{
    // The temporary was made private; the file gets the mode a new file of
    // the user gets.
    ::fchmod(m_fd, NewFileMode());
    const int rc = ::close(m_fd);
    m_fd = -1;
    if (rc != 0) {
        m_error = errno;
        return false;
    }
    return true;
}

std::optional<std::string> NewFile::place(
    const std::function<std::optional<std::string>()>& nextName)
{
    return placeAt(m_folderFd, nextName);
}

std::optional<std::string> NewFile::placeIn(
    const Folder& target, const std::function<std::optional<std::string>()>& nextName)
{
    if (!target.ok()) {
        m_error = target.error();
        return std::nullopt;
    }
    return placeAt(target.descriptor(), nextName);
}

std::optional<std::string> NewFile::placeAt(
    int targetFd, const std::function<std::optional<std::string>()>& nextName)
{
    for (int tries = 0; tries < kMaxTries; ++tries) {
        std::optional<std::string> name = nextName();
        if (!name)
            break;
        m_lastName = *name;
        const int error = RenameNoReplaceAt(m_folderFd, m_temp, targetFd, *name);
        if (error == 0) {
            m_placed = true;
            return name;
        }
        m_error = error;
        if (error != EEXIST)
            break;
    }
    return std::nullopt;
}

bool NewFile::placeAs(const std::string& path)
{
    bool offered = false;
    return place([&]() -> std::optional<std::string> {
        if (std::exchange(offered, true))
            return std::nullopt;
        return path;
    }).has_value();
}

bool NewFile::isTemporaryName(std::string_view name)
{
    // "." + at least one character + "." + six random characters.
    if (name.size() < 3 + kRandomPart.size() || name.front() != '.')
        return false;
    const std::size_t dot = name.size() - kRandomPart.size() - 1;
    if (name[dot] != '.')
        return false;
    for (std::size_t i = dot + 1; i < name.size(); ++i) {
        if (!IsRandomCharacter(name[i]))
            return false;
    }
    return true;
}

int RenameNoReplace(const std::string& from, const std::string& to)
{
    return RenameNoReplaceAt(AT_FDCWD, from, AT_FDCWD, to);
}

int RenameNoReplaceAt(int fromFd, const std::string& from, int toFd, const std::string& to)
{
    if (::renameat2(fromFd, from.c_str(), toFd, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    // Some file systems (older network and user-space ones) do not take the
    // flag; a hard link refuses an existing name just the same.
    if (error == EINVAL || error == ENOSYS)
        return RenameNoReplaceByLinkAt(fromFd, from, toFd, to);
    return error;
}

int RenameNoReplaceByLinkAt(int fromFd, const std::string& from, int toFd, const std::string& to)
{
    if (::linkat(fromFd, from.c_str(), toFd, to.c_str(), 0) != 0)
        return errno;
    // The file has its name; an old name that cannot be removed is left for
    // the next run of the program to clear, as a killed writer's would be.
    ::unlinkat(fromFd, from.c_str(), 0);
    return 0;
}

int RenameNoReplaceByLink(const std::string& from, const std::string& to)
{
    return RenameNoReplaceByLinkAt(AT_FDCWD, from, AT_FDCWD, to);
}

} // namespace glyphor::files
