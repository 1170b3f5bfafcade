// Writes the small synthetic executables that start the extraction fuzzer:
// every layout the readers know, each a few kilobytes, so that mutations
// land in headers and directories rather than in code.
// Usage: make_extractor_seeds OUTDIR

#include "kit/Executables.h"
#include "kit/Files.h"

#include <cstdio>
#include <string>

using namespace glyphor::kit;

namespace {

std::vector<PeResource> Mixed()
{
    glyphor::IconImage png;
    png.width = png.height = 16;
    png.pixels.assign(256, 0x80FF8000u);
    png.mask.assign(256, 0);
    png.hasAlpha = true;
    return {
        { ResId::Id(glyphor::exe::kGroupIconResourceType), ResId::Name(u"MAIN"), 1033,
            MakeGroup(
                { { 16, 16, 4, 1 }, { 32, 32, 8, 2 }, { 48, 48, 32, 3 }, { 16, 16, 32, 4 } }) },
        { ResId::Id(glyphor::exe::kGroupIconResourceType), ResId::Id(7), 2057,
            MakeGroup({ { 32, 32, 1, 5 }, { 24, 24, 24, 6 } }) },
        { ResId::Id(glyphor::exe::kGroupIconResourceType), ResId::Id(7), 1033,
            MakeGroup({ { 32, 32, 4, 1 } }) },
        { ResId::Id(glyphor::exe::kGroupIconResourceType), ResId::Id(9), 0,
            MakeGroup({ { 32, 32, 4, 99 } }) },
        { ResId::Id(glyphor::exe::kIconResourceType), ResId::Id(1), 1033, PatternDib(16, 16, 4) },
        { ResId::Id(glyphor::exe::kIconResourceType), ResId::Id(2), 1033, PatternDib(32, 32, 8) },
        { ResId::Id(glyphor::exe::kIconResourceType), ResId::Id(glyphor::exe::kIconResourceType),
            1033, PatternDib(48, 48, 32) },
        { ResId::Id(glyphor::exe::kIconResourceType), ResId::Id(4), 1033, MakePng(png) },
        { ResId::Id(glyphor::exe::kIconResourceType), ResId::Id(5), 2057, PatternDib(32, 32, 1) },
        { ResId::Id(glyphor::exe::kIconResourceType), ResId::Id(6), 0, PatternDib(24, 24, 24) },
    };
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fputs("usage: make_extractor_seeds OUTDIR\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    WriteBytes(dir + "/pe32.exe", BuildPe(Mixed(), false));
    WriteBytes(dir + "/pe32plus.dll", BuildPe(Mixed(), true));
    WriteBytes(dir + "/ne.exe",
        BuildNe({ { ResId::Name(u"APP"), MakeGroup({ { 32, 32, 4, 1 }, { 16, 16, 4, 2 } }) },
                    { ResId::Id(2), MakeGroup({ { 32, 32, 1, 3 } }) } },
            { { ResId::Id(1), PatternDib(32, 32, 4) }, { ResId::Id(2), PatternDib(16, 16, 4) },
                { ResId::Id(glyphor::exe::kIconResourceType), PatternDib(32, 32, 1) } }));
    WriteBytes(dir + "/icon.ico",
        MakeIcoFile(
            { { 16, 16, 8 }, { 32, 32, 4 } }, { PatternDib(16, 16, 8), PatternDib(32, 32, 4) }));
    return 0;
}
