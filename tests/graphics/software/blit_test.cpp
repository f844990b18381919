#include "graphics/software/memimg_blit.h"
#include "graphics/software/software_screen.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace ror;

namespace {

struct Image {
    MEMIMG m{};
    Image(int w, int h, int kind, int alpha, int key = 0, int palette = 0)
    {
        EXPECT_EQ(CreateMemImg(&m, w, h, -1, key, kind, palette, alpha, 1, nullptr), 0);
    }
    ~Image() { ReleaseMemImg(&m); }
};

class BlitTest : public SoftwareScreenTest {
protected:
    void SetUp() override { StartSoftwareScreen(32, 16, 32); }
    MEMIMG& Screen() { return SoftScreen.screen; }
};

}  // namespace

TEST_F(BlitTest, PlainAndColourKeyed)
{
    Image src(4, 2, 1, 0, 0xFF00FF00);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) SetPixel(src.m, x, y, x == 1 ? 0xFF00FF00 : 0xFF000000u + uint32_t(x + 4 * y));
    FillMemImg(&Screen(), nullptr, 0x11111111);
    PutImageMemImg(&Screen(), &src.m, 3, 5, 0, nullptr);
    EXPECT_EQ(PixelAt(Screen(), 4, 5), 0xFF00FF00u);  // copied whole without transparency
    EXPECT_EQ(PixelAt(Screen(), 6, 6), 0xFF000007u);
    FillMemImg(&Screen(), nullptr, 0x11111111);
    PutImageMemImg(&Screen(), &src.m, 3, 5, 1, nullptr);
    EXPECT_EQ(PixelAt(Screen(), 4, 5), 0x11111111u);  // the key colour is skipped
    EXPECT_EQ(PixelAt(Screen(), 3, 5), 0xFF000000u);
    // Clipped by the draw area: only columns 5 and 6 of row 5.
    FillMemImg(&Screen(), nullptr, 0);
    SetDrawRegion(5, 0, 7, 6);
    PutImageMemImg(&Screen(), &src.m, 3, 5, 0, nullptr);
    EXPECT_EQ(CountPixels(Screen(), 0), 32 * 16 - 2);
    EXPECT_EQ(PixelAt(Screen(), 5, 5), 0xFF000002u);
    // Off the image entirely: nothing, and no write outside.
    SetDrawRegion(0, 0, 32, 16);
    PutImageMemImg(&Screen(), &src.m, -10, 40, 0, nullptr);
    PutImageMemImg(&Screen(), &src.m, 31, 15, 0, nullptr);
    EXPECT_EQ(PixelAt(Screen(), 31, 15), 0xFF000000u);
}

TEST_F(BlitTest, AlphaSourceAndBrightness)
{
    Image src(3, 1, 1, 1);
    SetPixel(src.m, 0, 0, 0x00C8C8C8);
    SetPixel(src.m, 1, 0, 0x80C8C8C8);
    SetPixel(src.m, 2, 0, 0xFFC8C8C8);
    FillMemImg(&Screen(), nullptr, 0x11646464);
    PutImageMemImg(&Screen(), &src.m, 0, 0, 1, nullptr);
    EXPECT_EQ(PixelAt(Screen(), 0, 0), 0x11646464u);
    EXPECT_EQ(PixelAt(Screen(), 1, 0), 0x11969696u);
    EXPECT_EQ(PixelAt(Screen(), 2, 0), 0xFFC8C8C8u);
    // Without transparency at default brightness the alpha is ignored.
    PutImageMemImg(&Screen(), &src.m, 0, 1, 0, nullptr);
    EXPECT_EQ(PixelAt(Screen(), 0, 1), 0x00C8C8C8u);
    // Brightness modulates by 255ths: 200 * 128 / 255 = 100.
    SetDrawBrightness(128, 128, 128);
    FillMemImg(&Screen(), nullptr, 0x11000000);
    PutImageMemImg(&Screen(), &src.m, 0, 0, 1, nullptr);
    EXPECT_EQ(PixelAt(Screen(), 2, 0), 0x11646464u);
    EXPECT_EQ(PixelAt(Screen(), 1, 0), 0x11323232u);  // 0 - ((128 * (0 - 100) + 255) >> 8) = 50
}

