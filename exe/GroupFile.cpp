#include "exe/GroupFile.h"

#include "exe/CursorFormat.h"
#include "util/DiskRecord.h"

namespace glyphor::exe {

std::vector<std::uint8_t> WriteGroupFile(GroupKind kind, std::span<const GroupFileImage> images)
{
    IconDirHeader header {};
    header.type = kind == GroupKind::Icon ? kIconFileType : kCursorFileType;
    header.count = static_cast<std::uint16_t>(images.size());
    std::uint64_t total = sizeof(IconDirHeader) + images.size() * sizeof(IconDirEntry);
    std::uint64_t at = total;
    for (const GroupFileImage& image : images)
        total += image.bytes.size();

    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(total));
    AppendRecord(out, header);
    for (const GroupFileImage& image : images) {
        IconDirEntry entry = image.entry;
        entry.bytesInRes = static_cast<std::uint32_t>(image.bytes.size());
        entry.imageOffset = static_cast<std::uint32_t>(at);
        AppendRecord(out, entry);
        at += image.bytes.size();
    }
    for (const GroupFileImage& image : images)
        out.insert(out.end(), image.bytes.begin(), image.bytes.end());
    return out;
}

Result<RebuiltGroup> RebuildGroup(
    const IconContainer& container, const files::ByteSource& source, std::size_t group)
{
    auto images = container.group(group);
    if (!images)
        return Failure { images.message() };
    const files::SourceReader file(source);
    RebuiltGroup rebuilt;
    std::vector<std::vector<std::uint8_t>> kept;
    std::vector<IconDirEntry> entries;
    std::uint64_t total = sizeof(IconDirHeader);
    for (std::size_t i = 0; i < images->size(); ++i) {
        const GroupImage& image = (*images)[i];
        // An image cut at the end of the file or of its section is not the
        // image that was stored; it is left out like a missing one.
        if (image.data.range.empty() || image.data.flaw != Flaw::None) {
            rebuilt.leftOut.push_back({ i, std::string(ImageFlawText(image.data.flaw)) });
            continue;
        }
        const std::uint64_t cost = sizeof(IconDirEntry) + image.length;
        if (total + cost > kMaxGroupFileBytes) {
            rebuilt.leftOut.push_back({ i, "group is larger than 64 MB" });
            continue;
        }
        std::vector<std::uint8_t> bytes
            = ReadImage(file, { image.data.range.offset, image.length });
        if (bytes.empty()) {
            const std::string failure = source.failure();
            rebuilt.leftOut.push_back(
                { i, failure.empty() ? std::string("image data cannot be read") : failure });
            continue;
        }
        total += cost;
        kept.push_back(std::move(bytes));
        entries.push_back(image.entry);
    }
    if (kept.empty())
        return rebuilt;
    std::vector<GroupFileImage> parts;
    parts.reserve(kept.size());
    for (std::size_t k = 0; k < kept.size(); ++k)
        parts.push_back({ entries[k], kept[k] });
    rebuilt.file = WriteGroupFile(container.kind(), parts);
    rebuilt.images = parts.size();
    return rebuilt;
}

} // namespace glyphor::exe
