#include "harvest/SourceWork.h"

#include "harvest/CaptureIcon.h"
#include "harvest/OriginalHashes.h"
#include "iconfile/IconFileWriter.h"

namespace glyphor {

std::size_t SourceWork::bytes() const
{
    std::size_t total = sizeof(SourceWork);
    for (const IconWork& icon : icons) {
        total += sizeof(IconWork) + icon.file.size();
        if (icon.original)
            total += icon.original->file.size();
    }
    return total;
}

int CountIcons(const IconProvider& icons, const IconInput& input, QString& unreadable)
{
    try {
        return icons.countOf(input);
    } catch (const Error& e) {
        // A file that cannot be read at all is one bad file: the harvest
        // names it and goes on.
        unreadable = QString::fromStdString(e.what());
        return 0;
    }
}

IconWork ReadIcon(const IconProvider& icons, CaptureObjects& objects, const IconInput& input,
    int index, OriginalHashes* originals)
{
    IconWork icon;
    icon.tookName = false;
    try {
        icon.file = EncodeIconFile(CaptureImage(objects, icons, input, index, &icon.tookName));
    } catch (const EInvalidIcon& e) {
        // One bad icon never ends a harvest: it is named and counted, and
        // the walk goes on with the next.
        icon.kind = IconWork::Kind::Skipped;
        icon.reason = QString::fromStdString(e.what());
        return icon;
    } catch (...) {
        icon.kind = IconWork::Kind::Failed;
        icon.failure = std::current_exception();
        return icon;
    }
    if (originals) {
        icon.original = icons.original(input, index);
        if (icon.original && !icon.original->file.empty())
            icon.original->hash = originals->of(icon.original->file);
    }
    return icon;
}

SourceWork ReadSource(const IconProvider& icons, CaptureObjects& objects, const IconInput& input,
    const QString& file, const QString& member, const QString& memberPosition,
    OriginalHashes* originals, const std::atomic<bool>& cancelled)
{
    SourceWork work;
    work.file = file;
    work.member = member;
    work.memberPosition = memberPosition;
    work.path = input.path;
    work.count = CountIcons(icons, input, work.unreadable);
    work.icons.reserve(std::size_t(std::max(work.count, 0)));
    for (int i = 0; i < work.count && !cancelled.load(std::memory_order_relaxed); ++i) {
        work.icons.push_back(ReadIcon(icons, objects, input, i, originals));
        if (work.icons.back().kind == IconWork::Kind::Failed)
            break;
    }
    return work;
}

} // namespace glyphor