TEST_F(BlitTest, BlendModesWithImages)
{
    Image src(1, 1, 1, 0);
    struct Case {
        int mode, param;
        uint32_t d, s, expected;
    };
    const Case cases[] = {
        {1, 128, 0xFF656565, 0xFFC9C9C9, 0x00969696},  // (s >> 1) + (d >> 1), top byte 0
        {1, 64, 0xFF646464, 0xFFC8C8C8, 0xFF7D7D7D},   // ((200 - 100) * 64 + 25600) >> 8 = 125
        {1, 255, 0xFF646464, 0x12C8C8C8, 0x12C8C8C8},  {2, 255, 0xFFC8C8C8, 0xFF646464, 0xFFFFFFFF},
        {3, 255, 0xFF646464, 0xFF323232, 0xFF323232},  {4, 0, 0xFFC8C8C8, 0xFF808080, 0xFF646464},
        {11, 128, 0xFFC8C8C8, 0xFF808080, 0xFF969696},
    };
    for (const Case& c : cases) {
        SetPixel(src.m, 0, 0, c.s);
        FillMemImg(&Screen(), nullptr, c.d);
        SetBlendMode(c.mode, c.param);
        PutImageMemImg(&Screen(), &src.m, 0, 0, 0, nullptr);
        EXPECT_EQ(PixelAt(Screen(), 0, 0), c.expected) << "mode " << c.mode << " p " << c.param;
    }
}

TEST_F(BlitTest, RunTableEncodingAndWholeImageDraw)
{
    Image src(70, 2, 1, 1);
    // Row 0: 3 transparent, 66 opaque (split at 64), 1 partial. Row 1: alternating.
    for (int x = 0; x < 70; ++x) {
        SetPixel(src.m, x, 0, x < 3 ? 0x00000000 : x < 69 ? 0xFF102030 : 0x80102030);
        SetPixel(src.m, x, 1, x % 2 ? 0xFFFFFFFF : 0x00FFFFFF);
    }
    BuildRunTable(src.m.base);
    ASSERT_EQ(src.m.base->runsValid, 1);
    const uint8_t* runs = src.m.base->runTable;
    const std::vector<uint8_t> row0(runs, runs + 5);
    EXPECT_EQ(row0, (std::vector<uint8_t>{0x02, 0x40 | 63, 0x40 | 1, 0x80, 0xC0}));
    EXPECT_EQ(runs[75], 0x00);
    EXPECT_EQ(runs[76], 0x40);
    EXPECT_EQ(runs[75 + 70], 0xC0);
    // The premultiplied plane.
    uint32_t premul;
    std::memcpy(&premul, src.m.base->planeBuffer + 69 * 4, 4);
    EXPECT_EQ(premul, 0x80081018u);

    // The run walk gives the same pixels as the per-pixel draw.
    StopSoftwareScreen();
    StartSoftwareScreen(80, 4, 32);
    std::mt19937 rng(7);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 70; ++x) {
            const uint32_t a = (rng() % 3 == 0) ? 0 : (rng() % 2 ? 255 : rng() & 0xFF);
            SetPixel(src.m, x, y, (a << 24) | (rng() & 0xFFFFFF));
        }
    BuildRunTable(src.m.base);
    // Default state (vector rows), dimmed (the run walk), and an adding blend.
    const int states[][4] = {{255, 255, 255, 0}, {200, 150, 100, 0}, {255, 255, 255, 2}};
    MEMIMG copy{};
    CreateMemImg(&copy, 80, 4, -1, 0, 1, 0, 0, 0, nullptr);
    for (const auto& st : states) {
        SetDrawBrightness(st[0], st[1], st[2]);
        SetBlendMode(st[3], 200);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 80; ++x) SetPixel(SoftScreen.screen, x, y, rng());
        std::memcpy(copy.pixels, SoftScreen.screen.pixels, size_t(copy.base->pitch) * 4);
        src.m.base->runsValid = 1;
        PutImageMemImg(&SoftScreen.screen, &src.m, 5, 1, 1, nullptr);  // run table
        src.m.base->runsValid = 0;
        PutImageMemImg(&copy, &src.m, 5, 1, 1, nullptr);  // pixel by pixel
        EXPECT_EQ(std::memcmp(copy.pixels, SoftScreen.screen.pixels, size_t(copy.base->pitch) * 4), 0)
            << st[0] << " " << st[3];
    }
    ReleaseMemImg(&copy);
}

