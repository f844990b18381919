#include "graphics/blend_graphics.h"
#include "graphics/draw_shapes.h"
#include "graphics/graphic_handles.h"
#include "graphics/pixel_convert.h"
#include "graphics/software/software_screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace ror;

class GraphicsTest : public SoftwareScreenTest {
protected:
    void SetUp() override { StartSoftwareScreen(800, 600, 32); }
};

TEST_F(GraphicsTest, HandlesLifecycleAndLostFlag)
{
    const int first = CreateBlankGraphic(40, 40);
    ASSERT_GE(first, 0);
    EXPECT_EQ(first & 0x78000000, 0x08000000);
    EXPECT_EQ(first & 0xFFFF, 0);
    const int second = CreateBlankGraphic(8, 8);
    EXPECT_EQ(second & 0xFFFF, 1);
    EXPECT_EQ((second >> 16) & 0x7FF, ((first >> 16) & 0x7FF) + 1);
    EXPECT_EQ(GraphicTable.count, 2);

    int32_t lost = 5;
    EXPECT_EQ(WatchGraphicLoss(first, &lost), 0);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(DestroyGraphic(first), 0);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(DestroyGraphic(first), -1);
    EXPECT_EQ(PutGraphic(0, 0, first, 0), -1);
    EXPECT_EQ(DestroyGraphic(0x20000000), -1);  // a font handle
    EXPECT_EQ(CreateBlankGraphic(0, 5), -1);

    // The high-water mark falls back past empty slots when the top one goes.
    EXPECT_EQ(GraphicTable.highWater, 2);
    DestroyGraphic(second);
    EXPECT_EQ(GraphicTable.highWater, 0);
    EXPECT_EQ(GraphicTable.count, 0);
}

TEST_F(GraphicsTest, SubGraphicIsCutAtTheSourceEdges)
{
    const int source = CreateBlankGraphic(40, 40);
    const int sub = CreateSubGraphic(10, 10, 50, 50, source);
    ASSERT_GE(sub, 0);
    int w = 0, h = 0;
    GraphicSize(sub, &w, &h);
    EXPECT_EQ(w, 30);
    EXPECT_EQ(h, 30);
    EXPECT_EQ(CreateSubGraphic(40, 0, 5, 5, source), -1);
    EXPECT_EQ(CreateSubGraphic(-1, 0, 5, 5, source), -1);
    // The sub-graphic keeps the image after its source is gone.
    DestroyGraphic(source);
    EXPECT_EQ(PaintGraphic(sub, 255, 0, 0, 255), 0);
    EXPECT_EQ(ResolveGraphic(sub)->view.base->refCount, 2);  // the image and the one graphic left
    EXPECT_EQ(PixelAt(ResolveGraphic(sub)->view, 29, 29), 0xFFFF0000u);
}

TEST_F(GraphicsTest, DrawIntoAGraphicThenOntoTheScreen)
{
    const int g = CreateBlankGraphic(16, 16);
    ASSERT_EQ(SetDrawTarget(g), 0);
    EXPECT_EQ(DrawState.drawArea.right, 16);
    DrawState.background[1] = 255;
    ClearScreen();
    DrawRect(4, 4, 8, 8, PackColor(255, 0, 0), 1);
    ASSERT_EQ(SetDrawTarget(DRAW_TARGET_BACK_SCREEN), 0);
    EXPECT_EQ(DrawState.drawArea.right, 800);
    DrawState.background[1] = 0;
    SetDrawRegion(10, 10, 20, 20);
    ClearScreen();  // ignores the draw area
    EXPECT_EQ(CountPixels(SoftScreen.screen, 0xFF000000), 800 * 600);
    SetDrawRegion(0, 0, 800, 600);
    EXPECT_EQ(PutGraphic(100, 50, g, 0), 0);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 100, 50), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 104, 54), 0xFFFF0000u);
    EXPECT_EQ(SetDrawTarget(12345), -1);
    // Deleting the target graphic leaves the screen as the target.
    SetDrawTarget(g);
    DestroyGraphic(g);
    EXPECT_EQ(SoftScreen.target, &SoftScreen.screen);
    DrawRect(0, 0, 1, 1, 0xFFFFFFFF, 1);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 0, 0), 0xFFFFFFFFu);
}

TEST_F(GraphicsTest, BlendImageMustCoverTheGraphic)
{
    const int g = CreateBlankGraphic(16, 16);
    const int small = CreateBlendGraphic(8, 8);
    EXPECT_EQ(SetBlendImage(12345, 0, 0), -1);
    EXPECT_EQ(SetBlendImage(small, 0, 0), 0);
    EXPECT_EQ(PutGraphic(0, 0, g, 0), -1);
    EXPECT_EQ(SetBlendImage(-1, 0, 0), 0);
    EXPECT_EQ(PutGraphic(0, 0, g, 0), 0);
}

