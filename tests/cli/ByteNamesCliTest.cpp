// glyphor2-cli given paths that are not UTF-8, as a shell passes them: the
// arguments reach the system byte for byte, a path printed for scripts comes
// back as its bytes, and a path in a message is shown with its bytes marked.

#include "ByteNames.h"
#include "PeBuilder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using glyphor::platform::FromNativePath;

struct Output {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

// Runs the tool in folder with argv as bytes (a QProcess would pass its
// arguments through a text conversion).
Output RunCli(const std::vector<std::string>& args, const std::string& folder)
{
    const std::string out = folder + "/.stdout";
    const std::string err = folder + "/.stderr";
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv { const_cast<char*>(G2_CLI) };
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (::chdir(folder.c_str()) != 0)
            ::_exit(126);
        ::dup2(::open(out.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644), 1);
        ::dup2(::open(err.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644), 2);
        ::execv(G2_CLI, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    Output o { WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err) };
    ::unlink(out.c_str());
    ::unlink(err.c_str());
    return o;
}

class ByteNamesCli : public testing::Test {
protected:
    void SetUp() override
    {
        root = glyphor::platform::ToNativePath(tmp.path());
        glyphor::testing::MakePath(FromNativePath(root + "/Z\xFC"));
        glyphor::testing::MakePath(FromNativePath(root + "/Qu\xE9lle/sub\xFF"));
        glyphor::testing::WriteBytes(FromNativePath(root
                                         + "/Qu\xE9lle/\xC9"
                                           "diteur.exe"),
            glyphor::testing::PeWithOneIcon(1));
        glyphor::testing::WriteBytes(
            FromNativePath(root + "/Qu\xE9lle/sub\xFF/b.exe"), glyphor::testing::PeWithOneIcon(2));
    }
    std::vector<std::string> Icons(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(root + "/" + folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    glyphor::testing::ByteTempDir tmp;
    std::string root;
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
            "Cannot open file Z\\xFC/missing\\xE9.ico\n" },
    };
    for (const auto& c : cases) {
        const Output o = RunCli(c.args, root);
        EXPECT_EQ(o.status, 1) << c.args[1];
        EXPECT_EQ(o.err, c.err) << c.args[1];
    }
}

} // namespace
