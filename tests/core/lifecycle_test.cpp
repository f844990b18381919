// Start-up and shutdown of the whole layer under SDL's offscreen driver, read back from the log.
#include "window/media_layer_fixture.h"

#include "graphics/drawing_paths.h"

#include "core/media_lock.h"
#include "core/time_source.h"
#include "graphics/window_link.h"
#include "platform/system/instance_lock.h"
#include "rorodiv.h"
#include "platform/system/clock.h"
#include "platform/system/com.h"
#include "platform/window_system/cursor.h"
#include "platform/window_system/desktop.h"
#include "platform/window_system/window.h"
#include "window/message_pump.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

using namespace ror;

namespace {

using LifecycleTest = OnBothPaths<MediaLayerTest>;

const Lines kStartUp = {
    "T:システムの情報を出力します",
    "T:\tROrodiv Ver3.00",
    "",
    "T:\tＯＳ  Linux ( Build *",
    "...",
    "T:\tＣＰＵベンダ：*",
    "...",
    "T:ＣＯＭの初期化... 成功しました",
    "T:メモリ総量:*",
    "T:タイマーの精度を検査します",
    "T:精度結果 更新回数 マルチメディアタイマー：*",
    "T: パフォーマンスカウンターを使用します タイマー分解能 : 1000000.000000 KHz ",
    "T: ソフトの二重起動検査... 二重起動はされていませんでした",
    "T:ウインドウクラスを登録します... 登録に成功しました",
    "T:ウインドウモード起動用のウインドウを作成します",
    "T:ウインドウの作成に成功しました",
    "T:ＩＭＥを無効にしました",
    "T:ウインドウスタイルをウインドウモード用に変更します... 完了",
    "...",
    "T:文字コードバッファの初期化を行います... 完了しました",
};

const Lines kShutdown = {
    "...",
    "T:ウインドウを閉じようとしています",
    "T:ウインドウが破棄されようとしています",
    "T:ソフトを終了する準備が整いました",
    "T:ＣＯＭを終了... 完了",
    "T:",
    "T:Alloc memory dump",
    "T:\tTotal size:0(0.000kb)  Alloc num:0",
};

Lines Concat(const Lines& first, const Lines& second)
{
    Lines all = first;
    all.insert(all.end(), second.begin(), second.end());
    return all;
}

TEST_P(LifecycleTest, FullRunLogsStartUpAndShutdownInOrder)
{
    ASSERT_EQ(Start(), 0);
    EXPECT_TRUE(PathInUse());
    EXPECT_EQ(CoreState.Started, 1);
    EXPECT_EQ(CoreState.Starting, 0);
    EXPECT_TRUE(FollowPattern(LogLines(), kStartUp));
    EXPECT_EQ(PumpMessages(), 0);

    EXPECT_EQ(EndMediaLayer(), 0);
    EXPECT_EQ(CoreState.Started, 0);
    EXPECT_EQ(CoreState.MainWindow, nullptr);
    EXPECT_TRUE(FollowPattern(LogLines(), Concat(kStartUp, kShutdown)));
    // The window step's changes to the platform are undone.
    EXPECT_EQ(ComLibraryUsers(), 0);
    EXPECT_GE(CursorDisplayCount(), 0);
    EXPECT_EQ(ReadMediaLockStatus().created, 0);
}

// Graphics reaches the window and input layers only through the notices start-up fills in;
// one left empty would silently skip a window fit, a pump or an input restart.
TEST_P(LifecycleTest, StartUpFillsEveryGraphicsNotice)
{
    const GraphicsNoticeTable saved = GraphicsNotices;
    GraphicsNotices = GraphicsNoticeTable{};
    ASSERT_EQ(Start(), 0);
    EXPECT_NE(GraphicsNotices.waitWhileInactive, nullptr);
    EXPECT_NE(GraphicsNotices.pumpMessages, nullptr);
    EXPECT_NE(GraphicsNotices.fitWindow, nullptr);
    EXPECT_NE(GraphicsNotices.graphicsRestored, nullptr);
    EXPECT_EQ(EndMediaLayer(), 0);
    GraphicsNotices = saved;
}

TEST_P(LifecycleTest, SecondStartUpReturnsAtOnceAndLogsNothing)
{
    ASSERT_EQ(Start(), 0);
    const std::string before = ReadLog();
    EXPECT_EQ(InitMediaLayer(), 0);
    EXPECT_EQ(ReadLog(), before);
}

TEST_P(LifecycleTest, ShutdownBeforeStartUpDoesNothing)
{
    EXPECT_EQ(EndMediaLayer(), 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "Log.txt"));
}

