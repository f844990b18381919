// The hardware device path on OpenGL under Xvfb (Mesa's CPU rasteriser, accepted with
// ROR_ACCEPT_CPU_GL=1): the decision and its log, the device's shapes read back from the back
// buffer, the blend modes with and without separate blend operations, and the frame arriving
// in the window.
#include "../window_fixture.h"

#include "core/core_state.h"
#include "graphics/blend_graphics.h"
#include "graphics/color_format.h"
#include "graphics/device/device_graphics.h"
#include "graphics/device/device_state.h"
#include "graphics/device/vertex_batch.h"
#include "graphics/draw_shapes.h"
#include "graphics/graphic_handles.h"
#include "graphics/graphics.h"
#include "graphics/graphics_setup.h"
#include "graphics/screen_mode.h"
#include "platform/gl/gl_device.h"
#include "platform/system/service_faults.h"
#include "platform/window_system/message_queue.h"
#include "rorodiv.h"
#include "window/window_mode.h"

#include <fstream>
#include <iterator>

using namespace ror;

namespace {

// Sets or clears an environment variable for the fixture's life and puts it back after.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name)
    {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (had_)
            setenv(name_.c_str(), old_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }

private:
    std::string name_, old_;
    bool had_ = false;
};

class DevicePathTest : public WindowDrawingTest {
protected:
    void TearDown() override
    {
        WindowDrawingTest::TearDown();
        HideGlSeparateBlendOps(0);
        SetUseHardware(1);
    }

    // Starts the layer at 800 x 600; false (and the test skipped) when no device came up.
    bool StartOnDevice()
    {
        SetLogEnabled(1);
        EXPECT_EQ(SetScreenMode(800, 600, 32, 60), 0);
        EXPECT_EQ(InitMediaLayer(), 0);
        if (ScreenSettings.hardwarePath != 1) return false;
        SetDrawTarget(-2);
        ClearScreen();
        return true;
    }

