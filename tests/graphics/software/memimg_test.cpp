#include "graphics/draw_shapes.h"
#include "graphics/software/memimg.h"
#include "graphics/software/software_screen.h"

#include <climits>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

using namespace ror;

TEST(ClipRect, Table)
{
    struct Case {
        PixelRect r, clip, expected;
    };
    const Case cases[] = {
        {{10, 10, 5, 20}, {0, 0, 100, 100}, {10, 10, 10, 20}},  // collapses, no swap
        {{-5, -5, 50, 50}, {0, 0, 100, 100}, {0, 0, 50, 50}},
        {{90, 90, 150, 150}, {0, 0, 100, 100}, {90, 90, 100, 100}},
        {{200, 200, 300, 300}, {0, 0, 100, 100}, {100, 100, 100, 100}},  // no overlap: empty
        {{10, 30, 20, 10}, {0, 0, 100, 100}, {10, 30, 20, 30}},
        {{-50, 10, -10, 20}, {0, 0, 100, 100}, {0, 10, 0, 20}},
    };
    for (const Case& c : cases) {
        PixelRect r = c.r;
        EXPECT_EQ(ClipRect(&r, &c.clip), 0);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
}

TEST(MemImg, PitchAndShift)
{
    struct Case {
        int width, kind, alpha, palette, pitchArg;
        int pitch;
        uint32_t shift;
    };
    const Case cases[] = {
        {800, 1, 0, 0, -1, 3200, 0xFFFFFFFF},
        {1024, 1, 0, 0, -1, 4096, 12},
        {3, 0, 0, 0, -1, 16, 0xFFFFFFFF},
        {5, 0, 0, 0, -1, 16, 4},
        {5, 0, 1, 0, -1, 32, 5},  // 16-bit with alpha is 4 bytes a pixel
        {17, 1, 0, 1, -1, 32, 5},
        {10, 2, 1, 1, -1, 16, 4},
        {10, 1, 0, 0, 64, 64, 6},  // given pitch, a power of two
        {10, 1, 0, 0, 48, 48, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        MEMIMG image{};
        ASSERT_EQ(CreateMemImg(&image, c.width, 2, c.pitchArg, 0, c.kind, c.palette, c.alpha, 1, nullptr), 0);
        EXPECT_EQ(image.base->pitch, c.pitch) << c.width;
        EXPECT_EQ(image.base->pitchShift, c.shift) << c.width;
        EXPECT_EQ(CreateMemImg(&image, 4, 4, -1, 0, 0, 0, 0, 0, nullptr), -1);  // already valid
        ReleaseMemImg(&image);
        EXPECT_FALSE(IsValidMemImg(&image));
    }
}

TEST(MemImg, SubImagesShareTheStore)
{
    MEMIMG whole{}, part{}, outside{};
    ASSERT_EQ(CreateMemImg(&whole, 20, 10, -1, 0, 1, 0, 0, 0, nullptr), 0);
    MakeSubImage(&part, &whole, 4, 2, 10, 5);
    ASSERT_TRUE(IsValidMemImg(&part));
    EXPECT_EQ(whole.base->refCount, 2);
    EXPECT_EQ(part.pixels, whole.pixels + 2 * whole.base->pitch + 4 * 4);
    MakeSubImage(&outside, &whole, 15, 0, 10, 5);
    EXPECT_FALSE(IsValidMemImg(&outside));
    ReleaseMemImg(&whole);
    EXPECT_EQ(part.base->refCount, 1);
    FillMemImg(&part, nullptr, 0x12345678);
    EXPECT_EQ(PixelAt(part, 9, 4), 0x12345678u);
    ReleaseMemImg(&part);
}

class LineTest : public SoftwareScreenTest {
protected:
    void SetUp() override { StartSoftwareScreen(64, 48, 32); }

    std::vector<std::pair<int, int>> Written() const
    {
        std::vector<std::pair<int, int>> points;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                if (PixelAt(SoftScreen.screen, x, y) != 0) points.emplace_back(x, y);
        return points;
    }
};

TEST_F(LineTest, WalkAndClipping)
{
    using P = std::vector<std::pair<int, int>>;
    struct Case {
        int x1, y1, x2, y2;
        PixelRect area;
        P expected;
    };
    const Case cases[] = {
        {0, 0, 4, 2, {0, 0, 64, 48}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        {5, 5, 5, 5, {0, 0, 64, 48}, {}},
        {0, 0, 1, 0, {0, 0, 64, 48}, {{0, 0}}},
        {-10,
         3,
         10,
         3,
         {0, 0, 64, 48},
         {{0, 3}, {1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}, {7, 3}, {8, 3}, {9, 3}}},
        {2, 0, 2, 3, {0, 0, 64, 48}, {{2, 0}, {2, 1}, {2, 2}}},
        {3, 3, 0, 0, {0, 0, 64, 48}, {{1, 1}, {2, 2}, {3, 3}}},
        {0, 0, 10, 0, {2, 0, 5, 48}, {{2, 0}, {3, 0}, {4, 0}}},
        {0, 0, 10, 0, {0, 1, 64, 48}, {}},  // wholly above the area
        {4, 10, 4, 0, {0, 2, 64, 8}, {{4, 2}, {4, 3}, {4, 4}, {4, 5}, {4, 6}, {4, 7}}},
    };
    for (const Case& c : cases) {
        FillMemImg(&SoftScreen.screen, nullptr, 0);
        SetDrawRegion(c.area.left, c.area.top, c.area.right, c.area.bottom);
        PlotLineMemImg(&SoftScreen.screen, c.x1, c.y1, c.x2, c.y2, 0xFFFFFFFF);
        P got = Written();
        P expected = c.expected;
        std::sort(expected.begin(), expected.end(),
                  [](auto a, auto b) { return std::pair(a.second, a.first) < std::pair(b.second, b.first); });
        EXPECT_EQ(got, expected) << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
    }
}

TEST_F(LineTest, LongLinesThroughTheAreaStayInside)
{
    SetDrawRegion(10, 10, 30, 20);
    const int ends[][4] = {
        {-1000, -700, 900, 800}, {63, 0, 0, 47}, {-5, 15, 100, 16}, {20, -100, 21, 100}, {0, 47, 63, 0}};
    for (const auto& e : ends) {
        PlotLineMemImg(&SoftScreen.screen, e[0], e[1], e[2], e[3], 0xFFFFFFFF);
        for (auto [x, y] : Written()) {
            EXPECT_GE(x, 10);
            EXPECT_LT(x, 30);
            EXPECT_GE(y, 10);
            EXPECT_LT(y, 20);
        }
    }
}

// Corners near the ends of the int range: no pixel outside the lines' true paths, and no
// overflowing arithmetic on the way (the sanitizer build reports any).
TEST_F(LineTest, ExtremeCornersDrawOnlyWhereTheLinesPass)
{
    StopSoftwareScreen();
    StartSoftwareScreen(64, 48, 32);
    struct Case {
        int x1, y1, x2, y2;
        int written;  // pixels of the 64 x 48 screen on the line or outline
    };
    const Case lines[] = {
        {INT_MIN, 5, INT_MAX, 5, 64},
        {INT_MAX, 5, INT_MIN, 5, 64},
        {7, INT_MIN, 7, INT_MAX, 48},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX, -1},  // the diagonal: at most one pixel a row
    };
    for (const Case& c : lines) {
        SCOPED_TRACE(std::to_string(c.x1) + "," + std::to_string(c.y1) + " -> " + std::to_string(c.x2) + "," +
                     std::to_string(c.y2));
        FillMemImg(&SoftScreen.screen, nullptr, 0);
        PlotLineMemImg(&SoftScreen.screen, c.x1, c.y1, c.x2, c.y2, 0xFFFFFFFF);
        if (c.written >= 0)
            EXPECT_EQ(int(Written().size()), c.written);
        else
            EXPECT_LE(int(Written().size()), 48);
    }
    const Case boxes[] = {
        {INT_MIN, INT_MIN, INT_MIN, INT_MIN, 0},
        {INT_MIN, 10, INT_MAX, 20, 2 * 64},  // the top and bottom rows cross the screen
        {10, INT_MIN, 20, INT_MAX, 2 * 48},
    };
    for (const Case& c : boxes) {
        SCOPED_TRACE("box " + std::to_string(c.x1) + "," + std::to_string(c.y1) + " - " + std::to_string(c.x2) + "," +
                     std::to_string(c.y2));
        FillMemImg(&SoftScreen.screen, nullptr, 0);
        DrawRect(c.x1, c.y1, c.x2, c.y2, 0xFFFFFFFF, 0);
        EXPECT_EQ(int(Written().size()), c.written);
    }
}

TEST_F(LineTest, RectanglesFillAndOutline)
{
    StopSoftwareScreen();
    StartSoftwareScreen(100, 100, 32);
    const uint32_t c = 0xFF00FF00;
    DrawRect(17, 17, 65, 65, c, 1);
    EXPECT_EQ(CountPixels(SoftScreen.screen, c), 48 * 48);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 17, 17), c);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 64, 64), c);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 65, 64), 0u);
    FillMemImg(&SoftScreen.screen, nullptr, 0);
    DrawRect(65, 65, 17, 17, c, 1);
    EXPECT_EQ(CountPixels(SoftScreen.screen, c), 48 * 48);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 17, 17), c);

    // The outline writes each boundary pixel once: seen through an adding blend.
    FillMemImg(&SoftScreen.screen, nullptr, 0);
    SetBlendMode(2, 255);
    DrawRect(10, 10, 20, 15, 0xFF010101, 0);
    EXPECT_EQ(CountPixels(SoftScreen.screen, 0x00010101), 26);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 10, 10), 0x00010101u);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 19, 14), 0x00010101u);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 15, 12), 0u);

    // An empty draw area suppresses everything.
    SetBlendMode(0, 0);
    FillMemImg(&SoftScreen.screen, nullptr, 0);
    SetDrawRegion(50, 50, 50, 60);
    EXPECT_EQ(DrawState.drawAreaEmpty, 1);
    DrawRect(0, 0, 100, 100, c, 1);
    DrawSegment(0, 55, 100, 55, c, 1);
    EXPECT_EQ(CountPixels(SoftScreen.screen, c), 0);
}

