// The catalogue as real harvests write it, read back with the tool's own
// commands: an icon found in three programs (one inside an archive) lists
// the three, keeps its sources when its file is renamed by hand, and gives
// back the original group it was made from; Scan File and Save Icon record
// too, --no-catalogue records nothing; and a catalogue that is damaged,
// read-only, unreadable, locked or of a newer layout never stops a harvest
// and is left byte for byte as it was.

#include "HarvestTrees.h"

#include "catalogue/CatalogueFiles.h"
#include "catalogue/CatalogueSchema.h"
#include "catalogue/Sqlite.h"
#include "kit/Catalogues.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace glyphor::test;
namespace kit = glyphor::kit;
namespace catalogue = glyphor::catalogue;

const std::string kAppwiz64 = "public/libwine-amd64/appwiz.cpl.dll";
const std::string kMsiexec64 = "public/libwine-amd64/msiexec.exe";
const std::string kAppwiz32 = "public/libwine-i386/appwiz.cpl.dll";
const std::string kMsiexec32 = "public/libwine-i386/msiexec.exe";

// The names of a folder's catalogues and their journals.
std::vector<std::string> CatalogueNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const std::string& name : kit::ScratchFolder::NamesIn(folder))
        if (name.rfind("glyphor2-catalogue", 0) == 0)
            names.push_back(name);
    return names;
}

// One icon in three programs: the 32 x 32, 16-colour copies of the icons of
// these installers' first groups are equal in every byte, while the groups
// themselves are not all the same. The third program lies inside a zip.
class ThreePlaces : public testing::Test {
protected:
    void SetUp() override
    {
        if (!kit::HaveProgram("bsdtar"))
            GTEST_SKIP() << "bsdtar is not installed (scripts/setup installs it)";
        if (!tree.fromCorpus(kAppwiz64, "S/appwiz.cpl.dll")
            || !tree.fromCorpus(kMsiexec64, "S/sub/msiexec.exe")
            || !tree.fromCorpus(kMsiexec32, "w/msiexec.exe")
            || !tree.fromCorpus(kMsiexec32, "T/msiexec.exe")
            || !tree.fromCorpus(kAppwiz32, "T/appwiz.cpl.dll"))
            GTEST_SKIP() << "no corpus at " << kit::CorpusRoot();
        ASSERT_TRUE(tree.pack(kit::ArchiveKind::Zip, "w", { "msiexec.exe" }, "S/tools.zip"));
        tree.folder("D");
        const Output o = tree.run({ "scan-tree", "--archives", "S", "D" });
        ASSERT_EQ(o.status, 0) << o.err;
        ASSERT_EQ(o.out, "captured 3, added 1\n");
        ASSERT_EQ(IconNames(tree.path("D")), std::vector<std::string> { "Icon0000.ico" });
    }

    // The folder's own program first, then the archive's member, then the
    // subfolder's program, as the walk met them.
    std::string threePlaces() const
    {
        return tree.path("S/appwiz.cpl.dll") + "\t0\n" + tree.path("S/tools.zip")
            + "\t0\tmsiexec.exe\t1\n" + tree.path("S/sub/msiexec.exe") + "\t0\n";
    }

    Tree tree;
};

TEST_F(ThreePlaces, SourcesListsThemAllAndARenameByHandKeepsThem)
{
    Output o = tree.run({ "sources", "D/Icon0000.ico" });
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, threePlaces());
    EXPECT_EQ(o.err, "");

    std::filesystem::rename(tree.path("D/Icon0000.ico"), tree.path("D/my favourite.ico"));
    o = tree.run({ "sources", "D/my favourite.ico" });
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, threePlaces());
}

// Two members of one name in an archive are two places, told apart by
// their positions in it.
TEST_F(ThreePlaces, TwoMembersOfOneNameAreTwoPlaces)
{
    ASSERT_TRUE(
        tree.pack(kit::ArchiveKind::Cpio, "w", { "msiexec.exe", "msiexec.exe" }, "U/twice.cpio"));
    ASSERT_EQ(tree.run({ "scan-tree", "--archives", "U", "D" }).status, 0);
    const std::string twice = tree.path("U/twice.cpio") + "\t0\tmsiexec.exe\t";
    EXPECT_EQ(tree.run({ "sources", "D/Icon0000.ico" }).out,
        threePlaces() + twice + "1\n" + twice + "2\n");
}