    std::string Log()
    {
        std::ifstream in(folder / "Log.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The back buffer as 0x00RRGGBB, after the batch is drawn.
    std::vector<uint32_t> BackBuffer()
    {
        FlushBatch();
        std::vector<uint32_t> pixels(800 * 600);
        EXPECT_EQ(ReadGlSurface(DeviceState.backBuffer, Rect{0, 0, 800, 600}, pixels.data(), 800 * 4), 0);
        for (uint32_t& p : pixels) p &= 0xFFFFFF;
        return pixels;
    }

    static int Count(const std::vector<uint32_t>& pixels, uint32_t color)
    {
        int n = 0;
        for (uint32_t p : pixels) n += p == color;
        return n;
    }

    ScopedEnvironment accept{"ROR_ACCEPT_CPU_GL", "1"};
};

TEST_F(DevicePathTest, AcceptedCpuRasteriserIsTheDeviceAndTheLogSaysSo)
{
    if (!StartOnDevice()) GTEST_SKIP() << "no OpenGL 3.3 context under this X server";
    EXPECT_EQ(DeviceState.hardwareVertexProcessing, 0);  // llvmpipe rasterises on the CPU
    EXPECT_EQ(ScreenSettings.colorBits, 32);
    EXPECT_EQ(DeviceState.backBufferFormat, kFormatX8R8G8B8);
    EXPECT_EQ(DeviceState.shadersInUse, 1);
    EXPECT_NE(DeviceState.zBuffer, 0);
    const std::string log = Log();
    for (const char* line : {"ソフトウエア頂点演算を使用します", "画面のフォーマットは D3DFMT_X8R8G8B8 です",
                             "Ｚバッファを作成します.... 成功", "プログラマブルシェーダーを使用します",
                             "描画用 32bit カラーフォーマットは D3DFMT_X8R8G8B8 です"})
        EXPECT_NE(log.find(line), std::string::npos) << line;  // literals are cp932 like the log
}

TEST_F(DevicePathTest, WithoutAcceptanceOrWithSoftwareOnlyTheSoftwarePathRunsWithoutGl)
{
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "CPU rasteriser not accepted" : "SetUseHardware(0)");
        ScopedEnvironment refuse{"ROR_ACCEPT_CPU_GL", round == 0 ? nullptr : "1"};
        if (round == 1) {
            ASSERT_EQ(SetUseHardware(0), 0);
        }
        ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
        ASSERT_EQ(InitMediaLayer(), 0);
        EXPECT_EQ(ScreenSettings.hardwarePath, 0);
        EXPECT_EQ(GlContextOpen(), 0);
        EXPECT_EQ(GlCapableWindows(), 0);
        SetDrawTarget(-2);
        EXPECT_EQ(DrawRect(10, 10, 20, 20, PackColor(255, 0, 0), 1), 0);
        EXPECT_EQ(PresentScreen(), 0);
        EndMediaLayer();
        SetUseHardware(1);
    }
}

// Both paths name themselves to the game and in the log: the GL path its renderer, version and
// shading language; the software path, when it passes a CPU rasteriser over, that renderer.
TEST_F(DevicePathTest, TheDrawingPathAndRendererAreToldOnBothPaths)
{
    char name[128] = "untouched";
    EXPECT_EQ(GetDrawingPath(), DRAWING_PATH_NONE);
    EXPECT_EQ(GetRendererName(name, sizeof name), -1);
    EXPECT_STREQ(name, "untouched");
    for (const bool device : {false, true}) {
        SCOPED_TRACE(device ? "GL path" : "software path");
        ScopedEnvironment choice{"ROR_ACCEPT_CPU_GL", device ? "1" : nullptr};
        SetLogEnabled(1);
        ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
        ASSERT_EQ(InitMediaLayer(), 0);
        if (device && ScreenSettings.hardwarePath != 1) GTEST_SKIP() << "no OpenGL 3.3 context under this X server";
        const std::string log = Log();
        ASSERT_EQ(GetRendererName(name, sizeof name), 0);
        if (device) {
            EXPECT_EQ(GetDrawingPath(), DRAWING_PATH_HARDWARE);
            EXPECT_NE(std::string(name).find("llvmpipe"), std::string::npos) << name;
            EXPECT_NE(log.find("レンダラーは " + std::string(name) + " です"), std::string::npos);
            for (const char* line :
                 {"OpenGL のバージョンは ", "シェーディング言語のバージョンは ",
                  // GL has no premultiplied compressed formats.
                  "ＤＸＴ２テクスチャフォーマットは使えません", "ＤＸＴ４テクスチャフォーマットは使えません"})
                EXPECT_NE(log.find(line), std::string::npos) << line;
            // A short buffer takes the start of the name.
            char shortName[5] = "????";
            EXPECT_EQ(GetRendererName(shortName, sizeof shortName), 0);
            EXPECT_EQ(std::string(shortName), std::string(name).substr(0, 4));
        } else {
            EXPECT_EQ(GetDrawingPath(), DRAWING_PATH_SOFTWARE);
            EXPECT_STREQ(name, "Software");
            EXPECT_NE(log.find("は CPU で描画するため使用しません"), std::string::npos);
        }
        EXPECT_EQ(GetRendererName(nullptr, 10), -1);
        EXPECT_EQ(GetRendererName(name, 0), -1);
        EndMediaLayer();
        EXPECT_EQ(GetDrawingPath(), DRAWING_PATH_NONE);
        EXPECT_EQ(GetRendererName(name, sizeof name), -1);
    }
}

// SetWaitVsync after start-up reaches the device at the next present, both ways.
TEST_F(DevicePathTest, WaitVsyncAfterStartUpChangesTheSwapIntervalAtTheNextPresent)
{
    SetWaitVsync(1);
    if (!StartOnDevice()) GTEST_SKIP() << "no OpenGL 3.3 context under this X server";
    EXPECT_EQ(DeviceState.presentInterval, 1);
    SetWaitVsync(0);
    EXPECT_EQ(PresentScreen(), 0);
    EXPECT_EQ(DeviceState.presentInterval, 0);
    SetWaitVsync(1);
    EXPECT_EQ(PresentScreen(), 0);
    EXPECT_EQ(DeviceState.presentInterval, 1);
}

TEST_F(DevicePathTest, ShapesCoverTheSamePixelsAsTheSoftwarePath)
{
    if (!StartOnDevice()) GTEST_SKIP() << "no OpenGL 3.3 context under this X server";
    struct Case {
        const char* what;
        void (*draw)(uint32_t color);
        int pixels;
        PixelRect bounds;
    };
    const Case cases[] = {
        {"filled box", [](uint32_t c) { DrawRect(17, 17, 65, 65, c, 1); }, 48 * 48, {17, 17, 65, 65}},
        {"filled box, corners swapped", [](uint32_t c) { DrawRect(65, 65, 17, 17, c, 1); }, 48 * 48, {17, 17, 65, 65}},
        {"outline", [](uint32_t c) { DrawRect(10, 10, 20, 15, c, 0); }, 26, {10, 10, 20, 15}},
        {"row", [](uint32_t c) { DrawSegment(0, 0, 10, 0, c, 1); }, 10, {0, 0, 10, 1}},
        {"column upwards", [](uint32_t c) { DrawSegment(30, 40, 30, 20, c, 1); }, 20, {30, 21, 31, 41}},
        {"point-length segment", [](uint32_t c) { DrawSegment(5, 5, 5, 5, c, 1); }, 0, {0, 0, 0, 0}},
        {"band three wide", [](uint32_t c) { DrawSegment(16, 16, 65, 16, c, 3); }, 49 * 3, {16, 15, 65, 18}},
        {"box clipped by the screen",
         [](uint32_t c) { DrawRect(790, 590, 900, 700, c, 1); },
         100,
         {790, 590, 800, 600}},
    };
    const uint32_t white = PackColor(255, 255, 255);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearScreen();
        c.draw(white);
        const std::vector<uint32_t> p = BackBuffer();
        EXPECT_EQ(Count(p, 0xFFFFFF), c.pixels);
        if (c.pixels == 0) continue;
        EXPECT_EQ(p[c.bounds.top * 800 + c.bounds.left], 0xFFFFFFu);
        EXPECT_EQ(p[(c.bounds.bottom - 1) * 800 + c.bounds.right - 1], 0xFFFFFFu);
    }
}

