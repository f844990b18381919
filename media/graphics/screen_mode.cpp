#include "graphics/screen_mode.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/core_state.h"
#include "core/fatal_exit.h"
#include "core/tracked_memory.h"
#include "graphics/blend_tables.h"
#include "graphics/device/device_ops.h"
#include "graphics/device/device_state.h"
#include "graphics/draw_ops.h"
#include "graphics/draw_state.h"
#include "graphics/graphic_handles.h"
#include "graphics/graphics.h"
#include "graphics/kept_graphics.h"
#include "image/image_limits.h"
#include "graphics/software/software_ops.h"
#include "graphics/window_link.h"
#include "platform/window_system/desktop.h"
#include "platform/window_system/screen_surface.h"
#include "text/font_handles.h"
#include "core/last_failure.h"

namespace ror {

ScreenSettingsRecord ScreenSettings;

namespace {

// A full-screen display change is in force and must be undone at release.
int32_t DisplayChanged;

struct DisplayModeList {
    DisplayModeEntry* entries;  // tracked block, built on first use
    int32_t count;
    int32_t built;
};
DisplayModeList ModeList;

void FreeDisplayModeList()
{
    TrackedFree(ModeList.entries);
    ModeList = DisplayModeList{};
}

void BuildDisplayModeList()
{
    if (ModeList.built) return;
    ModeList.built = 1;
    const int total = CountDisplayModes();
    if (total <= 0) return;
    ModeList.entries =
        static_cast<DisplayModeEntry*>(TrackedAlloc(int32_t(sizeof(DisplayModeEntry)) * total, __FILE__, __LINE__));
    if (ModeList.entries == nullptr) return;
    for (int i = 0; i < total; ++i) {
        DisplayModeEntry mode;
        if (PlatformDisplayMode(i, &mode) != 0) break;
        if (mode.bits > 15) ModeList.entries[ModeList.count++] = mode;
    }
}

int OpenDisplayPath()
{
    ScreenSettingsRecord& s = ScreenSettings;
    if (!VideoSystemReady()) return LogWrite("d3d9.dll の読み込みに失敗しました\n");
    if (CreateDirectDraw() != 0) return -1;
    s.hardwarePath = 0;
    if (!s.softwareOnly && HardwarePathDecided() && OpenDevicePath() == 0) {
        s.hardwarePath = 1;
        InstallDrawOps(&kDeviceDrawOps);
        return 0;
    }
    InstallDrawOps(&kSoftwareDrawOps);
    LogHardwarePathRefusal();
    LogWrite("ハードウエア描画は使用できないため、ソフトウエア描画を使用します\n");
    if (CoreState.Windowed) return 0;

    LogWriteFormat("画面モードの変更処理を開始します %u x %u  %u bit ", unsigned(s.width), unsigned(s.height),
                   unsigned(s.colorBits));
    LogIndent();
    if (s.colorBits != 16 && s.colorBits != 32) {
        LogUnindent();
        return -1;
    }
    LogWrite("画面解像度を変更します... ");
    bool done = SetFullscreenDisplayMode(s.width, s.height, s.colorBits, s.refreshRate) == 0;
    if (!done) {
        s.refreshRate = 0;
        done = SetFullscreenDisplayMode(s.width, s.height, s.colorBits, 0) == 0;
    }
    if (!done && s.width == 320 && s.height == 240) {
        s.width = 640;
        s.height = 480;
        s.emulate320 = 1;
        done = SetFullscreenDisplayMode(s.width, s.height, s.colorBits, 0) == 0;
        if (done && GraphicsNotices.fitWindow != nullptr) GraphicsNotices.fitWindow();
    }
    if (done) DisplayChanged = 1;
    if (!done) {
        LogWrite("画面モードの変更に失敗しました\n");
        LogUnindent();
        return -1;
    }
    LogWrite("成功しました\n");
    LogUnindent();
    return 0;
}

}  // namespace

int RestoreDisplayChange()
{
    if (DisplayChanged) RestoreDesktopDisplay();
    DisplayChanged = 0;
    return 0;
}

int ReapplyDisplayChange()
{
    const ScreenSettingsRecord& s = ScreenSettings;
    if (!s.graphicsReady || s.hardwarePath || CoreState.Windowed || DisplayChanged) return 0;
    if (SetFullscreenDisplayMode(s.width, s.height, s.colorBits, s.refreshRate) != 0) return -1;
    DisplayChanged = 1;
    return 0;
}

}  // namespace ror

using namespace ror;

int SetScreenMode(int width, int height, int colorBits, int refreshRate)
{
    if (width == 0 || height == 0) return FailedArgument(__func__);
    if (colorBits != 8 && colorBits != 16 && colorBits != 32) return FailedArgument(__func__);
    // Refused before the running mode is released: no display shows it.
    if (width < -1 || height < -1 || width > kMaxScreenSide || height > kMaxScreenSide)
        return LogWriteFormat("画面サイズ %d x %d は大きすぎるため設定できません\n", width, height);
    ScreenSettingsRecord& s = ScreenSettings;
    if (!CoreState.Started) {
        s.width = width;
        s.height = height;
        s.colorBits = colorBits;
        s.refreshRate = refreshRate;
        return 0;
    }
    const int before[4] = {s.width, s.height, s.colorBits, s.refreshRate};
    const uint32_t mark = FailureMark();
    ChangeScreenMode(width, height, colorBits, 0, refreshRate);
    if (s.width == width && s.height == height && s.colorBits == colorBits && s.refreshRate == refreshRate) return 0;
    if (s.width == before[0] && s.height == before[1] && s.colorBits == before[2] && s.refreshRate == before[3])
        return FailedSince(mark, FAILURE_DEVICE, __func__);
    if (s.width == 640 && s.height == 480 && s.colorBits == 16 && s.refreshRate == 0) return -2;
    return FailedSince(mark, FAILURE_DEVICE, __func__);
}

