// Sound device set-up and shutdown, read back from the log line by line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/app_log.h"
#include "core/log_folder.h"
#include "core/log_lines.h"
#include "core/tracked_memory.h"
#include "platform/audio/audio_device.h"
#include "platform/system/clock.h"
#include "sound/sound_device.h"
#include "sound/sound_device_ops.h"

using namespace ror;

namespace fs = std::filesystem;

namespace {

class SoundDeviceTest : public LogFolderTest {
protected:
    void SetUp() override
    {
        LogFolderTest::SetUp();
        LogStart();
        setenv("SDL_DISKAUDIOFILE", (folder / "output.raw").c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        allocationsBefore = TrackedAllocationCount();
    }

    void TearDown() override
    {
        SoundEnd();
        SoundState.ops = nullptr;
        LogFolderTest::TearDown();
    }

    // The log's lines with each time stamp replaced by "T", so that they compare exactly.
    Lines LogLines() const
    {
        const std::string text = ReadLog();
        EXPECT_TRUE(text.empty() || text.ends_with("\r\n")) << "the log ends in an open line";
        return LinesWithoutStamps(text);
    }

    int32_t allocationsBefore = 0;
};

Lines Concat(std::initializer_list<Lines> parts)
{
    Lines all;
    for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Lines kOpening = {
    "T:DirectSound の初期化を行います",
    "T:DirectSound インターフェースの取得を行います....  成功",
    "T:引き続きインターフェースの初期化処理...  成功",
};

// The device report of an ordinary stereo 16-bit output with one listed device.
Lines Report(const std::string& firstLine, const std::string& module)
{
    char device[160];
    std::snprintf(device, sizeof device, "T:\t\tモジュール名:%15s  ドライバ記述:%s ", module.c_str(),
                  "System audio output device");
    return {
        firstLine,
        device,
        "T:\t最大サンプリングレート:48.00KHz 最小サンプリングレート:8.00KHz ",
        "T:\t総サウンドメモリ領域:0.00KB 空きサウンドメモリ領域:0.00KB ",
        "",
        "T:\t利用可能サンプリング精度",
        "T:\t プライマリ １６bit = OK  ８bit = OK ",
        "T:\t セカンダリ １６bit = OK  ８bit = OK ",
        "",
        "T:\t利用可能チャンネル",
        "T:\t プライマリ MONO = OK  STEREO = OK ",
        "T:\t セカンダリ MONO = OK  STEREO = OK ",
        "",
    };
}

const char kListingLine[] = "T:\tDirectSound デバイスを列挙します";
const char kStarted[] = "T:DirectSound の初期化は正常に終了しました";
const char kEnded[] = "T:DirectSound の終了処理は正常に終了しました";

TEST_F(SoundDeviceTest, StartAndEndWithTheDummyAndDiskDriversLogTheFullReport)
{
    for (const char* driver : {"dummy", "disk"}) {
        SCOPED_TRACE(driver);
        LogStart();
        setenv("SDL_AUDIODRIVER", driver, 1);
        ASSERT_EQ(SoundStart(), 0);
        EXPECT_STREQ(CurrentAudioDriver(), driver);
        EXPECT_EQ(SoundStart(), -1) << "a second start while running";
        ASSERT_EQ(SoundEnd(), 0);
        EXPECT_EQ(CurrentAudioDriver(), nullptr);
        EXPECT_EQ(LogLines(), Concat({kOpening, Report(kListingLine, driver), {kStarted, kEnded}}));
        EXPECT_EQ(AppLogState.depth, 0);
        EXPECT_EQ(TrackedAllocationCount(), allocationsBefore);
    }
}

TEST_F(SoundDeviceTest, EndWithoutADeviceFailsAndWritesNothing)
{
    EXPECT_EQ(SoundEnd(), -1);
    EXPECT_EQ(ReadLog(), "");
}

TEST_F(SoundDeviceTest, FallsBackToTheDummyDriverWhenNoDriverOpens)
{
    // A driver name that names nothing, and one that starts here without a device to open.
    for (const char* driver : {"no-such-driver", "pulseaudio", "alsa"}) {
        SCOPED_TRACE(driver);
        setenv("SDL_AUDIODRIVER", driver, 1);
        ASSERT_EQ(SoundStart(), 0);
        AudioFormat format{};
        EXPECT_EQ(ReadAudioOutputFormat(&format), 0);
        const std::string inUse = CurrentAudioDriver();
        EXPECT_TRUE(inUse == "dummy" || inUse == driver) << inUse;
        EXPECT_EQ(SoundEnd(), 0);
    }
}

TEST_F(SoundDeviceTest, SilenceReachesTheDevice)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    ASSERT_EQ(SoundStart(), 0);
    // The disk driver writes in real time: wait, bounded, until some output has gone out.
    const fs::path output = folder / "output.raw";
    for (int tries = 0; tries < 500; ++tries) {
        std::error_code error;
        if (AudioFramesMixed() > 0 && fs::file_size(output, error) >= 4096) break;
        SystemSleep(10);
    }
    EXPECT_GT(AudioFramesMixed(), 0);
    ASSERT_EQ(SoundEnd(), 0);
    const std::string samples = ReadFile(output);
    ASSERT_GE(samples.size(), 4096u);
    EXPECT_EQ(samples.find_first_not_of('\0'), std::string::npos);
}

// What the test device reports in place of the real one.
AudioCapabilities ReportedCapabilities;

int ReadReportedCapabilities(AudioCapabilities* capabilities)
{
    *capabilities = ReportedCapabilities;
    return 0;
}

TEST_F(SoundDeviceTest, PrimaryFormatFollowsTheCapabilities)
{
    constexpr uint32_t kAll = 0xF0F;
    struct Case {
        const char* name;
        AudioCapabilities reported;
        AudioFormat expected;
    };
    const Case cases[] = {
        {"48000 Hz is held to 44100", {kAll, 8000, 48000, 0, 0}, {2, 44100, 16}},
        {"22050 Hz", {kAll, 8000, 22050, 0, 0}, {2, 22050, 16}},
        {"no primary stereo", {kAll & ~kAudioPrimaryStereo, 8000, 44100, 0, 0}, {1, 44100, 16}},
        {"no primary 16-bit", {kAll & ~kAudioPrimary16Bit, 8000, 44100, 0, 0}, {2, 44100, 8}},
        {"neither", {kAudioPrimaryMono | kAudioPrimary8Bit, 4000, 11025, 0, 0}, {1, 11025, 8}},
        // A format the output cannot take leaves it running in the one it had.
        {"no rate at all", {kAll, 0, 0, 0, 0}, {2, 44100, 16}},
    };
    SoundDeviceOps ops = PlatformSoundDeviceOps;
    ops.readCapabilities = ReadReportedCapabilities;
    SoundState.ops = &ops;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReportedCapabilities = c.reported;
        ASSERT_EQ(SoundStart(), 0);
        AudioFormat opened{};
        ASSERT_EQ(ReadAudioOutputFormat(&opened), 0);
        EXPECT_EQ(opened.channels, c.expected.channels);
        EXPECT_EQ(opened.rate, c.expected.rate);
        EXPECT_EQ(opened.bits, c.expected.bits);
        ASSERT_EQ(SoundEnd(), 0);
    }
    // The report shows what the device said.
    const Lines lines = LogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "T:\t最大サンプリングレート:11.03KHz 最小サンプリングレート:4.00KHz "),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "T:\t プライマリ MONO = OK  STEREO = NO "), lines.end());
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "T:DirectSoundのプライマリサウンドバッファのフォーマット設定に失敗しました"),
              1);
}

