#include "platform/FolderWatch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace glyphor::platform {
namespace {

void Touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(FolderWatch, OnlyWhatOthersDoCounts)
{
    QTemporaryDir dir;
    FolderWatch watch(dir.path());
    ASSERT_TRUE(watch.watching());
    EXPECT_FALSE(watch.changedByOthers());

    // The program's own file, announced before it arrives.
    watch.expect("Icon0000.ico");
    Touch(dir.filePath("Icon0000.ico"));
    EXPECT_FALSE(watch.changedByOthers());

    // Someone else's file, a removal and a rename all count, once each.
    Touch(dir.filePath("theirs.ico"));
    EXPECT_TRUE(watch.changedByOthers());
    EXPECT_FALSE(watch.changedByOthers());
    ASSERT_TRUE(QFile::remove(dir.filePath("Icon0000.ico")));
    EXPECT_TRUE(watch.changedByOthers());
    ASSERT_TRUE(QFile::rename(dir.filePath("theirs.ico"), dir.filePath("renamed.ico")));
    EXPECT_TRUE(watch.changedByOthers());

    // The program's own file, then removed by someone else.
    watch.expect("Icon0001.ico");
    Touch(dir.filePath("Icon0001.ico"));
    ASSERT_TRUE(QFile::remove(dir.filePath("Icon0001.ico")));
    EXPECT_TRUE(watch.changedByOthers());
}

TEST(FolderWatch, AFolderThatCannotBeWatchedAlwaysCounts)
{
    FolderWatch watch("/no/such/folder");
    EXPECT_FALSE(watch.watching());
    EXPECT_TRUE(watch.changedByOthers());
}

} // namespace
} // namespace glyphor::platform
