// A fresh working folder per test (it becomes the log folder and holds the instance locks),
// SDL's real drivers chosen explicitly, and the log read back line by line.
#pragma once
#include "core/app_log.h"
#include "core/core_state.h"
#include "lifecycle/lifecycle.h"
#include "core/log_lines.h"
#include "platform/window_system/message_queue.h"
#include "rorodiv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

class MediaLayerTest : public ::testing::Test {
protected:
    // offscreen needs no X server; x11 runs under Xvfb.
    explicit MediaLayerTest(const char* videoDriver = "offscreen") : videoDriver(videoDriver) {}

    void SetUp() override
    {
        // A death test's child process runs in its parent's folder.
        if (const char* inherited = std::getenv("ROR_TEST_FOLDER")) {
            folder = inherited;
        } else {
            std::random_device random;
            folder = std::filesystem::temp_directory_path() /
                     ("ror_core_" + std::to_string(random()) + "_" + std::to_string(random()));
        }
        std::filesystem::create_directories(folder);
        savedCore = ror::CoreState;
        savedLog = ror::AppLogState;
        previousFolder = std::filesystem::current_path();
        std::filesystem::current_path(folder);
        setenv("SDL_VIDEODRIVER", videoDriver, 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        // Instance locks stay in a folder of this process: parallel tests do not meet. One
        // folder for the whole process, so a test's copy of the layer meets the last test's.
        setenv("XDG_RUNTIME_DIR", LockFolder().c_str(), 1);
        SetLogEnabled(1);
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        title = std::string(test->test_suite_name()) + "." + test->name();
    }

    void TearDown() override
    {
        EndMediaLayer();
        // The settings and what start-up captured once (the class name) go back as well.
        ror::CoreState = savedCore;
        ror::AppLogState = savedLog;
        std::filesystem::current_path(previousFolder);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    static const std::string& LockFolder()
    {
        static const std::string made = [] {
            std::random_device random;
            const std::filesystem::path path =
                std::filesystem::temp_directory_path() /
                ("ror_locks_" + std::to_string(random()) + "_" + std::to_string(random()));
            std::filesystem::create_directories(path);
            std::filesystem::permissions(path, std::filesystem::perms::owner_all);
            // Removed when this process ends; a death test's child shares it and leaves it.
            static std::string removed = path.string();
            static const pid_t owner = getpid();
            std::atexit([] {
                if (getpid() != owner) return;
                std::error_code ignored;
                std::filesystem::remove_all(removed, ignored);
            });
            return path.string();
        }();
        return made;
    }

    int Start()
    {
        SetWindowTitle(title.c_str());
        ChangeWindowMode(1);
        return InitMediaLayer();
    }

    std::string ReadLog() const
    {
        std::ifstream in(folder / "Log.txt", std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    // The log's complete lines, each time stamp replaced by "T".
    Lines LogLines() const { return LinesWithoutStamps(ReadLog()); }

    // Whether the lines follow the pattern in order. A pattern line "..." skips any lines up
    // to the next pattern line; a pattern line ending in "*" matches any line with that
    // prefix ('*' is never the second byte of a cp932 character).
    static ::testing::AssertionResult FollowPattern(const Lines& lines, const Lines& pattern)
    {
        size_t at = 0;
        bool skipping = false;
        for (const std::string& want : pattern) {
            if (want == "...") {
                skipping = true;
                continue;
            }
            auto matches = [&](const std::string& line) {
                if (!want.empty() && want.back() == '*')
                    return line.compare(0, want.size() - 1, want, 0, want.size() - 1) == 0;
                return line == want;
            };
            while (skipping && at < lines.size() && !matches(lines[at])) ++at;
            if (at >= lines.size()) return ::testing::AssertionFailure() << "missing line: " << want;
            if (!matches(lines[at])) {
                return ::testing::AssertionFailure()
                       << "line " << at << " is \"" << lines[at] << "\", expected \"" << want << "\"";
            }
            ++at;
            skipping = false;
        }
        return ::testing::AssertionSuccess();
    }

    static bool Contains(const Lines& lines, const std::string& wanted)
    {
        for (const std::string& line : lines) {
            if (line == wanted) return true;
        }
        return false;
    }

    ror::CoreStateRecord savedCore{};
    ror::LogState savedLog{};
    const char* videoDriver;
    std::filesystem::path folder;
    std::filesystem::path previousFolder;
    std::string title;
};
