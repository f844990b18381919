// A fresh working folder per test, with the log started in it and its lines captured,
// and helpers to make files there.
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
#include <vector>

// Pseudo-random bytes: a pattern that does not repeat every 256 bytes.
inline std::string PatternBytes(size_t size, uint32_t seed = 1)
{
    std::string bytes(size, '\0');
    uint32_t state = seed;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = char(state >> 24);
    }
    return bytes;
}

class FileFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        folder = std::filesystem::temp_directory_path() /
                 ("ror_file_" + std::to_string(random()) + "_" + std::to_string(random()));
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
        std::snprintf(ror::AppLogState.folder, sizeof ror::AppLogState.folder, "%s", folder.string().c_str());
        logged.clear();
        ror::SetDebugOutputSink([](const char* bytes, size_t length) { logged.append(bytes, length); });
        ror::LogStart();
        allocationsAtStart = ror::TrackedAllocationCount();
    }

    void TearDown() override
    {
        ror::SetDebugOutputSink(nullptr);
        std::error_code ignored;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
        std::filesystem::remove_all(folder, ignored);
    }

    static void WriteFile(const std::filesystem::path& path, const std::string& bytes)
    {
        if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static std::string ReadFile(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    std::filesystem::path folder;
    int32_t allocationsAtStart = 0;
    static inline std::string logged;  // every log line since SetUp, as mirrored by the log
};
