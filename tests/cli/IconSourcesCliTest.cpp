// The other icon sources of old software, harvested as a user asks for
// them: icon libraries (NE and PE), control panel applets, controls, screen
// savers, drivers, resource-only libraries, filters and loose icon files are
// harvested with `--kinds all`, each icon as the capture of it writes it,
// and left alone by default; inside archives the kinds decide the same way.

#include "HarvestTrees.h"

#include "kit/IconLibraries.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace glyphor::test;
namespace kit = glyphor::kit;

struct OtherSource {
    const char* name;
    std::string file; // its name in the source folder
    // Writes it at the tree's path given; false without the corpus.
    std::function<bool(const Tree&, const std::string&)> make;
    int icons;
};

void PrintTo(const OtherSource& row, std::ostream* os)
{
    *os << row.name;
}

std::function<bool(const Tree&, const std::string&)> Built(kit::Bytes bytes)
{
    return [bytes](const Tree& tree, const std::string& at) { return tree.put(at, bytes); };
}

std::function<bool(const Tree&, const std::string&)> FromCorpus(std::string file)
{
    return [file](const Tree& tree, const std::string& at) { return tree.fromCorpus(file, at); };
}

class OtherSources : public testing::TestWithParam<OtherSource> { };

TEST_P(OtherSources, AreHarvestedWithKindsAllAndLeftAloneByDefault)
{
    const OtherSource& row = GetParam();
    Tree tree;
    if (!row.make(tree, "S/" + row.file))
        GTEST_SKIP() << "no corpus at " << kit::CorpusRoot();
    tree.folder("D");
    tree.folder("DA");
    tree.folder("captured");

    const Output byDefault = tree.run({ "scan-tree", "S", "D" });
    EXPECT_EQ(byDefault.status, 0) << byDefault.err;
    EXPECT_EQ(byDefault.out, "captured 0, added 0\n");
    EXPECT_EQ(IconNames(tree.path("D")), std::vector<std::string> {});

    const Output all = tree.run({ "scan-tree", "--kinds", "all", "S", "DA" });
    EXPECT_EQ(all.status, 0) << all.err;
    const std::string count = std::to_string(row.icons);
    EXPECT_EQ(all.out, "captured " + count + ", added " + count + "\n");
    EXPECT_EQ(tree.run({ "icons", "S/" + row.file }).out, count + "\n");
    // Each icon as the capture of that one icon writes it.
    ASSERT_EQ(tree.run({ "capture-all", "S/" + row.file, "captured" }).status, 0);
    EXPECT_EQ(IconContents(tree.path("DA")), IconContents(tree.path("captured")));
    EXPECT_EQ(IconContents(tree.path("DA")).size(), std::size_t(row.icons));
}

INSTANTIATE_TEST_SUITE_P(Kinds, OtherSources,
    testing::Values(OtherSource { "IclNe", "library.icl", Built(kit::NeIconLibrary(3, 10)), 3 },
        // The ending in capitals: matched without regard to case.
        OtherSource { "IclPe", "LIBRARY32.ICL", Built(kit::PeIconLibrary(3, 20)), 3 },
        OtherSource { "Cpl", "joy.cpl", FromCorpus("public/libwine-i386/joy.cpl.dll"), 1 },
        OtherSource { "Ocx", "grid.ocx", Built(kit::PeIconLibrary(1, 30)), 1 },
        OtherSource { "Scr", "stars.scr", Built(kit::PeIconLibrary(2, 40)), 2 },
        OtherSource { "Drv", "display.drv", Built(kit::NeIconLibrary(1, 50)), 1 },
        OtherSource { "Mun", "imageres.dll.mun", Built(kit::PeIconLibrary(2, 60)), 2 },
        OtherSource { "Ax", "filter.ax", Built(kit::PeIconLibrary(1, 70)), 1 },
        // One icon of three images.
        OtherSource { "Ico", "several.ico", Built(kit::IconFileOfSeveralImages(80)), 1 }),
    kit::RowName());

// An archive of a program, an icon library and an icon file: the kinds
// asked for decide which of its members are harvested, as on disk.
struct KindsInArchive {
    const char* name;
    std::vector<std::string> kinds; // --kinds and its list, or nothing
    std::vector<std::string> places;
};

class KindsInArchives : public testing::TestWithParam<KindsInArchive> { };

TEST_P(KindsInArchives, DecideWhichMembersAreHarvested)
{
    if (!kit::HaveProgram("bsdtar"))
        GTEST_SKIP() << "bsdtar is not installed (scripts/setup installs it)";
    Tree tree;
    if (!tree.fromCorpus("public/libwine-i386/hh.exe", "w/app.exe"))
        GTEST_SKIP() << "no corpus at " << kit::CorpusRoot();
    ASSERT_TRUE(tree.put("w/library.icl", kit::NeIconLibrary(2, 90)));
    ASSERT_TRUE(tree.put("w/several.ico", kit::IconFileOfSeveralImages(95)));
    ASSERT_TRUE(tree.pack(
        kit::ArchiveKind::Zip, "w", { "library.icl", "app.exe", "several.ico" }, "S/pack.zip"));
    tree.folder("D");

    std::vector<std::string> args = { "scan-tree", "--archives" };
    args.insert(args.end(), GetParam().kinds.begin(), GetParam().kinds.end());
    args.insert(args.end(), { "S", "D" });
    const Output o = tree.run(args);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(CapturePlaces(tree, "D"), GetParam().places);
}

const std::string kPack = "S/pack.zip" + kIn;

INSTANTIATE_TEST_SUITE_P(Kinds, KindsInArchives,
    testing::Values(KindsInArchive { "ByDefault", {}, { kPack + "app.exe #0" } },
        KindsInArchive { "All", { "--kinds", "all" },
            { kPack + "library.icl #0", kPack + "library.icl #1", kPack + "app.exe #0",
                kPack + "several.ico #0" } },
        // The list replaces the default kinds.
        KindsInArchive { "IclAlone", { "--kinds", "icl" },
            { kPack + "library.icl #0", kPack + "library.icl #1" } }),
    kit::RowName());

} // namespace