TEST_F(GraphicsTest, CopyImageConvertsAndStaysInBounds)
{
    GraphicCreation.alphaChannel = 1;
    const int g = CreateBlankGraphic(4, 2);
    GraphicCreation.alphaChannel = 0;
    ColorFormat rgb{};
    MakeRgb24Format(&rgb);
    // 3 x 2 pixels of 24-bit blue, green, red bytes.
    const uint8_t pixels[2][9] = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}};
    const PixelImage src{&pixels[0][0], 9, 3, 2, &rgb};
    ColorFormat grey{};
    MakeGreyPaletteFormat(&grey);
    const uint8_t alphaLevels[2][3] = {{0, 128, 255}, {255, 255, 255}};
    const PixelImage alpha{&alphaLevels[0][0], 3, 3, 2, &grey};
    EXPECT_EQ(CopyImageToGraphic(g, src, &alpha, PixelRect{0, 0, 3, 2}, 1, 0), 0);
    const MEMIMG& view = ResolveGraphic(g)->view;
    EXPECT_EQ(PixelAt(view, 1, 0), 0x00030201u);
    EXPECT_EQ(PixelAt(view, 2, 0), 0x80060504u);
    EXPECT_EQ(PixelAt(view, 3, 1), 0xFF121110u);
    // A rectangle reaching outside the source or the graphic is cut; nothing left is -1.
    EXPECT_EQ(CopyImageToGraphic(g, src, nullptr, PixelRect{-2, 0, 50, 50}, 0, 0), 0);
    EXPECT_EQ(PixelAt(view, 2, 1), 0xFF0C0B0Au);
    EXPECT_EQ(CopyImageToGraphic(g, src, nullptr, PixelRect{0, 0, 3, 2}, 4, 0), -1);
    EXPECT_EQ(CopyImageToGraphic(g, src, nullptr, PixelRect{0, 0, 0, 2}, 0, 0), 0);
    // The whole store written: the run table is built.
    EXPECT_EQ(CopyImageToGraphic(g, src, &alpha, PixelRect{0, 0, 3, 2}, 0, 0), 0);
    EXPECT_EQ(view.base->runsValid, 0);  // column 3 was not written
}

TEST(PixelConvert, BetweenLayouts)
{
    // 16-bit 5-6-5 to 32-bit: fields widened with rounding, unused bits set.
    const uint16_t in[2] = {0xF800, 0x07E0 | 0x0001};
    const PixelImage src{reinterpret_cast<const uint8_t*>(in), 4, 2, 1, SoftwareColorFormat(0, 0, 0)};
    uint32_t out[2] = {};
    ASSERT_EQ(ConvertPixels(src, reinterpret_cast<uint8_t*>(out), 8, SoftwareColorFormat(1, 0, 0), 2, 1), 0);
    EXPECT_EQ(out[0], 0xFFFF0000u);
    EXPECT_EQ(out[1], 0xFF00FF08u);
    // And back.
    uint16_t back[2] = {};
    const PixelImage wide{reinterpret_cast<const uint8_t*>(out), 8, 2, 1, SoftwareColorFormat(1, 0, 0)};
    ConvertPixels(wide, reinterpret_cast<uint8_t*>(back), 4, SoftwareColorFormat(0, 0, 0), 2, 1);
    EXPECT_EQ(back[0], in[0]);
    EXPECT_EQ(back[1], in[1]);
    // A palette source goes through its entries; block-compressed data is refused.
    ColorFormat pal{};
    MakePaletteFormat(&pal);
    pal.palette[7][0] = 0x30;
    pal.palette[7][1] = 0x20;
    pal.palette[7][2] = 0x10;
    const uint8_t index = 7;
    const PixelImage p{&index, 1, 1, 1, &pal};
    uint32_t argb = 0;
    ColorFormat a8{};
    MakeArgb8Format(&a8);
    ConvertPixels(p, reinterpret_cast<uint8_t*>(&argb), 4, &a8, 1, 1);
    EXPECT_EQ(argb, 0xFF102030u);
    ColorFormat dxt = a8;
    dxt.compression = 1;
    const PixelImage d{&index, 1, 1, 1, &dxt};
    EXPECT_EQ(ConvertPixels(d, reinterpret_cast<uint8_t*>(&argb), 4, &a8, 1, 1), -1);
}

