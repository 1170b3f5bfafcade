#pragma once
// A folder held open. What a harvest does in its folders (create, rename,
// delete, list, read) it does relative to folders opened once, so that no
// later change of a path (a folder renamed, one replaced by a link to
// another) can send an operation elsewhere, and paths longer than the
// system's limit on a path still work, one name at a time.
//
// Plain C++ on the system's bytes for names.

#include <string>
#include <utility>

namespace glyphor::files {

class Folder {
public:
    Folder() = default;
    // The folder at path (links on the way are followed: the user named it).
    static Folder open(const std::string& path);
    // The folder name inside this one, which must be a folder itself and not
    // a link to one. Its path is this one's and the name.
    Folder child(const std::string& name) const;
    // A second handle on the same folder.
    Folder duplicate() const;
    // Whether name in parent still leads to this very folder (not a link to
    // it): another folder put in its place since it was opened does not.
    bool isNamed(const Folder& parent, const std::string& name) const;
    // Whether both handles hold the same folder (device and inode), by
    // whatever paths they were opened.
    bool isSameAs(const Folder& other) const;
    // Whether this folder is other or lies somewhere below it, as ".." leads
    // up from it now.
    bool isWithin(const Folder& other) const;

    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();

    bool ok() const { return m_fd >= 0; }
    // Why it could not be opened: the system's error number.
    int error() const { return m_error; }
    int descriptor() const { return m_fd; }
    // The path it was opened by, for messages; it may lead elsewhere now.
    const std::string& path() const { return m_path; }
    // The path of a name in it, for messages.
    std::string pathOf(const std::string& name) const;

private:
    Folder(int fd, int error, std::string path)
        : m_fd(fd)
        , m_error(error)
        , m_path(std::move(path))
    {
    }

    int m_fd = -1;
    int m_error = 0;
    std::string m_path;
};

} // namespace glyphor::files
