#include "iconfile/IconFileWriter.h"

#include "files/Folder.h"
#include "files/NewFile.h"
#include "iconfile/IconFileFormat.h"
#include "iconfile/Palette16.h"
#include "util/Error.h"

#include <cstring>
#include <utility>

namespace glyphor {

std::vector<std::uint8_t> EncodeIconFile(const IconImage& icon)
{
    if (!icon.wellFormed())
        return {};
    const std::uint32_t w = static_cast<std::uint32_t>(icon.width);
    const std::uint32_t h = static_cast<std::uint32_t>(icon.height);
    const std::uint32_t colourRow = (4 * w + 31) / 32 * 4;
    const std::uint32_t maskRow = (w + 31) / 32 * 4;
    const std::uint32_t colourBytes = colourRow * h;
    const std::uint32_t maskBytes = maskRow * h;
    constexpr std::uint32_t kImageOffset = sizeof(IconDirHeader) + sizeof(IconDirEntry);
    constexpr std::uint32_t kTableBytes = kPalette16.size() * sizeof(RgbQuad);
    const std::uint32_t imageBytes
        = sizeof(BitmapInfoHeader) + kTableBytes + colourBytes + maskBytes;

    std::vector<std::uint8_t> out;
    out.reserve(kImageOffset + imageBytes);

    IconDirHeader header {};
    header.type = 1; // icon
    header.count = 1;
    AppendRecord(out, header);

    // The colour key is planes x bits per pixel (1 x 4) in the 16 bits of
    // colour count and reserved byte, and planes and bit count stay 0: this
    // is how every file the program has ever written looks, and the
    // duplicate merge compares these bytes.
    IconDirEntry entry {};
    entry.width = static_cast<std::uint8_t>(w);
    entry.height = static_cast<std::uint8_t>(h);
    entry.colourCount = 4;
    entry.bytesInRes = imageBytes;
    entry.imageOffset = kImageOffset;
    AppendRecord(out, entry);

    // The height doubled for colour and mask rows, and the image size
    // counting the colour bits alone.
    BitmapInfoHeader info {};
    info.size = sizeof(BitmapInfoHeader);
    info.width = static_cast<std::int32_t>(w);
    info.height = static_cast<std::int32_t>(2 * h);
    info.planes = 1;
    info.bitCount = 4;
    info.compression = kBitmapPlain;
    info.sizeImage = colourBytes;
    AppendRecord(out, info);

    for (std::uint32_t rgb : kPalette16) {
        RgbQuad quad {};
        quad.blue = static_cast<std::uint8_t>(rgb);
        quad.green = static_cast<std::uint8_t>(rgb >> 8);
        quad.red = static_cast<std::uint8_t>(rgb >> 16);
        AppendRecord(out, quad);
    }

    // Colour bits, bottom row first, the left pixel of each pair in the high
    // half of its byte; padding bytes are 0.
    for (std::uint32_t row = 0; row < h; ++row) {
        const std::size_t y = h - 1 - row;
        const std::size_t start = out.size();
        out.resize(start + colourRow, 0);
        for (std::uint32_t x = 0; x < w; ++x) {
            const auto index
                = static_cast<std::uint8_t>(NearestColourIndex(icon.pixels[y * w + x]));
            out[start + x / 2] |= (x & 1) ? index : static_cast<std::uint8_t>(index << 4);
        }
    }

    // Mask bits, bottom row first, the leftmost pixel in the most significant bit.
    for (std::uint32_t row = 0; row < h; ++row) {
        const std::size_t y = h - 1 - row;
        const std::size_t start = out.size();
        out.resize(start + maskRow, 0);
        for (std::uint32_t x = 0; x < w; ++x) {
            if (icon.mask[y * w + x] != 0)
                out[start + x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
        }
    }
    return out;
}

namespace {

std::string Reason(int error)
{
    return std::strerror(error);
}

[[noreturn]] void CannotCreate(const std::string& path, int error)
{
    throw Error(FormatMessage("Cannot create file %s", path) + ": " + Reason(error));
}

} // namespace

std::string WriteNewIconFile(
    const IconImage& icon, const std::function<std::optional<std::string>()>& nextName)
{
    // Refused before anything is created, so that an empty icon leaves no
    // empty file behind.
    if (!icon.wellFormed())
        throw Error(kImageNotValidText);
    const std::vector<std::uint8_t> bytes = EncodeIconFile(icon);

    std::optional<std::string> first = nextName();
    if (!first)
        throw Error(kImageNotValidText);
    // The temporary file lives in the folder of the first name, which is the
    // folder of every later one.
    files::NewFile file(*first);
    if (!file.ok())
        CannotCreate(*first, file.error());
    if (!file.write(bytes.data(), bytes.size()) || !file.finish())
        throw Error("Stream write error: " + *first + ": " + Reason(file.error()));
    bool firstOffered = false;
    const std::optional<std::string> placed = file.place([&]() -> std::optional<std::string> {
        if (!std::exchange(firstOffered, true))
            return first;
        return nextName();
    });
    if (!placed)
        CannotCreate(file.lastName(), file.error());
    return *placed;
}

PreparedIconFile::PreparedIconFile(
    const IconImage& icon, const files::Folder& folder, std::string name)
    : m_folder(folder)
    , m_name(std::move(name))
{
    if (!icon.wellFormed())
        throw Error(kImageNotValidText);
    m_bytes = EncodeIconFile(icon);
    write();
}

PreparedIconFile::PreparedIconFile(
    std::vector<std::uint8_t> bytes, const files::Folder& folder, std::string name)
    : m_folder(folder)
    , m_name(std::move(name))
    , m_bytes(std::move(bytes))
{
    write();
}

void PreparedIconFile::write()
{
    m_file = std::make_unique<files::NewFile>(m_folder, m_name);
    if (!m_file->ok())
        CannotCreate(m_folder.pathOf(m_name), m_file->error());
    if (!m_file->write(m_bytes.data(), m_bytes.size()) || !m_file->finish())
        throw Error(
            "Stream write error: " + m_folder.pathOf(m_name) + ": " + Reason(m_file->error()));
}

PreparedIconFile::~PreparedIconFile() = default;

std::string PreparedIconFile::place(const std::function<std::optional<std::string>()>& nextName)
{
    bool firstOffered = false;
    const std::optional<std::string> placed = m_file->place([&]() -> std::optional<std::string> {
        if (!std::exchange(firstOffered, true))
            return m_name;
        return nextName();
    });
    if (!placed)
        CannotCreate(m_folder.pathOf(m_file->lastName()), m_file->error());
    return *placed;
}

void WriteIconFile(const IconImage& icon, const std::string& path)
{
    bool offered = false;
    WriteNewIconFile(icon, [&]() -> std::optional<std::string> {
        if (std::exchange(offered, true))
            return std::nullopt;
        return path;
    });
}

} // namespace glyphor
