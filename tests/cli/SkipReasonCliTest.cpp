// A damaged icon is told with the reader's reason, from the reader to the
// user's terminal: the skip line of a harvest and the error of a capture.

#include "RunCli.h"

#include "kit/Executables.h"
#include "kit/ScanFolders.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using namespace glyphor::test;
using glyphor::kit::ScanFolders;

constexpr const char* kBeyondTheEnd
    = "Icon image is not valid: image data lies beyond the end of the file";

TEST(SkipReason, AHarvestSaysWhyItSkippedAnIcon)
{
    ScanFolders root;
    root.putSource("a.exe", glyphor::kit::PeWithOneIcon(1));
    root.putSource("sub/b.exe", glyphor::kit::PeWithImageBeyondTheEnd(2));
    const Output o = RunCli({ "scan-tree", "S", "D" }, root.path());
    EXPECT_EQ(o.status, 3) << o.err;
    EXPECT_EQ(o.out, "captured 1, added 1, skipped 1, 0 stayed in Temp\n");
    const std::string line = "skipped " + root.filePath("S/sub/b.exe").toStdString()
        + " Icon 1 of 1: " + kBeyondTheEnd + "\n";
    EXPECT_NE(o.err.find(line), std::string::npos) << o.err;
}

TEST(SkipReason, ACaptureSaysWhyTheIconIsNotValid)
{
    ScanFolders root;
    root.putSource("b.exe", glyphor::kit::PeWithImageBeyondTheEnd(2));
    const Output o = RunCli({ "capture", "S/b.exe", "0", "out.ico" }, root.path());
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, std::string(kBeyondTheEnd) + "\n");
    EXPECT_FALSE(QFileInfo::exists(root.filePath("out.ico")));
}

} // namespace
