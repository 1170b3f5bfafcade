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

std::unique_ptr<IconContainer> OpenContainer(const files::ByteSource& bytes)
{
    if (auto pe = PeResourceReader::open(bytes))
        return std::make_unique<PeResourceReader>(std::move(*pe));
    if (auto ne = NeResourceReader::open(bytes))
        return std::make_unique<NeResourceReader>(std::move(*ne));
    if (auto ico = IcoDirectoryReader::open(bytes))
        return std::make_unique<IcoDirectoryReader>(std::move(*ico));
    return nullptr;
}

} // namespace

std::optional<IconSource> IconSource::fromFile(const std::string& path)
{
    auto file = files::FileSource::open(path);
    if (!file)
        return std::nullopt;
    return IconSource(std::move(file));
}

IconSource::IconSource(std::span<const std::uint8_t> bytes)
    : IconSource(std::make_unique<files::MemorySource>(bytes))
{
}

IconSource::IconSource(std::unique_ptr<files::ByteSource> source)
    : m_source(std::move(source))
    , m_container(OpenContainer(*m_source))
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

std::optional<IconImage> IconSource::icon(int index) const
{
    const files::SourceReader file(*m_source);
    const std::vector<IconCandidate> images = this->images(index);
    const std::vector<std::size_t> order = PreferenceOrder(images);
    for (std::size_t k = 0; k < order.size() && k < kMaxDecodeAttempts; ++k) {
        const std::vector<std::uint8_t> bytes = ReadImage(file, images[order[k]].data);
        Result<IconImage> decoded = DecodeIconImage(bytes, DibLayout::Resource);
        if (decoded && !decoded->empty())
            return std::move(*decoded);
    }
    return std::nullopt;
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

std::optional<IconImage> ExtractIconFromBytes(std::span<const std::uint8_t> bytes, int index)
{
    return IconSource(bytes).icon(index);
}

int IconCount(const std::string& path)
{
    auto source = IconSource::fromFile(path);
    return source ? source->count() : 0;
}

std::optional<IconImage> ExtractIcon(const std::string& path, int index)
{
    auto source = IconSource::fromFile(path);
    return source ? source->icon(index) : std::nullopt;
}

} // namespace glyphor::exe
