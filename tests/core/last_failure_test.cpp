// GetLastFailure: each kind of failure from the public operations, the log's line as the
// text, and what a success, another thread and the texts' encoding do to it.
#include "core/last_failure.h"
#include "core/text_encoding.h"
#include "core/tracked_memory.h"
#include "platform/system/service_faults.h"
#include "rorodiv.h"
#include "window/media_layer_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace ror;

namespace {

struct FailingCall {
    const char* what;
    std::function<int()> call;  // returns what the operation returned
    int kind;
    const char* text;  // a part of the text (cp932)
};

std::string FailureText(int* kind = nullptr)
{
    char text[600];
    const int k = GetLastFailure(text, sizeof text);
    if (kind != nullptr) *kind = k;
    return text;
}

// A WAV header that ends before its data.
const uint8_t kCutWav[] = {'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0};
const uint8_t kNoPicture[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

class LastFailureTest : public MediaLayerTest {
protected:
    void SetUp() override
    {
        MediaLayerTest::SetUp();
        ClearLastFailure();
    }
    void TearDown() override
    {
        ClearServiceFaultsForTest();
        TrackedAllocState.failNthRequest = 0;
        TextEncoding.utf8 = 0;
        MediaLayerTest::TearDown();
        ClearLastFailure();
    }

    static void ExpectEach(const std::vector<FailingCall>& calls)
    {
        for (const FailingCall& c : calls) {
            ClearLastFailure();
            EXPECT_EQ(c.call(), -1) << c.what;
            int kind = 0;
            const std::string text = FailureText(&kind);
            EXPECT_EQ(kind, c.kind) << c.what << ": " << text;
            EXPECT_NE(text.find(c.text), std::string::npos) << c.what << ": \"" << text << "\"";
        }
    }
};

TEST_F(LastFailureTest, EachKindBeforeStartUp)
{
    char buffer[64];
    int red = 0;
    ExpectEach({
        {"PresentScreen", [] { return PresentScreen(); }, FAILURE_NOT_STARTED, "PresentScreen: "},
        {"GetRendererName", [&] { return GetRendererName(buffer, 64); }, FAILURE_NOT_STARTED, "GetRendererName: "},
        {"PauseMusic", [] { return PauseMusic(); }, FAILURE_NOT_STARTED, "PauseMusic: "},
        {"SetScreenMode no width", [] { return SetScreenMode(0, 480, 32, 60); }, FAILURE_BAD_ARGUMENT,
         "SetScreenMode: "},
        // A failure the log notes: its line, without the line end.
        {"SetScreenMode too wide", [] { return SetScreenMode(100000, 480, 32, 60); }, FAILURE_BAD_ARGUMENT,
         "画面サイズ 100000 x 480 は大きすぎるため設定できません"},
        {"UnpackColor", [&] { return UnpackColor(0, &red, nullptr, nullptr); }, FAILURE_BAD_ARGUMENT, "UnpackColor: "},
        {"SetArchiveExtension", [] { return SetArchiveExtension("a/b"); }, FAILURE_BAD_ARGUMENT,
         "SetArchiveExtension: "},
        {"LogWrite", [] { return (LogWrite)(nullptr); }, FAILURE_BAD_ARGUMENT, "LogWrite: "},
        {"GetGraphicSize", [] { return GetGraphicSize(12345, nullptr, nullptr); }, FAILURE_BAD_ARGUMENT,
         "GetGraphicSize: ハンドル 12345 "},
        {"DeleteSound", [] { return DeleteSound(-1); }, FAILURE_BAD_ARGUMENT, "DeleteSound: ハンドル -1 "},
        {"FileOpen", [] { return FileOpen("no_such_file.txt", 0, 0, 0) == 0 ? -1 : 0; }, FAILURE_NO_SUCH_FILE,
         "no_such_file.txt"},
        {"LoadGraphic", [] { return LoadGraphic("no_such_picture.png"); }, FAILURE_NO_SUCH_FILE, "no_such_picture.png"},
        {"LoadSound", [] { return LoadSound("no_such_sound.wav"); }, FAILURE_NO_SUCH_FILE, "no_such_sound.wav"},
        {"LoadFontFile", [] { return LoadFontFile("no_such_font.ttf"); }, FAILURE_NO_SUCH_FILE,
         "フォントファイルを開けませんでした"},
        {"LoadGraphicFromMemory", [] { return LoadGraphicFromMemory(kNoPicture, sizeof kNoPicture); },
         FAILURE_DAMAGED_DATA, "LoadGraphicFromMemory: "},
        {"LoadSoundFromMemory", [] { return LoadSoundFromMemory(kCutWav, sizeof kCutWav); }, FAILURE_DAMAGED_DATA,
         "WAV"},
    });
}

TEST_F(LastFailureTest, EachKindAfterStartUp)
{
    ASSERT_EQ(Start(), 0);
    ExpectEach({
        {"PutGraphic", [] { return PutGraphic(0, 0, -1, 0); }, FAILURE_BAD_ARGUMENT, "PutGraphic: ハンドル -1 "},
        {"CreateBlankGraphic", [] { return CreateBlankGraphic(0, 5); }, FAILURE_BAD_ARGUMENT, "CreateBlankGraphic: "},
        {"PlaySound", [] { return PlaySound(-1, SOUND_PLAY_BACK); }, FAILURE_BAD_ARGUMENT, "PlaySound: "},
        {"SetDrawTarget", [] { return SetDrawTarget(777); }, FAILURE_BAD_ARGUMENT, "SetDrawTarget: "},
        {"SetUseHardware", [] { return SetUseHardware(1); }, FAILURE_NOT_STARTED, "SetUseHardware: "},
        {"SetAllowSecondCopy", [] { return SetAllowSecondCopy(1); }, FAILURE_NOT_STARTED, "SetAllowSecondCopy: "},
        {"CreateBlankGraphic out of memory",
         [] {
             TrackedAllocState.failNthRequest = 2;  // the picture's record; the first is the handle's
             return CreateBlankGraphic(16, 16);
         },
         FAILURE_OUT_OF_MEMORY, ""},
    });
}

// A step of start-up that the system refuses: the log's line for it.
TEST_F(LastFailureTest, StartUpRefusedByTheWindowSystem)
{
    // On the software path the main window is the first window start-up makes (no GL probe).
    SetUseHardware(0);
    FailServiceCallForTest(PlatformService::Window, 1);
    const int started = Start();
    SetUseHardware(1);
    ASSERT_EQ(started, -1);
    int kind = 0;
    const std::string text = FailureText(&kind);
    EXPECT_EQ(kind, FAILURE_DEVICE);
    EXPECT_EQ(text.rfind("ウインドウの作成に失敗しました", 0), 0u) << text;
}

TEST_F(LastFailureTest, SuccessKeepsItAndEachThreadHasItsOwn)
{
    EXPECT_EQ(GetLastFailure(nullptr, 0), FAILURE_NONE);
    EXPECT_EQ(SetArchiveExtension(""), -1);
    EXPECT_EQ(SetArchiveExtension("dat"), 0);
    EXPECT_EQ(GetLastFailure(nullptr, 0), FAILURE_BAD_ARGUMENT);
    int other = -1;
    std::string otherText = "unset";
    std::thread([&] {
        other = GetLastFailure(nullptr, 0);
        otherText = FailureText();
    }).join();
    EXPECT_EQ(other, FAILURE_NONE);
    EXPECT_EQ(otherText, "");
    SetArchiveExtension("zaz");
}

TEST_F(LastFailureTest, TextIsCutAtACharacterAndFollowsTheTextEncoding)
{
    SetScreenMode(100000, 480, 32, 60);
    char small[6];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(GetLastFailure(small, sizeof small), FAILURE_BAD_ARGUMENT);
    EXPECT_STREQ(small, "画面");  // 4 bytes: the third character would not fit whole
    EXPECT_EQ(GetLastFailure(small, 0), FAILURE_BAD_ARGUMENT);
    TextEncoding.utf8 = 1;
    // u8 literals stay UTF-8 whatever the execution character set.
    const char8_t* utf8 = u8"画面サイズ 100000 x 480 は大きすぎるため設定できません";
    EXPECT_EQ(FailureText(), reinterpret_cast<const char*>(utf8));
}

}  // namespace
