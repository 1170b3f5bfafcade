#include "Fifo.h"

#include "harvest/FileOps.h"
#include "util/Error.h"

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
    EXPECT_FALSE(ops.readSignature(fifo).has_value());
    EXPECT_FALSE(ops.copyFile(fifo, dir.filePath("copy.ico")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("copy.ico")));
    // A missing file is still an error, with the system's text.
    EXPECT_THROW(ops.readSignature(dir.filePath("absent.ico")), EInOutError);
}

} // namespace
} // namespace glyphor
