// A destination that holds Icon0000.ico to Icon9999.ico takes more: Save
// Icon, both scans and their merge name files Icon10000.ico and on, take
// such files as the folder's own when they compare, and sources finds them.

#include "HarvestTrees.h"

#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace glyphor::test;
namespace kit = glyphor::kit;

struct Filling {
    const char* name;
    std::vector<std::string> args; // into D, from S/winemine.exe or S
    std::string said; // in what the first run prints
};

void PrintTo(const Filling& row, std::ostream* os)
{
    *os << row.name;
}

class FullDestination : public testing::TestWithParam<Filling> { };

TEST_P(FullDestination, GoesOnWithFiveDigits)
{
    Tree tree;
    if (!tree.fromCorpus("public/libwine-amd64/winemine.exe", "S/winemine.exe"))
        GTEST_SKIP() << "no corpus at " << kit::CorpusRoot();
    tree.folder("D");
    // Ten thousand icon files of the folder's own, none like the program's.
    for (int i = 0; i < 10000; ++i) {
        kit::Bytes bytes(766, 0);
        std::snprintf(reinterpret_cast<char*>(bytes.data()), 16, "icon %d", i);
        char name[32];
        std::snprintf(name, sizeof(name), "D/Icon%04d.ico", i);
        ASSERT_TRUE(kit::WriteBytes(tree.path(name), bytes));
    }
    const Output first = tree.run(GetParam().args);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find(GetParam().said), std::string::npos) << first.out;
    const kit::Bytes placed = kit::ReadBytes(tree.path("D/Icon10000.ico"));
    ASSERT_EQ(placed.size(), 766u);
    const Output sources = tree.run({ "sources", "D/Icon10000.ico" });
    EXPECT_EQ(sources.out.rfind(tree.path("S/winemine.exe") + "\t", 0), 0u) << sources.out;
    // Run again, the scans find their icons among the five-digit files.
    if (GetParam().args[0] != "save") {
        const Output again = tree.run(GetParam().args);
        EXPECT_EQ(again.out, "captured 1, added 0\n") << again.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, FullDestination,
    testing::Values(
        Filling { "SaveIcon", { "save", "S/winemine.exe", "0", "D" }, "/D/Icon10000.ico\n" },
        Filling { "ScanFile", { "scan-file", "S/winemine.exe", "D" }, "captured 1, added 1\n" },
        Filling { "ScanTree", { "scan-tree", "S", "D" }, "captured 1, added 1\n" }),
    kit::RowName());

} // namespace