TEST_F(DevicePathTest, DrawRegionClipsAndClearIgnoresIt)
{
    if (!StartOnDevice()) GTEST_SKIP() << "no OpenGL 3.3 context under this X server";
    ASSERT_EQ(SetDrawRegion(700, 500, 900, 700), 0);
    DrawRect(0, 0, 800, 600, PackColor(0, 255, 0), 1);
    DrawSegment(0, 550, 800, 550, PackColor(0, 0, 255), 1);
    std::vector<uint32_t> p = BackBuffer();
    EXPECT_EQ(Count(p, 0x00FF00) + Count(p, 0x0000FF), 100 * 100);
    EXPECT_EQ(Count(p, 0x0000FF), 100);
    DrawState.background[0] = 9;
    ClearScreen();
    DrawState.background[0] = 0;
    p = BackBuffer();
    EXPECT_EQ(Count(p, 0x090000), 800 * 600);
    ASSERT_EQ(SetDrawRegion(50, 50, 50, 60), 0);
    EXPECT_EQ(DrawRect(0, 0, 800, 600, PackColor(0, 255, 0), 1), 0);
    EXPECT_EQ(Count(BackBuffer(), 0x00FF00), 0);
}

// Every blend mode at a few strengths, over a background, against the arithmetic of the
// software path's tables (within one step per channel); the subtract mode also on a device
// without separate blend operations, through the emulation.
TEST_F(DevicePathTest, BlendModesMatchTheirArithmetic)
{
    if (!StartOnDevice()) GTEST_SKIP() << "no OpenGL 3.3 context under this X server";
    const int bg[3] = {0x80, 0x60, 0x40};
    const int fg[3] = {0x40, 0xFF, 0x20};
    auto expected = [&](int mode, int param, int channel) {
        const int d = bg[channel], s = fg[channel];
        switch (mode) {
        case 1: return (s * param + d * (255 - param)) / 255;
        case 2: return std::min(255, d + s * param / 255);
        case 3: return std::max(0, d - s * param / 255);
        case 4: return d * s / 255;
        default: return s;
        }
    };
    for (int emulated = 0; emulated < 2; ++emulated) {
        if (emulated) {
            EndMediaLayer();
            HideGlSeparateBlendOps(1);
            ASSERT_TRUE(StartOnDevice());
            ASSERT_EQ(DeviceState.separateBlendOps, 0);
        }
        for (int mode : {0, 1, 2, 3, 4})
            for (int param : {255, 128, 17}) {
                if (emulated && mode != 3) continue;
                SCOPED_TRACE(testing::Message() << "mode " << mode << " param " << param << " emulated " << emulated);
                SetBlendMode(0, 0);
                DrawRect(0, 0, 40, 40, PackColor(bg[0], bg[1], bg[2]), 1);
                SetBlendMode(mode, param);
                DrawRect(10, 10, 30, 30, PackColor(fg[0], fg[1], fg[2]), 1);
                SetBlendMode(0, 0);
                const std::vector<uint32_t> p = BackBuffer();
                const uint32_t got = p[20 * 800 + 20];
                for (int channel = 0; channel < 3; ++channel) {
                    const int value = int((got >> (16 - 8 * channel)) & 0xFF);
                    EXPECT_NEAR(value, expected(mode, param, channel), 1) << "channel " << channel;
                }
                EXPECT_EQ(p[5 * 800 + 5], uint32_t(bg[0] << 16 | bg[1] << 8 | bg[2]));  // outside untouched
            }
    }
}

