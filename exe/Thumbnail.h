#pragma once
// Thumbnails for file managers: the first icon of an executable or icon file
// as a full-colour PNG, at the size of the image that suits the size asked
// and never larger: file managers take the size they ask for as the most
// they can show (128 pixels for normal thumbnails, 256 for large ones).
// The same readers and limits as the extraction, so a hostile file gives an
// error and never more work or memory than an icon capture.

#include "exe/IconChoice.h"
#include "exe/IconExtractor.h"
#include "util/Result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace glyphor::exe {

// The present images (non-empty data) of one group ordered best first for a
// thumbnail of size pixels: the smallest image at least size wide; when none
// is that wide, the largest. Among images of one width, the one with the most
// bits per pixel, then the first in the directory. After the best come the
// other wide enough images, growing, then the narrower ones, shrinking, so
// that a damaged best image falls back to its nearest neighbour.
std::vector<std::size_t> ThumbnailOrder(const std::vector<IconCandidate>& candidates, int size);

// Failures of MakeThumbnail, as the command-line tool reports them after the
// file's name: this one, or kImageNotValidText.
inline constexpr const char* kNoIconsText = "The file holds no icons";

// The PNG for the first icon of the file's bytes, of the image ThumbnailOrder
// puts first (or, when that one is damaged, the next that decodes). An image
// larger than size pixels on either side is scaled down to fit within size x
// size, its aspect and transparency kept (ScaleIconDown); a smaller one keeps
// its own size. A PNG image of the file that fits is handed on byte for byte
// once it has decoded cleanly; any other image is decoded and written as
// 8-bit RGBA, its transparency (AND mask or alpha) kept.
Result<std::vector<std::uint8_t>> MakeThumbnail(const IconSource& source, int size);
// The same over a file's bytes in memory.
Result<std::vector<std::uint8_t>> MakeThumbnail(std::span<const std::uint8_t> file, int size);

} // namespace glyphor::exe
