#pragma once
// The catalogue tests' way of recording: a capture of a stand-in icon, its
// collected file written where the harvest would write it.

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFiles.h"
#include "kit/Catalogues.h"
#include "kit/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace glyphor::test {

struct Capture {
    Capture(std::string source, int index, int icon, kit::Bytes group = {}, std::string member = {},
        catalogue::GroupName name = catalogue::GroupName::Number(1), std::int64_t time = 1700000000)
        : source(std::move(source))
        , index(index)
        , icon(icon)
        , group(std::move(group))
        , member(std::move(member))
        , name(std::move(name))
        , time(time)
    {
    }

    std::string source;
    int index = 0;
    int icon = 0; // the seed of the icon file's bytes
    kit::Bytes group;
    std::string member;
    catalogue::GroupName name;
    std::int64_t time = 0;
};

// Records the capture as collected into collected (relative to folder) and
// writes the collected file there.
inline std::optional<catalogue::CaptureId> Collect(catalogue::Catalogue& c,
    const std::string& folder, const Capture& capture, const std::string& collected)
{
    const kit::Bytes icon = kit::FakeIconFile(capture.icon);
    auto id = c.recordCapture({ capture.source, capture.member, capture.index, capture.name,
        capture.time, icon, capture.group, collected, std::nullopt });
    const std::string path = catalogue::JoinPath(folder, collected);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    kit::WriteBytes(path, icon);
    return id;
}

// A catalogue in folder that holds count placed captures with groups of
// groupSize bytes, closed again.
inline void MakeCatalogue(const std::string& folder, int count, std::size_t groupSize = 3000)
{
    catalogue::Catalogue c = catalogue::Catalogue::OpenForHarvest(folder);
    ASSERT_TRUE(c.kept()) << c.takeNotice();
    for (int i = 0; i < count; ++i) {
        const std::string name = "Icon" + std::to_string(1000 + i) + ".ico";
        auto id = Collect(c, folder,
            { "/src/app" + std::to_string(i) + ".exe", 0, i, kit::FakeGroup(i, groupSize) }, name);
        ASSERT_TRUE(id && c.recordPlaced(*id, name));
    }
}

inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace glyphor::test