TEST_P(LifecycleTest, LayerStartsAgainAfterShutdownWithItsSettings)
{
    ASSERT_EQ(Start(), 0);
    ASSERT_EQ(EndMediaLayer(), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_TRUE(PathInUse());
    EXPECT_EQ(CoreState.Windowed, 1);
    EXPECT_STREQ(CoreState.ClassName, title.c_str());
    EXPECT_TRUE(FollowPattern(LogLines(), kStartUp));  // LogStart began a new file
}

TEST_P(LifecycleTest, DefaultClassNameAndCaption)
{
    ChangeWindowMode(1);
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_STREQ(CoreState.ClassName, "D123987A");
    EXPECT_STREQ(CoreState.WindowTitle, "RoRav");
}

TEST_P(LifecycleTest, FailedStartUpReleasesWhatItBroughtUp)
{
    SetWindowTitle(title.c_str());
    ChangeWindowMode(1);
    FailComStartForTest();
    EXPECT_EQ(InitMediaLayer(), -1);
    EXPECT_EQ(CoreState.Started, 0);
    EXPECT_EQ(CoreState.Starting, 0);
    EXPECT_EQ(CoreState.ComStarted, 0);
    EXPECT_EQ(ReadMediaLockStatus().owned, 0);
    EXPECT_TRUE(FollowPattern(LogLines(), {"...", "T:ＣＯＭの初期化... ＣＯＭの初期化に失敗しました"}));
    EXPECT_EQ(EndMediaLayer(), 0);

    // Nothing was left behind: the same program starts now.
    EXPECT_EQ(InitMediaLayer(), 0);
}

TEST_P(LifecycleTest, FailedWindowStepLeavesNoClassLockOrScreenSaverBehind)
{
    SetWindowTitle(title.c_str());
    ChangeWindowMode(1);
    // Another process holding this class's lock: the second-instance check fails.
    InstanceLock other;
    ASSERT_EQ(AcquireInstanceLock(title.c_str(), &other), 0);
    EXPECT_EQ(InitMediaLayer(), -1);
    EXPECT_EQ(CoreState.QuitFlag, 1);
    EXPECT_EQ(CoreState.classRegistered, 0);
    EXPECT_EQ(CoreState.screenSaverOff, 0);
    EXPECT_EQ(PumpMessages(), -1);
    EXPECT_TRUE(
        FollowPattern(LogLines(), {"...", "T: ソフトの二重起動検査... 二重起動されています、ソフトを終了します"}));
    ReleaseInstanceLock(&other);
    EXPECT_EQ(InitMediaLayer(), 0);
}

TEST_P(LifecycleTest, AllowedSecondCopyStartsBesideTheLockHolderAndIsSetBeforeStartUpOnly)
{
    SetWindowTitle(title.c_str());
    ChangeWindowMode(1);
    InstanceLock other;
    ASSERT_EQ(AcquireInstanceLock(title.c_str(), &other), 0);
    ASSERT_EQ(SetAllowSecondCopy(1), 0);
    EXPECT_EQ(InitMediaLayer(), 0);
    EXPECT_EQ(PumpMessages(), 0);
    // Running beside the holder is what was asked for: no line about a missing lock.
    const Lines lines = LogLines();
    EXPECT_TRUE(FollowPattern(lines, {"...", "T: ソフトの二重起動検査... 二重起動を許可する設定のため検査しません"}));
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("ロックファイルを作成できませんでした"), std::string::npos);
    EXPECT_EQ(SetAllowSecondCopy(0), -1);
    EXPECT_EQ(CoreState.allowSecondCopy, 1);
    EndMediaLayer();
    ReleaseInstanceLock(&other);
}

// Where no lock file can be made anywhere, the program starts all the same and its log says
// that a second copy would not be found; a copy that can lock says nothing of it.
TEST_P(LifecycleTest, StartUpWithoutAnyLockFolderSaysSoInTheLog)
{
    const std::string noLockLine = "T:二重起動検査用のロックファイルを作成できませんでした、二重起動は検出されません";
    const char* savedTemporary = std::getenv("TMPDIR");
    const std::string temporary = savedTemporary ? savedTemporary : "";
    // Neither folder can be had: the runtime folder and the fallback's parent are files.
    std::ofstream(folder / "not a folder").put('x');
    const std::string file = (folder / "not a folder").string();
    setenv("XDG_RUNTIME_DIR", file.c_str(), 1);
    setenv("TMPDIR", file.c_str(), 1);
    const int started = Start();
    if (savedTemporary)
        setenv("TMPDIR", temporary.c_str(), 1);
    else
        unsetenv("TMPDIR");
    setenv("XDG_RUNTIME_DIR", LockFolder().c_str(), 1);
    ASSERT_EQ(started, 0);
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_TRUE(FollowPattern(LogLines(), {"...", "T:ウインドウの作成に成功しました", noLockLine}));
    EXPECT_EQ(EndMediaLayer(), 0);

    std::filesystem::remove(folder / "Log.txt");
    ASSERT_EQ(Start(), 0);
    EXPECT_FALSE(Contains(LogLines(), noLockLine));
}

