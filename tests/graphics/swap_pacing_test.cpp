// Telling a swap that waits for the vertical blank from one that ignores the interval, fed
// with measured times between swaps as data.
#include "graphics/device/swap_pacing.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ror;

namespace {

constexpr int64_t kPeriod60 = 1000000000 / 60;

struct SwapCase {
    const char* name;
    std::vector<double> intervalsMs;  // between consecutive swaps
    int ignored;                      // the verdict after the last swap
};

TEST(SwapPacingTest, ShortIntervalsFrameAfterFrameMeanTheIntervalIsIgnored)
{
    const std::vector<double> xvfb(12, 1000.0 / 183);  // llvmpipe under Xvfb, as measured
    std::vector<double> stallThenQueue = {16.7, 16.6, 16.7, 120.0, 1.0, 1.2};
    for (int i = 0; i < 20; ++i) stallThenQueue.push_back(16.7);
    std::vector<double> slowGame(30, 40.0);  // drawn slower than the display, nothing to pace
    std::vector<double> jitter;
    for (int i = 0; i < 40; ++i) jitter.push_back(i % 2 ? 13.5 : 19.9);
    std::vector<double> earlyRunBroken(7, 5.0);
    earlyRunBroken.push_back(16.7);
    earlyRunBroken.insert(earlyRunBroken.end(), 7, 5.0);
    const SwapCase cases[] = {
        {"ignored at 183 frames a second", xvfb, 1},
        {"the eighth early swap decides", std::vector<double>(8, 5.0), 1},
        {"seven early swaps do not", std::vector<double>(7, 5.0), 0},
        {"a refresh between early runs starts the count again", earlyRunBroken, 0},
        {"a queue handing back frames after a stall", stallThenQueue, 0},
        {"waits of one refresh with scheduling jitter", jitter, 0},
        {"a game slower than the display", slowGame, 0},
        {"two refreshes a frame", std::vector<double>(20, 33.3), 0},
    };
    for (const SwapCase& c : cases) {
        SCOPED_TRACE(c.name);
        SwapPacingRecord pacing{};
        int64_t now = 1000000000;
        NoteWaitedSwap(&pacing, now, kPeriod60);  // the first swap has no interval
        for (double ms : c.intervalsMs) {
            now += int64_t(ms * 1e6);
            NoteWaitedSwap(&pacing, now, kPeriod60);
        }
        EXPECT_EQ(pacing.ignored, c.ignored);
    }
}

TEST(SwapPacingTest, TheVerdictStaysAndAPauseOfTheWaitStartsTheWatchOver)
{
    SwapPacingRecord pacing{};
    int64_t now = 5000000;
    for (int i = 0; i < 9; ++i) NoteWaitedSwap(&pacing, now += 5000000, kPeriod60);
    ASSERT_EQ(pacing.ignored, 1);
    // Paced swaps come a refresh apart from now on: still the driver's fault, still paced.
    for (int i = 0; i < 5; ++i) EXPECT_EQ(NoteWaitedSwap(&pacing, now += kPeriod60, kPeriod60), 1);

    // Frames shown without the wait in between are no intervals of waited swaps.
    SwapPacingRecord fresh{};
    for (int i = 0; i < 5; ++i) NoteWaitedSwap(&fresh, now += 4000000, kPeriod60);
    ForgetSwapTiming(&fresh);
    now += 1000000;  // a frame without the wait, then the wait again
    for (int i = 0; i < 3; ++i) NoteWaitedSwap(&fresh, now += 4000000, kPeriod60);
    EXPECT_EQ(fresh.ignored, 0);
    EXPECT_EQ(fresh.shortRun, 2);
    // A display without a known period decides nothing.
    SwapPacingRecord unknown{};
    for (int i = 0; i < 20; ++i) EXPECT_EQ(NoteWaitedSwap(&unknown, now += 1000000, 0), 0);
}

}  // namespace
