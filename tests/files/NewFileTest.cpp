#include "files/NewFile.h"
#include "files/NativePath.h"
#include "kit/NamedRows.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <unistd.h>

using namespace glyphor::files;

namespace {

std::string Native(const QString& path)
{
    return ToNativePath(path);
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Both ways of moving a file under a new name refuse every kind of entry that
// is there already, and leave it and the file as they were.
using Move = int (*)(const std::string&, const std::string&);

struct Way {
    const char* name;
    Move move;
};

void PrintTo(const Way& c, std::ostream* os)
{
    *os << c.name;
}

class NoReplace : public testing::TestWithParam<Way> { };

TEST_P(NoReplace, RefusesEveryKindOfExistingNameAndTakesAFreeOne)
{
    QTemporaryDir dir;
    const QString from = dir.filePath("from");
    Write(from, "new");
    Write(dir.filePath("file.ico"), "old");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ico"));
    ASSERT_EQ(::symlink("nowhere", Native(dir.filePath("dangling.ico")).c_str()), 0);
    ASSERT_EQ(::symlink("file.ico", Native(dir.filePath("link.ico")).c_str()), 0);
    for (const char* taken : { "file.ico", "folder.ico", "dangling.ico", "link.ico" })
        EXPECT_EQ(GetParam().move(Native(from), Native(dir.filePath(taken))), EEXIST) << taken;
    EXPECT_EQ(Read(dir.filePath("file.ico")), "old");
    EXPECT_EQ(QFileInfo(dir.filePath("dangling.ico")).symLinkTarget(), dir.filePath("nowhere"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("nowhere")));

    EXPECT_EQ(GetParam().move(Native(from), Native(dir.filePath("free.ico"))), 0);
    EXPECT_EQ(Read(dir.filePath("free.ico")), "new");
    EXPECT_FALSE(QFileInfo::exists(from));
    EXPECT_EQ(
        GetParam().move(Native(dir.filePath("absent")), Native(dir.filePath("x.ico"))), ENOENT);
}

INSTANTIATE_TEST_SUITE_P(Ways, NoReplace,
    testing::Values(Way { "Rename", RenameNoReplace }, Way { "Link", RenameNoReplaceByLink }),
    glyphor::kit::RowName());

// The temporary is hidden, named as the run's clean-up recognises a killed
// writer's, and gone when the file is dropped unplaced.
TEST(NewFile, TemporaryIsRecognisedAndGoesUnlessPlaced)
{
    QTemporaryDir dir;
    {
        NewFile file(Native(dir.path()), "Icon0001.ico");
        ASSERT_TRUE(file.ok());
        const QStringList hidden = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        ASSERT_EQ(hidden.size(), 1);
        EXPECT_TRUE(NewFile::isTemporaryName(Native(hidden.first())));
        EXPECT_TRUE(file.finish());
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    NewFile nowhere(Native(dir.filePath("gone")), "x.ico");
    EXPECT_FALSE(nowhere.ok());
    EXPECT_EQ(nowhere.error(), ENOENT);
}

// A file given one name takes it only when nothing has it: a file, a link to
// one or a folder there stays as it was, and the temporary goes with the
// failed placing.
TEST(NewFile, PlaceAsTakesAFreeNameAndNoOther)
{
    QTemporaryDir dir;
    Write(dir.filePath("photo.png"), "old");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    ASSERT_EQ(::symlink("photo.png", Native(dir.filePath("link.png")).c_str()), 0);
    const auto writeAs = [&](const QString& path) {
        NewFile file(Native(path));
        const std::uint8_t bytes[] = { 'n', 'e', 'w' };
        EXPECT_TRUE(file.ok() && file.write(bytes, sizeof bytes) && file.finish());
        return file.placeAs(Native(path)) ? 0 : file.error();
    };
    for (const char* taken : { "photo.png", "link.png", "folder" })
        EXPECT_EQ(writeAs(dir.filePath(taken)), EEXIST) << taken;
    EXPECT_EQ(Read(dir.filePath("photo.png")), "old");
    EXPECT_EQ(QFileInfo(dir.filePath("link.png")).symLinkTarget(), dir.filePath("photo.png"));
    EXPECT_EQ(writeAs(dir.filePath("new.png")), 0);
    EXPECT_EQ(Read(dir.filePath("new.png")), "new");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({ "folder", "link.png", "new.png", "photo.png" }));
}

TEST(NewFile, TemporaryNames)
{
    const struct {
        const char* name;
        bool temporary;
    } cases[] = {
        { ".Icon0001.ico.aB3xY9", true },
        { ".x.000000", true },
        { "Icon0001.ico", false },
        { ".Icon0001.ico", false },
        { ".Icon0001.ico.aB3x-9", false },
        { ".Icon0001.ico.aB3xY", false },
        { "..abcdef", false },
        { ".hidden", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(NewFile::isTemporaryName(c.name), c.temporary) << c.name;
}

} // namespace
