// Which pictures a help topic may show: regular files in the help's folder
// or below it, no larger than the limit; nothing that a link or a path leads
// out to, nothing that is not a regular file, and nothing that would be
// waited on.

#include "help/HelpPicture.h"
#include "files/NativePath.h"
#include "kit/NamedRows.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace glyphor;
using namespace glyphor::help;

namespace {

// The help's folder (help/) beside a folder that is not the help's (other/).
class HelpFolder {
public:
    HelpFolder()
    {
        root = QDir(dir.path()).canonicalPath();
        folder = root + "/help";
        QDir().mkpath(folder + "/pictures");
        QDir().mkpath(root + "/other");
        write("help/pic.png", 300);
        write("help/pictures/deep.png", 10);
        write("other/secret.png", 20);
    }

    void write(const QString& name, std::size_t size) const
    {
        const int fd = ::open(native(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        const std::string bytes(size, 'p');
        EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(size));
        ::close(fd);
    }
    std::string native(const QString& name) const { return files::ToNativePath(root + "/" + name); }

    QTemporaryDir dir;
    QString root;
    QString folder;
};

struct PictureCase {
    const char* name;
    void (*make)(const HelpFolder& help); // what the case adds to the folders
    const char* reference;
    std::size_t size; // of the picture read
    const char* problem; // nullptr: read
};

void PrintTo(const PictureCase& c, std::ostream* os)
{
    *os << c.name;
}

void Nothing(const HelpFolder&)
{
}

class HelpPictureTest : public testing::TestWithParam<PictureCase> { };

TEST_P(HelpPictureTest, IsReadOnlyFromARegularFileInTheHelpsFolder)
{
    const HelpFolder help;
    GetParam().make(help);
    const auto bytes = ReadHelpPicture(help.folder, GetParam().reference);
    if (GetParam().problem) {
        ASSERT_FALSE(bytes);
        EXPECT_EQ(bytes.message(), GetParam().problem);
    } else {
        ASSERT_TRUE(bytes) << bytes.message();
        EXPECT_EQ(bytes->size(), GetParam().size);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, HelpPictureTest,
    testing::Values(PictureCase { "BesideTheHelp", Nothing, "pic.png", 300, nullptr },
        PictureCase { "InAFolderBelow", Nothing, "pictures/deep.png", 10, nullptr },
        PictureCase { "UpAndDownAgain", Nothing, "pictures/../pic.png", 300, nullptr },
        PictureCase { "LinkThatStaysInside",
            [](const HelpFolder& h) {
                ASSERT_EQ(::symlink("pictures/deep.png", h.native("help/alias.png").c_str()), 0);
            },
            "alias.png", 10, nullptr },
        PictureCase { "AtTheLimit",
            [](const HelpFolder& h) { h.write("help/big.png", kMaxHelpPictureBytes); }, "big.png",
            kMaxHelpPictureBytes, nullptr },
        PictureCase { "OneByteTooLarge",
            [](const HelpFolder& h) { h.write("help/big.png", kMaxHelpPictureBytes + 1); },
            "big.png", 0, "larger than 1048576 bytes" },
        PictureCase { "Fifo",
            [](const HelpFolder& h) {
                ASSERT_EQ(::mkfifo(h.native("help/fifo.png").c_str(), 0600), 0);
            },
            "fifo.png", 0, "not a regular file" },
        PictureCase { "Folder", Nothing, "pictures", 0, "not a regular file" },
        PictureCase { "DevZeroByItsPath", Nothing, "/dev/zero", 0, "not in the help's folder" },
        PictureCase { "DevZeroByAPathUp", Nothing, "../../../../../../../../../dev/zero", 0,
            "not in the help's folder" },
        PictureCase { "LinkToDevZero",
            [](const HelpFolder& h) {
                ASSERT_EQ(::symlink("/dev/zero", h.native("help/zero.png").c_str()), 0);
            },
            "zero.png", 0, "not in the help's folder" },
        PictureCase {
            "FileOutsideTheFolder", Nothing, "../other/secret.png", 0, "not in the help's folder" },
        PictureCase {
            "NothingOutsideTheFolder", Nothing, "../nothing.png", 0, "not in the help's folder" },
        PictureCase { "LinkLeadingOutside",
            [](const HelpFolder& h) {
                ASSERT_EQ(::symlink("../other", h.native("help/other").c_str()), 0);
            },
            "other/secret.png", 0, "not in the help's folder" },
        PictureCase { "Missing", Nothing, "gone.png", 0, "No such file or directory" },
        PictureCase { "NoName", Nothing, "", 0, "not in the help's folder" }),
    glyphor::kit::RowName());

} // namespace
