// Start-up, a few frames and shutdown, again and again in one process: nothing may pile up.
// After the first run and after the last, the tracked blocks, open files, threads, windows
// and the mapped memory are back where they were; every shutdown's leak report is empty.
// ROR_CYCLES sets the number of runs (the campaign script runs 1000).
#include "core/layer_run.h"
#include "platform/system/process_usage.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace ror;

namespace {

// Mapped memory may move a little: the heap keeps freed pages, SDL and Mesa keep caches.
constexpr int64_t kMappedSlack = 8 << 20;
// AddressSanitizer keeps freed blocks mapped in its quarantine (256 MB) on purpose; its leak
// checker watches that build instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMappedMemoryComparable = false;
#else
constexpr bool kMappedMemoryComparable = true;
#endif

int CycleCount()
{
    const char* text = std::getenv("ROR_CYCLES");
    const int count = text ? std::atoi(text) : 0;
    return count > 0 ? count : 50;
}

std::string Describe(const ProcessUsage& u)
{
    char text[160];
    std::snprintf(text, sizeof text, "%d files, %d threads, %d windows, %lld KiB mapped", u.openFiles, u.threads,
                  u.windows, static_cast<long long>(u.mappedBytes >> 10));
    return text;
}

class StartStopCycles : public LayerRunTest {
protected:
    // The real window system, as a user runs the game.
    StartStopCycles() { videoDriver = "x11"; }

    // The last leak report of the log: its totals line.
    std::string LastTotals() const
    {
        std::string totals;
        for (const std::string& line : LogLines()) {
            if (line.rfind("T:\tTotal size:", 0) == 0) totals = line;
        }
        return totals;
    }

    // Files, threads and windows are those from before the first start-up; the mapped memory
    // is what the first run left, within a slack.
    void ExpectBackTo(const ProcessUsage& beforeFirst, const ProcessUsage& afterFirst, int cycle)
    {
        ProcessUsage now{};
        ASSERT_EQ(ReadProcessUsage(&now), 0);
        std::printf("after run %d: %s\n", cycle, Describe(now).c_str());
        EXPECT_EQ(now.openFiles, beforeFirst.openFiles) << "after run " << cycle;
        EXPECT_EQ(now.threads, beforeFirst.threads) << "after run " << cycle;
        EXPECT_EQ(now.windows, beforeFirst.windows) << "after run " << cycle;
        if (kMappedMemoryComparable) {
            EXPECT_LE(now.mappedBytes, afterFirst.mappedBytes + kMappedSlack) << "after run " << cycle;
        }
    }
};

TEST_F(StartStopCycles, NothingPilesUp)
{
    const int cycles = CycleCount();
    const int32_t blocksBefore = TrackedAllocationCount();
    ProcessUsage beforeFirst{};
    ASSERT_EQ(ReadProcessUsage(&beforeFirst), 0);
    // The first run brings up what stays for the process (the video and audio systems, fonts).
    ASSERT_EQ(RunLayerOnce(), kWholeRun);
    ASSERT_EQ(TrackedAllocationCount(), blocksBefore);
    ASSERT_EQ(LastTotals(), "T:\tTotal size:0(0.000kb)  Alloc num:0");
    ProcessUsage afterFirst{};
    ASSERT_EQ(ReadProcessUsage(&afterFirst), 0);
    ExpectBackTo(beforeFirst, afterFirst, 1);
    for (int cycle = 2; cycle <= cycles; ++cycle) {
        ASSERT_EQ(RunLayerOnce(), kWholeRun) << "run " << cycle;
        ASSERT_EQ(TrackedAllocationCount(), blocksBefore) << "run " << cycle;
        ASSERT_EQ(LastTotals(), "T:\tTotal size:0(0.000kb)  Alloc num:0") << "run " << cycle;
    }
    ExpectBackTo(beforeFirst, afterFirst, cycles);
}

}  // namespace
