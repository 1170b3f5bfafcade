// Harvests inside archives, run as a user runs them on trees of real
// programs: an archive of every format read in place gives the very icon
// files that the same files unpacked give, its members taken in the
// archive's order after the folder's own files; archives inside archives
// are read three deep; what must not or cannot be unpacked is skipped with
// its reason while everything around it is harvested; and without
// --archives no archive is opened.

#include "HarvestTrees.h"

#include "archive/ArchiveLimits.h"
#include "archive/SkipReasons.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <functional>

#include <unistd.h>

namespace {

using namespace glyphor::test;
using glyphor::archive::ArchiveLimits;
using glyphor::kit::ArchiveKind;
namespace kit = glyphor::kit;
namespace archive = glyphor::archive;

const std::string kHh = "public/libwine-i386/hh.exe";
const std::string kWinemine = "public/libwine-i386/winemine.exe";
const std::string kIexplore = "public/libwine-i386/iexplore.exe";
const std::string kNotepad = "public/libwine-i386/notepad.exe";
const std::string kSas = "public/libwine-i386/sas.dll"; // a library without icons

// Lays out files of the corpus in the tree (path in the tree, file of the
// corpus); false when the corpus is missing.
bool Lay(const Tree& tree, const std::vector<std::pair<std::string, std::string>>& files)
{
    for (const auto& [relative, corpus] : files)
        if (!tree.fromCorpus(corpus, relative))
            return false;
    return true;
}

#define SKIP_WITHOUT_CORPUS(laid)                                                                  \
    if (!(laid))                                                                                   \
    GTEST_SKIP() << "no corpus at " << kit::CorpusRoot()

#define SKIP_WITHOUT_TOOL(tool)                                                                    \
    if (!kit::HaveProgram(tool))                                                                   \
    GTEST_SKIP() << (tool) << " is not installed (scripts/setup installs it)"

// The members of the archives, in an order that is no order of names, one
// of them in a folder and one a library without icons.
const std::vector<std::pair<std::string, std::string>> kMembers = {
    { "winemine.exe", kWinemine },
    { "setup/app.exe", kHh },
    { "sas.dll", kSas },
    { "iexplore.exe", kIexplore },
};

struct Format {
    const char* name;
    ArchiveKind kind;
};

class ArchiveFormats : public testing::TestWithParam<Format> { };

// S holds a program of its own and the archive; U the same program and the
// archive's files unpacked into a folder, as a user would unpack it by hand.
TEST_P(ArchiveFormats, InPlaceGivesTheIconsOfTheUnpackedTreeInTheArchivesOrder)
{
    const ArchiveKind kind = GetParam().kind;
    const std::string tool(kit::ArchiveTool(kind));
    if (!tool.empty())
        SKIP_WITHOUT_TOOL(tool);
    Tree tree;
    std::vector<std::string> names;
    for (const auto& [name, corpus] : kMembers) {
        SKIP_WITHOUT_CORPUS(
            Lay(tree, { { "files/" + name, corpus }, { "U/old/" + name, corpus } }));
        names.push_back(name);
    }
    // Its name sorts after the archive's, which is harvested after it all the same.
    SKIP_WITHOUT_CORPUS(Lay(tree, { { "S/zzz.exe", kNotepad }, { "U/zzz.exe", kNotepad } }));
    const std::string archive = "old." + std::string(kit::ArchiveEnding(kind));
    ASSERT_TRUE(tree.pack(kind, "files", names, "S/" + archive));
    tree.folder("D");
    tree.folder("DU");

    const Output inPlace = tree.run({ "scan-tree", "--archives", "S", "D" });
    EXPECT_EQ(inPlace.status, 0) << inPlace.err;
    EXPECT_EQ(inPlace.out, "captured 4, added 4\n");
    const Output unpacked = tree.run({ "scan-tree", "U", "DU" });
    ASSERT_EQ(unpacked.out, "captured 4, added 4\n") << unpacked.err;
    EXPECT_EQ(IconContents(tree.path("D")), IconContents(tree.path("DU")));
    const std::string in = "S/" + archive + kIn;
    EXPECT_EQ(CapturePlaces(tree, "D"),
        (std::vector<std::string> { "S/zzz.exe #0", in + "winemine.exe #0", in + "setup/app.exe #0",
            in + "iexplore.exe #0" }));
    // Nothing was unpacked beside the archive.
    EXPECT_EQ(kit::ScratchFolder::NamesIn(tree.path("S")),
        (std::vector<std::string> { archive, "zzz.exe" }));
}

INSTANTIATE_TEST_SUITE_P(Formats, ArchiveFormats,
    testing::Values(Format { "zip", ArchiveKind::Zip },
        Format { "SevenZip", ArchiveKind::SevenZip }, Format { "iso9660", ArchiveKind::Iso },
        Format { "TarGz", ArchiveKind::TarGz }, Format { "TarBz2", ArchiveKind::TarBz2 },
        Format { "TarXz", ArchiveKind::TarXz }, Format { "TarZst", ArchiveKind::TarZst },
        Format { "cpio", ArchiveKind::Cpio }, Format { "cab", ArchiveKind::Cab },
        Format { "lzh", ArchiveKind::Lzh }, Format { "rar", ArchiveKind::Rar }),
    kit::RowName());

TEST(ArchiveHarvest, AZipInsideA7zInsideAnIsoIsHarvested)
{
    SKIP_WITHOUT_TOOL("bsdtar");
    Tree tree;
    SKIP_WITHOUT_CORPUS(Lay(tree,
        { { "w/winemine.exe", kWinemine }, { "w/setup/app.exe", kHh },
            { "w/iexplore.exe", kIexplore }, { "U/winemine.exe", kWinemine }, { "U/app.exe", kHh },
            { "U/iexplore.exe", kIexplore } }));
    ASSERT_TRUE(tree.pack(ArchiveKind::Zip, "w", { "winemine.exe", "setup/app.exe" }, "w/in.zip"));
    ASSERT_TRUE(tree.pack(ArchiveKind::SevenZip, "w", { "in.zip" }, "w/mid.7z"));
    ASSERT_TRUE(tree.pack(ArchiveKind::Iso, "w", { "mid.7z", "iexplore.exe" }, "S/disc.iso"));
    tree.folder("D");
    tree.folder("DU");

    const Output o = tree.run({ "scan-tree", "--archives", "S", "D" });
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "captured 3, added 3\n");
    ASSERT_EQ(tree.run({ "scan-tree", "U", "DU" }).status, 0);
    EXPECT_EQ(IconContents(tree.path("D")), IconContents(tree.path("DU")));
    const std::string nested = "S/disc.iso" + kIn + "mid.7z" + kIn + "in.zip" + kIn;
    EXPECT_EQ(CapturePlaces(tree, "D"),
        (std::vector<std::string> { nested + "winemine.exe #0", nested + "setup/app.exe #0",
            "S/disc.iso" + kIn + "iexplore.exe #0" }));
}

