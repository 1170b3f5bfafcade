#include "exe/IconExtractor.h"

#include "exe/IcoDirectoryReader.h"
#include "exe/NeResourceReader.h"
#include "exe/PeResourceReader.h"
#include "files/ByteSource.h"
#include "files/FileSource.h"
#include "iconfile/ImageDecoder.h"

#include <algorithm>
#include <climits>

namespace glyphor::exe {

namespace {

// Images of one group tried, best first, before the group is given up: a
// damaged best image falls back to the next best, but a hostile group of
// hundreds of broken images cannot make one extraction slow.
constexpr std::size_t kMaxDecodeAttempts = 4;

std::unique_ptr<IconContainer> OpenContainer(const files::ByteSource& bytes, GroupKind kind)
{
    if (auto pe = PeResourceReader::open(bytes, kind))
        return std::make_unique<PeResourceReader>(std::move(*pe));
    if (auto ne = NeResourceReader::open(bytes, kind))
        return std::make_unique<NeResourceReader>(std::move(*ne));
    if (auto ico = IcoDirectoryReader::open(bytes, kind))
        return std::make_unique<IcoDirectoryReader>(std::move(*ico));
    return nullptr;
}

// Why the best image that was tried did not decode: the flaw the reader found
// in it (an image cut short fails for that, whatever the decoder then
// says), else the decoder's own reason.
std::string WhyNotDecoded(const IconCandidate& image, const Result<IconImage>& decoded)
{
    if (image.flaw != Flaw::None)
        return std::string(ImageFlawText(image.flaw));
    if (decoded)
        return "image has no pixels";
    return decoded.message();
}

} // namespace

std::optional<IconSource> IconSource::fromFile(const std::string& path, GroupKind kind)
{
    auto file = files::FileSource::open(path);
    if (!file)
        return std::nullopt;
    return IconSource(std::move(file), kind);
}

IconSource::IconSource(std::span<const std::uint8_t> bytes, GroupKind kind)
    : IconSource(std::make_unique<files::MemorySource>(bytes), kind)
{
}

IconSource::IconSource(std::unique_ptr<files::ByteSource> source, GroupKind kind)
    : m_source(std::move(source))
    , m_container(OpenContainer(*m_source, kind))
{
    // A directory cut short by a failed read would give a count that the
    // file never had; such a file has no icons.
    if (!m_source->failure().empty())
        m_container.reset();
}

IconSource::~IconSource() = default;
IconSource::IconSource(IconSource&&) noexcept = default;
IconSource& IconSource::operator=(IconSource&&) noexcept = default;

int IconSource::count() const
{
    if (!m_container)
        return 0;
    return static_cast<int>(std::min<std::size_t>(m_container->groupCount(), INT_MAX));
}

std::vector<IconCandidate> IconSource::images(int index) const
{
    if (!m_container || index < 0 || index >= count())
        return {};
    return m_container->images(static_cast<std::size_t>(index));
}

Result<IconImage> IconSource::icon(int index) const
{
    if (!m_container || index < 0 || index >= count())
        return Failure { kNoSuchGroup };
    const auto group = m_container->group(static_cast<std::size_t>(index));
    if (!group)
        return Failure { group.message() };
    const files::SourceReader file(*m_source);
    const std::vector<IconCandidate> images = CandidatesOf(*group, m_container->kind(), file);
    const std::vector<std::size_t> order = PreferenceOrder(images);
    // Not one image is there: the first one's flaw stands for them all.
    if (order.empty())
        return Failure { images.empty() ? std::string("group directory lists no images")
                                        : std::string(ImageFlawText(images.front().flaw)) };
    std::string why;
    for (std::size_t k = 0; k < order.size() && k < kMaxDecodeAttempts; ++k) {
        const IconCandidate& image = images[order[k]];
        const std::vector<std::uint8_t> bytes = ReadImage(file, image.data);
        Result<IconImage> decoded = DecodeIconImage(bytes, DibLayout::Resource);
        if (decoded && !decoded->empty())
            return decoded;
        if (why.empty())
            why = WhyNotDecoded(image, decoded);
    }
    return Failure { why };
}

GroupName IconSource::groupName(int index) const
{
    if (!m_container || index < 0 || index >= count())
        return {};
    return m_container->groupName(static_cast<std::size_t>(index));
}

Result<RebuiltGroup> IconSource::originalGroup(int index) const
{
    if (!m_container || index < 0 || index >= count())
        return Failure { kNoSuchGroup };
    return RebuildGroup(*m_container, *m_source, static_cast<std::size_t>(index));
}

std::vector<std::uint8_t> IconSource::imageBytes(const IconCandidate& image) const
{
    return m_source ? ReadImage(files::SourceReader(*m_source), image.data)
                    : std::vector<std::uint8_t>();
}

std::string IconSource::readFailure() const
{
    return m_source ? m_source->failure() : std::string();
}

int IconCountOfBytes(std::span<const std::uint8_t> bytes)
{
    return IconSource(bytes).count();
}

Result<IconImage> ExtractIconFromBytes(std::span<const std::uint8_t> bytes, int index)
{
    return IconSource(bytes).icon(index);
}

Result<RebuiltGroup> RebuildGroupOfBytes(
    std::span<const std::uint8_t> bytes, int index, GroupKind kind)
{
    return IconSource(bytes, kind).originalGroup(index);
}

int IconCount(const std::string& path)
{
    auto source = IconSource::fromFile(path);
    return source ? source->count() : 0;
}

Result<IconImage> ExtractIcon(const std::string& path, int index)
{
    auto source = IconSource::fromFile(path);
    if (!source)
        return Failure { "the file cannot be read" };
    return source->icon(index);
}

} // namespace glyphor::exe
