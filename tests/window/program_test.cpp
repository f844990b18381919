// The layer in real processes: a second copy of a program, and closing the real window.
#include "window/media_layer_fixture.h"

#include "platform/system/clock.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace ror;

namespace {

namespace fs = std::filesystem;

class ProgramTest : public MediaLayerTest {
protected:
    explicit ProgramTest(const char* videoDriver = "offscreen") : MediaLayerTest(videoDriver) {}

    // Starts the program in its own folder in the background; its exit code lands in "status".
    fs::path Launch(const std::string& name, const std::string& programTitle, bool allowSecondCopy = false)
    {
        const fs::path where = folder / name;
        fs::create_directories(where);
        const std::string command = "cd '" + where.string() + "' && ( '" FRAME_LOOP_PROGRAM "' '" + programTitle +
                                    "' ready stop" + (allowSecondCopy ? " allow" : "") +
                                    " > out.txt 2>&1; echo $? > status ) &";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return where;
    }

    // Runs the program to its end in its own folder; its exit code.
    int Run(const std::string& name, const std::string& programTitle, bool stopAtOnce, bool allowSecondCopy = false)
    {
        const fs::path where = folder / name;
        fs::create_directories(where);
        if (stopAtOnce) std::ofstream{where / "stop"};
        const std::string command = "cd '" + where.string() + "' && '" FRAME_LOOP_PROGRAM "' '" + programTitle +
                                    "' ready stop" + (allowSecondCopy ? " allow" : "") + " > out.txt 2>&1";
        const int status = std::system(command.c_str());
        return (status >> 8) & 0xFF;  // the shell's exit code
    }

    static bool WaitForFile(const fs::path& file)
    {
        for (int i = 0; i < 2000 && !fs::exists(file); ++i) SystemSleep(5);
        return fs::exists(file);
    }

    static int ExitCode(const fs::path& where)
    {
        if (!WaitForFile(where / "status")) return -1000;
        SystemSleep(20);  // the status line is written right after the file appears
        std::ifstream in(where / "status");
        int code = -1000;
        in >> code;
        return code;
    }

    Lines ProgramLog(const fs::path& where)
    {
        const fs::path saved = folder;
        folder = where;
        Lines lines = LogLines();
        folder = saved;
        return lines;
    }
};

TEST_F(ProgramTest, SecondCopyWithTheSameTitleRefusesToStart)
{
    const fs::path first = Launch("first", title);
    ASSERT_TRUE(WaitForFile(first / "ready"));

    EXPECT_EQ(Run("second", title, false), 255);
    EXPECT_TRUE(FollowPattern(ProgramLog(folder / "second"),
                              {"...", "T: ソフトの二重起動検査... 二重起動されています、ソフトを終了します"}));

    EXPECT_EQ(Run("other", title + " 2", true), 0);
    EXPECT_TRUE(FollowPattern(ProgramLog(folder / "other"),
                              {"...", "T: ソフトの二重起動検査... 二重起動はされていませんでした"}));

    std::ofstream{first / "stop"};
    EXPECT_EQ(ExitCode(first), 0);
    // Once the first copy has ended, the title is free again.
    EXPECT_EQ(Run("third", title, true), 0);
}

// A copy allowed to run beside another starts; it takes the title's lock when it is free,
// so a copy that keeps the check still refuses while the allowed one runs.
TEST_F(ProgramTest, AllowedSecondCopyStartsAndStillGuardsTheTitle)
{
    const fs::path first = Launch("first", title);
    ASSERT_TRUE(WaitForFile(first / "ready"));
    EXPECT_EQ(Run("allowed", title, true, true), 0);
    EXPECT_TRUE(FollowPattern(ProgramLog(folder / "allowed"),
                              {"...", "T: ソフトの二重起動検査... 二重起動を許可する設定のため検査しません"}));
    std::ofstream{first / "stop"};
    EXPECT_EQ(ExitCode(first), 0);

    const fs::path allowedFirst = Launch("allowed first", title, true);
    ASSERT_TRUE(WaitForFile(allowedFirst / "ready"));
    EXPECT_EQ(Run("checking", title, false), 255);
    std::ofstream{allowedFirst / "stop"};
    EXPECT_EQ(ExitCode(allowedFirst), 0);
}

class ProgramOnXTest : public ProgramTest {
protected:
    ProgramOnXTest() : ProgramTest("x11") {}
};

TEST_F(ProgramOnXTest, ClosingTheWindowEndsTheProgramNormally)
{
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (run under xvfb-run)";
    const std::string programTitle = "Close " + std::to_string(std::rand());
    const fs::path where = Launch("closing", programTitle);
    ASSERT_TRUE(WaitForFile(where / "ready"));
    // The caption is the title; Alt+F4 on the focused window asks it to close.
    const std::string close =
        "xdotool search --sync --name '" + programTitle + "' windowfocus --sync && xdotool key --clearmodifiers alt+F4";
    EXPECT_EQ(std::system(close.c_str()), 0);
    EXPECT_EQ(ExitCode(where), 0);
    EXPECT_TRUE(FollowPattern(ProgramLog(where),
                              {"...", "T:ウインドウを閉じようとしています", "T:ウインドウが破棄されようとしています",
                               "T:ソフトを終了する準備が整いました"}));
}

}  // namespace