// A blend image on the device: its levels become a texture that weighs the graphic's pixels
// (level 0 hides, 255 shows); what the device cannot weigh is refused, not drawn unweighed.
TEST_F(DevicePathTest, BlendImagesWeighDrawsOrRefuseThem)
{
    const uint32_t white = 0xFFFFFFFFu;
    const PolygonVertex square[4] = {{100, 100, 0, 1, white, 0, 0},
                                     {132, 100, 0, 1, white, 1, 0},
                                     {132, 132, 0, 1, white, 1, 1},
                                     {100, 132, 0, 1, white, 0, 1}};
    struct Case {
        const char* name;
        int emulated;  // no separate blend operations
        int mode;
        int (*draw)(int graphic, const PolygonVertex* square);
        int result;
    };
    const Case cases[] = {
        {"PutGraphic", 0, 0, [](int g, const PolygonVertex*) { return PutGraphic(100, 100, g, 0); }, 0},
        {"PutGraphicQuad", 0, 1,
         [](int g, const PolygonVertex*) {
             const float corners[4][2] = {{100.7f, 100.2f}, {132, 100}, {132, 132}, {100, 132}};
             return PutGraphicQuad(corners, g, 0);
         },
         0},
        {"textured polygon", 0, 0,
         [](int g, const PolygonVertex* q) { return SubmitVertices2D(q, 4, kTriangleFan, g, 0); }, -1},
        {"subtracting, emulated", 1, 3, [](int g, const PolygonVertex*) { return PutGraphic(100, 100, g, 0); }, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HideGlSeparateBlendOps(c.emulated);
        if (!StartOnDevice()) GTEST_SKIP() << "no OpenGL 3.3 context under this X server";
        const int graphic = CreateBlankGraphic(32, 32);
        PaintGraphic(graphic, 255, 255, 255, 255);
        // Left half level 0, right half 255.
        const int levels = CreateBlendGraphic(32, 32);
        ASSERT_NE(levels, -1);
        EXPECT_GT(ResolveGraphic(levels)->image->blendTexture, 0);
        PaintGraphic(CreateSubGraphic(16, 0, 16, 32, levels), 255, 255, 255, 255);
        SetBlendMode(c.mode, 255);
        ASSERT_EQ(SetBlendImage(levels, 128, 0), 0);
        EXPECT_EQ(c.draw(graphic, square), c.result);
        const std::vector<uint32_t> p = BackBuffer();
        EXPECT_EQ(p[110 * 800 + 104], 0u) << "level 0 hides";
        if (c.result == 0)
            EXPECT_EQ(p[110 * 800 + 124], 0xFFFFFFu) << "level 255 shows";
        else
            EXPECT_EQ(p[110 * 800 + 124], 0u) << "nothing drawn";
        // A blend image made from a render surface takes its brightness; the texture goes with it.
        const int fromGraphic = MakeBlendGraphic(graphic);
        ASSERT_NE(fromGraphic, -1);
        EXPECT_EQ(MemImgRow(&ResolveGraphic(fromGraphic)->view, 5)[5], 255);
        SetBlendImage(-1, 0, 0);
        SetBlendMode(0, 0);
        EndMediaLayer();
    }
}

TEST_F(DevicePathTest, TheGamesFieldIsOneDrawPerFrame)
{
    if (!StartOnDevice()) GTEST_SKIP() << "no OpenGL 3.3 context under this X server";
    const int64_t before = VertexBatch.flushes;
    ClearScreen();
    for (int row = 0; row < 8; ++row)
        for (int column = 0; column < 12; ++column)
            DrawRect(column * 50, row * 50, column * 50 + 50, row * 50 + 50, PackColor(column * 20, row * 30, 40), 1);
    for (int i = 0; i <= 12; ++i) DrawSegment(i * 50, 0, i * 50, 400, PackColor(255, 255, 255), 3);
    for (int i = 0; i <= 8; ++i) DrawSegment(0, i * 50, 600, i * 50, PackColor(255, 255, 255), 3);
    PresentScreen();
    EXPECT_EQ(VertexBatch.flushes - before, 1);
}

// Textured polygons over a graphic that the texture division split into many textures draw
// as they do over the same graphic in one texture: each triangle is cut at the seams.
TEST_F(DevicePathTest, TexturedPolygonsCrossTheSeamsOfASplitGraphic)
{
    if (!StartOnDevice()) GTEST_SKIP() << "no OpenGL 3.3 context under this X server";
    auto makeGraphic = [](int maxTextureSize) {
        TextureSettings.maxTextureSize = maxTextureSize;
        const int handle = CreateBlankGraphic(200, 150);
        TextureSettings.maxTextureSize = 0;
        std::vector<uint32_t> pixels(200 * 150);
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 200; ++x)
                pixels[size_t(y) * 200 + x] =
                    0xFF000000u | uint32_t(x / 10 * 12) << 16 | uint32_t(y / 10 * 16) << 8 | 0x80;
        ColorFormat format;
        MakeXrgb8Format(&format);
        CopyImageToGraphic(handle, PixelImage{reinterpret_cast<const uint8_t*>(pixels.data()), 800, 200, 150, &format},
                           nullptr, PixelRect{0, 0, 200, 150}, 0, 0);
        return handle;
    };
    const int whole = makeGraphic(0), split = makeGraphic(64);
    ASSERT_EQ(ResolveGraphic(whole)->placementCount, 1);
    ASSERT_GT(ResolveGraphic(split)->placementCount, 4);
    auto draw = [&](int texture) {
        ClearScreen();
        const uint32_t white = 0xFFFFFFFFu;
        // A turned quad as a fan.
        const PolygonVertex fan[4] = {{400, 60, 0, 1, white, 0, 0},
                                      {690, 200, 0, 1, white, 1, 0},
                                      {540, 520, 0, 1, white, 1, 1},
                                      {230, 330, 0, 1, white, 0, 1}};
        EXPECT_EQ(SubmitVertices2D(fan, 4, kTriangleFan, texture, 0), 0);
        return BackBuffer();
    };
    const std::vector<uint32_t> reference = draw(whole), drawn = draw(split);
    int differing = 0;
    for (size_t i = 0; i < reference.size(); ++i) differing += reference[i] != drawn[i];
    EXPECT_GT(reference.size() - Count(reference, 0), 50000u);
    // Where a seam crosses a pixel centre the two may pick neighbouring texels.
    EXPECT_LT(differing, 100);
    DestroyGraphic(whole);
    DestroyGraphic(split);
}