// A working folder whose name holds a backslash: the log is written there, and shutdown
// comes back to it after the program went elsewhere.
// The log's folder and the folder shutdown returns to are the system's own names, whatever
// they hold: a "\\", Japanese in UTF-8, a character cp932 does not have.
TEST_P(LifecycleTest, LogAndWorkingFolderKeepTheFolderNameAsTheSystemGaveIt)
{
    const std::filesystem::path names[] = {"a\\b", u8"データ", u8"😀"};
    for (const std::filesystem::path& name : names) {
        SCOPED_TRACE(name.string());
        const std::filesystem::path odd = folder / name;
        std::filesystem::create_directories(odd);
        std::filesystem::current_path(odd);
        ASSERT_EQ(Start(), 0);
        std::filesystem::current_path(folder);
        EndMediaLayer();
        EXPECT_EQ(std::filesystem::current_path(), odd);
        std::ifstream log(odd / "Log.txt", std::ios::binary);
        std::ostringstream bytes;
        bytes << log.rdbuf();
        EXPECT_TRUE(FollowPattern(LinesWithoutStamps(bytes.str()), {"T:システムの情報を出力します"}));
        std::filesystem::current_path(folder);
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "a" / "b"));
}

// A machine without a reachable display: the stand-in drivers that show nothing are not
// chosen unless named, so start-up fails at the window step instead of running unseen.
TEST_P(LifecycleTest, NoDisplayFailsTheWindowStep)
{
    const auto keep = [](const char* name) {
        const char* value = std::getenv(name);
        return std::pair<std::string, bool>(value ? value : "", value != nullptr);
    };
    const auto restore = [](const char* name, const std::pair<std::string, bool>& saved) {
        if (saved.second)
            setenv(name, saved.first.c_str(), 1);
        else
            unsetenv(name);
    };
    const auto display = keep("DISPLAY"), wayland = keep("WAYLAND_DISPLAY");
    setenv("DISPLAY", ":9731", 1);  // no X server listens there
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    EXPECT_EQ(Start(), -1);
    EXPECT_EQ(CoreState.QuitFlag, 1);
    EXPECT_TRUE(FollowPattern(LogLines(), {"...", "T:ウインドウの作成に失敗しました",
                                           "T:\t原因: DISPLAY=:9731 の X サーバーに接続できません"}));
    restore("DISPLAY", display);
    restore("WAYLAND_DISPLAY", wayland);
}

TEST_P(LifecycleTest, TitleIsCutAt255BytesOnACharacterBoundary)
{
    struct Case {
        std::string title;
        size_t kept;
    };
    const std::string ascii255(255, 'a');
    const std::string kana = "あ";  // two bytes in cp932
    const Case cases[] = {
        {ascii255, 255},
        {ascii255 + "bcd", 255},
        {std::string(254, 'a') + kana, 254},  // the character would end at byte 256
        {std::string(253, 'a') + kana, 255},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SetWindowTitle(c.title.c_str()), 0);
        EXPECT_EQ(std::strlen(CoreState.WindowTitle), c.kept);
        EXPECT_EQ(std::string(CoreState.WindowTitle), c.title.substr(0, c.kept));
    }
}

TEST_P(LifecycleTest, TitleChangeAfterStartUpReachesTheWindow)
{
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(SetWindowTitle("ウインドウ"), 0);
    EXPECT_STREQ(CoreState.WindowTitle, "ウインドウ");
}

TEST_P(LifecycleTest, ChangeWindowModeBeforeStartUpOnlyRecords)
{
    LogStart();  // the log folder is the working folder
    std::snprintf(AppLogState.folder, sizeof AppLogState.folder, "%s", folder.c_str());
    EXPECT_EQ(ChangeWindowMode(1), 0);
    EXPECT_EQ(ChangeWindowMode(1), 0);
    EXPECT_EQ(CoreState.Windowed, 1);
    EXPECT_EQ(LogLines(), (Lines{"T:ChangeWindowMode実行 ", "T:ウインドウモードフラグが立てられました",
                                 "T:ChangeWindowMode実行 "}));
}

TEST_P(LifecycleTest, FatalExitFormatCutsALongMessageAndEndsWithMinusOne)
{
    // The child process starts the layer itself (the sound device runs a thread, so the
    // child is a fresh process) in this test's folder.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("ROR_TEST_FOLDER", folder.c_str(), 1);
    const std::string longText(3000, 'x');
    EXPECT_EXIT(
        {
            Start();
            FatalExitFormat("致命的:%s", longText.c_str());
        },
        ::testing::ExitedWithCode(255), "");
    unsetenv("ROR_TEST_FOLDER");
    const Lines lines = LogLines();
    const std::string expected = "T:致命的:" + std::string(1023 - std::strlen("致命的:"), 'x');
    EXPECT_TRUE(Contains(lines, expected));
    EXPECT_TRUE(FollowPattern(lines, Concat({"...", expected}, kShutdown)));
}

TEST_P(LifecycleTest, MillisecondClockNeverNegative)
{
    for (int i = 0; i < 1000; ++i) EXPECT_GE(NowMilliseconds(), 0);
}

INSTANTIATE_ON_BOTH_PATHS(LifecycleTest);

}  // namespace
