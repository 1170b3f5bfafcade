#include "cli/Commands.h"

#include "iconfile/IconFileReader.h"
#include "iconfile/PngEncoder.h"
#include "util/Error.h"

#include <cstdio>

namespace glyphor::cli {

int ShowCommand(const Arguments& args)
{
    if (args.size() != 2) {
        std::fputs("usage: glyphor2-cli show FILE OUT.png\n", stderr);
        return 2;
    }
    try {
        IconFile file = ReadIconFile(args[0]);
        auto png = EncodePng(file.image());
        if (!png)
            throw Error(png.message());
        std::FILE* out = std::fopen(args[1].c_str(), "wb");
        if (!out)
            throw Error(FormatMessage("Cannot create file %s", args[1]));
        const bool written = std::fwrite(png->data(), 1, png->size(), out) == png->size();
        if (std::fclose(out) != 0 || !written) {
            std::remove(args[1].c_str());
            throw Error("Stream write error");
        }
    } catch (const Error& e) {
        PrintError(e);
        return 1;
    }
    return 0;
}

} // namespace glyphor::cli