TEST_F(LineTest, ThickSegmentIsABand)
{
    StopSoftwareScreen();
    StartSoftwareScreen(100, 100, 32);
    const uint32_t c = 0xFFFFFFFF;
    // Band from (16, 14.5) to (65, 17.5): rows 15-17, columns 16-64.
    DrawSegment(16, 16, 65, 16, c, 3);
    EXPECT_EQ(CountPixels(SoftScreen.screen, c), 49 * 3);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 16, 15), c);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 64, 17), c);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 65, 16), 0u);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 16, 18), 0u);

    FillMemImg(&SoftScreen.screen, nullptr, 0);
    DrawSegment(40, 10, 40, 30, c, 3);  // vertical: columns 39-41, rows 10-29
    EXPECT_EQ(CountPixels(SoftScreen.screen, c), 20 * 3);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 39, 10), c);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 41, 29), c);

    // Two bands meeting at a corner through an adding blend: only the overlap doubles.
    FillMemImg(&SoftScreen.screen, nullptr, 0);
    DrawSegment(5, 5, 5, 5, c, 3);  // zero length: nothing
    EXPECT_EQ(CountPixels(SoftScreen.screen, 0), 100 * 100);

    // Brightness and the draw area apply.
    SetDrawBrightness(128, 128, 128);
    SetDrawRegion(0, 0, 30, 100);
    DrawSegment(16, 16, 65, 16, c, 3);
    EXPECT_EQ(CountPixels(SoftScreen.screen, 0xFF7F7F7F), 14 * 3);

    // A diagonal band covers a parallelogram without holes.
    SetDrawBrightness(255, 255, 255);
    SetDrawRegion(0, 0, 100, 100);
    FillMemImg(&SoftScreen.screen, nullptr, 0);
    DrawSegment(10, 10, 60, 60, c, 3);
    for (int i = 12; i < 58; ++i) EXPECT_EQ(PixelAt(SoftScreen.screen, i, i), c) << i;
    EXPECT_EQ(PixelAt(SoftScreen.screen, 30, 10), 0u);
}

