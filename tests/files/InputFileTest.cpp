#include "files/InputFile.h"

#include "kit/Files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>

using glyphor::files::InputFile;

namespace {

using Bytes = std::vector<std::uint8_t>;

class InputFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text, bool append = false)
    {
        const auto p = dir / name;
        std::ofstream(p, std::ios::binary | (append ? std::ios::app : std::ios::trunc)) << text;
        return p.string();
    }

    static std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

    glyphor::kit::ScratchFolder scratch;
    std::filesystem::path dir = scratch.path();
};

// Only a regular file is opened; everything else says why, and nothing waits.
TEST_F(InputFileTest, OpensOnlyRegularFiles)
{
    const std::string file = Write("file", "12345");
    std::filesystem::create_symlink(file, dir / "link");
    std::filesystem::create_symlink(dir / "gone", dir / "dangling");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const struct {
        const char* name;
        std::string path;
        int error; // 0: opened
        bool notRegular;
    } cases[] = {
        { "file", file, 0, false },
        { "link to a file", (dir / "link").string(), 0, false },
        { "missing", (dir / "missing").string(), ENOENT, false },
        { "dangling link", (dir / "dangling").string(), ENOENT, false },
        { "below a file", file + "/x", ENOTDIR, false },
        { "folder", dir.string(), EISDIR, true },
        { "fifo without a writer", (dir / "fifo").string(), EINVAL, true },
        { "device", "/dev/null", EINVAL, true },
    };
    for (const auto& c : cases) {
        const InputFile f = InputFile::open(c.path);
        EXPECT_EQ(f.ok(), c.error == 0) << c.name;
        EXPECT_EQ(f.error(), c.error) << c.name;
        EXPECT_EQ(f.notRegular(), c.notRegular) << c.name;
        if (f.ok()) {
            EXPECT_EQ(f.size(), 5u) << c.name;
        }
    }
}

// A whole-file read stops one byte past its limit, so that the caller can
// tell a file that is too long; the size at opening is only a first guess.
TEST_F(InputFileTest, ReadToEndIsBoundedAndReadsTheFileAsItIsNow)
{
    const std::string path = Write("file", "0123456789");
    const struct {
        std::size_t limit;
        std::string expected;
    } limits[] = { { 10, "0123456789" }, { 9, "0123456789" }, { 4, "01234" }, { 0, "0" } };
    for (const auto& l : limits) {
        InputFile f = InputFile::open(path);
        Bytes bytes;
        EXPECT_EQ(f.readToEnd(bytes, l.limit), 0);
        EXPECT_EQ(Text(bytes), l.expected) << "limit " << l.limit;
    }

    InputFile grown = InputFile::open(path);
    Write("file", std::string(40000, 'x'), true);
    Bytes bytes;
    EXPECT_EQ(grown.readToEnd(bytes), 0);
    EXPECT_EQ(bytes.size(), 40010u);

    // The system's own files report no size and are read all the same.
    InputFile mounts = InputFile::open("/proc/self/mountinfo");
    ASSERT_TRUE(mounts.ok());
    EXPECT_EQ(mounts.size(), 0u);
    EXPECT_EQ(mounts.readToEnd(bytes), 0);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.back(), '\n');
}

} // namespace
