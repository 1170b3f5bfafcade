// The tool's harvests against what a hostile user or a crowded disk does:
// folders named like masks, folders named Temp that are someone else's, and
// Ctrl+C pressed once or twice. Each must end with nothing of the user's lost
// or touched, and a status that says what happened.

#include "RunCli.h"

#include "harvest/RunTexts.h"
#include "iconfile/IconFileWriter.h"
#include "kit/Executables.h"
#include "kit/FakeIconProvider.h"
#include "kit/NamedRows.h"
#include "kit/NativeFiles.h"
#include "kit/ScanFolders.h"
#include "util/Error.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace {

using namespace glyphor;
using namespace glyphor::test;
using kit::PeWithOneIcon;
using kit::ScanFolders;
using kit::WriteBytes;

QStringList Files(const QString& folder)
{
    return kit::WithoutCatalogue(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name));
}

// A folder of the root named like a mask, beside the root's own marked Temp
// holding what a stopped harvest left: a harvest through the oddly named
// folder must never reach the root's.
struct MaskName {
    const char* name;
    QStringList args; // relative to the root
    QString destination; // where the icons must land
};

class MaskNames : public testing::TestWithParam<MaskName> { };

TEST_P(MaskNames, AnExistingFoldersNameIsNeverAMask)
{
    ScanFolders root(QStringLiteral("src*"), QStringLiteral("ic*ns"));
    root.putSource("a.exe", PeWithOneIcon(1));
    kit::MakePath(root.filePath("src2"));
    WriteBytes(root.filePath("src2/b.exe"), PeWithOneIcon(2));
    kit::MakeHarvestTemp(root.filePath("Temp"));
    WriteBytes(root.filePath("Temp/.theirs"), { 'x' });
    WriteBytes(root.filePath("Temp/Icon0005.ico"), EncodeIconFile(kit::MakeIcon(5)));
    const QStringList before = Files(root.filePath("Temp"));

    const Output o = RunCli(GetParam().args, root.path());
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(Files(root.filePath(GetParam().destination)), QStringList({ "Icon0000.ico" }));
    EXPECT_EQ(Files(root.filePath("Temp")), before);
    EXPECT_TRUE(Files(root.path()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Commands, MaskNames,
    testing::Values(MaskName { "ScanTree", { "scan-tree", "src*", "ic*ns" }, "ic*ns" },
        MaskName { "ScanFile", { "scan-file", "src*/a.exe", "ic*ns" }, "ic*ns" }),
    kit::RowName());

// A Temp the program did not make: the harvest says so, naming it, and
// leaves it as it was.
TEST(HostileHarvest, AForeignTempIsRefusedByName)
{
    ScanFolders root;
    root.putSource("a.exe", PeWithOneIcon(1));
    kit::MakePath(root.temp());
    WriteBytes(root.temp() + "/Icon0003.ico", kit::Bytes(5000, 'x'));
    const Output o = RunCli({ "scan-tree", "S", "D" }, root.path());
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, FormatMessage(kForeignTempFolderError, root.temp().toStdString()) + "\n");
    EXPECT_EQ(Files(root.temp()), QStringList({ "Icon0003.ico" }));
    EXPECT_EQ(QFileInfo(root.temp() + "/Icon0003.ico").size(), 5000);
    EXPECT_TRUE(Files(root.destination()).isEmpty());
}

TEST(HostileHarvest, AHarvestsTempIsNoDestination)
{
    ScanFolders root;
    root.putSource("a.exe", PeWithOneIcon(1));
    root.makeTemp();
    const Output o = RunCli({ "scan-tree", "S", "D/Temp" }, root.path());
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, FormatMessage(kIntoTempFolderError, root.temp().toStdString()) + "\n");
}

// Ctrl+C pressed at a real harvest while its search is under way: a tree of
// one program and thousands of empty folders keeps the search busy after the
// first capture, which is awaited before the key is pressed. (A second press
// is tested in the tool's own process, where its moment can be chosen.)
TEST(HostileHarvest, CtrlCInTheSearchMergesAndEndsWithItsOwnStatus)
{
    ScanFolders root;
    root.putSource("a.exe", PeWithOneIcon(1));
    const std::string source = files::ToNativePath(root.source());
    for (int i = 0; i < 20000; ++i)
        ::mkdir((source + "/f" + std::to_string(100000 + i)).c_str(), 0755);
    const Output o = RunCli({ "scan-tree", "S", "D" }, files::ToNativePath(root.path()),
        StdoutTo::File, [&](pid_t child) {
            QElapsedTimer waited;
            waited.start();
            while (!QFileInfo::exists(root.temp() + "/Icon0000.ico") && waited.elapsed() < 20000)
                QThread::msleep(1);
            ::kill(child, SIGINT);
        });
    EXPECT_EQ(o.status, 4) << o.err;
    EXPECT_EQ(o.out, "captured 1, added 1\n");
    EXPECT_EQ(Files(root.destination()), QStringList({ "Icon0000.ico" }));
}

} // namespace
