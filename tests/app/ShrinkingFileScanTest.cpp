// A tree scan through the platform's own extraction, while another program
// truncates one of the executables: that file is named with the reason and
// the others are harvested; nothing ends the process.

#include "RunFixture.h"

#include "exe/IconExtractor.h"
#include "files/NativePath.h"
#include "harvest/IconProvider.h"
#include "kit/Executables.h"
#include "kit/ShrinkingFile.h"
#include "util/Error.h"

namespace glyphor {
namespace {

// Not "Bytes": the fixture has a member of that name.
using ExeBytes = kit::Bytes;
using kit::ShrinkingFile;

constexpr char kShorter[] = "the file became shorter while it was read";

class ShrinkingExecutable : public test::RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        // Folders, so that the walk meets the three files in this order.
        Put("a/first.exe", kit::PeWithOneIcon(1));
        shrinks = Put("b/shrinks.exe", kit::PeWithLargeIcons(3, 11));
        Put("c/last.exe", kit::PeWithOneIcon(2));
    }

    std::string Put(const QString& relative, const ExeBytes& bytes)
    {
        return files::ToNativePath(folders.putSource(relative, bytes));
    }

    // Reads of the shrinking file by its count, and after its first icon.
    std::pair<int, int> ReadsOfCountAndFirstIcon()
    {
        ShrinkingFile watch(shrinks, 0, INT_MAX);
        auto source = exe::IconSource::fromFile(shrinks);
        EXPECT_EQ(source->count(), 3);
        const int count = watch.reads();
        source->icon(0);
        return { count, watch.reads() };
    }

    // Scan Tree with the platform's extraction; the error it ended with, if any.
    QString ScanTree()
    {
        PlatformIconProvider platform;
        HarvestController run(host, browsers, objects, platform);
        // The catalogue reads a capture's whole group, which would move the
        // moment the file is cut.
        run.setCatalogue(false);
        try {
            run.scanTreeClick();
        } catch (const Error& e) {
            return files::DisplayMessage(e.what());
        }
        return {};
    }

    std::string shrinks;
};

TEST_F(ShrinkingExecutable, CutDuringItsCountItHasNoIconsAndTheRunGoesOn)
{
    ShrinkingFile cut(shrinks, 200, 1);
    EXPECT_EQ(ScanTree(), "");
    EXPECT_TRUE(cut.truncated());
    EXPECT_EQ(host.statusesStartingWith("Searching"),
        QStringList(
            { "Searching .... first.exe Icon 1 of 1", "Searching .... last.exe Icon 1 of 1" }));
    EXPECT_EQ(Names(dst).size(), 2);
    EXPECT_EQ(host.statuses.last(), "Ready.");
}

TEST_F(ShrinkingExecutable, CutBetweenItsIconsTheFileIsNamedWithTheReason)
{
    const auto [countReads, firstIconReads] = ReadsOfCountAndFirstIcon();
    ASSERT_LT(countReads, firstIconReads);
    ShrinkingFile cut(shrinks, 4096, firstIconReads + 1);
    const QString error = ScanTree();
    EXPECT_TRUE(cut.truncated());
    // The file's first icon and the one before it were captured.
    EXPECT_GE(host.extracted, 2);
    // Whether the run reports the file in its error or in its status texts,
    // the user learns which file and why.
    const QString told = error + "\n" + host.statuses.join("\n");
    EXPECT_TRUE(told.contains(files::FromNativePath(shrinks)) || told.contains("shrinks.exe"))
        << told.toStdString();
    EXPECT_TRUE(told.contains(kShorter)) << told.toStdString();
    EXPECT_EQ(host.statuses.last(), "Ready.");
}

} // namespace
} // namespace glyphor
