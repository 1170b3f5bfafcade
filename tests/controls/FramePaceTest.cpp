#include "controls/FramePace.h"

#include <gtest/gtest.h>

#include <vector>

using namespace glyphor;
using namespace std::chrono_literals;
using Duration = FramePace::Duration;

namespace {

// Frames painted when the window gets a chance to paint at each of the
// given moments and paints whenever a frame is due, as the window does.
std::vector<Duration> Frames(const std::vector<Duration>& chances)
{
    FramePace pace;
    std::vector<Duration> frames;
    for (Duration at : chances) {
        if (pace.wait(at) == Duration::zero()) {
            pace.painted(at);
            frames.push_back(at);
        }
    }
    return frames;
}

std::vector<Duration> Every(Duration step, Duration until, Duration from = 0ms)
{
    std::vector<Duration> out;
    for (Duration at = from; at < until; at += step)
        out.push_back(at);
    return out;
}

struct RateCase {
    const char* label;
    Duration step; // between two chances to paint
    int least;
    int most;
};

} // namespace

// Over one second the window paints between 30 and 50 times, however often
// or (up to every 25 ms) however seldom the run gives it the chance.
TEST(FramePace, PaintsAtASteadyRateWhateverThePumpRate)
{
    const RateCase cases[] = {
        { "a pump every 50 microseconds, as captures give", 50us, 50, 50 },
        { "a pump every millisecond", 1ms, 50, 50 },
        { "a pump every 15 ms, as long walks give", 15ms, 45, 50 },
        { "a pump every 19 ms", 19ms, 45, 50 },
        { "a pump every 25 ms", 25ms, 40, 40 },
    };
    for (const RateCase& c : cases) {
        const std::vector<Duration> frames = Frames(Every(c.step, 1s));
        EXPECT_GE(int(frames.size()), c.least) << c.label;
        EXPECT_LE(int(frames.size()), c.most) << c.label;
        for (std::size_t k = 10; k < frames.size(); ++k)
            EXPECT_GE(frames[k] - frames[k - 10], 190ms) << c.label << ": ten frames in a burst";
    }
}

TEST(FramePace, FirstFrameAtOnceAndWaitCountsDownToTheNext)
{
    FramePace pace;
    EXPECT_EQ(pace.wait(123ms), Duration::zero());
    pace.painted(123ms);
    EXPECT_EQ(pace.wait(123ms), 20ms);
    EXPECT_EQ(pace.wait(130ms), 13ms);
    EXPECT_EQ(pace.wait(143ms), Duration::zero());
}

// A modal question holds the run for a while; afterwards the frames go on at
// their pace, without painting the missed ones in a burst.
TEST(FramePace, NoBurstAfterALongPause)
{
    std::vector<Duration> chances = Every(1ms, 100ms);
    const std::vector<Duration> after = Every(1ms, 1100ms, 1000ms);
    chances.insert(chances.end(), after.begin(), after.end());
    const std::vector<Duration> frames = Frames(chances);
    ASSERT_EQ(frames.size(), 10u);
    EXPECT_EQ(frames[5], 1000ms);
    EXPECT_EQ(frames[6], 1020ms);
}