// The original kept is the largest of the three groups, byte for byte the
// icon file that `extract` writes of it.
TEST_F(ThreePlaces, FullGivesBackTheOriginalGroupAsExtractWritesIt)
{
    tree.folder("X");
    kit::Bytes largest;
    for (const char* source : { "S/appwiz.cpl.dll", "S/sub/msiexec.exe", "w/msiexec.exe" }) {
        tree.folder("X/each");
        ASSERT_EQ(tree.run({ "extract", source, "X/each" }).status, 0) << source;
        const std::vector<std::string> written = IconNames(tree.path("X/each"));
        ASSERT_FALSE(written.empty()) << source;
        const kit::Bytes first = kit::ReadBytes(tree.path("X/each/" + written.front()));
        if (first.size() > largest.size())
            largest = first;
        std::filesystem::remove_all(tree.path("X/each"));
    }
    std::filesystem::rename(tree.path("D/Icon0000.ico"), tree.path("D/renamed.ico"));
    const Output o = tree.run({ "full", "D/renamed.ico", "X/full.ico" });
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(kit::ReadBytes(tree.path("X/full.ico")), largest);
}

// The two other commands that put icons into a destination record where
// theirs came from: the icon file they made or matched lists a fourth place.
struct Recording {
    const char* name;
    std::vector<std::string> args;
    std::string added; // the place added, in the tree
};

class ThreePlacesAndOneMore : public ThreePlaces, public testing::WithParamInterface<Recording> { };

TEST_P(ThreePlacesAndOneMore, IsRecordedByScanFileAndSave)
{
    const Output o = tree.run(GetParam().args);
    EXPECT_EQ(o.status, 0) << o.err;
    for (const std::string& icon : IconNames(tree.path("D"))) {
        SCOPED_TRACE(icon);
        const Output sources = tree.run({ "sources", "D/" + icon });
        EXPECT_EQ(sources.out, threePlaces() + tree.path(GetParam().added) + "\t0\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, ThreePlacesAndOneMore,
    testing::Values(
        Recording { "ScanFile", { "scan-file", "T/msiexec.exe", "D" }, "T/msiexec.exe" },
        // Save Icon puts the icon in without comparing, as a second file.
        Recording { "Save", { "save", "T/appwiz.cpl.dll", "0", "D" }, "T/appwiz.cpl.dll" }),
    kit::RowName());

// --no-catalogue: a destination without a catalogue gets none, and one with
// a catalogue finds it as it was.
struct Unrecorded {
    const char* name;
    std::vector<std::string> args; // without the destination
    std::string out;
};

class NoCatalogue : public ThreePlaces, public testing::WithParamInterface<Unrecorded> { };

TEST_P(NoCatalogue, WritesNone)
{
    std::vector<std::string> args = GetParam().args;
    args.push_back("fresh");
    tree.folder("fresh");
    Output o = tree.run(args);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, GetParam().out);
    EXPECT_EQ(kit::ScratchFolder::NamesIn(tree.path("fresh")),
        std::vector<std::string> { "Icon0000.ico" });

    const std::string kept = tree.path("D/" + catalogue::CatalogueFileName(1));
    const kit::Bytes before = kit::ReadBytes(kept);
    const std::string listed = tree.run({ "catalogue", "D" }).out;
    args.back() = "D";
    o = tree.run(args);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(CatalogueNames(tree.path("D")),
        std::vector<std::string> { catalogue::CatalogueFileName(1) });
    EXPECT_EQ(kit::ReadBytes(kept), before);
    EXPECT_EQ(tree.run({ "catalogue", "D" }).out, listed);
}

INSTANTIATE_TEST_SUITE_P(Commands, NoCatalogue,
    testing::Values(Unrecorded { "ScanTree", { "scan-tree", "--no-catalogue", "--archives", "S" },
                        "captured 3, added 1\n" },
        Unrecorded { "ScanFile", { "scan-file", "--no-catalogue", "S/sub/msiexec.exe" },
            "captured 1, added 1\n" }),
    kit::RowName());

// A catalogue in a state no harvest may write it in. The harvest adds its
// icons with status 0, says once why the catalogue is not kept, and leaves
// the file as it was; where it can never be written as it is, a new
// catalogue beside it takes the new icons' sources.
using Held = std::shared_ptr<void>;

struct CatalogueState {
    const char* name;
    // Puts the catalogue at path in its state; what it returns is held
    // during the harvest.
    std::function<Held(const std::string& path)> make;
    // The notice after "The catalogue PATH ".
    std::string notice;
    bool beside;
};

void PrintTo(const CatalogueState& row, std::ostream* os)
{
    *os << row.name;
}

// What a path is, as far as a harvest could change it.
struct Snapshot {
    explicit Snapshot(const std::string& path)
    {
        struct stat st { };
        if (::stat(path.c_str(), &st) != 0)
            return;
        mode = st.st_mode;
        bytes = kit::ReadBytes(path);
    }
    bool operator==(const Snapshot&) const = default;
    mode_t mode = 0;
    kit::Bytes bytes;
};

class BadCatalogues : public testing::TestWithParam<CatalogueState> { };

TEST_P(BadCatalogues, NeverStopAHarvestAndAreLeftAsTheyWere)
{
    const CatalogueState& row = GetParam();
    Tree tree;
    if (!tree.fromCorpus("public/libwine-i386/notepad.exe", "first/notepad.exe")
        || !tree.fromCorpus("public/libwine-i386/hh.exe", "S/hh.exe")
        || !tree.fromCorpus("public/libwine-i386/winemine.exe", "S/winemine.exe"))
        GTEST_SKIP() << "no corpus at " << kit::CorpusRoot();
    tree.folder("D");
    ASSERT_EQ(tree.run({ "scan-file", "first/notepad.exe", "D" }).status, 0);
    const std::string path = tree.path("D/" + catalogue::CatalogueFileName(1));
    Held held = row.make(path);
    const Snapshot before(path);

    const Output o = tree.run({ "scan-tree", "S", "D" });
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "captured 2, added 2\n");
    EXPECT_EQ(IconNames(tree.path("D")).size(), 3u);
    const std::string besideName = catalogue::CatalogueFileName(2);
    const std::string then = row.beside
        ? "; the sources of icons are kept in " + tree.path("D/" + besideName) + " from now on"
        : "; the sources of this harvest's icons are not kept";
    const std::vector<std::string> notice { "The catalogue " + path + " " + row.notice + then };
    EXPECT_EQ(Lines(o.err), notice);
    // Save Icon meets the catalogue as the next harvest would: the new one
    // beside it is taken up without a word, and the trouble of one that
    // cannot be replaced is told again.
    const Output saved = tree.run({ "save", "S/hh.exe", "0", "D" });
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(Lines(saved.err), row.beside ? std::vector<std::string> {} : notice);
    held.reset();
    EXPECT_TRUE(Snapshot(path) == before);

    std::vector<std::string> numbered;
    for (const std::string& name : CatalogueNames(tree.path("D")))
        if (catalogue::CatalogueNumber(name))
            numbered.push_back(name);
    std::string sources;
    for (const char* icon : { "D/Icon0001.ico", "D/Icon0002.ico" })
        sources += tree.run({ "sources", icon }).out;
    if (row.beside) {
        EXPECT_EQ(
            numbered, (std::vector<std::string> { besideName, catalogue::CatalogueFileName(1) }));
        std::vector<std::string> lines = Lines(sources);
        std::sort(lines.begin(), lines.end());
        EXPECT_EQ(lines,
            (std::vector<std::string> {
                tree.path("S/hh.exe") + "\t0", tree.path("S/winemine.exe") + "\t0" }));
    } else {
        EXPECT_EQ(numbered, std::vector<std::string> { catalogue::CatalogueFileName(1) });
        EXPECT_EQ(sources, "");
    }
}

