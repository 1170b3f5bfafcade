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
    const files::Folder folder = files::Folder::open(dir.path().toStdString());
    QString reason;
    EXPECT_FALSE(ops.readIconFile(folder, "pipe.ico").has_value());
    EXPECT_FALSE(ops.copyToNewName(
        folder, "pipe.ico", folder, [&] { return "copy.ico"; }, reason));
    EXPECT_EQ(reason, "not a regular file");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("copy.ico")));
}

// A file that cannot give its signature ends the merge with the I/O error
// texts the program has always shown for files.
TEST(FileOps, UnreadableFilesRaiseTheFileErrorTexts)
{
    QTemporaryDir dir;
    FileOps ops;
    const files::Folder folder = files::Folder::open(dir.path().toStdString());
    const auto message = [&](const QString& name) -> std::string {
        try {
            ops.readIconFile(folder, name);
        } catch (const EInOutError& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(message("absent.ico"), "File not found");
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(message("plain/below.ico"), "File not found");
}

} // namespace
} // namespace glyphor
