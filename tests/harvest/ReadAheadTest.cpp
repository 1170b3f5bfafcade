// A harvest whose sources are read ahead by several threads: a stop reaches
// it while the readers are busy, in the search and in the merge, and what
// was collected is never lost.

#include "harvest/CaptureIcon.h"
#include "harvest/HarvestJob.h"
#include "harvest/IconCounter.h"
#include "kit/FakeIconProvider.h"
#include "kit/NamedRows.h"
#include "kit/ScanFolders.h"

#include <QDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace glyphor {
namespace {

// Icons that take a while to read, so that the readers are busy when the
// stop comes.
class SlowIcons final : public IconProvider {
public:
    int count(const QString&) const override { return 4; }
    std::optional<IconImage> extract(const QString& path, int index) const override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        // "p17.exe": the 17th program's icons.
        const QString name = path.section(QLatin1Char('/'), -1);
        return kit::MakeIcon(name.mid(1, name.size() - 5).toInt() * 4 + index);
    }
};

struct Stop {
    const char* name;
    Checkpoint at; // the first checkpoint of this kind asks for the stop
    StopAnswer answer;
    bool searchStopped; // the walk ended before the tree's end
};

void PrintTo(const Stop& row, std::ostream* os)
{
    *os << row.name;
}

class StopWithReadersBusy : public testing::TestWithParam<Stop> {
protected:
    struct Observer final : HarvestObserver {
        StopToken* token = nullptr;
        Checkpoint stopAt {};
        StopAnswer answer {};
        int questions = 0;
        bool asked = false;
        void checkpoint(Checkpoint at) override
        {
            if (at == stopAt && !asked) {
                asked = true;
                token->requestStop();
            }
        }
        StopAnswer askStop(StopQuestion) override
        {
            ++questions;
            return answer;
        }
    };
};

TEST_P(StopWithReadersBusy, IsAnsweredAndLosesNothing)
{
    const Stop& row = GetParam();
    kit::ScanFolders folders;
    for (int i = 0; i < 200; ++i)
        folders.putSource(QString("d%1/p%2.exe").arg(i / 10).arg(i), { 'M', 'Z' });
    SlowIcons icons;
    CaptureObjects objects;
    StopToken token;
    Observer observer;
    observer.token = &token;
    observer.stopAt = row.at;
    observer.answer = row.answer;
    HarvestRequest request = HarvestRequest::scanTree(folders.source(), folders.destination());
    request.jobs = 4;
    SetIconCounter(0);
    HarvestJob job(request, icons, objects, observer, token);
    job.run();
    EXPECT_EQ(observer.questions, 1);
    const int kept = int(QDir(folders.destination()).entryList({ "*.ico" }, QDir::Files).size());
    const int waiting = int(QDir(folders.temp()).entryList({ "*.ico" }, QDir::Files).size());
    EXPECT_EQ(job.outcome().captured < 800, row.searchStopped) << job.outcome().captured;
    // Every icon is a picture of its own: each one captured is in the
    // destination, waits in Temp, or was removed by the answer Yes in the
    // merge.
    if (!(row.at == Checkpoint::MergeStarted && row.answer == StopAnswer::Yes)) {
        EXPECT_EQ(kept + waiting, job.outcome().captured);
    }
    EXPECT_EQ(kept, job.outcome().added);
}

INSTANTIATE_TEST_SUITE_P(Stops, StopWithReadersBusy,
    testing::Values(Stop { "SearchYesMerges", Checkpoint::Captured, StopAnswer::Yes, true },
        Stop { "SearchNoKeepsInTemp", Checkpoint::Captured, StopAnswer::No, true },
        Stop { "SearchCancelGoesOn", Checkpoint::Captured, StopAnswer::Cancel, false },
        Stop { "MergeYesRemovesTheRest", Checkpoint::MergeStarted, StopAnswer::Yes, false },
        Stop { "MergeNoAddsTheRest", Checkpoint::MergeStarted, StopAnswer::No, false }),
    kit::RowName());

} // namespace
} // namespace glyphor