// One archive that must not or cannot be unpacked, in a folder with a
// program and a good archive around it: the harvest names it with its
// reason on stderr, ends with status 3, and takes every icon the good files
// hold, those of the bad archive's good members too.
struct BadArchive {
    const char* name;
    // Makes the bad archive in S from the files of w; false when it cannot.
    std::function<bool(const Tree&)> make;
    // The files of the corpus in it that are harvested all the same.
    std::vector<std::string> harvested;
    // What is skipped, inside S, and why (the library's own words, which
    // vary between its versions, cut off).
    std::string skipped;
    std::string reason;
};

void PrintTo(const BadArchive& row, std::ostream* os)
{
    *os << row.name;
}

class BadArchives : public testing::TestWithParam<BadArchive> { };

TEST_P(BadArchives, AreSkippedWithTheirReasonAndTheGoodFilesHarvested)
{
    SKIP_WITHOUT_TOOL("bsdtar");
    const BadArchive& row = GetParam();
    Tree tree;
    SKIP_WITHOUT_CORPUS(Lay(tree,
        { { "w/winemine.exe", kWinemine }, { "w/iexplore.exe", kIexplore }, { "w/sas.dll", kSas },
            { "w/setup/app.exe", kHh }, { "S/good.exe", kNotepad }, { "G/good.exe", kNotepad },
            { "G/app.exe", kHh } }));
    ASSERT_TRUE(tree.pack(ArchiveKind::Zip, "w", { "setup/app.exe" }, "S/good.zip"));
    if (!row.make(tree))
        GTEST_SKIP() << "bsdtar cannot make the archive";
    for (std::size_t i = 0; i < row.harvested.size(); ++i)
        ASSERT_TRUE(tree.fromCorpus(row.harvested[i], "G/" + std::to_string(i) + ".exe"));
    tree.folder("D");
    tree.folder("DG");

    const Output good = tree.run({ "scan-tree", "G", "DG" });
    ASSERT_EQ(good.status, 0) << good.err;
    const Output o = tree.run({ "scan-tree", "--archives", "S", "D" });
    EXPECT_EQ(o.status, 3) << o.err;
    EXPECT_EQ(o.out, good.out.substr(0, good.out.size() - 1) + ", skipped 1, 0 stayed in Temp\n");
    const std::vector<std::string> skipped = SkippedLines(o.err);
    ASSERT_EQ(skipped.size(), 1u) << o.err;
    const std::string named = "skipped " + tree.path("S/" + row.skipped) + ": ";
    EXPECT_EQ(skipped[0].substr(0, named.size() + row.reason.size()), named + row.reason);
    EXPECT_EQ(IconContents(tree.path("D")), IconContents(tree.path("DG")));
}

