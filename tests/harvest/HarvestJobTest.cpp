// The harvest job on its own: what it tells its observer, and how its stop
// token steers it. The window's steps built on these events are tested with
// the window's controller (tests/app).

#include "harvest/HarvestJob.h"
#include "catalogue/CatalogueReader.h"
#include "files/NativePath.h"
#include "harvest/CaptureIcon.h"
#include "harvest/IconCounter.h"
#include "harvest/IconProvider.h"
#include "harvest/RunTexts.h"
#include "harvest/TempFolder.h"
#include "iconfile/IconFileWriter.h"
#include "kit/Executables.h"
#include "kit/FakeIconProvider.h"
#include "kit/NamedRows.h"
#include "kit/NativeFiles.h"
#include "kit/QStringPrinting.h"
#include "kit/ScanFolders.h"
#include "util/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphor {
namespace {

using kit::MakeIcon;

// Writes each event as a line; acts at a given checkpoint; answers questions
// from a script.
class Recorder final : public HarvestObserver {
public:
    void iconCaptured(const IconPlace& place, const QString& name) override
    {
        add(QStringLiteral("captured %1 #%2 as %3")
                .arg(QFileInfo(place.file).fileName())
                .arg(place.number)
                .arg(name));
    }
    void iconSkipped(const IconPlace& place, const QString& reason) override
    {
        add(QStringLiteral("skipped %1 #%2: %3")
                .arg(QFileInfo(place.file).fileName())
                .arg(place.number)
                .arg(reason));
    }
    void copiedIn(const QString& collected, const QString& dest, bool) override
    {
        add("copied " + collected + " as " + dest);
    }
    void duplicateDropped(const QString& collected, const QString& dest) override
    {
        add("dropped " + collected + " as in " + dest);
    }
    StopAnswer askStop(StopQuestion question) override
    {
        add(question == StopQuestion::Search ? "ask search" : "ask compare");
        return answers.empty() ? StopAnswer::Cancel : answers.front();
    }
    void checkpoint(Checkpoint) override
    {
        ++checkpoints;
        if (auto it = atCheckpoint.find(checkpoints); it != atCheckpoint.end())
            it->second();
    }
    void runEnded() override { add("ended"); }

    void add(const QString& line) { lines << line; }

    QStringList lines;
    int checkpoints = 0;
    std::map<int, std::function<void()>> atCheckpoint;
    std::vector<StopAnswer> answers;
};

class HarvestJobTest : public testing::Test {
protected:
    void SetUp() override { SetIconCounter(0); }

    void MakeExe(const QString& relative, QVector<IconImage> images)
    {
        icons.add(QFileInfo(folders.putSource(relative, { 'M', 'Z' })).fileName(), images);
    }
    void Run()
    {
        HarvestJob job(HarvestRequest::scanTree(folders.source(), folders.destination()), icons,
            objects, recorder, token);
        job.setPace(CheckpointPace::Exact);
        job.run();
        outcome = job.outcome();
    }
    QStringList Names(const QString& folder) const
    {
        return kit::WithoutCatalogue(QDir(folder).entryList(QDir::Files, QDir::Name));
    }

