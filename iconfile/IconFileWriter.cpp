#include "iconfile/IconFileWriter.h"

#include "iconfile/Palette16.h"
#include "util/Error.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor {

namespace {

constexpr std::uint32_t kHeaderBytes = 6;
constexpr std::uint32_t kEntryBytes = 16;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kTableBytes = 16 * 4;

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, static_cast<std::uint16_t>(v));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}

} // namespace

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
    const std::uint32_t imageBytes = kInfoHeaderBytes + kTableBytes + colourBytes + maskBytes;

    std::vector<std::uint8_t> out;
    out.reserve(kHeaderBytes + kEntryBytes + imageBytes);

    // Header: reserved, type 1 (icon), one image.
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, 1);

    // The directory entry. The colour key is planes x bits per pixel (1 x 4)
    // in one 16-bit field, and planes and bit count stay 0: this is how every
    // file the program has ever written looks, and the duplicate merge
    // compares these bytes.
    out.push_back(static_cast<std::uint8_t>(w));
    out.push_back(static_cast<std::uint8_t>(h));
    Put16(out, 4);
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, imageBytes);
    Put32(out, kHeaderBytes + kEntryBytes);

    // BITMAPINFOHEADER with the height doubled for colour and mask rows, and
    // biSizeImage counting the colour bits alone.
    Put32(out, kInfoHeaderBytes);
    Put32(out, w);
    Put32(out, 2 * h);
    Put16(out, 1);
    Put16(out, 4);
    Put32(out, 0);
    Put32(out, colourBytes);
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);

    for (std::uint32_t rgb : kPalette16) {
        out.push_back(static_cast<std::uint8_t>(rgb));
        out.push_back(static_cast<std::uint8_t>(rgb >> 8));
        out.push_back(static_cast<std::uint8_t>(rgb >> 16));
        out.push_back(0);
    }

    // Colour bits, bottom row first, the left pixel of each pair in the high
    // half of its byte; padding bytes are 0.
    for (std::uint32_t row = 0; row < h; ++row) {
        const std::size_t y = h - 1 - row;
        const std::size_t start = out.size();
        out.resize(start + colourRow, 0);
        for (std::uint32_t x = 0; x < w; ++x) {
            const auto index = static_cast<std::uint8_t>(NearestColourIndex(icon.pixels[y * w + x]));
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

// The mode a new file gets from open(path, O_CREAT, 0666); an existing file
// keeps its own, as it would when emptied in place.
mode_t ModeFor(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

void WriteIconFile(const IconImage& icon, const std::string& path)
{
    // Refused before anything is created, so that an empty icon leaves no
    // empty file behind.
    if (!icon.wellFormed())
        throw Error("Icon image is not valid");
    const std::vector<std::uint8_t> bytes = EncodeIconFile(icon);

    // The temporary file lives in the same folder, so the rename cannot cross
    // file systems, and starts with a point, so folder lists that hide such
    // names never show it. Long names are shortened to keep within NAME_MAX.
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = folder + "." + name.substr(0, 200) + ".XXXXXX";

    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw Error(FormatMessage("Cannot create file %s", path));

    bool written = true;
    std::size_t done = 0;
    while (written && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            written = false;
        else
            done += static_cast<std::size_t>(n);
    }
    ::fchmod(fd, ModeFor(path));
    if (::close(fd) != 0)
        written = false;
    if (!written) {
        ::unlink(temp.c_str());
        throw Error("Stream write error");
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw Error(FormatMessage("Cannot create file %s", path));
    }
}

} // namespace glyphor
