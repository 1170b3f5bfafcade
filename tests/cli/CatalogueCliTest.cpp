// The commands that read a destination's catalogue, run as a user runs
// them, on a catalogue recorded as a harvest records it: every place an
// icon was found, once each and whatever the file is called now; the
// original group, never over a file; the whole catalogue as lines.

#include "RunCli.h"

#include "catalogue/Catalogue.h"
#include "catalogue/IconHash.h"
#include "kit/Catalogues.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace glyphor::catalogue;
using glyphor::kit::FakeGroup;
using glyphor::kit::FakeIconFile;
using glyphor::test::Output;
using glyphor::test::RunCli;

class CatalogueCli : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(dest);
        Catalogue c = Catalogue::OpenForHarvest(dest);
        ASSERT_TRUE(c.kept()) << c.takeNotice();
        // One icon found in three files, one of them inside an archive, and
        // found again in the first by a later harvest; another icon beside it.
        const struct {
            std::string source;
            std::string member;
            int index;
            int icon;
            GroupName group;
            std::size_t groupSize;
            const char* file;
            bool placed;
        } captures[] = {
            { "/src/a.exe", "", 0, 9, GroupName::Number(1), 3000, "Icon0000.ico", true },
            { "/src/b\xE9.dll", "", 5, 9, GroupName::Name("APP"), 9000, "Icon0000.ico", false },
            { "/src/z.zip", "in/c.exe", 2, 9, GroupName::Number(7), 3000, "Icon0000.ico", false },
            { "/src/a.exe", "", 1, 4, GroupName::Number(2), 0, "Icon0001.ico", true },
            { "/src/a.exe", "", 0, 9, GroupName::Number(1), 3000, "Icon0000.ico", false },
        };
        std::int64_t time = 1700000000;
        for (const auto& c0 : captures) {
            const glyphor::kit::Bytes icon = FakeIconFile(c0.icon);
            const glyphor::kit::Bytes group = FakeGroup(c0.index, c0.groupSize);
            auto id = c.recordCapture({ c0.source, c0.member, c0.index, c0.group, time++, icon,
                group, c0.file, std::nullopt });
            ASSERT_TRUE(id);
            if (c0.placed) {
                glyphor::kit::WriteBytes(dest + "/" + c0.file, icon);
                ASSERT_TRUE(c.recordPlaced(*id, c0.file));
            } else {
                ASSERT_TRUE(c.recordDuplicate(*id, c0.file));
            }
        }
    }

    glyphor::kit::ScratchFolder tmp;
    std::string root = tmp.path();
    std::string dest = root + "/Dest";
};

const std::string kThreePlaces = "/src/a.exe\t0\n"
                                 "/src/b\xE9.dll\t5\n"
                                 "/src/z.zip\t2\tin/c.exe\t\n";

TEST_F(CatalogueCli, SourcesListsEveryPlaceOnceWhateverTheFileIsCalled)
{
    Output o = RunCli({ "sources", "Dest/Icon0000.ico" }, root);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, kThreePlaces);
    EXPECT_EQ(o.err, "");

    std::filesystem::rename(dest + "/Icon0000.ico", dest + "/renamed by hand.ico");
    o = RunCli({ "sources", "Dest/renamed by hand.ico" }, root);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, kThreePlaces);

    o = RunCli({ "sources", root + "/Dest/Icon0001.ico" }, "/");
    EXPECT_EQ(o.out, "/src/a.exe\t1\n");

    glyphor::kit::WriteBytes(dest + "/added.ico", FakeIconFile(5));
    o = RunCli({ "sources", "Dest/added.ico" }, root);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "");
}

TEST_F(CatalogueCli, FullWritesTheLargestOriginalAndNeverReplacesAFile)
{
    Output o = RunCli({ "full", "Dest/Icon0000.ico", "out.ico" }, root);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(glyphor::kit::ReadBytes(root + "/out.ico"), FakeGroup(5, 9000));

    glyphor::kit::WriteBytes(root + "/taken.ico", { 1, 2, 3 });
    o = RunCli({ "full", "Dest/Icon0000.ico", "taken.ico" }, root);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "Cannot create file taken.ico: File exists\n");
    EXPECT_EQ(glyphor::kit::ReadBytes(root + "/taken.ico"), (glyphor::kit::Bytes { 1, 2, 3 }));

    // Captured without its group.
    o = RunCli({ "full", "Dest/Icon0001.ico", "none.ico" }, root);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "No original of Dest/Icon0001.ico is kept in the catalogue\n");
    EXPECT_FALSE(std::filesystem::exists(root + "/none.ico"));
    EXPECT_EQ(glyphor::kit::ScratchFolder::NamesIn(root),
        (std::vector<std::string> { "Dest", "out.ico", "taken.ico" }));
}

