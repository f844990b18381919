// The GL stand-ins on SDL's offscreen driver (EGL, Mesa's CPU rasteriser here): what the
// device path relies on — pixel centres at whole numbers, flat colour from the first vertex,
// the viewport acting as a clip in target pixels, the blend equations, textures modulated by
// the vertex colour, and the surfaces' formats.
#include "platform/gl/gl_device.h"
#include "platform/window_system/window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace ror;

namespace {

struct Vertex {
    float x, y, z, rhw;
    uint32_t color;
};

struct TexturedVertex {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};

std::string ReadShader(const char* name)
{
    std::ifstream in(std::string(ROR_SHADER_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

MessageResult PlainProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam)
{
    return DefWindowProc(window, message, wParam, lParam);
}

class GlDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* driver = std::getenv("SDL_VIDEODRIVER");
        savedDriver = driver ? driver : "";
        hadDriver = driver != nullptr;
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        GlProbeReport report;
        if (ProbeGl(&report) != 0) GTEST_SKIP() << "no OpenGL 3.3 or ES 3.0 context can be made here";
        ASSERT_EQ(RegisterWindowClass(className.c_str(), PlainProcedure, ClassLockRule::Exclusive), 0);
        SetGlCapableWindows(1);
        window = CreateWindowOfClass(className.c_str(), "gl", WS_POPUP, 0, 0, 0, 64, 64);
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(OpenGlContext(window, 0, &caps), 0);
        const std::string vertex = ReadShader("screen.vert"), fragment = ReadShader("screen.frag");
        ASSERT_EQ(LoadGlProgram(vertex.data(), uint32_t(vertex.size()), fragment.data(), uint32_t(fragment.size())), 0);
        surface = CreateGlSurface(kSize, kSize, GlPixelFormat::Rgba8);
        ASSERT_GT(surface, 0);
        ASSERT_EQ(SetGlTarget(surface), 0);
        ClearGlTarget(nullptr, 0xFF000000u, 0);
    }

    void TearDown() override
    {
        CloseGlContext();
        SetGlCapableWindows(0);
        if (window) DestroyWindow(window);
        UnregisterWindowClass(className.c_str());
        ReleaseWindowSystem();
        if (hadDriver)
            setenv("SDL_VIDEODRIVER", savedDriver.c_str(), 1);
        else
            unsetenv("SDL_VIDEODRIVER");
    }

    std::vector<uint32_t> Pixels()
    {
        std::vector<uint32_t> out(kSize * kSize);
        EXPECT_EQ(ReadGlSurface(surface, Rect{0, 0, kSize, kSize}, out.data(), kSize * 4), 0);
        return out;
    }

    // The pixels of the colour, as a rectangle (left, top, right, bottom); (0,0,0,0) for none.
    Rect Covered(uint32_t color)
    {
        const std::vector<uint32_t> p = Pixels();
        Rect r{kSize, kSize, 0, 0};
        int count = 0;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                if (p[y * kSize + x] == color) {
                    ++count;
                    r.left = std::min(r.left, x), r.top = std::min(r.top, y);
                    r.right = std::max(r.right, x + 1), r.bottom = std::max(r.bottom, y + 1);
                }
        if (count == 0) return Rect{0, 0, 0, 0};
        EXPECT_EQ(count, (r.right - r.left) * (r.bottom - r.top)) << "the pixels do not form a rectangle";
        return r;
    }

    void Box(float l, float t, float r, float b, uint32_t color)
    {
        const Vertex v[6] = {{l, t, 0, 1, color}, {r, t, 0, 1, color}, {l, b, 0, 1, color},
                             {r, b, 0, 1, color}, {l, b, 0, 1, color}, {r, t, 0, 1, color}};
        ASSERT_EQ(DrawGlVertices(v, 6, GlVertexLayout::Plain, GlPrimitive::Triangles, 0), 0);
    }

    static constexpr int kSize = 96;
    // A class holds a per-user lock while it has a window: tests running at once need their own.
    std::string className = "gl device test " + std::to_string(std::random_device{}());
    std::string savedDriver;
    bool hadDriver = false;
    WindowHandle window = nullptr;
    GlCaps caps{};
    int32_t surface = -1;
};

TEST_F(GlDeviceTest, BoxesAndLinesCoverTheLayersPixels)
{
    struct Case {
        const char* what;
        int lines;
        float x1, y1, x2, y2;
        Rect expected;
    };
    const Case cases[] = {
        {"box", 0, 17, 17, 65, 65, {17, 17, 65, 65}},
        {"box one pixel", 0, 3, 4, 4, 5, {3, 4, 4, 5}},
        {"row, end moved 0.1 back", 1, 0, 5, 9.9f, 5, {0, 5, 10, 6}},
        {"column, end moved 0.1 back", 1, 7, 20, 7, 29.9f, {7, 20, 8, 30}},
        {"row drawn right to left", 1, 40, 50, 30.1f, 50, {31, 50, 41, 51}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearGlTarget(nullptr, 0xFF000000u, 0);
        if (c.lines) {
            const Vertex v[2] = {{c.x1, c.y1, 0, 1, 0xFFFFFFFFu}, {c.x2, c.y2, 0, 1, 0xFFFFFFFFu}};
            ASSERT_EQ(DrawGlVertices(v, 2, GlVertexLayout::Plain, GlPrimitive::Lines, 0), 0);
        } else {
            Box(c.x1, c.y1, c.x2, c.y2, 0xFFFFFFFFu);
        }
        const Rect r = Covered(0xFFFFFFFFu);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
}

TEST_F(GlDeviceTest, EachTriangleTakesItsFirstVertexColour)
{
    const Vertex v[3] = {{0, 0, 0, 1, 0xFF102030u}, {90, 0, 0, 1, 0xFFFF0000u}, {0, 90, 0, 1, 0xFF00FF00u}};
    ASSERT_EQ(DrawGlVertices(v, 3, GlVertexLayout::Plain, GlPrimitive::Triangles, 0), 0);
    const std::vector<uint32_t> p = Pixels();
    EXPECT_EQ(p[1 * kSize + 1], 0xFF102030u);
    EXPECT_EQ(p[40 * kSize + 40], 0xFF102030u);
    EXPECT_EQ(p[2 * kSize + 80], 0xFF102030u);
}

TEST_F(GlDeviceTest, ViewportClipsInTargetPixels)
{
    ASSERT_EQ(SetGlViewport(10, 20, 30, 40), 0);
    Box(0, 0, 96, 96, 0xFFFFFFFFu);
    Rect r = Covered(0xFFFFFFFFu);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 40);
    EXPECT_EQ(r.bottom, 60);
    // A clear with an area ignores the viewport; one without covers the whole target.
    const Rect area{50, 5, 60, 8};
    ClearGlTarget(&area, 0xFF0000FFu, 0);
    r = Covered(0xFF0000FFu);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.bottom, 8);
    ClearGlTarget(nullptr, 0xFF00FF00u, 0);
    r = Covered(0xFF00FF00u);
    EXPECT_EQ(r.right - r.left, kSize);
    EXPECT_EQ(r.bottom - r.top, kSize);
}

TEST_F(GlDeviceTest, BlendEquations)
{
    struct Case {
        const char* what;
        GlBlendFactor source, destination;
        GlBlendOp op;
        uint32_t drawn, expected;  // over a background of 0xFF806040
    };
    const Case cases[] = {
        {"alpha", GlBlendFactor::SrcAlpha, GlBlendFactor::InvSrcAlpha, GlBlendOp::Add, 0x80FFFFFFu, 0xFFC0B0A0u},
        {"add", GlBlendFactor::SrcAlpha, GlBlendFactor::One, GlBlendOp::Add, 0xFF404040u, 0xFFC0A080u},
        {"subtract", GlBlendFactor::SrcAlpha, GlBlendFactor::One, GlBlendOp::ReverseSubtract, 0xFF505050u, 0xFF301000u},
        {"invert", GlBlendFactor::InvDestColor, GlBlendFactor::Zero, GlBlendOp::Add, 0xFFFFFFFFu, 0xFF7F9FBFu},
        {"multiply", GlBlendFactor::Zero, GlBlendFactor::SrcColor, GlBlendOp::Add, 0xFF80FF00u, 0xFF406000u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetGlBlend(0, GlBlendFactor::One, GlBlendFactor::Zero, GlBlendOp::Add);
        ClearGlTarget(nullptr, 0xFF806040u, 0);
        SetGlBlend(1, c.source, c.destination, c.op);
        Box(0, 0, 8, 8, c.drawn);
        const uint32_t got = Pixels()[0];
        for (int shift : {0, 8, 16}) {
            const int a = int((got >> shift) & 0xFF), b = int((c.expected >> shift) & 0xFF);
            EXPECT_LE(std::abs(a - b), 1) << std::hex << got << " for " << c.expected;
        }
    }
}

TEST_F(GlDeviceTest, TextureModulatedByVertexColourAndTexelAligned)
{
    const uint32_t texels[4] = {0xFFFFFFFFu, 0xFF808080u, 0xFF0000FFu, 0xFFFF0000u};
    const int32_t texture = CreateGlTexture(2, 2, GlPixelFormat::Rgba8, 1);
    ASSERT_GT(texture, 0);
    ASSERT_EQ(UpdateGlTexture(texture, GlPixelFormat::Rgba8, 0, 0, 0, 2, 2, texels, 8), 0);
    // A 2 x 2 quad at (10, 10) with its corners half a pixel out, so texel centres meet pixel centres.
    const TexturedVertex quad[4] = {{9.5f, 9.5f, 0, 1, 0xFF80FFFFu, 0, 0},
                                    {11.5f, 9.5f, 0, 1, 0xFF80FFFFu, 1, 0},
                                    {9.5f, 11.5f, 0, 1, 0xFF80FFFFu, 0, 1},
                                    {11.5f, 11.5f, 0, 1, 0xFF80FFFFu, 1, 1}};
    ASSERT_EQ(DrawGlVertices(quad, 4, GlVertexLayout::Textured, GlPrimitive::TriangleStrip, texture), 0);
    const std::vector<uint32_t> p = Pixels();
    EXPECT_EQ(p[10 * kSize + 10], 0xFF80FFFFu);
    EXPECT_EQ(p[10 * kSize + 11], 0xFF408080u);
    EXPECT_EQ(p[11 * kSize + 10], 0xFF0000FFu);
    EXPECT_EQ(p[11 * kSize + 11], 0xFF800000u);
    EXPECT_EQ(p[9 * kSize + 10], 0xFF000000u);
    DestroyGlTexture(texture);
}

TEST_F(GlDeviceTest, SixteenBitSurfacesAndCopies)
{
    const int32_t small = CreateGlSurface(kSize, kSize, GlPixelFormat::Rgb565);
    ASSERT_GT(small, 0);
    ASSERT_EQ(SetGlTarget(small), 0);
    ClearGlTarget(nullptr, 0xFFFFFFFFu, 0);
    Box(0, 0, 4, 4, 0xFF123456u);
    ASSERT_EQ(CopyGlSurface(small, Rect{0, 0, 8, 8}, surface, Rect{0, 0, 16, 16}, 0), 0);
    const std::vector<uint32_t> p = Pixels();
    // 5-6-5 keeps the top bits of each channel; the copy doubles the 4 x 4 box.
    const uint32_t v = p[0];
    EXPECT_EQ((v >> 16) & 0xF8, 0x10u);
    EXPECT_EQ((v >> 8) & 0xFC, 0x34u);
    EXPECT_EQ(v & 0xF8, 0x50u);
    EXPECT_EQ(p[7 * kSize + 7], v);
    EXPECT_EQ(p[8 * kSize + 8], 0xFFFFFFFFu);
    EXPECT_EQ(PresentGlSurface(surface, Rect{0, 0, kSize, kSize}, Rect{0, 0, 64, 64}), 0);
    DestroyGlSurface(small);
}

TEST(GlProbeTest, ReportsTheRendererOrNothing)
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const std::string saved = driver ? driver : "";
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    GlProbeReport report;
    EXPECT_EQ(ProbeGl(&report), -1);  // the dummy driver has no GL
    EXPECT_EQ(report.contextMade, 0);
    ReleaseWindowSystem();
    if (driver)
        setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_VIDEODRIVER");
}

}  // namespace
