#include "iconfile/IconFileReader.h"

#include "files/InputFile.h"
#include "iconfile/IconFileFormat.h"
#include "iconfile/IconNormalizer.h"
#include "iconfile/ImageDecoder.h"
#include "util/ByteReader.h"
#include "util/Error.h"

#include <cctype>

namespace glyphor {

namespace {

// No icon file of any kind comes near this; a bigger file is not read into
// memory at all.
constexpr std::uint64_t kMaxIconFileBytes = 16u << 20;

Failure Invalid(const std::string& why)
{
    return Failure { std::string(kImageNotValidText) + ": " + why };
}

// The directory entries of an icon file, checked to lie inside it.
Result<std::vector<IconDirEntry>> ReadDirectory(const ByteReader& in)
{
    const auto header = in.record<IconDirHeader>(0);
    if (!header)
        return Failure { "Stream read error" };
    if (header->count == 0)
        return Invalid("the file holds no image");
    auto entries = in.records<IconDirEntry>(sizeof(IconDirHeader), header->count);
    if (!entries)
        return Invalid("the image directory runs past the end of the file");
    return std::move(*entries);
}

// An exact match ends the search. Otherwise the first entry whose key is at
// most the display's becomes the candidate, and every later entry with a key
// above that first candidate's key replaces it; the key compared against is
// never updated. With no candidate at all, the first entry.
int ChooseEntry(const std::vector<IconDirEntry>& entries, int displayKey)
{
    int candidate = -1;
    int candidateKey = 0;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        const int key = entries[static_cast<std::size_t>(i)].colourKey();
        if (key == displayKey)
            return i;
        if (candidate < 0) {
            if (key <= displayKey) {
                candidate = i;
                candidateKey = key;
            }
        } else if (key > candidateKey) {
            candidate = i;
        }
    }
    return candidate < 0 ? 0 : candidate;
}

std::string Lower(std::string s)
{
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The extension of the file name, without its point; empty when there is none.
std::string Extension(const std::string& path)
{
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

} // namespace

int DisplayKey(int bitsPerPixel)
{
    if (bitsPerPixel == 24)
        return 0;
    const int exponent = ((bitsPerPixel % 32) + 32) % 32;
    return static_cast<int>((std::uint32_t { 1 } << exponent) & 0xFFFFu);
}

Result<std::uint16_t> CheckIconHeader(std::span<const std::uint8_t> bytes)
{
    const auto header = ByteReader(bytes).record<IconDirHeader>(0);
    if (!header)
        return Failure { "Stream read error" };
    if (header->type >= 2)
        return Failure { kImageNotValidText };
    return std::uint16_t { header->type };
}

Result<int> ChooseIconImage(std::span<const std::uint8_t> bytes, int displayKey)
{
    auto entries = ReadDirectory(ByteReader(bytes));
    if (!entries)
        return Failure { entries.message() };
    return ChooseEntry(*entries, displayKey);
}

Result<IconImage> DecodeIconFile(std::span<const std::uint8_t> bytes, int displayKey, int size)
{
    auto type = CheckIconHeader(bytes);
    if (!type)
        return Failure { type.message() };
    if (*type == 0)
        return ApplicationIcon(size);

    const ByteReader in(bytes);
    auto entries = ReadDirectory(in);
    if (!entries)
        return Failure { entries.message() };
    const IconDirEntry& entry
        = (*entries)[static_cast<std::size_t>(ChooseEntry(*entries, displayKey))];
    auto image = in.slice(entry.imageOffset, entry.bytesInRes);
    if (!image)
        return Invalid("the image lies outside the file");

    auto decoded = DecodeIconImage(*image, DibLayout::IconFile);
    if (!decoded)
        return Invalid(decoded.message());
    return NormalizeIcon(*decoded, size);
}

IconImage ApplicationIcon(int size)
{
    // A plain application window: black frame, navy title bar with a grey
    // button, white client area, and transparent around it. Drawn on a grid of
    // 32 units and sampled at pixel centres, so it comes out the same shape at
    // any size. Every colour is one of the 16 of the icon file table, so a
    // written copy keeps it exactly.
    IconImage icon;
    if (size <= 0)
        return icon;
    icon.width = size;
    icon.height = size;
    icon.pixels.assign(static_cast<std::size_t>(size) * size, 0xFF000000u);
    icon.mask.assign(icon.pixels.size(), 1);
    for (int y = 0; y < size; ++y) {
        const int v = (2 * y + 1) * 16 / size;
        for (int x = 0; x < size; ++x) {
            const int u = (2 * x + 1) * 16 / size;
            if (u < 1 || u > 30 || v < 4 || v > 27)
                continue;
            std::uint32_t rgb;
            if (u == 1 || u == 30 || v == 4 || v == 27)
                rgb = 0x000000;
            else if (v <= 9)
                rgb = (u >= 25 && u <= 28 && v >= 6 && v <= 8) ? 0xC0C0C0 : 0x000080;
            else if (v == 10)
                rgb = 0x808080;
            else
                rgb = 0xFFFFFF;
            const std::size_t i = static_cast<std::size_t>(y) * size + x;
            icon.pixels[i] = 0xFF000000u | rgb;
            icon.mask[i] = 0;
        }
    }
    return icon;
}

const IconImage& IconFile::image()
{
    if (!m_image) {
        auto decoded = DecodeIconFile(m_bytes);
        if (!decoded)
            throw Error(decoded.message());
        m_image = std::move(*decoded);
    }
    return *m_image;
}

IconFile ReadIconFile(const std::string& path)
{
    const std::string extension = Extension(path);
    if (Lower(extension) != "ico")
        throw Error(FormatMessage("Unknown picture file extension (.%s)", extension));

    // A pipe or device given an icon's name is refused without waiting.
    files::InputFile input = files::InputFile::open(path);
    if (!input.ok())
        throw Error(FormatMessage("Cannot open file %s", path));

    // Read to the end rather than trusting the size stat reports, but never
    // more than the cap.
    IconFile file;
    std::vector<std::uint8_t>& bytes = file.m_bytes;
    if (input.readToEnd(bytes, kMaxIconFileBytes) != 0)
        throw Error("Stream read error");
    if (bytes.size() > kMaxIconFileBytes)
        throw Error(FormatMessage("Icon file %s is too large", path));

    auto type = CheckIconHeader(bytes);
    if (!type)
        throw Error(type.message());
    return file;
}

} // namespace glyphor