    kit::ScanFolders folders;
    kit::FakeIconProvider icons;
    CaptureObjects objects;
    Recorder recorder;
    StopToken token;
    HarvestOutcome outcome;
};

// Every capture names its source and icon and the file it was collected as;
// every merge step names the destination file it made or matched. A capture
// equal to one collected before shares that one's file.
TEST_F(HarvestJobTest, EventsTellWhereEachIconCameFromAndWhereItWent)
{
    MakeExe("a.exe", { MakeIcon(1), IconImage {}, MakeIcon(2) });
    MakeExe("sub/b.exe", { MakeIcon(1) });
    Run();
    EXPECT_EQ(recorder.lines,
        QStringList({ "captured a.exe #1 as Icon0000.ico",
            // The skipped icon had taken its name before it failed.
            "skipped a.exe #2: Icon image is not valid", "captured a.exe #3 as Icon0002.ico",
            "captured b.exe #1 as Icon0000.ico", "copied Icon0000.ico as Icon0000.ico",
            "copied Icon0002.ico as Icon0001.ico", "dropped Icon0000.ico as in Icon0000.ico",
            "ended" }));
    EXPECT_EQ(outcome.captured, 3);
    EXPECT_EQ(outcome.added, 2);
    EXPECT_EQ(outcome.skipped.size(), 1);
}

// A stop requested through the token at the first capture is put to the
// observer before the walk's next entry.
struct TokenStop {
    const char* name;
    StopAnswer answer;
    int destinationFiles;
    int leftInTemp;
};

class TokenStopTest : public HarvestJobTest, public testing::WithParamInterface<TokenStop> { };

TEST_P(TokenStopTest, TheAnswerDecidesWhatIsMerged)
{
    MakeExe("a.exe", { MakeIcon(1) });
    MakeExe("b.exe", { MakeIcon(2) });
    // Checkpoints: 1 the start, 2 the first capture.
    recorder.atCheckpoint[2] = [this] { token.requestStop(); };
    recorder.answers = { GetParam().answer };
    Run();
    EXPECT_EQ(recorder.lines.filter("ask"), QStringList({ "ask search" }));
    EXPECT_EQ(Names(folders.destination()).size(), GetParam().destinationFiles);
    EXPECT_EQ(outcome.leftInTemp, GetParam().leftInTemp);
}

INSTANTIATE_TEST_SUITE_P(Answers, TokenStopTest,
    testing::Values(TokenStop { "Yes", StopAnswer::Yes, 1, 0 },
        TokenStop { "No", StopAnswer::No, 0, 1 }, TokenStop { "Cancel", StopAnswer::Cancel, 2, 0 }),
    kit::RowName());

// A stop asked for while the last icon of the walk is captured comes after
// the walk's last check: the walk is over, so nothing is asked and every icon
// collected is merged, as a stop in the merge lets the merge finish. Nothing
// is left in Temp.
TEST_F(HarvestJobTest, AStopAfterTheWalksLastCheckMergesEverything)
{
    MakeExe("a.exe", { MakeIcon(1) });
    MakeExe("b.exe", { MakeIcon(2) });
    // Checkpoints: 1 the start, 2 and 3 the captures.
    recorder.atCheckpoint[3] = [this] { token.requestStop(); };
    Run();
    EXPECT_EQ(recorder.lines,
        QStringList({ "captured a.exe #1 as Icon0000.ico", "captured b.exe #1 as Icon0001.ico",
            "copied Icon0000.ico as Icon0000.ico", "copied Icon0001.ico as Icon0001.ico",
            "ended" }));
    EXPECT_GE(recorder.checkpoints, 3);
    EXPECT_EQ(outcome.leftInTemp, 0);
    EXPECT_FALSE(QFileInfo::exists(folders.temp()));
}

TEST_F(HarvestJobTest, AnAbandonedTokenEndsTheJobWithoutAWordMore)
{
    MakeExe("a.exe", { MakeIcon(1) });
    MakeExe("b.exe", { MakeIcon(2) });
    recorder.atCheckpoint[2] = [this] { token.abandon(); };
    Run();
    EXPECT_EQ(recorder.lines.size(), 1) << recorder.lines.join("|").toStdString();
    EXPECT_EQ(recorder.checkpoints, 2);
    EXPECT_TRUE(Names(folders.destination()).isEmpty());
    EXPECT_EQ(Names(folders.temp()).size(), 1);
}

// The merge keeps the destination's list itself; what another program puts
// there during the merge is seen at the next checkpoint and compared with.
TEST_F(HarvestJobTest, AnIconPutIntoTheDestinationDuringTheMergeIsComparedWith)
{
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(2) });
    // Checkpoints: 1 start, 2-3 captures, 4 merge start, 5 after the first copy.
    recorder.atCheckpoint[5] = [this] {
        ASSERT_TRUE(
            QFile::copy(folders.temp() + "/Icon0001.ico", folders.destination() + "/theirs.ico"));
    };
    Run();
    EXPECT_EQ(
        recorder.lines.filter("dropped"), QStringList({ "dropped Icon0001.ico as in theirs.ico" }));
    EXPECT_EQ(Names(folders.destination()), QStringList({ "Icon0000.ico", "theirs.ico" }));
}

// Two icons are the same only when their files are equal in every byte: the
// program's icons that differ only in their top rows or their mask lie beyond
// any short prefix of the file, and both must be kept.
IconImage WithTopLeftPixel(IconImage icon, std::uint32_t argb, bool transparent)
{
    icon.pixels[0] = argb;
    icon.mask[0] = transparent ? 1 : 0;
    return icon;
}

struct Lookalike {
    const char* name;
    IconImage second;
    int kept;
};

class LookalikeTest : public HarvestJobTest, public testing::WithParamInterface<Lookalike> { };