TEST_F(BlitTest, StretchAccumulatorAndFlips)
{
    Image src(3, 2, 1, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) SetPixel(src.m, x, y, uint32_t(10 * y + x + 1));
    // 3 -> 7 columns: ratio 152917; column i takes floor(65536 i / r).
    PixelRect r{0, 0, 7, 2};
    StretchImageMemImg(&Screen(), &src.m, &r, 0, nullptr);
    const uint32_t expected[7] = {1, 1, 1, 2, 2, 3, 3};
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(PixelAt(Screen(), x, 0), expected[x]) << x;
        EXPECT_EQ(PixelAt(Screen(), x, 1), expected[x] + 10) << x;
    }
    // Flipped both ways at double size.
    FillMemImg(&Screen(), nullptr, 0);
    r = PixelRect{6, 4, 0, 0};
    StretchImageMemImg(&Screen(), &src.m, &r, 0, nullptr);
    EXPECT_EQ(PixelAt(Screen(), 0, 0), 13u);
    EXPECT_EQ(PixelAt(Screen(), 5, 3), 1u);
    EXPECT_EQ(PixelAt(Screen(), 2, 1), 12u);
    // Clipped on the left: the accumulator starts at the clipped offset.
    FillMemImg(&Screen(), nullptr, 0);
    SetDrawRegion(3, 0, 32, 16);
    r = PixelRect{0, 0, 7, 2};
    StretchImageMemImg(&Screen(), &src.m, &r, 0, nullptr);
    EXPECT_EQ(PixelAt(Screen(), 2, 0), 0u);
    for (int x = 3; x < 7; ++x) EXPECT_EQ(PixelAt(Screen(), x, 0), expected[x]) << x;
    // The same size and no flip is a plain draw.
    FillMemImg(&Screen(), nullptr, 0);
    SetDrawRegion(0, 0, 32, 16);
    r = PixelRect{1, 1, 4, 3};
    StretchImageMemImg(&Screen(), &src.m, &r, 0, nullptr);
    EXPECT_EQ(PixelAt(Screen(), 1, 1), 1u);
    EXPECT_EQ(PixelAt(Screen(), 3, 2), 13u);
}

TEST_F(BlitTest, QuadCoversEachPixelOnce)
{
    Image src(8, 8, 1, 0);
    FillMemImg(&src.m, nullptr, 0xFF010101);
    FillMemImg(&Screen(), nullptr, 0);
    SetBlendMode(2, 255);
    const int32_t corners[4][2] = {{2, 1}, {20, 3}, {22, 14}, {1, 12}};
    MapQuadMemImg(&Screen(), &src.m, corners, 0, nullptr);
    int covered = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint32_t v = PixelAt(Screen(), x, y);
            EXPECT_TRUE(v == 0 || v == 0x00010101) << x << "," << y << " " << std::hex << v;
            covered += v != 0;
        }
    EXPECT_GT(covered, 150);
    // An axis-aligned quad maps the image one to one.
    Image grad(4, 4, 1, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) SetPixel(grad.m, x, y, uint32_t(y * 4 + x));
    SetBlendMode(0, 0);
    FillMemImg(&Screen(), nullptr, 0xDEAD);
    const int32_t square[4][2] = {{10, 5}, {14, 5}, {14, 9}, {10, 9}};
    MapQuadMemImg(&Screen(), &grad.m, square, 0, nullptr);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelAt(Screen(), 10 + x, 5 + y), uint32_t(y * 4 + x));
    EXPECT_EQ(PixelAt(Screen(), 14, 5), 0xDEADu);
    EXPECT_EQ(PixelAt(Screen(), 10, 9), 0xDEADu);
}