TEST_F(GraphicsTest, DrawStateSetters)
{
    struct Case {
        int x1, y1, x2, y2;
        PixelRect expected;
        int empty;
    };
    const Case cases[] = {
        {700, 500, 900, 700, {700, 500, 800, 600}, 0},
        {50, 50, 50, 60, {50, 50, 50, 60}, 1},
        {20, 30, 10, 5, {10, 5, 20, 30}, 0},
        {-5, -5, -1, 10, {0, 0, 0, 10}, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SetDrawRegion(c.x1, c.y1, c.x2, c.y2), 0);
        EXPECT_EQ(DrawState.drawArea.left, c.expected.left);
        EXPECT_EQ(DrawState.drawArea.top, c.expected.top);
        EXPECT_EQ(DrawState.drawArea.right, c.expected.right);
        EXPECT_EQ(DrawState.drawArea.bottom, c.expected.bottom);
        EXPECT_EQ(DrawState.drawAreaEmpty, c.empty);
        EXPECT_EQ(DrawState.drawAreaF[2], float(c.expected.right));
    }
    DrawState.drawTarget = 0x08001234;  // a graphic that does not exist
    EXPECT_EQ(SetDrawRegion(0, 0, 1, 1), -1);
    DrawState.drawTarget = DRAW_TARGET_BACK_SCREEN;

    SetBlendMode(1, 300);
    EXPECT_EQ(DrawState.blendParam, 255);
    SetBlendMode(1, -3);
    EXPECT_EQ(DrawState.blendParam, 0);
    SetDrawBrightness(-5, 128, 999);
    EXPECT_EQ(DrawState.brightness[0], 0);
    EXPECT_EQ(DrawState.brightness[1], 128);
    EXPECT_EQ(DrawState.brightness[2], 255);
    SetWaitVsync(7);
    EXPECT_EQ(DrawState.waitVsync, 1);
    SetWaitVsync(0);
    EXPECT_EQ(DrawState.waitVsync, 0);
}

// The screen read back as 0xFFRRGGBB whatever its depth; 16-bit channels widen.
TEST(ReadScreenPixels, BothDepths)
{
    EXPECT_EQ(ReadScreenPixels(nullptr), -1);
    for (int bits : {32, 16}) {
        SCOPED_TRACE(bits);
        StartSoftwareScreen(8, 4, bits);
        std::vector<uint32_t> before(32, 1);
        EXPECT_EQ(ReadScreenPixels(before.data()), 0);
        DrawRect(2, 1, 5, 3, PackColor(255, 128, 0), 1);
        std::vector<uint32_t> pixels(32, 0);
        ASSERT_EQ(ReadScreenPixels(pixels.data()), 0);
        const uint32_t orange = bits == 32 ? 0xFFFF8000u : 0xFFFF8200u;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
                EXPECT_EQ(pixels[size_t(y) * 8 + x], inside ? orange : 0xFF000000u) << x << "," << y;
            }
        StopSoftwareScreen();
    }
    EXPECT_EQ(ReadScreenPixels(std::vector<uint32_t>(32).data()), -1);
}

// Every write into a graphic's pixels must outdate its transparency runs: an 8 x 8 graphic,
// left half the colour key, is written red all over and then drawn with transparency.
TEST_F(GraphicsTest, WritesIntoAGraphicOutdateItsTransparencyRuns)
{
    ColorFormat rgb{};
    MakeRgb24Format(&rgb);
    uint8_t halfKey[8][8 * 3] = {};
    for (auto& row : halfKey) std::fill(row + 4 * 3, row + 8 * 3, 255);
    const PixelImage src{&halfKey[0][0], 8 * 3, 8, 8, &rgb};
    const uint32_t red = PackColor(255, 0, 0);

    struct Case {
        const char* name;
        void (*writeRed)(int graphic, const PixelImage& keyed);
    };
    const Case cases[] = {
        {"painted", [](int g, const PixelImage&) { PaintGraphic(g, 255, 0, 0, 255); }},
        {"box as draw target",
         [](int g, const PixelImage&) {
             SetDrawTarget(g);
             DrawRect(0, 0, 8, 8, PackColor(255, 0, 0), 1);
             SetDrawTarget(DRAW_TARGET_BACK_SCREEN);
         }},
        {"cleared as draw target",
         [](int g, const PixelImage&) {
             SetDrawTarget(g);
             DrawState.background[0] = 255;
             ClearScreen();
             DrawState.background[0] = 0;
             SetDrawTarget(DRAW_TARGET_BACK_SCREEN);
         }},
        {"copied in while the draw target, then a box",
         [](int g, const PixelImage& keyed) {
             SetDrawTarget(g);
             CopyImageToGraphic(g, keyed, nullptr, PixelRect{0, 0, 8, 8}, 0, 0);
             DrawRect(0, 0, 8, 8, PackColor(255, 0, 0), 1);
             SetDrawTarget(DRAW_TARGET_BACK_SCREEN);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int g = CreateBlankGraphic(8, 8);
        ASSERT_EQ(CopyImageToGraphic(g, src, nullptr, PixelRect{0, 0, 8, 8}, 0, 0), 0);
        c.writeRed(g, src);
        ClearScreen();
        EXPECT_EQ(PutGraphic(0, 0, g, 1), 0);
        EXPECT_EQ(CountPixels(SoftScreen.screen, red), 64);
        ClearScreen();
        SetDrawRegion(1, 0, 800, 600);  // clipped by one column
        EXPECT_EQ(PutGraphic(0, 0, g, 1), 0);
        EXPECT_EQ(CountPixels(SoftScreen.screen, red), 56);
        SetDrawRegion(0, 0, 800, 600);
        DestroyGraphic(g);
    }
}
