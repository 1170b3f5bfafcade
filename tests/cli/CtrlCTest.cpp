// Ctrl+C in a harvest of the tool, as the user presses it: the first stops
// the search and merges what was collected (a merge goes on to its end), the
// second ends the harvest at once; nothing collected is ever deleted. The
// signal is raised in this process at a chosen checkpoint of a real job.

#include "cli/Commands.h"
#include "cli/ScanObserver.h"
#include "cli/ScanReport.h"
#include "harvest/CaptureIcon.h"
#include "harvest/HarvestJob.h"
#include "harvest/IconCounter.h"
#include "kit/FakeIconProvider.h"
#include "kit/NamedRows.h"
#include "kit/ScanFolders.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

namespace glyphor::cli {
namespace {

// The tool's observer, with Ctrl+C pressed at the given checkpoints.
class PressingObserver final : public ScanObserver {
public:
    PressingObserver(ScanProgress& progress, std::vector<int> presses)
        : ScanObserver(progress)
        , m_presses(std::move(presses))
    {
    }
    void checkpoint(Checkpoint at) override
    {
        ++m_checkpoints;
        for (int press : m_presses)
            if (press == m_checkpoints)
                std::raise(SIGINT);
        ScanObserver::checkpoint(at);
    }

private:
    std::vector<int> m_presses;
    int m_checkpoints = 0;
};

struct Presses {
    const char* name;
    // Checkpoints: 1 start, 2-4 captures, 5 merge start, 6 after the first
    // copy (into an empty destination, without a comparison).
    std::vector<int> at;
    bool searchStopped;
    bool abandoned;
    int destination;
    int status;
    const char* summary;
};

class CtrlC : public testing::TestWithParam<Presses> { };

TEST_P(CtrlC, StopsAsTheUserMeantAndLosesNothing)
{
    kit::ScanFolders folders;
    kit::FakeIconProvider icons;
    for (const char* name : { "a.exe", "b.exe", "c.exe" }) {
        folders.putSource(name, { 'M', 'Z' });
        icons.add(name, { kit::MakeIcon(int(name[0])) });
    }
    SetIconCounter(0);
    ScanProgress progress(ScanProgress::Mode::Quiet);
    PressingObserver observer(progress, GetParam().at);
    CaptureObjects objects;
    StopToken token;
    HarvestJob job(HarvestRequest::scanTree(folders.source(), folders.destination()), icons,
        objects, observer, token);
    job.setPace(CheckpointPace::Exact);
    {
        const InterruptHandler interrupts(token);
        job.run();
    }
    const int kept
        = int(kit::WithoutCatalogue(QDir(folders.destination()).entryList(QDir::Files)).size());
    const int waiting = int(QDir(folders.temp()).entryList(QDir::Files).size());
    EXPECT_EQ(observer.searchStopped(), GetParam().searchStopped);
    EXPECT_EQ(token.abandoned(), GetParam().abandoned);
    EXPECT_EQ(kept, GetParam().destination);
    // Every icon captured is in the destination or waits in Temp.
    EXPECT_GE(kept + waiting, job.outcome().captured);
    EXPECT_EQ(QFileInfo::exists(folders.temp()), GetParam().abandoned);

    char summary[128] = {};
    std::FILE* out = fmemopen(summary, sizeof summary - 1, "w");
    std::FILE* err = std::fopen("/dev/null", "w");
    EXPECT_EQ(ReportScan(ScanEnd { job.outcome(), observer.searchStopped() }, out, err),
        GetParam().status);
    std::fclose(out);
    std::fclose(err);
    EXPECT_STREQ(summary, GetParam().summary);
}

INSTANTIATE_TEST_SUITE_P(Presses, CtrlC,
    testing::Values(Presses { "OnceInTheSearch", { 2 }, true, false, 1, kExitInterrupted,
                        "captured 1, added 1\n" },
        Presses { "OnceInTheMerge", { 5 }, false, false, 3, kExitSuccess, "captured 3, added 3\n" },
        Presses { "TwiceInTheSearch", { 2, 3 }, true, true, 0, kExitLeftBehind,
            "captured 1, added 0, skipped 0, 1 stayed in Temp\n" },
        Presses { "TwiceAtOnce", { 2, 2 }, false, true, 0, kExitLeftBehind,
            "captured 1, added 0, skipped 0, 1 stayed in Temp\n" },
        Presses { "TwiceInTheMerge", { 5, 6 }, false, true, 1, kExitLeftBehind,
            "captured 3, added 1, skipped 0, 3 stayed in Temp\n" }),
    kit::RowName());

} // namespace
} // namespace glyphor::cli
