// A fresh folder for "Log.txt" per test, with the log started in it, and helpers to read
// the file back. The media layer itself is not started.
#pragma once
#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "platform/system/debug_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

class LogFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedLog = ror::AppLogState;
        savedTexts = ror::LogTextSettings;
        savedAlloc = ror::TrackedAllocState;
        std::random_device random;
        folder = std::filesystem::temp_directory_path() /
                 ("ror_log_" + std::to_string(random()) + "_" + std::to_string(random()));
        std::filesystem::create_directories(folder);
        UseFolder(folder.string());
        mirrored.clear();
        ror::SetDebugOutputSink([](const char* bytes, size_t length) { mirrored.append(bytes, length); });
    }

    void TearDown() override
    {
        ror::AppLogState = savedLog;
        ror::LogTextSettings = savedTexts;
        // The allocator's numbering and switches; the tests free their blocks themselves.
        ror::AllocState& alloc = ror::TrackedAllocState;
        alloc.nextId = savedAlloc.nextId;
        alloc.logEveryOp = savedAlloc.logEveryOp;
        alloc.logTotals = savedAlloc.logTotals;
        alloc.verifyEveryOp = savedAlloc.verifyEveryOp;
        alloc.watchSize = savedAlloc.watchSize;
        alloc.failHeapRequests = savedAlloc.failHeapRequests;
        alloc.failNthRequest = savedAlloc.failNthRequest;
        ror::SetDebugOutputSink(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    static void UseFolder(const std::string& path)
    {
        std::snprintf(ror::AppLogState.folder, sizeof ror::AppLogState.folder, "%s", path.c_str());
    }

    std::filesystem::path LogPath() const { return folder / "Log.txt"; }

    static std::string ReadFile(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    std::string ReadLog() const { return ReadFile(LogPath()); }

    static void WriteFile(const std::filesystem::path& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    // The file without the "<milliseconds>:" that begins every line.
    std::string ReadLogWithoutStamps() const
    {
        std::string log = ReadLog();
        std::string out;
        size_t i = 0;
        while (i < log.size()) {
            size_t digits = i;
            while (digits < log.size() && log[digits] >= '0' && log[digits] <= '9') ++digits;
            if (digits > i && digits < log.size() && log[digits] == ':') i = digits + 1;
            size_t end = log.find("\r\n", i);
            end = end == std::string::npos ? log.size() : end + 2;
            out.append(log, i, end - i);
            i = end;
        }
        return out;
    }

    std::filesystem::path folder;
    // What a test changes in the log's and the allocator's state is put back after it.
    ror::LogState savedLog{};
    ror::LogTextState savedTexts{};
    ror::AllocState savedAlloc{};
    static inline std::string mirrored;  // what reached the debugger output channel
};