// A band along an axis is filled as one box: it must cover the pixels the polygon rule gives
// the same rectangle drawn as two triangles, at whole and fractional corners, either way round.
TEST_F(LineTest, AxisAlignedQuadCoversWhatItsTrianglesCover)
{
    StopSoftwareScreen();
    StartSoftwareScreen(100, 100, 32);
    struct Case {
        float left, top, right, bottom;
    };
    const Case cases[] = {
        {16, 14.5f, 65, 17.5f}, {10, 10, 20, 12},     {39.5f, 10, 42.5f, 30}, {3.25f, 7.75f, 9.5f, 8.5f},
        {-5, -3.5f, 20, 2.5f},  {90.5f, 40, 120, 44}, {30, 30, 30.5f, 60},    {12.5f, 20.5f, 13.5f, 21.5f},
    };
    const uint32_t colour = 0xFF102030;
    auto vertex = [&](float x, float y) { return PolygonVertex{x, y, 0, 1, colour, 0, 0}; };
    for (const Case& c : cases) {
        for (bool reversed : {false, true}) {
            // A band's corner order: both ends on one side, then both on the other.
            PolygonVertex strip[4] = {vertex(c.left, c.top), vertex(c.right, c.top), vertex(c.left, c.bottom),
                                      vertex(c.right, c.bottom)};
            if (reversed) std::swap(strip[0], strip[3]), std::swap(strip[1], strip[2]);
            const PolygonVertex triangles[6] = {strip[0], strip[1], strip[2], strip[1], strip[2], strip[3]};
            FillMemImg(&SoftScreen.screen, nullptr, 0);
            SubmitVertices2D(triangles, 6, kTriangleList, kNoTexture, 0);
            std::vector<uint32_t> expected;
            for (int y = 0; y < 100; ++y)
                for (int x = 0; x < 100; ++x) expected.push_back(PixelAt(SoftScreen.screen, x, y));
            FillMemImg(&SoftScreen.screen, nullptr, 0);
            SubmitVertices2D(strip, 4, kTriangleStrip, kNoTexture, 0);
            int differing = 0;
            for (int y = 0; y < 100; ++y)
                for (int x = 0; x < 100; ++x)
                    differing += PixelAt(SoftScreen.screen, x, y) != expected[size_t(y * 100 + x)];
            EXPECT_EQ(differing, 0) << c.left << "," << c.top << " - " << c.right << "," << c.bottom << " reversed "
                                    << reversed;
            EXPECT_GT(CountPixels(SoftScreen.screen, colour), 0);
        }
    }
}

