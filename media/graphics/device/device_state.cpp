#include "graphics/device/device_state.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/core_state.h"
#include "graphics/device/device_draw_state.h"
#include "graphics/device/shader_pack.h"
#include "graphics/device/vertex_batch.h"
#include "graphics/draw_state.h"
#include "graphics/window_link.h"
#include "graphics/screen_mode.h"

#include <cstring>

namespace ror {

DeviceStateRecord DeviceState;

namespace {

enum HardwareRefusal : int32_t { kRefusedNone, kRefusedNoLibrary, kRefusedNoContext, kRefusedCpuRasteriser };

struct DeviceDecisionRecord {
    int32_t decided;    // 1 when the last decision took the hardware path
    int32_t probeMade;  // a context could be made
    int32_t acceptCpu;  // SetAcceptCpuRasteriser
    int32_t es;
    int32_t cpu;
    int32_t refusal;     // why the last decision passed the GL over (kRefused...)
    char renderer[128];  // the renderer passed over
};
DeviceDecisionRecord Decision;

struct FormatName {
    int32_t code;
    const char* label;
};
constexpr FormatName kFormatNames[] = {
    {kFormatR8G8B8, "D3DFMT_R8G8B8"},     {kFormatA8R8G8B8, "D3DFMT_A8R8G8B8"}, {kFormatX8R8G8B8, "D3DFMT_X8R8G8B8"},
    {kFormatR5G6B5, "D3DFMT_R5G6B5"},     {kFormatX1R5G5B5, "D3DFMT_X1R5G5B5"}, {kFormatA1R5G5B5, "D3DFMT_A1R5G5B5"},
    {kFormatA4R4G4B4, "D3DFMT_A4R4G4B4"}, {kFormatD16, "D3DFMT_D16"},           {kFormatD24X8, "D3DFMT_D24X8"},
    {kFormatD32, "D3DFMT_D32"},
};

// The context takes a texture of the format (CheckDeviceFormat's stand-in).
bool TextureFormatAccepted(int32_t format, int renderTarget)
{
    switch (format) {
    case kFormatDxt1:
    case kFormatDxt3:
    case kFormatDxt5: return !renderTarget && GlFormatSupported(GlFormatOf(format), 0);
    // GL's compressed formats have no premultiplied kind.
    case kFormatDxt2:
    case kFormatDxt4: return false;
    case kFormatA8R8G8B8:
    case kFormatX8R8G8B8:
    case kFormatR5G6B5:
    case kFormatX1R5G5B5:
    case kFormatA1R5G5B5:
    case kFormatA4R4G4B4: return GlFormatSupported(GlFormatOf(format), renderTarget) != 0;
    default: return false;
    }
}

struct PurposeRow {
    TexturePurpose purpose;
    int32_t candidates[3];
    const char* line;     // LogWriteFormat with the label
    const char* missing;  // LogWrite when none fits
    int fatal;            // creation fails when none fits
    int renderTarget;
};

// A render target in X1R5G5B5 is logged under the name its render-target label has.
const char* TargetLabel(int32_t format) { return format == kFormatX1R5G5B5 ? "D3DFMT_R5G5B5" : FormatLabel(format); }

int ChooseTextureFormats()
{
    DeviceStateRecord& d = DeviceState;
    const int32_t backBuffer16 = d.backBufferFormat == kFormatR5G6B5 ? kFormatR5G6B5 : kFormatX1R5G5B5;
    const int32_t other16 = backBuffer16 == kFormatR5G6B5 ? kFormatX1R5G5B5 : kFormatR5G6B5;
    const PurposeRow rows[] = {
        {kTexColor16,
         {kFormatR5G6B5, kFormatX1R5G5B5, 0},
         "16bit カラーフォーマットは %s です",
         "使用できる 16bit カラーフォーマットが見つかりませんでした\n",
         1,
         0},
        {kTexColor32, {kFormatX8R8G8B8, 0, 0}, "32bit カラーフォーマットは %s です", nullptr, 0, 0},
        {kTexAlpha16,
         {kFormatA4R4G4B4, kFormatA8R8G8B8, 0},
         "アルファ付き 16bit カラーフォーマットは %s です",
         "使用できるアルファ付き 16bit カラーフォーマットが見つかりませんでした\n",
         1,
         0},
        {kTexAlpha32,
         {kFormatA8R8G8B8, kFormatA4R4G4B4, 0},
         "アルファ付き 32bit カラーフォーマットは %s です",
         "使用できるアルファ付き 32bit カラーフォーマットが見つかりませんでした\n",
         1,
         0},
        {kTexAlphaTest16,
         {kFormatA1R5G5B5, kFormatA8R8G8B8, kFormatA4R4G4B4},
         "アルファテスト用 16bit カラーフォーマットは %s です",
         "使用できるアルファテスト用 16bit カラーフォーマットが見つかりませんでした\n",
         1,
         0},
        {kTexAlphaTest32,
         {kFormatA8R8G8B8, kFormatA1R5G5B5, kFormatA4R4G4B4},
         "アルファテスト用 32bit カラーフォーマットは %s です",
         "使用できるアルファテスト用 32bit カラーフォーマットが見つかりませんでした\n",
         1,
         0},
    };
    for (const PurposeRow& row : rows) {
        int32_t chosen = 0;
        for (int32_t candidate : row.candidates)
            if (candidate != 0 && TextureFormatAccepted(candidate, 0)) {
                chosen = candidate;
                break;
            }
        // The 32-bit colour purpose falls back to the 16-bit colour format.
        if (chosen == 0 && row.purpose == kTexColor32) chosen = d.textureFormats[kTexColor16];
        if (chosen == 0) {
            if (row.missing) LogWrite(row.missing);
            if (row.fatal) return -1;
            continue;
        }
        d.textureFormats[row.purpose] = chosen;
        LogWriteFormat(row.line, FormatLabel(chosen));
    }
    static constexpr const char* kDxtLines[] = {"ＤＸＴ１テクスチャフォーマットは%s",
                                                "ＤＸＴ２テクスチャフォーマットは%s",
                                                "ＤＸＴ３テクスチャフォーマットは%s",
                                                "ＤＸＴ４テクスチャフォーマットは%s",
                                                "ＤＸＴ５テクスチャフォーマットは%s"};
    static constexpr const char* kDxtNames[] = {" D3DFMT_DXT1 です", " D3DFMT_DXT2 です", " D3DFMT_DXT3 です",
                                                " D3DFMT_DXT4 です", " D3DFMT_DXT5 です"};
    static constexpr int32_t kDxt[] = {kFormatDxt1, kFormatDxt2, kFormatDxt3, kFormatDxt4, kFormatDxt5};
    for (int i = 0; i < 5; ++i) {
        const bool ok = TextureFormatAccepted(kDxt[i], 0);
        d.textureFormats[kTexDxt1 + i] = ok ? kDxt[i] : 0;
        LogWriteFormat(kDxtLines[i], PickLogText(ok ? kDxtNames[i] : "使えません"));
    }
    const PurposeRow targets[] = {
        {kTexTarget16,
         {backBuffer16, other16, kFormatX8R8G8B8},
         "描画用 16bit カラーフォーマットは %s です",
         "使用できる描画用 16bit カラーフォーマットがありませんでした\n",
         0,
         1},
        {kTexTarget32,
         {kFormatX8R8G8B8, kFormatR5G6B5, kFormatX1R5G5B5},
         "描画用 32bit カラーフォーマットは %s です",
         "使用できる描画用 32bit カラーフォーマットがありませんでした\n",
         0,
         1},
        {kTexTargetAlpha32,
         {kFormatA8R8G8B8, kFormatA4R4G4B4, 0},
         "描画用アルファ付き 32bit カラーフォーマットは %s です",
         "使用できる描画用 32bit カラーフォーマットがありませんでした\n",
         0,
         1},
    };
    for (const PurposeRow& row : targets) {
        int32_t chosen = 0;
        for (int32_t candidate : row.candidates)
            if (candidate != 0 && TextureFormatAccepted(candidate, 1)) {
                chosen = candidate;
                break;
            }
        d.textureFormats[row.purpose] = chosen;
        if (chosen == 0)
            LogWrite(row.missing);
        else
            LogWriteFormat(row.line, TargetLabel(chosen));
    }
    const bool deep = ScreenSettings.colorBits == 32;
    d.textureFormats[kTexTargetScreen] = d.textureFormats[deep ? kTexTarget32 : kTexTarget16];
    d.textureFormats[kTexAlphaTestScreen] = d.textureFormats[deep ? kTexAlphaTest32 : kTexAlphaTest16];
    return 0;
}

// The back-buffer format of the presentation parameters; 0 when the depth cannot be had.
int32_t ChooseBackBufferFormat()
{
    ScreenSettingsRecord& s = ScreenSettings;
    if (CoreState.Windowed) {
        // Windowed: the desktop's format, and the colour depth follows it.
        const int32_t desktop = CoreState.desktopColorBits == 16 ? kFormatR5G6B5 : kFormatX8R8G8B8;
        s.colorBits = desktop == kFormatR5G6B5 ? 16 : 32;
        return desktop;
    }
    if (s.colorBits == 16) return kFormatR5G6B5;
    if (s.colorBits == 32) return kFormatX8R8G8B8;
    LogWrite("非対応のバックバッファービット深度が指定されました\n");
    return 0;
}

void LeaveDeviceFullScreen()
{
    if (!DeviceState.fullScreen) return;
    RestoreDesktopDisplay();
    DeviceState.fullScreen = 0;
}

int32_t NextPowerOfTwo(int32_t value)
{
    int32_t p = 1;
    while (p < value) p <<= 1;
    return p;
}

}  // namespace

GlPixelFormat GlFormatOf(int32_t format)
{
    switch (format) {
    case kFormatR5G6B5: return GlPixelFormat::Rgb565;
    case kFormatX1R5G5B5:
    case kFormatA1R5G5B5: return GlPixelFormat::Rgb5A1;
    case kFormatA4R4G4B4: return GlPixelFormat::Rgba4;
    case kFormatDxt1: return GlPixelFormat::Dxt1;
    case kFormatDxt2:
    case kFormatDxt3: return GlPixelFormat::Dxt3;
    case kFormatDxt4:
    case kFormatDxt5: return GlPixelFormat::Dxt5;
    default: return GlPixelFormat::Rgba8;
    }
}

const char* FormatLabel(int32_t format)
{
    for (const FormatName& name : kFormatNames)
        if (name.code == format) return name.label;
    return nullptr;
}

}  // namespace ror