// Deflate packs zeros about 1030 to 1: 128 MiB of them, sparse on disk, make
// a member far past the ratio that is caught long before it is unpacked.
bool MakeBomb(const Tree& tree)
{
    if (!kit::WriteBytes(tree.path("w/zeros.dll"), {})
        || ::truncate(tree.path("w/zeros.dll").c_str(), 128 << 20) != 0)
        return false;
    return tree.pack(
        ArchiveKind::Zip, "w", { "iexplore.exe", "zeros.dll", "winemine.exe" }, "S/bomb.zip");
}

bool MakeEncrypted(const Tree& tree)
{
    return tree.pack(ArchiveKind::Zip, "w", { "winemine.exe" }, "S/locked.zip",
        { "--options", "zip:encryption=zipcrypt", "--passphrase", "secret" });
}

// A 7z keeps its directory at its end: cut short, none of it can be read.
bool MakeTruncated(const Tree& tree)
{
    if (!tree.pack(ArchiveKind::SevenZip, "w", { "winemine.exe", "iexplore.exe" }, "w/cut.7z"))
        return false;
    kit::Bytes bytes = kit::ReadBytes(tree.path("w/cut.7z"));
    bytes.resize(bytes.size() - 10000);
    return kit::WriteBytes(tree.path("S/cut.7z"), bytes);
}

// Four levels of zips; the one at the fourth is past the depth, and the
// member beside the second level is harvested.
bool MakeTooDeep(const Tree& tree)
{
    return tree.pack(ArchiveKind::Zip, "w", { "winemine.exe" }, "w/l4.zip")
        && tree.pack(ArchiveKind::Zip, "w", { "l4.zip" }, "w/l3.zip")
        && tree.pack(ArchiveKind::Zip, "w", { "l3.zip" }, "w/l2.zip")
        && tree.pack(ArchiveKind::Zip, "w", { "l2.zip", "iexplore.exe" }, "S/deep.zip");
}

INSTANTIATE_TEST_SUITE_P(Archives, BadArchives,
    testing::Values(
        BadArchive { "ZipBomb", MakeBomb, { kIexplore, kWinemine }, "bomb.zip" + kIn + "zeros.dll",
            archive::RatioExceededText(ArchiveLimits {}, false) },
        BadArchive { "EncryptedZip", MakeEncrypted, {}, "locked.zip" + kIn + "winemine.exe",
            archive::EncryptedText() },
        BadArchive { "Truncated7z", MakeTruncated, {}, "cut.7z",
            "Archive damaged from here on, the rest of it skipped: " },
        BadArchive { "NestedPastTheDepth", MakeTooDeep, { kIexplore },
            "deep.zip" + kIn + "l2.zip" + kIn + "l3.zip" + kIn + "l4.zip",
            archive::NestedTooDeepText(ArchiveLimits {}) }),
    kit::RowName());

// A zip, and a program with a zip behind it (a self-extracting one): without
// --archives the program is harvested as the program it is and nothing
// inside either is opened; with it, the members of both are harvested too.
struct ArchivesSwitch {
    const char* name;
    std::vector<std::string> flags;
    std::string out;
    std::vector<std::string> places; // sorted
};

class ArchivesSwitchTest : public testing::TestWithParam<ArchivesSwitch> { };

TEST_P(ArchivesSwitchTest, OnlyItOpensArchives)
{
    SKIP_WITHOUT_TOOL("bsdtar");
    Tree tree;
    SKIP_WITHOUT_CORPUS(Lay(tree,
        { { "w/winemine.exe", kWinemine }, { "w/iexplore.exe", kIexplore }, { "w/hh.exe", kHh } }));
    ASSERT_TRUE(tree.pack(ArchiveKind::Zip, "w", { "iexplore.exe" }, "S/tools.zip"));
    ASSERT_TRUE(tree.pack(ArchiveKind::Zip, "w", { "winemine.exe" }, "w/payload.zip"));
    kit::Bytes setup = kit::ReadBytes(tree.path("w/hh.exe"));
    const kit::Bytes payload = kit::ReadBytes(tree.path("w/payload.zip"));
    setup.insert(setup.end(), payload.begin(), payload.end());
    ASSERT_TRUE(tree.put("S/setup.exe", setup));
    tree.folder("D");

    std::vector<std::string> args = { "scan-tree" };
    args.insert(args.end(), GetParam().flags.begin(), GetParam().flags.end());
    args.insert(args.end(), { "S", "D" });
    const Output o = tree.run(args);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, GetParam().out);
    std::vector<std::string> places = CapturePlaces(tree, "D");
    std::sort(places.begin(), places.end());
    EXPECT_EQ(places, GetParam().places);
}

INSTANTIATE_TEST_SUITE_P(Switch, ArchivesSwitchTest,
    testing::Values(ArchivesSwitch { "Without", {}, "captured 1, added 1\n", { "S/setup.exe #0" } },
        ArchivesSwitch { "With", { "--archives" }, "captured 3, added 3\n",
            { "S/setup.exe #0", "S/setup.exe" + kIn + "winemine.exe #0",
                "S/tools.zip" + kIn + "iexplore.exe #0" } }),
    kit::RowName());

} // namespace
