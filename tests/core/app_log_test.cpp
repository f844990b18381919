#include "core/app_log.h"
#include "core/last_failure.h"
#include "core/tracked_memory.h"
#include "log_folder.h"
#include "platform/system/clock.h"
#include "platform/files/files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <unistd.h>

using namespace ror;

using AppLogTest = LogFolderTest;

// The milliseconds at the start of the file, checked loosely: the clock is real.
static void ExpectStampNear(const std::string& log, int expected)
{
    size_t colon = log.find(':');
    ASSERT_NE(colon, std::string::npos);
    int stamp = std::stoi(log.substr(0, colon));
    EXPECT_GE(stamp, expected);
    EXPECT_LT(stamp, expected + 10000);
}

TEST_F(AppLogTest, SwitchedOffBeforeStartTouchesNothing)
{
    WriteFile(LogPath(), "earlier run\r\n");
    SetLogEnabled(0);
    EXPECT_EQ(LogStart(), 1);
    EXPECT_EQ(LogWrite("テキスト\n"), -1);
    EXPECT_EQ(LogWriteFormat("%d", 5), -1);
    EXPECT_EQ(ReadLog(), "earlier run\r\n");
    EXPECT_EQ(mirrored, "");
    EXPECT_EQ(AppLogState.fileName[0], '\0');
}

TEST_F(AppLogTest, NothingIsWrittenBeforeTheFolderIsKnown)
{
    UseFolder("");
    std::filesystem::remove("Log.txt");
    EXPECT_EQ(LogWrite("before start-up\n"), -1);
    EXPECT_FALSE(std::filesystem::exists("Log.txt"));
    EXPECT_EQ(mirrored, "");
}

TEST_F(AppLogTest, StartEmptiesTheLogAndStampsFromStart)
{
    WriteFile(LogPath(), "earlier run\r\n");
    LogStart();
    EXPECT_EQ(ReadLog(), "");
    AppLogState.startTime = SystemMilliseconds() - 35;
    LogWrite("ready\n");
    std::string log = ReadLog();
    ExpectStampNear(log, 35);
    EXPECT_EQ(log.substr(log.find(':')), ":ready\r\n");
}

TEST_F(AppLogTest, IndentedLineGoesToFileAndDebuggerOutput)
{
    LogStart();
    AppLogState.startTime = SystemMilliseconds() - 1500;
    LogIndent();
    LogIndent();
    LogWrite("DirectSound8 の初期化を行います\n");
    std::string log = ReadLog();
    ExpectStampNear(log, 1500);
    EXPECT_EQ(log.substr(log.find(':')), ":\t\tDirectSound8 の初期化を行います\r\n");
    EXPECT_EQ(mirrored, "\t\tDirectSound8 の初期化を行います\r\n");
}

TEST_F(AppLogTest, OpenLineIsContinuedByTheNextWrite)
{
    LogStart();
    LogIndent();
    LogWrite("ウインドウスタイルをウインドウモード用に変更します... ");
    EXPECT_EQ(AppLogState.lineOpen, 1);
    LogWrite("完了\n");
    EXPECT_EQ(AppLogState.lineOpen, 0);
    EXPECT_EQ(ReadLogWithoutStamps(), "\tウインドウスタイルをウインドウモード用に変更します... 完了\r\n");
    EXPECT_EQ(mirrored, "\tウインドウスタイルをウインドウモード用に変更します... 完了\r\n");
}

