// A started media layer for the input tests: a fresh working folder per test (the log folder,
// and the home of the instance locks), SDL's real drivers chosen explicitly, the log read
// back line by line.
#pragma once
#include "core/app_log.h"
#include "core/core_state.h"
#include "input/input_setup.h"
#include "platform/input_devices.h"
#include "platform/virtual_pads.h"
#include "rorodiv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

class InputTest : public ::testing::Test {
protected:
    // offscreen needs no X server; x11 runs under Xvfb.
    explicit InputTest(const char* videoDriver = "offscreen") : videoDriver(videoDriver) {}

    void SetUp() override
    {
        if (const char* inherited = std::getenv("ROR_TEST_FOLDER")) {
            folder = inherited;  // a death test's child runs in its parent's folder
        } else {
            std::random_device random;
            folder = std::filesystem::temp_directory_path() /
                     ("ror_input_" + std::to_string(random()) + "_" + std::to_string(random()));
        }
        std::filesystem::create_directories(folder);
        previousFolder = std::filesystem::current_path();
        std::filesystem::current_path(folder);
        setenv("SDL_VIDEODRIVER", videoDriver, 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        SetLogEnabled(1);
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        title = std::string(test->test_suite_name()) + "." + test->name();
    }

    void TearDown() override
    {
        EndMediaLayer();
        DetachAllVirtualPads();
        SetInputFaultsForTest(0);
        std::filesystem::current_path(previousFolder);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    int Start()
    {
        SetWindowTitle(title.c_str());
        ChangeWindowMode(1);
        return InitMediaLayer();
    }

    // The log's complete lines, each time stamp replaced by "T".
    Lines LogLines() const
    {
        std::ifstream in(folder / "Log.txt", std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const std::string text = bytes.str();
        Lines lines;
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
            std::string line = text.substr(start, end - start);
            const size_t digits = line.find_first_not_of("0123456789");
            if (digits > 0 && digits != std::string::npos && line[digits] == ':') line.replace(0, digits, "T");
            lines.push_back(line);
        }
        return lines;
    }

    // The lines from the first one equal to `first` up to and including the first one equal
    // to `last` after it; empty when either is missing.
    Lines Section(const std::string& first, const std::string& last) const
    {
        const Lines lines = LogLines();
        Lines section;
        bool inside = false;
        for (const std::string& line : lines) {
            if (!inside && line == first) inside = true;
            if (!inside) continue;
            section.push_back(line);
            if (line == last && section.size() > 1) return section;
        }
        return {};
    }

    static int Count(const Lines& lines, const std::string& wanted)
    {
        int count = 0;
        for (const std::string& line : lines) count += line == wanted;
        return count;
    }

    const char* videoDriver;
    std::filesystem::path folder;
    std::filesystem::path previousFolder;
    std::string title;
};