TEST_F(SoundDeviceTest, FailuresReleaseWhatWasCreatedOrOnlyShortenTheReport)
{
    const Lines opening = {kOpening[0], kOpening[1]};
    const std::string device = Report(kListingLine, "dummy")[1];
    struct Case {
        const char* name;
        void (*breakOp)(SoundDeviceOps&);
        int result;
        Lines lines;
    };
    const Case cases[] = {
        {"device",
         [](SoundDeviceOps& o) { o.createDevice = [] { return -1; }; },
         -1,
         {kOpening[0], "T:DirectSound インターフェースの取得を行います....  "
                       "DirectSoundインターフェースの作成に失敗しました"}},
        {"initialize",
         [](SoundDeviceOps& o) { o.initializeDevice = [] { return -1; }; },
         -1,
         {kOpening[0], kOpening[1], "T:引き続きインターフェースの初期化処理...  初期化に失敗しました"}},
        {"priority level", [](SoundDeviceOps& o) { o.setPriorityLevel = [] { return -1; }; }, -1,
         Concat({kOpening, {"T:DirectSoundの協調レベルの設定に失敗しました"}})},
        {"primary", [](SoundDeviceOps& o) { o.createPrimary = [] { return -1; }; }, -1,
         Concat({kOpening, {"T:DirectSoundのプライマリサウンドバッファの作成に失敗しました"}})},
        {"format", [](SoundDeviceOps& o) { o.setPrimaryFormat = [](const AudioFormat&) { return -1; }; }, 0,
         Concat({kOpening,
                 {"T:DirectSoundのプライマリサウンドバッファのフォーマット設定に失敗しました"},
                 Report(kListingLine, "dummy"),
                 {kStarted, kEnded}})},
        {"silence", [](SoundDeviceOps& o) { o.createSilence = [](int32_t) -> int16_t* { return nullptr; }; }, 0,
         Concat({kOpening,
                 Report("T:無音バッファの作成に失敗しましたDirectSound デバイスを列挙します", "dummy"),
                 {kStarted, kEnded}})},
        {"silence lock", [](SoundDeviceOps& o) { o.lockSilence = [](int16_t*, int32_t) -> void* { return nullptr; }; },
         0,
         Concat({kOpening,
                 Report("T:無音バッファのロックに失敗しましたDirectSound デバイスを列挙します", "dummy"),
                 {kStarted, kEnded}})},
        {"device list", [](SoundDeviceOps& o) { o.loadDeviceList = [] { return -1; }; }, 0,
         Concat({kOpening, {kListingLine, "T:\t\tDSOUND.DLL のロードに失敗しました", kStarted, kEnded}})},
        {"lister", [](SoundDeviceOps& o) { o.findDeviceLister = [] { return -1; }; }, 0,
         Concat(
             {kOpening,
              {kListingLine, "T:\t\tDirectSound デバイスの列挙用関数のポインタ取得に失敗しました", kStarted, kEnded}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogStart();
        SoundDeviceOps ops = PlatformSoundDeviceOps;
        c.breakOp(ops);
        SoundState.ops = &ops;
        EXPECT_EQ(SoundStart(), c.result);
        if (c.result != 0) {
            EXPECT_EQ(CurrentAudioDriver(), nullptr) << "the device is released";
            EXPECT_EQ(SoundEnd(), -1);
        } else {
            EXPECT_EQ(SoundEnd(), 0);
        }
        EXPECT_EQ(LogLines(), c.lines);
        EXPECT_EQ(AppLogState.depth, 0);
        EXPECT_EQ(TrackedAllocationCount(), allocationsBefore);
        SoundState.ops = nullptr;
    }
}

}  // namespace