TEST_F(AppLogTest, LineFeedConversion)
{
    struct Case {
        std::string text;
        std::string written;
        int lineOpen;
    };
    const Case cases[] = {
        {"\n", "\r\n", 0},
        {"a\nb\r\nc\nd", "a\r\nb\r\nc\nd", 1},  // stops at the first LF that has its CR
        {"\r\n", "\r\n", 0},
        {"\n\n", "\r\n\r\n", 0},
        {"a\r\n\nb\n", "a\r\n\nb\n", 0},
        {"\x81\nA\n", "\x81\nA\r\n", 0},  // the LF is the second byte of a character
        {"表\n", "表\r\n", 0},            // trail byte 0x5C
        {"end\x82", "end\x82", 1},        // lone lead byte at the end
        {std::string(255, '\n'),
         [] {  // the worst case of a short text
             std::string s;
             for (int i = 0; i < 255; ++i) s += "\r\n";
             return s;
         }(),
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::filesystem::remove(LogPath());
        LogStart();
        mirrored.clear();
        LogWrite(c.text.c_str());
        EXPECT_EQ(mirrored, c.written);
        EXPECT_EQ(AppLogState.lineOpen, c.lineOpen);
        std::string log = ReadLog();
        EXPECT_EQ(log.substr(log.find(':') + 1), c.written);
    }
}

TEST_F(AppLogTest, EmptyTextStampsTheLineAndLeavesItOpen)
{
    LogStart();
    LogIndent();
    LogWrite("");
    EXPECT_EQ(AppLogState.lineOpen, 1);
    LogWrite("x\n");
    EXPECT_EQ(ReadLogWithoutStamps(), "\tx\r\n");
}

TEST_F(AppLogTest, IndentationLimits)
{
    LogStart();
    LogUnindent();
    EXPECT_EQ(AppLogState.depth, 0);
    AppLogState.depth = 600;
    LogWrite("deep\n");
    EXPECT_EQ(mirrored, std::string(511, '\t') + "deep\r\n");
    EXPECT_EQ(ReadLogWithoutStamps(), std::string(511, '\t') + "deep\r\n");
}

TEST_F(AppLogTest, LongTextTakesOneTrackedBlockForTheCall)
{
    LogStart();
    static int32_t countDuringWrite;
    SetDebugOutputSink([](const char* bytes, size_t length) {
        countDuringWrite = TrackedAllocationCount();
        mirrored.append(bytes, length);
    });
    std::string text = std::string(299, 'x') + "\n";
    uint16_t idBefore = TrackedAllocState.nextId;
    LogWrite(text.c_str());
    EXPECT_EQ(countDuringWrite, 1);
    EXPECT_EQ(TrackedAllocationCount(), 0);
    EXPECT_EQ(TrackedAllocationBytes(), 0);
    EXPECT_EQ(uint16_t(TrackedAllocState.nextId - idBefore), 1);
    EXPECT_EQ(ReadLogWithoutStamps(), std::string(299, 'x') + "\r\n");
}

TEST_F(AppLogTest, LongTextIsWrittenWholeWhenItsBufferCannotBeHad)
{
    LogStart();
    std::string text, written;
    for (int i = 0; i < 200; ++i) {
        text += "行\n";
        written += "行\r\n";
    }
    text += "a\r\nb\nc";  // conversion stops here, in a later piece
    written += "a\r\nb\nc";
    TrackedAllocState.failHeapRequests = 1;
    LogWrite(text.c_str());
    EXPECT_EQ(mirrored.substr(mirrored.size() - written.size()), written);
    std::string log = ReadLog();
    EXPECT_NE(log.find("Alloc memory dump"), std::string::npos);  // the allocator's report comes first
    EXPECT_EQ(log.substr(log.size() - written.size()), written);
    EXPECT_EQ(AppLogState.lineOpen, 1);
    EXPECT_EQ(TrackedAllocationCount(), 0);
}

TEST_F(AppLogTest, FormattedTextIsCutToItsBuffer)
{
    LogStart();
    struct Case {
        std::string argument;
        std::string line;
    };
    const Case cases[] = {
        {"%d", "%d\r\n"},
        {std::string(2000, 'a'), std::string(1022, 'a') + "\r\n"},
        {std::string(1021, 'a') + "あ", std::string(1021, 'a') + "\r\n"},  // no half character
        {std::string(1020, 'a') + "あ", std::string(1020, 'a') + "あ\r\n"},
    };
    for (const Case& c : cases) {
        mirrored.clear();
        LogWriteFormat("%s", c.argument.c_str());
        EXPECT_EQ(mirrored, c.line);
    }
}

TEST_F(AppLogTest, FormatUsesPrintfConversions)
{
    LogStart();
    LogWriteFormat("%s:%d %x %.3f", "名前", -3, 255u, 0.0977);
    EXPECT_EQ(mirrored, "名前:-3 ff 0.098\r\n");
}

TEST_F(AppLogTest, NetworkErrorCarriesTheSocketError)
{
    LogStart();
    errno = 104;
    EXPECT_EQ(LogNetworkError("接続 %d 失敗", 7), -1);
    EXPECT_EQ(mirrored, "ネットワークログ。接続 7 失敗[104]\r\n");

    mirrored.clear();
    errno = 5;
    LogNetworkError("%s", std::string(3000, 'z').c_str());
    // The whole line is cut to the buffer; the error number falls off its end.
    EXPECT_EQ(mirrored, "ネットワークログ。" + std::string(1022 - 18, 'z') + "\r\n");
}

TEST_F(AppLogTest, UnopenableLogLosesTheTextOnly)
{
    LogStart();
    LogWrite("open line ");
    std::string before = ReadLog();

    SystemFile holder = OpenSystemFile(LogPath().c_str(), FileOpenMode::Append, true);
    ASSERT_NE(holder, kNoSystemFile);
    EXPECT_EQ(LogWrite("lost\n"), -1);
    CloseSystemFile(holder);
    EXPECT_EQ(AppLogState.lineOpen, 1);

    UseFolder((folder / "missing").string());
    EXPECT_EQ(LogWrite("lost\n"), -1);
    EXPECT_EQ(AppLogState.lineOpen, 1);

    EXPECT_EQ(ReadLog(), before);
    EXPECT_EQ(mirrored, "open line ");
}

TEST_F(AppLogTest, SwitchedOnAfterStartAppendsToTheExistingLog)
{
    WriteFile(LogPath(), "kept\r\n");
    SetLogEnabled(0);
    LogStart();
    SetLogEnabled(1);
    LogWrite("later\n");
    std::string log = ReadLog();
    ASSERT_EQ(log.substr(0, 6), "kept\r\n");
    EXPECT_EQ(log.substr(log.find(':', 6)), ":later\r\n");
}

TEST_F(AppLogTest, PathSeparator)
{
    struct Case {
        std::string folderName;  // under the test's folder
        std::string given;       // as the log's folder is set
    };
    // The folder is the system's own: a "\\" in it belongs to a name and is kept.
    const Case cases[] = {
        {"plain", "plain"},
        {"back\\slash", "back\\slash"},
        {"ends\\", "ends\\"},
        {"表", "表"},  // ends in a trail byte 0x5C
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        std::filesystem::path sub = folder / c.folderName;
        std::filesystem::create_directories(sub);
        UseFolder(folder.string() + "/" + c.given);
        LogStart();
        LogWrite("here\n");
        EXPECT_NE(ReadFile(sub / "Log.txt").find("here\r\n"), std::string::npos);
    }
}

// The layer's lines in English, the game's as written; the failure a line reports in English.
TEST_F(AppLogTest, EnglishWritesTheTableTextsAndLeavesTheGamesAlone)
{
    LogStart();
    ASSERT_EQ(SetLogInEnglish(1), 0);
    ClearLastFailure();
    LogWrite("ファイルのオープンに失敗しました\n");
    LogWriteFormat("レンダラーは %s です", "llvmpipe");  // the format's line ends the line
    (LogWrite)("ゲームの行\n");
    LogWrite("not a text of the table\n");
    EXPECT_EQ(ReadLogWithoutStamps(),
              "Could not open the file\r\nRenderer: llvmpipe\r\nゲームの行\r\nnot a text of the table\r\n");
    char text[64];
    EXPECT_EQ(GetLastFailure(text, sizeof text), FAILURE_NO_SUCH_FILE);
    EXPECT_STREQ(text, "Could not open the file");
    ClearLastFailure();
}

// UTF-8 is converted after the line ends: cut at characters, never inside one, however long.
TEST_F(AppLogTest, Utf8WritesEveryTextConverted)
{
    const auto utf8 = [](const char8_t* text) { return std::string(reinterpret_cast<const char*>(text)); };
    struct Case {
        const char* what;
        std::string cp932;  // written by the game
        std::string expected;
    };
    std::string kana, kanaUtf8, kanji, kanjiUtf8;
    for (int i = 0; i < 300; ++i) {
        kana += "ｱ";  // one byte that becomes three
        kanaUtf8 += utf8(u8"ｱ");
        kanji += "漢";
        kanjiUtf8 += utf8(u8"漢");
    }
    const Case cases[] = {
        {"short", "テキスト\n", utf8(u8"テキスト") + "\r\n"},
        {"one-byte kana past a piece", kana + "\n", kanaUtf8 + "\r\n"},
        {"two-byte characters past a piece", kanji + "\n", kanjiUtf8 + "\r\n"},
        {"ASCII", "plain\n", "plain\r\n"},
    };
    ASSERT_EQ(SetLogInUtf8(1), 0);
    for (const Case& c : cases) {
        LogStart();
        (LogWrite)(c.cp932.c_str());
        EXPECT_EQ(ReadLogWithoutStamps(), c.expected) << c.what;
    }
}

TEST_F(AppLogTest, StandardErrorGetsTheLinesWithOrWithoutTheFile)
{
    ASSERT_EQ(SetLogToStandardError(1), 0);
    std::fflush(stderr);
    const std::filesystem::path captured = folder / "stderr.txt";
    const int saved = dup(STDERR_FILENO);
    const int file = open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    dup2(file, STDERR_FILENO);
    close(file);
    LogStart();
    LogIndent();
    LogWrite("with the file\n");
    LogUnindent();
    SetLogEnabled(0);
    UseFolder("");  // no file at all, as before start-up
    LogWrite("without it\n");
    dup2(saved, STDERR_FILENO);
    close(saved);
    EXPECT_EQ(ReadFile(captured), "\twith the file\r\nwithout it\r\n");
    EXPECT_EQ(ReadLogWithoutStamps(), "\twith the file\r\n");
}