TEST_F(LineTest, SixteenBitScreenKeepsWhite)
{
    StopSoftwareScreen();
    StartSoftwareScreen(20, 20, 16);
    DrawRect(0, 0, 4, 4, 0xFFFFFFFF, 1);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 3, 3), 0xFFFFu);
    EXPECT_EQ(CountPixels(SoftScreen.screen, 0xFFFF), 16);
}

// Every blend mode on both depths, for a box and for a line.
class BlendModeTest : public SoftwareScreenTest {};

TEST_F(BlendModeTest, ThirtyTwoBit)
{
    StartSoftwareScreen(8, 2, 32);
    struct Case {
        int mode, param;
        uint32_t d, s, expected;
    };
    const Case cases[] = {
        {0, 0, 0xFF646464, 0x12C8C8C8, 0x12C8C8C8},    {1, 128, 0xFF646464, 0xFFC8C8C8, 0xFF969696},
        {1, 128, 0x01C8C8C8, 0xFF646464, 0x01969696},  // the destination keeps its top byte
        {1, 1, 0xFF010101, 0xFF000000, 0xFF000000},    {1, 255, 0xFF646464, 0x00C8C8C8, 0x00C8C8C8},
        {1, 0, 0xFF646464, 0xFFC8C8C8, 0xFF646464},    {2, 255, 0xFFC8C8C8, 0xFF646464, 0xFFFFFFFF},
        {2, 128, 0xFF000010, 0xFF0000C8, 0xFF000074},  // 16 + 200 * 128 / 255
        {2, 0, 0xFF101010, 0xFFFFFFFF, 0xFF101010},    {3, 255, 0xFF646464, 0xFF969696, 0xFF000000},
        {3, 128, 0xFF646464, 0xFF646464, 0xFF323232},  {4, 0, 0xFFC8C8C8, 0xFF808080, 0xFF646464},
        {10, 128, 0xFF646464, 0xFF373737, 0xFF969696}, {11, 128, 0xFFC8C8C8, 0xFF808080, 0xFF969696},
        {5, 128, 0xFF646464, 0xFFC8C8C8, 0xFF646464},  {7, 128, 0xFF646464, 0xFFC8C8C8, 0xFF646464},
    };
    for (const Case& c : cases) {
        SetBlendMode(c.mode, c.param);
        FillMemImg(&SoftScreen.screen, nullptr, c.d);
        const PixelRect box{0, 0, 8, 1};
        PaintBoxMemImg(&SoftScreen.screen, &box, c.s);        // vector rows
        PlotLineMemImg(&SoftScreen.screen, 0, 1, 8, 1, c.s);  // per pixel
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(PixelAt(SoftScreen.screen, x, 0), c.expected) << "mode " << c.mode << " p " << c.param;
            EXPECT_EQ(PixelAt(SoftScreen.screen, x, 1), c.expected) << "line, mode " << c.mode << " p " << c.param;
        }
    }
}