TEST_P(LookalikeTest, OnlyFilesEqualInEveryByteAreDuplicates)
{
    MakeExe("a.exe", { MakeIcon(1), GetParam().second });
    Run();
    EXPECT_EQ(Names(folders.destination()).size(), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(Seconds, LookalikeTest,
    testing::Values(Lookalike { "TheSameIcon", MakeIcon(1), 1 },
        Lookalike { "TopRowDiffers", WithTopLeftPixel(MakeIcon(1), 0xFFFFFFFF, false), 2 },
        Lookalike { "MaskDiffers", WithTopLeftPixel(MakeIcon(1), 0xFF000000, true), 2 }),
    kit::RowName());

// A destination file read for one comparison and replaced by another program
// before a later icon matches what it held: that icon is no duplicate of it.
TEST_F(HarvestJobTest, ADestinationFileReplacedMeanwhileTakesNoIconWithIt)
{
    const QString theirs = folders.destination() + "/theirs.ico";
    {
        QFile file(theirs);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const std::vector<std::uint8_t> bytes = EncodeIconFile(MakeIcon(5));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(5) });
    // Checkpoints: 1 start, 2-3 captures, 4 merge start, 5 the first icon's
    // comparison with theirs.ico, which reads it, 6 after its copy.
    recorder.atCheckpoint[6] = [&] {
        QFile file(theirs);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const std::vector<std::uint8_t> bytes = EncodeIconFile(MakeIcon(9));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    };
    Run();
    EXPECT_TRUE(recorder.lines.filter("dropped").isEmpty())
        << recorder.lines.join("|").toStdString();
    EXPECT_EQ(Names(folders.destination()).size(), 3);
}

// A folder named Temp that the program did not make is someone's own: the
// harvest refuses it before touching anything in it.
struct ForeignTemp {
    const char* name;
    std::vector<std::pair<const char*, QByteArray>> files; // name and bytes; none: empty
};

class ForeignTempTest : public HarvestJobTest, public testing::WithParamInterface<ForeignTemp> { };

TEST_P(ForeignTempTest, IsRefusedAndLeftAsItWas)
{
    ASSERT_TRUE(QDir().mkpath(folders.temp()));
    for (const auto& [name, bytes] : GetParam().files) {
        QFile file(folders.temp() + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const QStringList before = QDir(folders.temp()).entryList(QDir::Files | QDir::Hidden);
    MakeExe("a.exe", { MakeIcon(1) });
    try {
        Run();
        FAIL() << "not refused";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
            FormatMessage(kForeignTempFolderError, folders.temp().toStdString()));
    }
    EXPECT_EQ(QDir(folders.temp()).entryList(QDir::Files | QDir::Hidden), before);
    // Not even a catalogue is made by a run that is refused.
    EXPECT_EQ(QDir(folders.destination()).entryList(QDir::Files), QStringList());
    EXPECT_EQ(outcome.captured, 0);
}

INSTANTIATE_TEST_SUITE_P(Folders, ForeignTempTest,
    testing::Values(ForeignTemp { "Empty", {} },
        ForeignTemp { "NamedLikeIcons", { { "Icon0003.ico", QByteArray(5000, 'x') } } },
        ForeignTemp { "HiddenFile", { { ".settings", "x" } } },
        ForeignTemp { "UsersIcon", { { "logo.ico", QByteArray(766, 'x') } } },
        ForeignTemp { "CopyOfAnIcon", { { "Copy of Icon0000.ICO", QByteArray(766, 'x') } } }),
    kit::RowName());

// In its own Temp the program merges only the icons it wrote: another's file
// under one of its names is neither merged nor deleted, nor counted.
TEST_F(HarvestJobTest, AnotherFileInTheProgramsTempIsLeftAlone)
{
    folders.makeTemp();
    QFile planted(folders.temp() + "/Icon0007.ico");
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.write(QByteArray(5000, 'x'));
    planted.close();
    MakeExe("a.exe", { MakeIcon(1) });
    Run();
    EXPECT_EQ(Names(folders.destination()), QStringList({ "Icon0000.ico" }));
    EXPECT_EQ(QFileInfo(folders.temp() + "/Icon0007.ico").size(), 5000);
    EXPECT_EQ(outcome.leftInTemp, 0);
    EXPECT_FALSE(outcome.leftIconsBehind());
}

// What an earlier version left in an unmarked Temp, nothing but its own
// icons, is the program's: it is taken over and merged.
TEST_F(HarvestJobTest, AnUnmarkedTempOfTheProgramsIconsIsMerged)
{
    ASSERT_TRUE(QDir().mkpath(folders.temp()));
    QFile left(folders.temp() + "/Icon0000.ico");
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    const std::vector<std::uint8_t> bytes = EncodeIconFile(MakeIcon(3));
    left.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    left.close();
    Run();
    EXPECT_EQ(Names(folders.destination()), QStringList({ "Icon0000.ico" }));
    EXPECT_FALSE(QFileInfo::exists(folders.temp()));
}

TEST_F(HarvestJobTest, AHarvestsTempIsNoDestination)
{
    folders.makeTemp();
    MakeExe("a.exe", { MakeIcon(1) });
    HarvestJob job(HarvestRequest::scanTree(folders.source(), folders.temp()), icons, objects,
        recorder, token);
    EXPECT_THROW(job.run(), Error);
    EXPECT_TRUE(recorder.lines.isEmpty());
    EXPECT_EQ(QDir(folders.temp()).entryList(QDir::Files), QStringList());
}

// A harvest works in the folders it opened when it started: paths changed
// meanwhile (a folder renamed, one replaced by a link) send nothing
// elsewhere.
TEST_F(HarvestJobTest, TempSwappedForALinkDuringTheMergeTouchesNothingElsewhere)
{
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(2) });
    const QString elsewhere = folders.filePath("elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    for (const char* name : { "Icon0000.ico", "Icon0001.ico" }) {
        QFile file(elsewhere + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const std::vector<std::uint8_t> bytes = EncodeIconFile(MakeIcon(7));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    // Checkpoints: 1 start, 2-3 captures, 4 merge start.
    recorder.atCheckpoint[4] = [&] {
        ASSERT_TRUE(QFile::rename(folders.temp(), folders.filePath("held")));
        ASSERT_TRUE(QFile::link(elsewhere, folders.temp()));
    };
    Run();
    EXPECT_EQ(Names(elsewhere), QStringList({ "Icon0000.ico", "Icon0001.ico" }));
    EXPECT_EQ(Names(folders.destination()), QStringList({ "Icon0000.ico", "Icon0001.ico" }));
    EXPECT_TRUE(Names(folders.filePath("held")).isEmpty());
    EXPECT_TRUE(QFileInfo(folders.temp()).isSymLink());
}

TEST_F(HarvestJobTest, ADestinationRenamedDuringTheMergeGetsItsIconsAndCountsRight)
{
    MakeExe("a.exe", { MakeIcon(1), MakeIcon(2) });
    const QString renamed = folders.filePath("renamed");
    recorder.atCheckpoint[4] = [&] { ASSERT_TRUE(QFile::rename(folders.destination(), renamed)); };
    Run();
    EXPECT_EQ(Names(renamed), QStringList({ "Icon0000.ico", "Icon0001.ico" }));
    EXPECT_FALSE(QFileInfo::exists(renamed + "/Temp"));
    EXPECT_EQ(outcome.leftInTemp, 0);
    EXPECT_FALSE(outcome.leftIconsBehind());
}

TEST_F(HarvestJobTest, AQueuedFolderReplacedByALinkIsNotEntered)
{
    MakeExe("a.exe", { MakeIcon(1) });
    MakeExe("sub/b.exe", { MakeIcon(2) });
    // Beside the source: what a link to ".." would lead the walk to.
    QFile outside(folders.filePath("outside.exe"));
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
    icons.add("outside.exe", { MakeIcon(3) });
    // At the first capture, "sub" is queued; it becomes a link to "..".
    recorder.atCheckpoint[2] = [&] {
        ASSERT_TRUE(QFile::rename(folders.source() + "/sub", folders.filePath("sub")));
        ASSERT_EQ(::symlink("..", files::ToNativePath(folders.source() + "/sub").c_str()), 0);
    };
    Run();
    EXPECT_EQ(outcome.captured, 1);
    EXPECT_TRUE(recorder.lines.filter("outside").isEmpty());
}

// A tree deeper than the system's limit on a path, made and removed one
// folder at a time, is harvested like any other.
TEST_F(HarvestJobTest, FoldersDeeperThanAPathCanNameAreHarvested)
{
    const std::string level(200, 'd');
    int fd = ::open(files::ToNativePath(folders.source()).c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    constexpr int kDepth = 24; // more than 4,800 bytes of path
    for (int i = 0; i < kDepth; ++i) {
        ASSERT_EQ(::mkdirat(fd, level.c_str(), 0755), 0);
        const int below = ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = below;
        ASSERT_GE(fd, 0);
    }
    const kit::Bytes pe = kit::PeWithOneIcon(4);
    const int exe = ::openat(fd, "deep.exe", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(::write(exe, pe.data(), pe.size()), ssize_t(pe.size()));
    ::close(exe);
    ::close(fd);

    PlatformIconProvider platform;
    HarvestJob job(HarvestRequest::scanTree(folders.source(), folders.destination()), platform,
        objects, recorder, token);
    job.run();
    EXPECT_EQ(job.outcome().captured, 1);
    EXPECT_EQ(Names(folders.destination()), QStringList({ "Icon0000.ico" }));

    // Removed from the bottom up, one name at a time.
    std::vector<int> chain { ::open(files::ToNativePath(folders.source()).c_str(), O_RDONLY) };
    for (int i = 0; i < kDepth; ++i)
        chain.push_back(::openat(chain.back(), level.c_str(), O_RDONLY | O_DIRECTORY));
    ::unlinkat(chain.back(), "deep.exe", 0);
    for (int i = kDepth; i > 0; --i) {
        ::close(chain[std::size_t(i)]);
        ::unlinkat(chain[std::size_t(i - 1)], level.c_str(), AT_REMOVEDIR);
    }
    ::close(chain.front());
}

// A program removed while its icons are captured is named as gone, not as
// holding a damaged icon.
TEST_F(HarvestJobTest, AProgramThatVanishesIsSaidToHaveVanished)
{
    const QString exe = folders.putSource("a.exe", kit::PeWithLargeIcons(2));
    recorder.atCheckpoint[2] = [&] { ASSERT_TRUE(QFile::remove(exe)); };
    PlatformIconProvider platform;
    HarvestJob job(HarvestRequest::scanTree(folders.source(), folders.destination()), platform,
        objects, recorder, token);
    job.setPace(CheckpointPace::Exact);
    job.run();
    ASSERT_EQ(job.outcome().skipped.size(), 1);
    EXPECT_EQ(job.outcome().skipped[0].reason,
        "Cannot read file " + exe + ": " + QString::fromLocal8Bit(std::strerror(ENOENT)));
}

// Runs far past Temp's 10,000 names: Temp is merged whenever it is full and
// the walk goes on; the destination's names go past Icon9999.ico; captures
// equal to one collected before share its file; the catalogue keeps every
// capture, none of them left waiting.
struct LargeRun {
    const char* name;
    int files;
    int iconsEach;
    bool distinct; // every icon a picture of its own, else all one picture
    int merges;
};

void PrintTo(const LargeRun& row, std::ostream* os)
{
    *os << row.name;
}

class LargeRunTest : public HarvestJobTest, public testing::WithParamInterface<LargeRun> { };

TEST_P(LargeRunTest, GoesToItsEndInOneRun)
{
    const LargeRun& row = GetParam();
    for (int f = 0; f < row.files; ++f) {
        QVector<IconImage> images;
        for (int i = 0; i < row.iconsEach; ++i)
            images << MakeIcon(row.distinct ? f * row.iconsEach + i : 1);
        MakeExe(QString("p%1.exe").arg(f), images);
    }
    int merges = 0;
    struct Merges final : HarvestObserver {
        int& count;
        explicit Merges(int& c)
            : count(c)
        {
        }
        void mergeStarted(const QString&) override { ++count; }
    } observer(merges);
    HarvestJob job(HarvestRequest::scanTree(folders.source(), folders.destination()), icons,
        objects, observer, token);
    job.run();
    const int total = row.files * row.iconsEach;
    const int distinct = row.distinct ? total : 1;
    EXPECT_EQ(job.outcome().captured, total);
    EXPECT_EQ(job.outcome().added, distinct);
    EXPECT_FALSE(job.outcome().leftIconsBehind());
    EXPECT_EQ(merges, row.merges);
    const QStringList names = Names(folders.destination());
    EXPECT_EQ(names.size(), distinct);
    if (distinct > 10000) {
        EXPECT_TRUE(names.contains("Icon9999.ico"));
        EXPECT_TRUE(names.contains(QString("Icon%1.ico").arg(distinct - 1)));
    }
    EXPECT_FALSE(QFileInfo::exists(folders.temp()));
    const auto entries
        = catalogue::CatalogueReader(files::ToNativePath(folders.destination())).entries();
    EXPECT_EQ(int(entries.size()), total);
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                  [](const catalogue::CatalogueEntry& e) {
                      return e.outcome == catalogue::Outcome::Waiting;
                  }),
        0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, LargeRunTest,
    testing::Values(LargeRun { "TenThousandThreeHundredDistinct", 3, 3434, true, 2 },
        LargeRun { "TwentyThousandOfOnePicture", 2000, 10, false, 1 }),
    glyphor::kit::RowName());

} // namespace
} // namespace glyphor
