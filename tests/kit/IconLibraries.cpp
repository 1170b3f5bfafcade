#include "kit/IconLibraries.h"

#include "kit/Executables.h"
#include "kit/IconImages.h"

namespace glyphor::kit {

using exe::kGroupIconResourceType;
using exe::kIconResourceType;

namespace {

ResId GroupName(int i)
{
    return i == 1 ? ResId::Name(u"LIBRARY") : ResId::Id(static_cast<std::uint16_t>(i));
}

} // namespace

Bytes NeIconLibrary(int count, int firstSeed)
{
    std::vector<NeResource> groups;
    std::vector<NeResource> icons;
    for (int i = 1; i <= count; ++i) {
        const auto id = static_cast<std::uint16_t>(i);
        groups.push_back({ GroupName(i), MakeGroup({ { 32, 32, 4, id } }) });
        icons.push_back({ ResId::Id(id), PatternDib(32, 32, 4, firstSeed + i - 1) });
    }
    return BuildNe(groups, icons);
}

Bytes PeIconLibrary(int count, int firstSeed)
{
    std::vector<PeResource> resources;
    for (int i = 1; i <= count; ++i) {
        const auto id = static_cast<std::uint16_t>(i);
        resources.push_back({ ResId::Id(kGroupIconResourceType), GroupName(i), 1033,
            MakeGroup({ { 32, 32, 4, id } }) });
        resources.push_back({ ResId::Id(kIconResourceType), ResId::Id(id), 1033,
            PatternDib(32, 32, 4, firstSeed + i - 1) });
    }
    return BuildPe(resources);
}

Bytes IconFileOfSeveralImages(int seed)
{
    return MakeIcoFile({ { 16, 16, 4, 1 }, { 32, 32, 4, 2 }, { 48, 48, 8, 3 } },
        { PatternDib(16, 16, 4, seed), PatternDib(32, 32, 4, seed + 1),
            PatternDib(48, 48, 8, seed + 2) });
}

} // namespace glyphor::kit
