// The catalogue's names: each number has one name, and no other file of a
// destination folder is taken for a catalogue.

#include "catalogue/CatalogueFiles.h"

#include <gtest/gtest.h>

using namespace glyphor::catalogue;

namespace {

TEST(CatalogueFiles, EachNumberHasOneName)
{
    const struct {
        const char* name;
        std::optional<int> number;
    } rows[] = {
        { "glyphor2-catalogue.sqlite", 1 },
        { "glyphor2-catalogue-2.sqlite", 2 },
        { "glyphor2-catalogue-999.sqlite", 999 },
        { "glyphor2-catalogue-1.sqlite", std::nullopt },
        { "glyphor2-catalogue-02.sqlite", std::nullopt },
        { "glyphor2-catalogue-1000.sqlite", 1000 },
        { "glyphor2-catalogue-1000000000.sqlite", std::nullopt },
        { "glyphor2-catalogue--2.sqlite", std::nullopt },
        { "glyphor2-catalogue-+2.sqlite", std::nullopt },
        { "glyphor2-catalogue-2x.sqlite", std::nullopt },
        { "glyphor2-catalogue.sqlite-wal", std::nullopt },
        { "glyphor2-catalogue.sqlite.ico", std::nullopt },
        { "Icon0000.ico", std::nullopt },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CatalogueNumber(row.name), row.number) << row.name;
        if (row.number)
            EXPECT_EQ(CatalogueFileName(*row.number), row.name);
    }
}

} // namespace
