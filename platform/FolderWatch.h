#pragma once
// Tells whether anything but the program itself added, removed or renamed an
// entry of a folder: the merge lists the destination once and then keeps the
// list itself, reading the folder again only when someone else changed it
// (a Save Icon meanwhile, another program), so that a large merge does not
// list and sort thousands of names after each copy.

#include <QString>
#include <QStringList>

#include <string>
#include <unordered_set>

namespace glyphor::files {
class Folder;
}

namespace glyphor::platform {

class FolderWatch {
public:
    // Starts watching folder. Where the system cannot watch it (no watches
    // left, a file system that does not tell), every question answers yes,
    // which costs a read of the folder, never a missed change.
    explicit FolderWatch(const QString& folder);
    // The same for a folder held open: it is watched wherever it goes.
    explicit FolderWatch(const files::Folder& folder);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool watching() const { return m_fd >= 0; }

    // A name that the program itself is about to put into the folder: its
    // arrival is not a change by someone else.
    void expect(const QString& name);
    // True when an entry was added, removed or renamed since the last call
    // by anything but the names expected.
    bool changedByOthers();

private:
    void watch(const std::string& path);

    int m_fd = -1;
    std::unordered_set<std::string> m_expected;
};

} // namespace glyphor::platform