// A 16-bit graphic drops the pixels that were its transparent colour, also when that colour is
// none of the 16-bit colours, as the software path's 16-bit images do by comparing packed
// pixels; pixels of another colour show.
TEST_F(DevicePathTest, SixteenBitGraphicsDropTheirTransparentColour)
{
    if (!StartOnDevice()) GTEST_SKIP() << "no OpenGL 3.3 context under this X server";
    const uint32_t shown = 0xFFFF00u;
    for (uint32_t key : {0x64321Eu, 0xFF00FFu, 0x010203u, 0x000000u}) {
        SCOPED_TRACE(testing::Message() << std::hex << key);
        const GraphicCreationSettings saved = GraphicCreation;
        GraphicCreation.colorDepth = 16;
        GraphicCreation.transparentColor[0] = int32_t(key >> 16);
        GraphicCreation.transparentColor[1] = int32_t(key >> 8 & 0xFF);
        GraphicCreation.transparentColor[2] = int32_t(key & 0xFF);
        const int g = CreateBlankGraphic(64, 32);
        GraphicCreation = saved;
        ASSERT_NE(g, -1);
        // The left half is the transparent colour, the right half yellow.
        std::vector<uint32_t> pixels(64 * 32);
        for (int i = 0; i < 64 * 32; ++i) pixels[size_t(i)] = 0xFF000000u | (i % 64 < 32 ? key : shown);
        ColorFormat format;
        MakeXrgb8Format(&format);
        CopyImageToGraphic(g, PixelImage{reinterpret_cast<const uint8_t*>(pixels.data()), 64 * 4, 64, 32, &format},
                           nullptr, PixelRect{0, 0, 64, 32}, 0, 0);
        ClearScreen();
        DrawRect(0, 0, 200, 100, PackColor(0, 0, 200), 1);
        PutGraphic(10, 10, g, 1);
        const std::vector<uint32_t> back = BackBuffer();
        EXPECT_EQ(Count(back, shown), 32 * 32);
        EXPECT_EQ(Count(back, 0x0000C8u), 200 * 100 - 32 * 32) << "the transparent half shows what lies beneath";
        DestroyGraphic(g);
    }
}

