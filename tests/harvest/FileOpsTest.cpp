#include "kit/Fifo.h"

#include "harvest/FileOps.h"
#include "util/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace glyphor {
namespace {

// A fifo named like an icon gives neither a signature nor a copy, and
// neither waits for a writer.
TEST(FileOps, AFifoIsNeitherReadNorCopied)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.ico");
    test::FedFifo fed(fifo);
    ASSERT_TRUE(fed.made);
    FileOps ops;
    EXPECT_FALSE(ops.readIconFile(fifo).has_value());
    EXPECT_FALSE(ops.copyToNewName(fifo, dir.path(), [&] { return dir.filePath("copy.ico"); }));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("copy.ico")));
}

// A file that cannot give its signature ends the merge with the I/O error
// texts the program has always shown for files.
TEST(FileOps, UnreadableFilesRaiseTheFileErrorTexts)
{
    QTemporaryDir dir;
    FileOps ops;
    const auto message = [&](const QString& path) -> std::string {
        try {
            ops.readIconFile(path);
        } catch (const EInOutError& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(message(dir.filePath("absent.ico")), "File not found");
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(message(dir.filePath("plain/below.ico")), "File not found");
}

} // namespace
} // namespace glyphor