TEST_F(BlitTest, RuleTableAndBlendImage)
{
    uint8_t t[256];
    BuildRuleTable(t, 128, 255);
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[200], 200);
    BuildRuleTable(t, 0, 0);
    EXPECT_EQ(t[0], 255);
    BuildRuleTable(t, 255, 0);
    EXPECT_EQ(t[254], 0);
    EXPECT_EQ(t[255], 1);

    Image src(2, 1, 1, 0);
    Image blend(2, 1, 2, 0);
    SetPixel(src.m, 0, 0, 0xFFC8C8C8);
    SetPixel(src.m, 1, 0, 0xFFC8C8C8);
    blend.m.pixels[0] = 0;
    blend.m.pixels[1] = 200;
    BuildRuleTable(DrawState.ruleTable, 128, 255);  // weight = grey level
    SetBlendMode(1, 255);
    FillMemImg(&Screen(), nullptr, 0xFF646464);
    PutImageMemImg(&Screen(), &src.m, 0, 0, 0, &blend.m);
    EXPECT_EQ(PixelAt(Screen(), 0, 0), 0xFF646464u);  // weight 0
    // 100 + ((200 * 100 * 255) >> 16) = 177
    EXPECT_EQ(PixelAt(Screen(), 1, 0), 0xFFB1B1B1u);
    // A blend image smaller than the source draws nothing.
    Image small(1, 1, 2, 0);
    FillMemImg(&Screen(), nullptr, 0);
    PutImageMemImg(&Screen(), &src.m, 0, 0, 0, &small.m);
    EXPECT_EQ(CountPixels(Screen(), 0), 32 * 16);
}

TEST_F(BlitTest, SixteenBitAndMismatchedKinds)
{
    StopSoftwareScreen();
    StartSoftwareScreen(8, 2, 16);
    Image src(2, 1, 0, 0, 0x001F);
    SetPixel(src.m, 0, 0, 0xF800);
    SetPixel(src.m, 1, 0, 0x001F);
    PutImageMemImg(&SoftScreen.screen, &src.m, 0, 0, 1, nullptr);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 0, 0), 0xF800u);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 1, 0), 0u);
    // 16-bit alpha source: 5-6-5 low, alpha in bits 16-23.
    Image alpha(1, 1, 0, 1);
    SetPixel(alpha.m, 0, 0, 0x0080F800);
    PutImageMemImg(&SoftScreen.screen, &alpha.m, 1, 0, 1, nullptr);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 1, 0), uint32_t(15 << 11));  // 0 - ((128 * (0 - 31) + 255) >> 8)
    // A 32-bit source is not drawn on a 16-bit image.
    Image wide(1, 1, 1, 0);
    SetPixel(wide.m, 0, 0, 0xFFFFFFFF);
    PutImageMemImg(&SoftScreen.screen, &wide.m, 5, 1, 0, nullptr);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 5, 1), 0u);
}

// Full strength draws the target itself, as the box routines do: no unit lost to rounding.
TEST_F(BlitTest, FullStrengthReachesTheTarget)
{
    struct Case {
        const char* name;
        int mode, alpha;
        uint32_t d, s, expected;
    };
    const Case cases[] = {
        {"mode 1, opaque alpha source", 1, 1, 0x00000000, 0xFF000064, 0x00000064},
        {"mode 1, opaque alpha source, light over dark", 1, 1, 0x00102030, 0xFFF0E0D0, 0x00F0E0D0},
        {"mode 10, black over black", 10, 0, 0x00000000, 0xFF000000, 0x00FFFFFF},
        {"mode 10, alpha source", 10, 1, 0x00000000, 0xFF102030, 0x00EFDFCF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image src(1, 1, 1, c.alpha);
        SetPixel(src.m, 0, 0, c.s);
        FillMemImg(&Screen(), nullptr, c.d);
        SetBlendMode(c.mode, 255);
        PutImageMemImg(&Screen(), &src.m, 0, 0, 1, nullptr);
        EXPECT_EQ(PixelAt(Screen(), 0, 0) & 0x00FFFFFF, c.expected) << std::hex << PixelAt(Screen(), 0, 0);
    }
    SetBlendMode(0, 0);
}
