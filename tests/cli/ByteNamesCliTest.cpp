// glyphor2-cli given paths that are not UTF-8, as a shell passes them: the
// arguments reach the system byte for byte, a path printed for scripts comes
// back as its bytes, and a path in a message is shown with its bytes marked.

#include "RunCli.h"

#include "kit/Executables.h"
#include "kit/NativeFiles.h"
#include "kit/ScanFolders.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using glyphor::files::FromNativePath;
using glyphor::test::Output;
using glyphor::test::RunCli;

class ByteNamesCli : public testing::Test {
protected:
    void SetUp() override
    {
        glyphor::kit::MakePath(FromNativePath(root + "/Z\xFC"));
        glyphor::kit::MakePath(FromNativePath(root + "/Qu\xE9lle/sub\xFF"));
        glyphor::kit::WriteBytes(FromNativePath(root
                                     + "/Qu\xE9lle/\xC9"
                                       "diteur.exe"),
            glyphor::kit::PeWithOneIcon(1));
        glyphor::kit::WriteBytes(
            FromNativePath(root + "/Qu\xE9lle/sub\xFF/b.exe"), glyphor::kit::PeWithOneIcon(2));
    }
    std::vector<std::string> Icons(const std::string& folder)
    {
        std::vector<std::string> names = glyphor::kit::ScratchFolder::NamesIn(root + "/" + folder);
        std::erase_if(names, [](const std::string& n) {
            return glyphor::kit::IsCatalogueName(QString::fromStdString(n));
        });
        return names;
    }

    glyphor::kit::ScratchFolder tmp;
    std::string root = tmp.path();
};

TEST_F(ByteNamesCli, EveryCommandTakesAndGivesTheBytes)
{
    const std::string exe = "Qu\xE9lle/\xC9"
                            "diteur.exe";
    Output o = RunCli({ "scan-tree", "Qu\xE9lle", "Z\xFC" }, root);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "captured 2, added 2\n");
    EXPECT_EQ(Icons("Z\xFC"), (std::vector<std::string> { "Icon0000.ico", "Icon0001.ico" }));

    o = RunCli({ "scan-file", exe, "Z\xFC" }, root);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "captured 1, added 0\n");

    o = RunCli({ "icons", exe }, root);
    EXPECT_EQ(o.out, "1\n");

    // The path written, as its bytes, for a script to use.
    o = RunCli({ "save", exe, "0", "Z\xFC" }, root);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, root + "/Z\xFC/Icon0002.ico\n");

    o = RunCli({ "capture", exe, "0", "Z\xFC/x\xE9.ico" }, root);
    EXPECT_EQ(o.status, 0) << o.err;
    o = RunCli({ "show", "Z\xFC/x\xE9.ico", "x\xE9.png" }, root);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(root + "/x\xE9.png"));
    // Into a folder of its own: no command replaces the icons already there.
    std::filesystem::create_directory(root + "/Y\xFC");
    o = RunCli({ "capture-all", exe, "Y\xFC" }, root);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "1\n");
}

TEST_F(ByteNamesCli, MessagesShowTheBytesMarked)
{
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        { { "scan-tree", "nowhere\xE9", "Z\xFC" }, "nowhere\\xE9: No such file or directory\n" },
        { { "scan-file", "Qu\xE9lle", "Z\xFC" }, "Qu\\xE9lle: Is a directory\n" },
        { { "show", "Z\xFC/missing\xE9.ico", "out.png" },
            "Z\\xFC/missing\\xE9.ico: No such file or directory\n" },
    };
    for (const auto& c : cases) {
        const Output o = RunCli(c.args, root);
        EXPECT_EQ(o.status, 1) << c.args[1];
        EXPECT_EQ(o.err, c.err) << c.args[1];
    }
}

} // namespace
