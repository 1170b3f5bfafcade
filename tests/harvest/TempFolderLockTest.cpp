#include "harvest/TempFolderLock.h"
#include "harvest/FileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace glyphor {
namespace {

TEST(TempFolderLock, OneHolderAtATimeAndNoneWithoutAFolder)
{
    QTemporaryDir dir;
    FileOps& files = SystemFileOps();
    const files::Folder parent = files::Folder::open(dir.path().toStdString());
    const QString temp = dir.filePath("Temp");
    {
        TempFolderLock first;
        EXPECT_EQ(first.acquire(files, parent, "Temp"), TempFolderLock::State::Held);
        EXPECT_TRUE(QFileInfo(temp).isDir());
        TempFolderLock second;
        EXPECT_EQ(second.acquire(files, parent, "Temp"), TempFolderLock::State::Busy);
        EXPECT_FALSE(second.held());
    }
    // Released with its holder, also after the folder was removed and made anew.
    ASSERT_TRUE(QDir(temp).removeRecursively());
    TempFolderLock again;
    EXPECT_EQ(again.acquire(files, parent, "Temp"), TempFolderLock::State::Held);

    TempFolderLock missing;
    EXPECT_EQ(
        missing.acquire(files, files::Folder::open(dir.filePath("gone").toStdString()), "Temp"),
        TempFolderLock::State::Unavailable);
    QFile(dir.filePath("File")).open(QIODevice::WriteOnly);
    TempFolderLock file;
    EXPECT_EQ(file.acquire(files, parent, "File"), TempFolderLock::State::Unavailable);
}

} // namespace
} // namespace glyphor
