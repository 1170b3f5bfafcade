#pragma once
// The reader that turns an icon file back into an icon, in two stages: load
// (the bytes, with the header checked) and decode (the choice of image and
// its conversion to the standard icon size), as the viewer uses them.

#include "iconfile/IconImage.h"
#include "util/Result.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glyphor {

// The display key D of the display depth in bits per pixel: 0 for 24,
// otherwise 2 to the power of the depth (exponent mod 32) kept to 16 bits.
// A 32-bit display, the one assumed on this platform, gives 1.
int DisplayKey(int bitsPerPixel);

// Load stage on bytes: fewer than 6 bytes give "Stream read error", a type of
// 2 or more "Icon image is not valid".
Result<std::uint16_t> CheckIconHeader(std::span<const std::uint8_t> bytes);

// Index of the directory entry that the reader shows, by the choice rule of
// colour keys against the display key; nothing for a damaged directory.
Result<int> ChooseIconImage(std::span<const std::uint8_t> bytes, int displayKey);

// Decode stage on bytes: the chosen image at the standard icon size. Type 0
// gives the application icon.
Result<IconImage> DecodeIconFile(
    std::span<const std::uint8_t> bytes, int displayKey = 1, int size = kIconSize);

// The system's standard application icon, drawn by this program.
IconImage ApplicationIcon(int size = kIconSize);

// An icon read from a file: holds the bytes from the load and makes the icon
// from them when it is first needed.
class IconFile {
public:
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    // Decodes on first use and keeps the result. Raises Error with the reader's
    // message when the file cannot be decoded.
    const IconImage& image();

private:
    friend IconFile ReadIconFile(const std::string& path);
    std::vector<std::uint8_t> m_bytes;
    std::optional<IconImage> m_image;
};

// Load stage on a path. Raises Error: "Unknown picture file extension (.%s)",
// "Cannot open file %s", "Stream read error", "Icon image is not valid".
IconFile ReadIconFile(const std::string& path);

} // namespace glyphor