TEST_F(CatalogueCli, CatalogueListsEveryCaptureInColumns)
{
    const std::string icon9 = HexOf(HashOfBytes(FakeIconFile(9)));
    const std::string icon4 = HexOf(HashOfBytes(FakeIconFile(4)));
    const std::string g0 = HexOf(HashOfBytes(FakeGroup(0, 3000)));
    const std::string g5 = HexOf(HashOfBytes(FakeGroup(5, 9000)));
    const std::string g2 = HexOf(HashOfBytes(FakeGroup(2, 3000)));
    const Output o = RunCli({ "catalogue", "Dest" }, root);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out,
        "2023-11-14T22:13:20Z\tplaced\tIcon0000.ico\t/src/a.exe\t0\t\t#1\t" + icon9 + "\t" + g0
            + "\t3000\n"
              "2023-11-14T22:13:21Z\tduplicate\tIcon0000.ico\t/src/b\xE9.dll\t5\t\tAPP\t"
            + icon9 + "\t" + g5
            + "\t9000\n"
              "2023-11-14T22:13:22Z\tduplicate\tIcon0000.ico\t/src/z.zip\t2\tin/c.exe\t#7\t"
            + icon9 + "\t" + g2
            + "\t3000\n"
              "2023-11-14T22:13:23Z\tplaced\tIcon0001.ico\t/src/a.exe\t1\t\t#2\t"
            + icon4
            + "\t\t0\n"
              "2023-11-14T22:13:24Z\tduplicate\tIcon0000.ico\t/src/a.exe\t0\t\t#1\t"
            + icon9 + "\t" + g0 + "\t3000\n");
}

TEST_F(CatalogueCli, FailuresNameTheFileAndTheReason)
{
    std::filesystem::create_directory(root + "/Other");
    glyphor::kit::WriteBytes(root + "/Other/x.ico", FakeIconFile(1));
    std::filesystem::create_directory(root + "/Bad");
    glyphor::kit::WriteBytes(root + "/Bad/x.ico", FakeIconFile(1));
    glyphor::kit::WriteBytes(
        root + "/Bad/glyphor2-catalogue.sqlite", glyphor::kit::Bytes(600, 'x'));
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string err;
    } rows[] = {
        { "missing icon file", { "sources", "Dest/none.ico" }, 1,
            "Dest/none.ico: No such file or directory\n" },
        { "a folder for the icon file", { "full", "Dest", "o.ico" }, 1, "Dest: Is a directory\n" },
        { "a file for the folder", { "catalogue", "Dest/Icon0000.ico" }, 1,
            "Dest/Icon0000.ico: Not a directory\n" },
        { "missing folder", { "catalogue", "Nowhere" }, 1, "Nowhere: No such file or directory\n" },
        { "no catalogue", { "sources", "Other/x.ico" }, 0, "Other has no catalogue\n" },
        { "no catalogue, quiet", { "--quiet", "sources", "Other/x.ico" }, 0, "" },
        { "no catalogue for full", { "full", "Other/x.ico", "o.ico" }, 1,
            "No original of Other/x.ico is kept: Other has no catalogue\n" },
        { "damaged catalogue", { "sources", "Bad/x.ico" }, 1,
            "The catalogue Bad/glyphor2-catalogue.sqlite is damaged (file is not a database)\n" },
        { "damaged catalogue listed", { "catalogue", "Bad" }, 1,
            "The catalogue Bad/glyphor2-catalogue.sqlite is damaged (file is not a database)\n" },
        { "sources usage", { "sources" }, 2, "usage: glyphor2-cli sources DEST/IconNNNN.ico\n" },
        { "full usage", { "full", "Dest/Icon0000.ico" }, 2,
            "usage: glyphor2-cli full DEST/IconNNNN.ico OUT.ico\n" },
        { "catalogue usage", { "catalogue", "a", "b" }, 2, "usage: glyphor2-cli catalogue DEST\n" },
    };
    for (const auto& row : rows) {
        const Output o = RunCli(row.args, root);
        EXPECT_EQ(o.status, row.status) << row.name;
        EXPECT_EQ(o.err, row.err) << row.name;
        EXPECT_EQ(o.out, "") << row.name;
    }
    EXPECT_FALSE(std::filesystem::exists(root + "/o.ico"));
    EXPECT_EQ(glyphor::kit::ScratchFolder::NamesIn(root + "/Bad"),
        (std::vector<std::string> { "glyphor2-catalogue.sqlite", "x.ico" }));
}

} // namespace