TEST_F(DevicePathTest, PresentedFrameArrivesUprightAndScaled)
{
    if (!StartOnDevice()) GTEST_SKIP() << "no OpenGL 3.3 context under this X server";
    DrawState.background[2] = 128;
    ClearScreen();
    DrawState.background[2] = 0;
    DrawRect(100, 100, 200, 150, PackColor(255, 0, 0), 1);
    DrawSegment(300, 300, 500, 300, PackColor(255, 255, 255), 3);
    ASSERT_EQ(PresentScreen(), 0);
    Settle();
    Rect client = CoreState.ClientRectOnScreen;
    Screenshot shot = Shot();
    auto at = [&](int x, int y) { return shot.At(client.left + x, client.top + y); };
    EXPECT_EQ(at(0, 0), 0x000080u);
    EXPECT_EQ(at(100, 100), 0xFF0000u);
    EXPECT_EQ(at(199, 149), 0xFF0000u);
    EXPECT_EQ(at(200, 149), 0x000080u);
    EXPECT_EQ(at(300, 299), 0xFFFFFFu);
    EXPECT_EQ(at(400, 302), 0x000080u);

    const double scaleBefore = CoreState.windowScale;
    CoreState.windowScale = 1.5;
    FitWindow();
    Settle();
    ASSERT_EQ(PresentScreen(), 0);
    Settle();
    client = CoreState.ClientRectOnScreen;
    shot = Shot();
    EXPECT_EQ(at(150, 150), 0xFF0000u);
    EXPECT_EQ(at(298, 224), 0xFF0000u);
    EXPECT_EQ(at(301, 226), 0x000080u);
    CoreState.windowScale = scaleBefore;  // the scale outlives the layer
}

}  // namespace

