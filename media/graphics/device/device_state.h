// The hardware device path: the device record, its creation and release, and scenes.
// The device is an OpenGL context on the main window (media/platform/gl/gl_device.h); the back
// buffer, sub back buffer and draw-target graphics are framebuffer surfaces of it.
#pragma once
#include "rorodiv.h"
#include "graphics/color_format.h"  // kFormatR8G8B8 ... kFormatR5G6B5
#include "graphics/device/swap_pacing.h"
#include "platform/gl/gl_device.h"

#include <cstdint>

namespace ror {

// Direct3D format codes the device path names its formats by (see DeviceColorFormat).
constexpr int32_t kFormatX1R5G5B5 = 24, kFormatA1R5G5B5 = 25, kFormatA4R4G4B4 = 26;
constexpr int32_t kFormatD16 = 80, kFormatD24X8 = 77, kFormatD32 = 71;
constexpr int32_t kFormatDxt1 = 0x31545844, kFormatDxt2 = 0x32545844, kFormatDxt3 = 0x33545844,
                  kFormatDxt4 = 0x34545844, kFormatDxt5 = 0x35545844;

// The texture purposes of the format table; each slot holds a format code, 0 for none.
enum TexturePurpose : int32_t {
    kTexColor16,
    kTexColor32,
    kTexAlpha16,
    kTexAlpha32,
    kTexAlphaTest16,
    kTexAlphaTest32,
    kTexDxt1,
    kTexDxt2,
    kTexDxt3,
    kTexDxt4,
    kTexDxt5,
    kTexTarget16,
    kTexTarget32,
    kTexTargetAlpha32,
    kTexTargetScreen,     // the render-target format of the screen's depth
    kTexAlphaTestScreen,  // the alpha-test format of the screen's depth
    kTexturePurposeCount
};

struct DeviceStateRecord {
    int32_t module;      // the GL library is loaded
    int32_t directDraw;  // the vertical-blank source exists
    int32_t direct3D;    // a context of the needed version can be made (the probe said so)
    int32_t device;      // the context on the main window is open
    int32_t backBuffer;  // surface ids (0 = none)
    int32_t subBackBuffer;
    int32_t zBuffer;  // depth buffer id (0 = none)
    int32_t backBufferFormat, zFormat;
    int32_t textureFormats[kTexturePurposeCount];
    int32_t hardwareVertexProcessing;  // 0 when the renderer rasterises on the CPU
    int32_t vs20, ps20;
    int32_t shadersInUse;
    int32_t separateBlendOps;
    int32_t maxTextureSize;
    int32_t s3tc;
    int32_t inScene;
    int32_t multiSampleType, multiSampleQuality;  // settings, 0
    int32_t fpuPreserve;                          // setting, 0
    int32_t presentInterval;                      // 1 = wait for the refresh, 0 = at once
    SwapPacingRecord pacing;                      // whether the swap's wait is real
    int32_t renderTarget;                         // the surface drawn into now
    uint32_t drawColor;                           // DeviceDrawColor: 0xAARRGGBB from blend parameter and brightness
    int32_t fullScreen;                           // the device took the display into full screen
    char renderer[128];                           // the context's renderer
};

extern DeviceStateRecord DeviceState;

// The steps of OpenDisplayPath's hardware branch, 0 / -1 each (DecideShaderUse and
// InitDeviceState return 0).
int CreateDirectDraw();
int CreateDirect3D();
int OpenDevice();
int CreateZBuffer();
int CreateSubBackBuffer();
int DecideShaderUse();
int InitDeviceState();
int ReleaseDevice();

// OpenDisplayPath's hardware branch: the shader pack, the Direct3D object, the device, the Z
// buffer and the shaders. 0 with the device up; -1 with everything released again.
int OpenDevicePath();

void BeginSceneIfNeeded();
void EndSceneIfOpen();

// The GL format a Direct3D format code stands for (RGBA8 for the 32-bit ones).
GlPixelFormat GlFormatOf(int32_t format);
// "D3DFMT_X8R8G8B8" and the like; null for a code without a label.
const char* FormatLabel(int32_t format);

// The decision made before the main window exists: 1 when the hardware path can be used, so
// the window is made GL-capable. Reads SetUseHardware's setting and the CPU-rasteriser
// acceptance (SetAcceptCpuRasteriser or ROR_ACCEPT_CPU_GL=1).
int DecideHardwarePath();
// Probes the GL ahead of the window step (loading a GL driver takes tens of milliseconds,
// which start-up can spend inside a wait it makes anyway); the next DecideHardwarePath uses
// the result instead of probing again.
void ProbeHardwareAhead();
int HardwarePathDecided();  // the last decision
// Logs why the last decision passed the GL over (no GLX / EGL library, no 3.3 core or ES 3.0
// context, a CPU rasteriser not accepted, named); nothing when it did not.
void LogHardwarePathRefusal();
void ForgetHardwarePath();  // windows are plain again and the software path will be taken

}  // namespace ror