int SetKeepGraphicsAcrossModeChange(int keep)
{
    ScreenSettings.keepGraphics = keep != 0 ? 1 : 0;
    return 0;
}

int GetScreenSize(int* width, int* height)
{
    // A 320 x 240 screen that the display could only give as 640 x 480 is drawn at 320 x 240.
    if (ScreenSettings.emulate320) {
        if (width != nullptr) *width = 320;
        if (height != nullptr) *height = 240;
        return 0;
    }
    return RequestedScreenSize(width, height);
}

int SetUseHardware(int flag)
{
    if (CoreState.Started) return FailedAfterStart(__func__);
    ScreenSettings.softwareOnly = flag == 0 ? 1 : 0;
    return 0;
}

namespace ror {

int RequestedScreenSize(int* width, int* height)
{
    if (width != nullptr) *width = ScreenSettings.width != 0 ? ScreenSettings.width : 640;
    if (height != nullptr) *height = ScreenSettings.height != 0 ? ScreenSettings.height : 480;
    return 0;
}

int SetupGraphics()
{
    ScreenSettingsRecord& s = ScreenSettings;
    if (s.graphicsReady) return 0;
    ResetGraphicCounters();
    if (s.width == 0) s.width = 640;
    if (s.height == 0) s.height = 480;
    if (s.colorBits == 0) s.colorBits = 16;
    if (OpenDisplayPath() == -1) {
        ReleaseGraphics();
        return -1;
    }
    s.graphicsReady = 1;
    if (DrawOps.openScreen() != 0) FatalExit("プライマリサーフェス用の MEMIMG の作成に失敗しました\n");
    BuildBlendTables();
    ResetDrawState();
    InitFontSystem();
    return 0;
}

int ReleaseGraphics()
{
    ScreenSettingsRecord& s = ScreenSettings;
    if (!s.graphicsReady) return 0;
    StopFrontScreenTimer();
    EndFontSystem();
    DestroyAllGraphics();
    RestoreDisplayChange();
    DrawOps.releaseScreen();
    InstallDrawOps(nullptr);
    FreeDisplayModeList();
    s.graphicsReady = 0;
    return 0;
}

int ChangeScreenMode(int width, int height, int colorBits, int force, int refreshRate)
{
    ScreenSettingsRecord& s = ScreenSettings;
    if (width == -1) width = s.width;
    if (height == -1) height = s.height;
    if (colorBits == -1) colorBits = s.colorBits;
    if (refreshRate == -1) refreshRate = s.refreshRate;
    if (!force && width == s.width && height == s.height && colorBits == s.colorBits && refreshRate == s.refreshRate)
        return 0;
    LogWrite("画面モード変更処理を開始します\n");
    LogIndent();
    // Only the default font's size and thickness outlive the change.
    char fontFace[kFontFaceNameSize] = "";
    int fontSize = -1, fontThickness = -1;
    bool keepFont =
        s.graphicsReady && GetFontInfoOfHandle(fontFace, &fontSize, &fontThickness, QueryDefaultFont()) == 0;
    const int before[4] = {s.width, s.height, s.colorBits, s.refreshRate};
    KeptGraphics kept;
    const bool keeping = s.graphicsReady && s.keepGraphics;
    if (keeping) SetGraphicsAside(&kept);
    if (s.graphicsReady) ReleaseGraphics();
    auto setMode = [&](int w, int h, int bits, int rate) {
        s.width = w;
        s.height = h;
        s.colorBits = bits;
        s.refreshRate = rate;
    };
    setMode(width, height, colorBits, refreshRate);
    s.emulate320 = 0;
    int result = SetupGraphics();
    if (result != 0 && width == 320 && height == 240) {
        setMode(640, 480, colorBits, refreshRate);
        s.emulate320 = 1;
        result = SetupGraphics();
    }
    if (result != 0) {
        s.emulate320 = 0;
        setMode(before[0], before[1], before[2], before[3]);
        result = SetupGraphics();
        if (result != 0) {
            setMode(640, 480, 16, 0);
            if (SetupGraphics() != 0) FatalExit("予期せぬ画面モード変更不能現象が起きました2\n");
        }
    }
    if ((CoreState.Windowed || !s.hardwarePath) && GraphicsNotices.fitWindow != nullptr) GraphicsNotices.fitWindow();
    if (keepFont) SetDefaultFontSizeAndThickness(fontFace, fontSize, fontThickness);
    if (keeping) BringGraphicsBack(&kept);
    LogUnindent();
    LogWrite("画面モード変更処理は正常に終了しました\n");
    if (GraphicsNotices.pumpMessages != nullptr) GraphicsNotices.pumpMessages();
    return 0;
}

int DisplayModeCount()
{
    BuildDisplayModeList();
    return ModeList.count;
}

DisplayModeEntry DisplayModeAt(int index)
{
    BuildDisplayModeList();
    if (index < 0 || index >= ModeList.count) return DisplayModeEntry{-1, -1, -1, -1};
    return ModeList.entries[index];
}

}  // namespace ror
