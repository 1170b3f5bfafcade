#pragma once
// What the threads that read a harvest's sources make of one source (a file,
// or a member of an archive held in memory): its icons captured as icon
// files' bytes, each with its original group, or why not. The harvest's own
// thread takes these in the order of the walk and does all that the user
// sees and all that is written, so that a harvest gives the same files,
// names and records whatever number of threads read ahead for it.

#include "harvest/HarvestObserver.h"
#include "harvest/IconProvider.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <exception>
#include <optional>
#include <vector>

namespace glyphor {

struct CaptureObjects;
class OriginalHashes;

struct IconWork {
    enum class Kind {
        Captured, // file holds the icon file's bytes
        Skipped, // the icon could not be had: reason tells why; the harvest goes on
        Failed, // an error that ends the harvest, raised when this icon's turn comes
    };
    Kind kind = Kind::Captured;
    // A capture takes its file's name once the icon is extracted, before it
    // is passed through the image list: one that fails there has taken its
    // name (and moved the counter on) all the same.
    bool tookName = true;
    std::vector<std::uint8_t> file;
    std::optional<OriginalGroup> original;
    QString reason;
    std::exception_ptr failure;
};

struct SourceWork {
    // The source as the walk names it, and for a member its place in the
    // archive.
    QString file;
    QString member;
    QString memberPosition;
    // The path sourceOpened names: the file, or "archive › member".
    QString path;
    int count = 0;
    // Why the source's icons could not even be counted; empty otherwise.
    QString unreadable;
    // Its icons in order, one for each of count, up to where a Failed one
    // ended the reading.
    std::vector<IconWork> icons;

    // What the work holds in memory, roughly.
    std::size_t bytes() const;
};

// The number of icons of input; 0, with why in unreadable, when the file
// cannot be read at all.
int CountIcons(const IconProvider& icons, const IconInput& input, QString& unreadable);
// Icon index of input as a capture makes it, with scratch objects of the
// caller's own. originals, when given: its original group is kept too, with
// its hash from there.
IconWork ReadIcon(const IconProvider& icons, CaptureObjects& objects, const IconInput& input,
    int index, OriginalHashes* originals);
// Every icon of input, read ahead. Stops early (the icons read so far) once
// cancelled is set.
SourceWork ReadSource(const IconProvider& icons, CaptureObjects& objects, const IconInput& input,
    const QString& file, const QString& member, const QString& memberPosition,
    OriginalHashes* originals, const std::atomic<bool>& cancelled);

} // namespace glyphor
