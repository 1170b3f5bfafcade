#pragma once
// A new file that is written under a hidden temporary name and then given its
// final name, the one way the program writes a file. Placed, it never
// replaces anything that is there: a file, a folder or a link, even a
// dangling one. So no reader ever sees a half-written file, a failure or a
// kill leaves nothing under a final name, and two writers (two runs of this
// program, or another program) never replace each other's files: the one
// that comes second takes the next free name instead. An output named on a
// command line is no exception: a name that is taken is refused.
//
// Plain C++ on the system's bytes, so that the icon file writer can use it;
// callers that hold paths as QString convert them with NativePath.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace glyphor::files {

class Folder;

class NewFile {
public:
    // Makes the temporary file in folder, named "." + name + "." and six
    // random letters or digits. ok() tells whether it was made.
    NewFile(const std::string& folder, const std::string& name);
    // The same beside path, named after its last part.
    explicit NewFile(const std::string& path);
    // The same in an open folder; place() then names the file in that folder
    // and placeIn() in another of the same file system.
    NewFile(const Folder& folder, const std::string& name);
    // Removes the temporary file unless it has been given its final name.
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    bool ok() const { return !m_temp.empty(); }
    // The system's error number of the step that failed.
    int error() const { return m_error; }

    // Writes all of the bytes; false when the system takes fewer.
    bool write(const std::uint8_t* data, std::size_t size);
    // Gives the file the permissions any new file of the user gets and
    // closes it.
    bool finish();

    // Gives the finished file the first name from nextName that nothing has
    // yet: a name taken by the time the file comes to it (EEXIST) is passed
    // over for the next one. nextName gives nothing when there is no other
    // name to try. Returns the name taken; nothing when none could be taken,
    // with error() and lastName() telling why and where.
    std::optional<std::string> place(const std::function<std::optional<std::string>()>& nextName);
    // The same for names in target, an open folder (for a file made in an
    // open folder).
    std::optional<std::string> placeIn(
        const Folder& target, const std::function<std::optional<std::string>()>& nextName);
    const std::string& lastName() const { return m_lastName; }

    // Gives the finished file the one name path when nothing has it. False,
    // with error() telling why (EEXIST when the name is taken), otherwise.
    bool placeAs(const std::string& path);

    // True for a name that a NewFile gives its temporary file: what a writer
    // that was killed midway leaves behind.
    static bool isTemporaryName(std::string_view name);

private:
    std::optional<std::string> placeAt(
        int targetFd, const std::function<std::optional<std::string>()>& nextName);

    int m_folderFd; // the folder the temporary file is in, or AT_FDCWD
    std::string m_temp;
    std::string m_lastName;
    int m_fd = -1;
    int m_error = 0;
    bool m_placed = false;
};

// Moves the file from to the name to unless something is there already.
// Returns 0 or the system's error number (EEXIST when to is taken). Uses
// renameat2 with RENAME_NOREPLACE, and where the file system refuses that
// (EINVAL, ENOSYS), a hard link under the new name and the removal of the old.
int RenameNoReplace(const std::string& from, const std::string& to);
// The same for names in open folders.
int RenameNoReplaceAt(int fromFd, const std::string& from, int toFd, const std::string& to);
// The second way alone, which the first falls back on; for the tests too,
// whose file systems all take the flag.
int RenameNoReplaceByLinkAt(int fromFd, const std::string& from, int toFd, const std::string& to);
int RenameNoReplaceByLink(const std::string& from, const std::string& to);

} // namespace glyphor::files
