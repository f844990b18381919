// The walk over every failure of start-up, a frame and shutdown, one at a time: the N-th
// tracked allocation or the N-th call of a system service fails, for N from 1 until a run no
// longer reaches the N-th. Each run happens in a child process. It must end in one of three
// ways: start-up returns -1 with the failing step's line in the log; the fatal exit ends the
// process with -1 and its line; or the layer runs (the failure was tolerated or failed one
// operation). Never a crash, a hang or a leak (the sanitizer build checks for leaks at the end
// of each child), and the layer then starts cleanly in the same process.
#pragma once
#include "core/layer_run.h"
#include "platform/system/service_faults.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

// Where the walk injects: the tracked allocator, or one system service.
struct FaultSite {
    bool allocator;
    ror::PlatformService service;
};

inline const char* SiteName(const FaultSite& site)
{
    return site.allocator ? "allocation" : ror::PlatformServiceName(site.service);
}

inline void Arm(const FaultSite& site, int32_t nth)
{
    if (site.allocator) {
        ror::TrackedAllocState.failNthRequest = nth;
    } else {
        ror::FailServiceCallForTest(site.service, nth);
    }
}

inline bool Reached(const FaultSite& site)
{
    return site.allocator ? ror::TrackedAllocState.failNthRequest == 0
                          : ror::ServiceCallsBeforeFailure(site.service) == 0;
}

// A failure line names what failed: "...に失敗しました", "...できません", "...対応していません".
inline bool IsFailureLine(const std::string& line)
{
    for (const char* word : {"失敗", "できません", "対応していません"}) {
        if (line.find(word) != std::string::npos) return true;
    }
    return false;
}

class StartupFaultTest : public LayerRunTest {
protected:
    void TearDown() override
    {
        ror::TrackedAllocState.failNthRequest = 0;
        ror::ClearServiceFaultsForTest();
        LayerRunTest::TearDown();
    }

    // The child's side: one run with the failure armed, its checks, one clean run. Writes
    // "unreached", "failed" or "ran" into the file `outcome`; a broken check prints why and
    // exits with 3.
    [[noreturn]] void RunChild(const FaultSite& site, int32_t nth)
    {
        // Every log write opens "Log.txt", and a write that cannot open it loses its text
        // (the log's own tests cover that): the file walk runs with the log off, as the game does.
        const bool logged = site.allocator || site.service != ror::PlatformService::FileOpen;
        const int32_t blocksBefore = ror::TrackedAllocationCount();
        SetLogEnabled(logged);
        Arm(site, nth);
        const LayerRunResult faulted = RunLayerOnce(2);
        const bool reached = Reached(site);
        Arm(site, 0);
        SetLogEnabled(1);
        auto fail = [&](const std::string& why) {
            std::fprintf(stderr, "%s #%d: %s\n", SiteName(site), nth, why.c_str());
            std::fflush(nullptr);
            std::_Exit(3);
        };
        if (ror::CoreState.Started || ror::CoreState.Starting || ror::CoreState.MainWindow)
            fail("the layer is left half up");
        if (ror::TrackedAllocationCount() != blocksBefore)
            fail(std::to_string(ror::TrackedAllocationCount() - blocksBefore) + " tracked blocks left");
        auto describe = [](const LayerRunResult& r) {
            return " (start " + std::to_string(r.start) + ", picture " + std::to_string(r.picture) + ", archive read " +
                   std::to_string(r.archiveRead) + ", plain read " + std::to_string(r.plainRead) + ", drawing " +
                   std::to_string(r.drawing) + ")";
        };
        if (!reached && !(faulted == kWholeRun)) fail("a run without any failure did not work" + describe(faulted));
        const Lines lines = logged ? LogLines() : Lines{};
        if (logged && faulted.start != 0) {
            bool reported = false;
            for (const std::string& line : lines) reported = reported || IsFailureLine(line);
            if (!reported) fail("start-up failed without a failure line");
        }
        // The shutdown's leak report is the log's last totals line.
        std::string totals;
        for (const std::string& line : lines) {
            if (line.rfind("T:\tTotal size:", 0) == 0) totals = line;
        }
        if (logged && totals != "T:\tTotal size:0(0.000kb)  Alloc num:0")
            fail("the leak report is missing or not empty: \"" + totals + "\"");
        const LayerRunResult clean = RunLayerOnce(1);
        if (!(clean == kWholeRun)) fail("the layer does not start cleanly afterwards" + describe(clean));
        if (ror::TrackedAllocationCount() != blocksBefore) fail("the clean run left tracked blocks");
        std::ofstream(folder / "outcome") << (!reached ? "unreached" : faulted.start != 0 ? "failed" : "ran");
        // The leak check now, then an exit that skips the handlers this process inherited
        // from the walk's own process (they would remove the test's shared folders).
#if defined(__SANITIZE_ADDRESS__)
        if (__lsan_do_recoverable_leak_check() != 0) fail("leaks");
#endif
        std::fflush(nullptr);
        std::_Exit(0);
    }

    std::string Outcome() const
    {
        std::ifstream in(folder / "outcome");
        std::string outcome;
        in >> outcome;
        return outcome;
    }

    // Walks N upward and prints the runs of each outcome; returns how many runs reached the
    // failure.
    int Walk(const FaultSite& site)
    {
        GTEST_FLAG_SET(death_test_style, "fast");  // this process never starts the layer itself
        int failed = 0, fatal = 0, ran = 0;
        for (int32_t nth = 1;; ++nth) {
            if (nth >= 5000) {
                ADD_FAILURE() << "the walk does not end";
                return failed + fatal + ran;
            }
            std::filesystem::remove(folder / "outcome");
            int status = 0;
            EXPECT_EXIT(
                RunChild(site, nth),
                [&](int s) {
                    status = s;
                    return ::testing::ExitedWithCode(0)(s) || ::testing::ExitedWithCode(255)(s);
                },
                "")
                << SiteName(site) << " #" << nth;
            if (::testing::ExitedWithCode(255)(status)) {
                // The fatal exit: its line was the last the log received before shutdown lines.
                bool reported = false;
                for (const std::string& line : LogLines()) reported = reported || IsFailureLine(line);
                EXPECT_TRUE(reported) << SiteName(site) << " #" << nth << " ended the process without a failure line";
                ++fatal;
                continue;
            }
            const std::string outcome = Outcome();
            if (outcome == "unreached") break;
            failed += outcome == "failed";
            ran += outcome == "ran";
            if (HasFailure()) return failed + fatal + ran;
        }
        std::printf("%s: %d start-ups failed, %d fatal exits, %d runs went on\n", SiteName(site), failed, fatal, ran);
        return failed + fatal + ran;
    }
};
