#include "platform/IconExtractor.h"

#include "iconfile/ImageDecoder.h"
#include "platform/IcoDirectoryReader.h"
#include "platform/MappedFile.h"
#include "platform/NeResourceReader.h"
#include "platform/PeResourceReader.h"

#include <algorithm>
#include <climits>

namespace glyphor::platform {

namespace {

// Images of one group tried, best first, before the group is given up: a
// damaged best image falls back to the next best, but a hostile group of
// hundreds of broken images cannot make one extraction slow.
constexpr std::size_t kMaxDecodeAttempts = 4;

std::unique_ptr<IconContainer> OpenContainer(std::span<const std::uint8_t> bytes)
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

IconSource::IconSource(std::span<const std::uint8_t> bytes) : m_container(OpenContainer(bytes)) {}
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
    const std::vector<IconCandidate> images = this->images(index);
    const std::vector<std::size_t> order = PreferenceOrder(images);
    for (std::size_t k = 0; k < order.size() && k < kMaxDecodeAttempts; ++k) {
        Result<IconImage> decoded = DecodeIconImage(images[order[k]].data, DibLayout::Resource);
        if (decoded && !decoded->empty())
            return std::move(*decoded);
    }
    return std::nullopt;
}

int IconCountOfBytes(std::span<const std::uint8_t> bytes) { return IconSource(bytes).count(); }

std::optional<IconImage> ExtractIconFromBytes(std::span<const std::uint8_t> bytes, int index)
{
    return IconSource(bytes).icon(index);
}

int IconCount(const std::string& path)
{
    auto file = MappedFile::open(path);
    return file ? IconCountOfBytes(file->bytes()) : 0;
}

std::optional<IconImage> ExtractIcon(const std::string& path, int index)
{
    auto file = MappedFile::open(path);
    if (!file)
        return std::nullopt;
    return ExtractIconFromBytes(file->bytes(), index);
}

} // namespace glyphor::platform