using namespace ror;

int SetAcceptCpuRasteriser(int flag)
{
    Decision.acceptCpu = flag ? 1 : 0;
    return 0;
}

namespace ror {

// A probe made ahead, kept for the one decision that follows it.
struct EarlyProbeRecord {
    int32_t ready;
    int32_t made;
    GlProbeReport report;
};
static EarlyProbeRecord EarlyProbe;

void ProbeHardwareAhead()
{
    EarlyProbe = EarlyProbeRecord{};
    if (ScreenSettings.softwareOnly) return;
    EarlyProbe.made = ProbeGl(&EarlyProbe.report) == 0;
    EarlyProbe.ready = 1;
}

int DecideHardwarePath()
{
    Decision.decided = 0;
    Decision.refusal = kRefusedNone;
    SetGlCapableWindows(0);
    const EarlyProbeRecord early = EarlyProbe;
    EarlyProbe = EarlyProbeRecord{};
    if (ScreenSettings.softwareOnly) return 0;
    GlProbeReport report = early.report;
    Decision.probeMade = early.ready ? early.made : ProbeGl(&report) == 0;
    Decision.cpu = report.cpuRasteriser;
    Decision.es = report.es;
    // A refusal keeps its reason for the log line of the fallback.
    if (!Decision.probeMade) {
        Decision.refusal = report.libraryLoaded ? kRefusedNoContext : kRefusedNoLibrary;
        return 0;
    }
    if (report.cpuRasteriser && !Decision.acceptCpu && !CpuGlAcceptedByEnvironment()) {
        Decision.refusal = kRefusedCpuRasteriser;
        std::memcpy(Decision.renderer, report.renderer, sizeof Decision.renderer);
        Decision.renderer[sizeof Decision.renderer - 1] = '\0';
        return 0;
    }
    Decision.decided = 1;
    SetGlCapableWindows(1);
    return 1;
}

int HardwarePathDecided() { return Decision.decided; }

void LogHardwarePathRefusal()
{
    switch (Decision.refusal) {
    case kRefusedNoLibrary: LogWrite("OpenGL のライブラリ (GLX / EGL) を読み込めません\n"); break;
    case kRefusedNoContext: LogWrite("OpenGL 3.3 コアも OpenGL ES 3.0 もコンテキストを作成できません\n"); break;
    case kRefusedCpuRasteriser:
        LogWriteFormat("レンダラー %s は CPU で描画するため使用しません (ROR_ACCEPT_CPU_GL=1 で使用します)",
                       Decision.renderer);
        break;
    default: break;
    }
}

void ForgetHardwarePath()
{
    Decision.decided = 0;
    SetGlCapableWindows(0);
}

int CreateDirectDraw()
{
    DeviceState.directDraw = 0;
    LogWrite("DirectDraw オブジェクトの取得を行います....  ");
    LogWrite("成功\n");
    LogWrite("引き続き初期化処理... ");
    LogWrite("初期化に成功しました\n");
    DeviceState.directDraw = 1;
    return 0;
}

int CreateDirect3D()
{
    DeviceState.direct3D = 0;
    LogWrite("IDirect3D9 オブジェクトを取得します.... ");
    // The window was made GL-capable only when the probe found a usable GL.
    if (!Decision.probeMade) return LogWrite("Direct3DCreate9 APIのアドレス取得に失敗しました\n");
    if (!Decision.decided || !GlCapableWindows()) return LogWrite("IDirect3D9 オブジェクトの取得に失敗しました\n");
    DeviceState.module = 1;
    DeviceState.direct3D = 1;
    LogWrite("成功\n");
    return 0;
}

int OpenDevice()
{
    DeviceStateRecord& d = DeviceState;
    if (!d.direct3D) return -1;
    if (d.device) {
        CloseGlContext();
        d.device = 0;
    }
    LogWrite("IDirect3DDevice9 オブジェクトを取得します.... ");
    d.backBufferFormat = ChooseBackBufferFormat();
    if (d.backBufferFormat == 0) return -1;
    d.presentInterval = DrawState.waitVsync ? 1 : 0;
    // Multisampling is never requested of the context: the type and quality stay 0.
    d.multiSampleType = 0;
    d.multiSampleQuality = 0;
    const ScreenSettingsRecord& s = ScreenSettings;
    if (!CoreState.Windowed) {
        // Full screen: the display takes the screen's mode, at the asked rate or any.
        if (SetFullscreenDisplayMode(s.width, s.height, s.colorBits, s.refreshRate) != 0 &&
            SetFullscreenDisplayMode(s.width, s.height, s.colorBits, 0) != 0)
            return LogWrite("Direct3DDevice9 の作成に失敗しました\n");
        d.fullScreen = 1;
    }
    GlCaps caps;
    if (OpenGlContext(CoreState.MainWindow, d.presentInterval, &caps) != 0) {
        LeaveDeviceFullScreen();
        return LogWrite("Direct3DDevice9 の作成に失敗しました\n");
    }
    d.device = 1;
    d.pacing = SwapPacingRecord{};
    d.pacing.ignored = caps.swapWaitRefused;
    d.hardwareVertexProcessing = caps.cpuRasteriser ? 0 : 1;
    std::memcpy(d.renderer, caps.renderer, sizeof d.renderer);
    LogWriteFormat("レンダラーは %s です", caps.renderer);
    LogWriteFormat("OpenGL のバージョンは %s です", caps.version);
    LogWriteFormat("シェーディング言語のバージョンは %s です", caps.shadingVersion);
    LogWrite(d.hardwareVertexProcessing ? "ハードウエア頂点演算を使用します\n" : "ソフトウエア頂点演算を使用します\n");
    d.backBuffer = CreateGlSurface(s.width, s.height, GlFormatOf(d.backBufferFormat));
    if (d.backBuffer <= 0) {
        d.backBuffer = 0;
        CloseGlContext();
        d.device = 0;
        LeaveDeviceFullScreen();
        return LogWrite("Direct3DDevice9 の作成に失敗しました\n");
    }
    SetGlTarget(d.backBuffer);
    d.renderTarget = d.backBuffer;
    // Every buffer of the window starts black.
    const Rect whole{0, 0, s.width, s.height};
    for (int i = 0; i < 3; ++i) {
        ClearGlTarget(nullptr, 0xFF000000u, 0);
        PresentGlSurface(d.backBuffer, whole, whole);
    }
    ClearGlTarget(nullptr, 0xFF000000u, 0);
    LogWrite("成功\n");
    // Every 3.3 core or ES 3.0 context runs the shader pair, on the CPU rasteriser as well.
    d.vs20 = d.ps20 = 1;
    d.separateBlendOps = caps.separateBlendOps;
    d.maxTextureSize = caps.maxTextureSize > 0 ? caps.maxTextureSize : 256;
    d.s3tc = caps.s3tc;
    LogWriteFormat("画面のフォーマットは %s です", FormatLabel(d.backBufferFormat));
    d.zFormat = kFormatD24X8;  // the depth renderbuffer is 24-bit
    LogWriteFormat("Ｚバッファのフォーマットは %s です", FormatLabel(d.zFormat));
    return ChooseTextureFormats();
}

int CreateZBuffer()
{
    DeviceStateRecord& d = DeviceState;
    if (!d.device) return -1;
    if (d.zBuffer) DestroyGlDepthBuffer(d.zBuffer);
    d.zBuffer = 0;
    LogWrite("Ｚバッファを作成します.... ");
    const int32_t depth =
        CreateGlDepthBuffer(NextPowerOfTwo(ScreenSettings.width), NextPowerOfTwo(ScreenSettings.height));
    if (depth <= 0 || AttachGlDepthBuffer(d.backBuffer, depth) != 0) {
        if (depth > 0) DestroyGlDepthBuffer(depth);
        return LogWrite("Ｚバッファの作成に失敗しました\n");
    }
    d.zBuffer = depth;
    SetGlTarget(d.renderTarget);
    ClearGlTarget(nullptr, 0xFF000000u, 1);
    LogWrite("成功\n");
    return 0;
}

int CreateSubBackBuffer()
{
    DeviceStateRecord& d = DeviceState;
    if (!d.device) return -1;
    if (d.subBackBuffer) DestroyGlSurface(d.subBackBuffer);
    d.subBackBuffer = CreateGlSurface(ScreenSettings.width, ScreenSettings.height, GlFormatOf(d.backBufferFormat));
    if (d.subBackBuffer <= 0) {
        d.subBackBuffer = 0;
        return LogWrite("サブバックバッファの作成に失敗しました\n");
    }
    if (d.zBuffer) AttachGlDepthBuffer(d.subBackBuffer, d.zBuffer);
    return 0;
}

int DecideShaderUse()
{
    DeviceStateRecord& d = DeviceState;
    ReleaseGlProgram();
    d.shadersInUse = 0;
    ShaderCode vertex{}, fragment{};
    if (d.vs20 && d.ps20 && ShaderPackEntry(0, kScreenVertexShaderEntry, &vertex) == 0 &&
        ShaderPackEntry(1, kScreenPixelShaderEntry, &fragment) == 0 &&
        LoadGlProgram(vertex.code, vertex.size, fragment.code, fragment.size) == 0)
        d.shadersInUse = 1;
    else
        LogWrite("シェーダーの構築に失敗しました\n");
    LogWriteFormat(d.shadersInUse ? "プログラマブルシェーダーを使用します\n"
                                  : "プログラマブルシェーダーを使用しません\n");
    return 0;
}

int InitDeviceState()
{
    ResetVertexBatch();
    SetGlDepthTest(0);  // 2D drawing keeps the order of the calls
    ResetDeviceDrawState();
    BeginSceneIfNeeded();
    return 0;
}

int OpenDevicePath()
{
    // The pack serves the device alone, so the software path does not pay for reading it.
    LoadShaderPack();
    if (CreateDirect3D() == 0 && OpenDevice() == 0 && CreateZBuffer() == 0) {
        DecideShaderUse();
        // A core context draws nothing without its shader pair.
        if (DeviceState.shadersInUse) return 0;
    }
    ReleaseDevice();
    return -1;
}

void BeginSceneIfNeeded()
{
    if (DeviceState.direct3D && !DeviceState.inScene) DeviceState.inScene = 1;
}

void EndSceneIfOpen()
{
    if (DeviceState.inScene) DeviceState.inScene = 0;
}

int ReleaseDevice()
{
    DeviceStateRecord& d = DeviceState;
    ReleaseGlProgram();
    d.shadersInUse = 0;
    if (d.zBuffer) DestroyGlDepthBuffer(d.zBuffer);
    if (d.subBackBuffer) DestroyGlSurface(d.subBackBuffer);
    if (d.backBuffer) DestroyGlSurface(d.backBuffer);
    d.zBuffer = d.subBackBuffer = d.backBuffer = d.renderTarget = 0;
    CloseGlContext();
    LeaveDeviceFullScreen();  // back to the desktop's mode before the device goes
    d.device = 0;
    d.direct3D = 0;
    d.directDraw = 0;
    d.module = 0;
    d.inScene = 0;
    ReleaseShaderPack();
    return 0;
}

}  // namespace ror
