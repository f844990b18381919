#include "sound/sound_device.h"
#include "rorodiv.h"

#include <algorithm>
#include <cstring>

#include "core/app_log.h"
#include "sound/midi_synth.h"
#include "sound/sound_device_ops.h"
#include "sound/sound_handles.h"
#include "sound/sound_mixer.h"
#include "sound/sound_plays.h"

namespace ror {

SoundDeviceState SoundState;

namespace {

// The silence block: 100 frames of 16-bit stereo. The mixer keeps the device running now;
// the block stays for the steps and report lines of the device's set-up.
constexpr int32_t kSilenceFrames = 100;
constexpr int32_t kSilenceBytes = kSilenceFrames * 4;

constexpr uint32_t kHighestPrimaryRate = 44100;

const SoundDeviceOps& Ops() { return SoundState.ops != nullptr ? *SoundState.ops : PlatformSoundDeviceOps; }

int FailAndReleaseDevice(const char* message)
{
    LogWrite(message);
    Ops().releaseDevice();
    SoundState.device = 0;
    return -1;
}

AudioFormat ChoosePrimaryFormat(const AudioCapabilities& capabilities)
{
    AudioFormat format{};
    format.channels = (capabilities.flags & kAudioPrimaryStereo) ? 2 : 1;
    format.rate = int32_t(std::min(capabilities.maxSecondaryRate, kHighestPrimaryRate));
    format.bits = (capabilities.flags & kAudioPrimary16Bit) ? 16 : 8;
    return format;
}

void SetPrimaryFormat()
{
    AudioCapabilities capabilities{};
    if (Ops().readCapabilities(&capabilities) == 0) {
        SoundState.primaryFormat = ChoosePrimaryFormat(capabilities);
        if (Ops().setPrimaryFormat(SoundState.primaryFormat) == 0) return;
    }
    LogWrite("DirectSoundのプライマリサウンドバッファのフォーマット設定に失敗しました\n");
}

void StartSilence()
{
    SoundState.silence = Ops().createSilence(kSilenceBytes);
    if (SoundState.silence == nullptr) {
        LogWrite("無音バッファの作成に失敗しました");
        return;
    }
    void* bytes = Ops().lockSilence(SoundState.silence, kSilenceBytes);
    if (bytes == nullptr) {
        LogWrite("無音バッファのロックに失敗しました");
        Ops().releaseSilence(SoundState.silence);
        SoundState.silence = nullptr;
        return;
    }
    std::memset(bytes, 0, kSilenceBytes);
    Ops().unlockSilence(SoundState.silence);
}

void StartMixer()
{
    SoundMixer = SoundMixerState{};
    int32_t rate = 0;
    if (Ops().startMixer(&rate) != 0) return;
    SoundMixer.outputRate = rate;
    SetMidiRenderRate(rate);  // MIDI pieces render at the device's rate: no resampling
    StartStreamThread();
}

const char* OkOrNo(uint32_t flags, uint32_t flag) { return (flags & flag) ? "OK" : "NO"; }

void LogDevice(const char* module, const char* description)
{
    LogWriteFormat("モジュール名:%15s  ドライバ記述:%s ", module, description);
}

void LogCapabilities(const AudioCapabilities& caps)
{
    LogWriteFormat("最大サンプリングレート:%.2fKHz 最小サンプリングレート:%.2fKHz ", caps.maxSecondaryRate / 1000.0,
                   caps.minSecondaryRate / 1000.0);
    LogWriteFormat("総サウンドメモリ領域:%.2fKB 空きサウンドメモリ領域:%.2fKB \n", caps.totalHardwareBytes / 1024.0,
                   caps.freeHardwareBytes / 1024.0);
    LogWrite("利用可能サンプリング精度\n");
    LogWriteFormat(" プライマリ １６bit = %s  ８bit = %s ", OkOrNo(caps.flags, kAudioPrimary16Bit),
                   OkOrNo(caps.flags, kAudioPrimary8Bit));
    LogWriteFormat(" セカンダリ １６bit = %s  ８bit = %s \n", OkOrNo(caps.flags, kAudioSecondary16Bit),
                   OkOrNo(caps.flags, kAudioSecondary8Bit));
    LogWrite("利用可能チャンネル\n");
    LogWriteFormat(" プライマリ MONO = %s  STEREO = %s ", OkOrNo(caps.flags, kAudioPrimaryMono),
                   OkOrNo(caps.flags, kAudioPrimaryStereo));
    LogWriteFormat(" セカンダリ MONO = %s  STEREO = %s \n", OkOrNo(caps.flags, kAudioSecondaryMono),
                   OkOrNo(caps.flags, kAudioSecondaryStereo));
}

// Device list at one level deeper than the capabilities; a failure only shortens it.
void ReportDevice()
{
    int indents = 0;
    LogIndent();
    ++indents;
    AudioCapabilities capabilities{};
    Ops().readCapabilities(&capabilities);
    LogWrite("DirectSound デバイスを列挙します\n");
    LogIndent();
    ++indents;
    if (Ops().loadDeviceList() != 0) {
        LogWrite("DSOUND.DLL のロードに失敗しました\n");
    } else if (Ops().findDeviceLister() != 0) {
        Ops().unloadDeviceList();
        LogWrite("DirectSound デバイスの列挙用関数のポインタ取得に失敗しました\n");
    } else {
        Ops().listDevices(LogDevice);
        LogUnindent();
        --indents;
        LogCapabilities(capabilities);
        Ops().unloadDeviceList();
    }
    for (; indents > 0; --indents) LogUnindent();
}

}  // namespace

int SoundStart()
{
    if (SoundState.device != 0) return -1;

    LogWrite("DirectSound の初期化を行います\n");
    LogWrite("DirectSound インターフェースの取得を行います....  ");
    if (Ops().createDevice() != 0) {
        SoundState.device = 0;
        return LogWrite("DirectSoundインターフェースの作成に失敗しました\n");
    }
    SoundState.device = 1;
    LogWrite("成功\n");
    LogWrite("引き続きインターフェースの初期化処理...  ");
    if (Ops().initializeDevice() != 0) return FailAndReleaseDevice("初期化に失敗しました\n");
    LogWrite("成功\n");
    if (Ops().setPriorityLevel() != 0) return FailAndReleaseDevice("DirectSoundの協調レベルの設定に失敗しました\n");
    if (Ops().createPrimary() != 0)
        return FailAndReleaseDevice("DirectSoundのプライマリサウンドバッファの作成に失敗しました\n");
    SoundState.primary = 1;

    SetPrimaryFormat();
    StartSilence();
    StartMixer();
    ReportDevice();

    LogWrite("DirectSound の初期化は正常に終了しました\n");
    DeleteAllSoundHandles();
    return 0;
}

int SoundEnd()
{
    // Sounds may be loaded without a device: they go in either case.
    DeleteAllSoundHandles();
    DeleteAllMusicHandles();
    ClearPlays();
    ReleaseMidiSynths();
    if (SoundState.device == 0) return -1;
    StopVoicesOf(-1);
    StopStreamThread();
    Ops().stopMixer();
    SoundMixer.outputRate = 0;
    SetMidiRenderRate(0);
    if (SoundState.primary != 0) {
        Ops().releasePrimary();
        SoundState.primary = 0;
    }
    if (SoundState.silence != nullptr) {
        Ops().releaseSilence(SoundState.silence);
        SoundState.silence = nullptr;
    }
    Ops().releaseDevice();
    SoundState.device = 0;
    LogWrite("DirectSound の終了処理は正常に終了しました\n");
    return 0;
}

}  // namespace ror

using namespace ror;

int64_t GetSoundUnderrunCount()
{
    LockAudioOutput();
    const int64_t underruns = SoundMixer.underruns;
    UnlockAudioOutput();
    return underruns;
}

int GetSoundDeviceFormat(int* rate, int* channels, int* sampleType, int* bufferFrames)
{
    AudioFormat format{};
    if (SoundState.device == 0 || ReadAudioOutputFormat(&format) != 0) return -1;
    if (rate != nullptr) *rate = format.rate;
    if (channels != nullptr) *channels = format.channels;
    if (sampleType != nullptr) *sampleType = format.bits == 8 ? SOUND_SAMPLE_UNSIGNED_8 : SOUND_SAMPLE_SIGNED_16;
    if (bufferFrames != nullptr) *bufferFrames = AudioOutputBufferFrames();
    return 0;
}
