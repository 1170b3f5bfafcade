// libFuzzer harness over the icon file reader: the header check, the choice
// of image and the decode of a whole file, and the image decoder on its own in
// both layouts (the second as the executables' reader uses it). A file that
// decodes must also survive a write and read back to the same picture.

#include "iconfile/IconFileReader.h"
#include "iconfile/IconFileWriter.h"
#include "iconfile/ImageDecoder.h"

#include <cstdlib>

using namespace glyphor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    (void)CheckIconHeader(bytes);
    (void)ChooseIconImage(bytes, DisplayKey(8));
    (void)DecodeIconImage(bytes, DibLayout::IconFile);
    (void)DecodeIconImage(bytes, DibLayout::Resource);

    auto icon = DecodeIconFile(bytes);
    if (icon) {
        const auto written = EncodeIconFile(*icon);
        auto back = DecodeIconFile(written);
        if (!back || back->mask != icon->mask)
            std::abort();
    }
    return 0;
}