namespace {

TEST_F(DevicePathTest, SwitchesToFullScreenAndBackWhileRunning)
{
    if (!StartOnDevice()) GTEST_SKIP() << "no OpenGL 3.3 context under this X server";
    const uint32_t red = PackColor(255, 0, 0);
    auto drawAndCheck = [&](const char* what, bool windowed) {
        SCOPED_TRACE(what);
        EXPECT_EQ(ScreenSettings.hardwarePath, 1);
        EXPECT_EQ(GlContextOpen(), 1);
        SetDrawTarget(-2);
        ClearScreen();
        DrawRect(100, 100, 200, 150, red, 1);
        EXPECT_EQ(Count(BackBuffer(), 0xFF0000), 100 * 50);
        ASSERT_EQ(PresentScreen(), 0);
        Settle();
        const Screenshot shot = Shot();
        // Full screen puts the window at the origin.
        const int left = windowed ? CoreState.ClientRectOnScreen.left : 0;
        const int top = windowed ? CoreState.ClientRectOnScreen.top : 0;
        EXPECT_EQ(shot.At(left + 100, top + 100), 0xFF0000u);
        EXPECT_EQ(shot.At(left + 99, top + 100), 0x000000u);
    };
    ASSERT_EQ(ChangeWindowMode(0), 0);
    EXPECT_EQ(DeviceState.fullScreen, 1);
    drawAndCheck("full screen", false);
    ASSERT_EQ(ChangeWindowMode(1), 0);
    EXPECT_EQ(DeviceState.fullScreen, 0);
    Settle();
    drawAndCheck("windowed again", true);
}

// Back in full screen after another program had the display, the device's graphics are
// restored: by the built-in restore, which loads graphics from files again, or by the
// program's own restore operation when it set one.
TEST_F(DevicePathTest, ActivationInFullScreenRestoresGraphicsFromTheirFiles)
{
    if (!StartOnDevice()) GTEST_SKIP() << "no OpenGL 3.3 context under this X server";
    ASSERT_EQ(ChangeWindowMode(0), 0);
    // A 24-bit TGA file, top row first, of 16 x 8 pixels with a colour per column and row.
    constexpr int kWide = 16, kHigh = 8;
    auto colorAt = [](int x, int y) { return uint32_t(x * 15) << 16 | uint32_t(y * 30) << 8 | 0x40; };
    const std::string path = (folder / "restored.tga").string();
    {
        std::vector<uint8_t> file = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, kWide, 0, kHigh, 0, 24, 0x20};
        for (int y = 0; y < kHigh; ++y)
            for (int x = 0; x < kWide; ++x) {
                const uint32_t c = colorAt(x, y);
                file.insert(file.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
            }
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    }
    const int graphic = LoadGraphic(path.c_str());
    ASSERT_NE(graphic, -1);
    auto shown = [&] {
        SetDrawTarget(-2);
        ClearScreen();
        PutGraphic(10, 20, graphic, 0);
        const std::vector<uint32_t> pixels = BackBuffer();
        int wrong = 0;
        for (int y = 0; y < kHigh; ++y)
            for (int x = 0; x < kWide; ++x) wrong += pixels[size_t(20 + y) * 800 + 10 + x] != colorAt(x, y);
        return wrong;
    };
    ASSERT_EQ(shown(), 0);
    auto loseAndComeBack = [&] {
        // The textures' contents are gone, as a lost device leaves them.
        PaintGraphic(graphic, 0, 0, 255, 255);
        SendMessage(CoreState.MainWindow, WM_ACTIVATE, WA_ACTIVE, 0);
    };

    loseAndComeBack();
    EXPECT_EQ(shown(), 0) << "the built-in restore loads the file again";
    EXPECT_NE(Log().find("グラフィックを復帰します"), std::string::npos);

    static int ownRestores;
    ownRestores = 0;
    SetGraphicRestorer([] { ++ownRestores; });
    loseAndComeBack();
    SetGraphicRestorer(nullptr);
    EXPECT_EQ(ownRestores, 1);
    EXPECT_EQ(shown(), kWide * kHigh) << "the program's own restore runs instead of the built-in one";

    DestroyGraphic(graphic);
    ASSERT_EQ(ChangeWindowMode(1), 0);
}

}  // namespace

namespace {

// A context that cannot be made on the window sends the layer to the software path, with the
// device's failure line, and the frame still reaches the GL window (through SDL's renderer).
TEST_F(DevicePathTest, NoContextOnTheWindowFallsBackToTheSoftwarePath)
{
    FailServiceCallForTest(PlatformService::GlContext, 1);
    SetLogEnabled(1);
    ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    ClearServiceFaultsForTest();
    if (!HardwarePathDecided()) GTEST_SKIP() << "no OpenGL 3.3 context under this X server";
    EXPECT_EQ(ScreenSettings.hardwarePath, 0);
    EXPECT_EQ(GlContextOpen(), 0);
    EXPECT_NE(Log().find("Direct3DDevice9 の作成に失敗しました"), std::string::npos);
    SetDrawTarget(-2);
    ClearScreen();
    DrawRect(100, 100, 200, 150, PackColor(255, 0, 0), 1);
    ASSERT_EQ(PresentScreen(), 0);
    Settle();
    const Rect client = CoreState.ClientRectOnScreen;
    const Screenshot shot = Shot();
    EXPECT_EQ(shot.At(client.left + 100, client.top + 100), 0xFF0000u);
    EXPECT_EQ(shot.At(client.left + 99, client.top + 100), 0x000000u);
}

}  // namespace
