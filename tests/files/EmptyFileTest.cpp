// The empty file a file manager makes for a thumbnail: taken only when it is
// an empty regular file reached without a link, and everything else left as
// it was, unopened.

#include "files/EmptyFile.h"
#include "kit/Files.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using glyphor::files::EmptyFile;
using glyphor::kit::Bytes;
using glyphor::kit::ReadBytes;
using glyphor::kit::ScratchFolder;
using glyphor::kit::WriteBytes;

namespace {

// What is at out.png when the file is opened, made in the folder given.
struct Entry {
    const char* name;
    void (*make)(const ScratchFolder&);
    int error; // 0: taken
};

void PrintTo(const Entry& e, std::ostream* os)
{
    *os << e.name;
}

void Link(const ScratchFolder& f, const char* target)
{
    ASSERT_EQ(::symlink(target, f.file("out.png").c_str()), 0);
}

const Entry kEntries[] = {
    { "EmptyFile", [](const ScratchFolder& f) { WriteBytes(f.file("out.png"), {}); }, 0 },
    { "Nothing", [](const ScratchFolder&) {}, ENOENT },
    { "FileWithBytes", [](const ScratchFolder& f) { WriteBytes(f.file("out.png"), { 'x' }); },
        EEXIST },
    { "LinkToAnEmptyFile",
        [](const ScratchFolder& f) {
            WriteBytes(f.file("target"), {});
            Link(f, "target");
        },
        EEXIST },
    { "DanglingLink", [](const ScratchFolder& f) { Link(f, "target"); }, EEXIST },
    { "Folder", [](const ScratchFolder& f) { ::mkdir(f.file("out.png").c_str(), 0755); }, EEXIST },
    // Opened for writing, a fifo without a reader would wait or fail; it is
    // not opened at all.
    { "Fifo", [](const ScratchFolder& f) { ::mkfifo(f.file("out.png").c_str(), 0644); }, EEXIST },
};

class EmptyFileAtOut : public testing::TestWithParam<Entry> { };

TEST_P(EmptyFileAtOut, IsTakenOnlyWhenItIsAnEmptyRegularFile)
{
    const ScratchFolder folder;
    GetParam().make(folder);
    const auto before = folder.names();
    const EmptyFile file = EmptyFile::open(folder.file("out.png"));
    EXPECT_EQ(file.ok(), GetParam().error == 0);
    EXPECT_EQ(file.error(), GetParam().error);
    EXPECT_EQ(folder.names(), before);
    // A link's target is not opened either: it stays empty or absent.
    struct stat st { };
    if (::stat(folder.file("target").c_str(), &st) == 0) {
        EXPECT_EQ(st.st_size, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, EmptyFileAtOut, testing::ValuesIn(kEntries), glyphor::kit::RowName());

// Finished, the file keeps its bytes and the permissions its maker gave it;
// dropped before that (a failed write), it is empty again.
TEST(EmptyFile, KeepsWhatIsFinishedAndEmptiesItselfOtherwise)
{
    const ScratchFolder folder;
    const std::string path = folder.file("out.png");
    const std::uint8_t bytes[] = { 'p', 'n', 'g' };
    WriteBytes(path, {});
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    {
        EmptyFile file = EmptyFile::open(path);
        ASSERT_TRUE(file.ok());
        ASSERT_TRUE(file.write(bytes, sizeof bytes));
    }
    EXPECT_EQ(ReadBytes(path), Bytes {});

    EmptyFile file = EmptyFile::open(path);
    ASSERT_TRUE(file.ok());
    ASSERT_TRUE(file.write(bytes, sizeof bytes));
    ASSERT_TRUE(file.finish());
    EXPECT_EQ(ReadBytes(path), (Bytes { 'p', 'n', 'g' }));
    struct stat st { };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // Now that it holds bytes, it is no longer there to fill.
    EXPECT_EQ(EmptyFile::open(path).error(), EEXIST);
}

} // namespace