TEST_F(BlendModeTest, SixteenBit)
{
    StartSoftwareScreen(4, 2, 16);
    auto pack = [](int r, int g, int b) { return uint32_t(r << 11 | g << 5 | b); };
    struct Case {
        int mode, param;
        uint32_t d, s, expected;
    };
    const Case cases[] = {
        {0, 0, pack(1, 2, 3), pack(31, 63, 31), pack(31, 63, 31)},
        {1, 128, pack(1, 0, 31), pack(31, 63, 0), pack(1 + 15, 0 + 31, 31 - 15)},
        {1, 255, pack(1, 1, 1), pack(7, 8, 9), pack(7, 8, 9)},
        {2, 255, pack(20, 60, 5), pack(20, 10, 5), pack(31, 63, 10)},
        {3, 255, pack(20, 60, 5), pack(10, 70 & 63, 10), pack(10, 60 - (70 & 63), 0)},
        {4, 0, pack(31, 63, 31), pack(16, 32, 8), pack(15, 31, 7)},
        {10, 255, pack(0, 0, 0), pack(1, 2, 3), pack(30, 61, 28)},
        {11, 255, pack(31, 63, 31), pack(16, 32, 8), pack(15, 31, 7)},
        {6, 255, pack(1, 2, 3), pack(4, 5, 6), pack(1, 2, 3)},
    };
    for (const Case& c : cases) {
        SetBlendMode(c.mode, c.param);
        FillMemImg(&SoftScreen.screen, nullptr, c.d);
        const PixelRect box{0, 0, 4, 1};
        PaintBoxMemImg(&SoftScreen.screen, &box, c.s);
        PlotLineMemImg(&SoftScreen.screen, 0, 1, 4, 1, c.s);
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(PixelAt(SoftScreen.screen, x, 0), c.expected) << "mode " << c.mode;
            EXPECT_EQ(PixelAt(SoftScreen.screen, x, 1), c.expected) << "line, mode " << c.mode;
        }
    }
}

TEST_F(BlendModeTest, BrightnessScalesByTwoFiftySixths)
{
    StartSoftwareScreen(4, 1, 32);
    SetDrawBrightness(128, 255, 0);
    PaintBoxMemImg(&SoftScreen.screen, nullptr, 0xAAFFFFFF);
    // red 255 * 128 >> 8 = 127, green 255 * 255 >> 8 = 254, blue 0; the top byte stays
    EXPECT_EQ(PixelAt(SoftScreen.screen, 0, 0), 0xAA7FFE00u);
    StopSoftwareScreen();
    StartSoftwareScreen(4, 1, 16);
    SetDrawBrightness(128, 128, 128);
    PaintBoxMemImg(&SoftScreen.screen, nullptr, 0xFFFF);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 0, 0), uint32_t(15 << 11 | 31 << 5 | 15));
}

TEST_F(BlendModeTest, PaletteAndAlphaImagesAreNotDrawnInto)
{
    BuildBlendTables();
    MEMIMG alpha{}, palette{};
    ASSERT_EQ(CreateMemImg(&alpha, 4, 4, -1, 0, 1, 0, 1, 0, nullptr), 0);
    ASSERT_EQ(CreateMemImg(&palette, 4, 4, -1, 0, 1, 1, 0, 0, nullptr), 0);
    DrawState.drawArea = PixelRect{0, 0, 4, 4};
    FillMemImg(&alpha, nullptr, 0);
    FillMemImg(&palette, nullptr, 0);
    PaintBoxMemImg(&alpha, nullptr, 0xFFFFFFFF);
    PaintBoxMemImg(&palette, nullptr, 0xFFFFFFFF);
    PlotLineMemImg(&alpha, 0, 0, 4, 4, 0xFFFFFFFF);
    EXPECT_EQ(CountPixels(alpha, 0), 16);
    EXPECT_EQ(CountPixels(palette, 0), 16);
    ReleaseMemImg(&alpha);
    ReleaseMemImg(&palette);
}