Held Nothing()
{
    return nullptr;
}

INSTANTIATE_TEST_SUITE_P(States, BadCatalogues,
    testing::Values(CatalogueState { "Truncated",
                        [](const std::string& path) {
                            std::filesystem::resize_file(
                                path, std::filesystem::file_size(path) / 2);
                            return Nothing();
                        },
                        "is damaged (database disk image is malformed)", true },
        // The tests may run as root, whom the system lets write anything: the
        // catalogue's own check of the permission bits is what refuses it.
        CatalogueState { "ReadOnly",
            [](const std::string& path) {
                ::chmod(path.c_str(), 0444);
                return Nothing();
            },
            ::geteuid() == 0 ? "cannot be written (the file is read-only)"
                             : "cannot be written (Permission denied)",
            true },
        CatalogueState { "Unreadable",
            [](const std::string& path) {
                ::chmod(path.c_str(), 0);
                return Nothing();
            },
            "cannot be read (Permission denied)", true },
        CatalogueState { "LockedByAnotherProcess",
            [](const std::string& path) -> Held {
                auto other = std::make_shared<kit::LockingProcess>(path);
                EXPECT_TRUE(other->locked());
                return other;
            },
            "is in use by another program (database is locked)", false },
        CatalogueState { "OfANewerLayout",
            [](const std::string& path) {
                catalogue::Database db;
                db.open(path, SQLITE_OPEN_READWRITE, 0);
                db.exec(
                    ("PRAGMA user_version = " + std::to_string(catalogue::kCatalogueVersion + 1))
                        .c_str());
                db.checkpointOnClose(true);
                return Nothing();
            },
            "was written by a newer version of Glyphor 2 (layout "
                + std::to_string(catalogue::kCatalogueVersion + 1) + "; this version knows "
                + std::to_string(catalogue::kCatalogueVersion) + ") and is left as it is",
            false }),
    kit::RowName());

} // namespace
