// Blend images: how they are made, what selecting one refuses, and that no draw reports
// success while the blend state kept it from drawing.
#include "core/tracked_memory.h"
#include "graphics/blend_graphics.h"
#include "graphics/draw_shapes.h"
#include "graphics/graphic_handles.h"
#include "graphics/pixel_convert.h"
#include "graphics/software/software_screen.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ror;

namespace {

class BlendImageTest : public SoftwareScreenTest {
protected:
    void SetUp() override { StartSoftwareScreen(64, 48, 32); }
    void TearDown() override
    {
        SetBlendImage(-1, 0, 0);
        GraphicCreation.colorDepth = 0;
        SoftwareScreenTest::TearDown();
    }
};

// A graphic of 0xRRGGBB pixels, `width` to a row.
int ColourGraphic(const std::vector<uint32_t>& rgb, int width)
{
    const int height = int(rgb.size()) / width;
    const int handle = CreateBlankGraphic(width, height);
    ColorFormat xrgb{};
    MakeXrgb8Format(&xrgb);
    const PixelImage source{reinterpret_cast<const uint8_t*>(rgb.data()), width * 4, width, height, &xrgb};
    EXPECT_EQ(CopyImageToGraphic(handle, source, nullptr, PixelRect{0, 0, width, height}, 0, 0), 0);
    return handle;
}

uint8_t Level(int handle, int x, int y) { return MemImgRow(&ResolveGraphic(handle)->view, y)[x]; }

}  // namespace

TEST_F(BlendImageTest, MadeFromBrightnessPaintedInPartsAndFreedLikeAnyGraphic)
{
    const int32_t blocksBefore = TrackedAllocState.count;
    // Greys keep their value; colours give their brightness.
    const int colour = ColourGraphic({0x808080, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000}, 6);
    const int levels = MakeBlendGraphic(colour);
    ASSERT_NE(levels, -1);
    const uint8_t expected[6] = {128, 76, 149, 28, 255, 0};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Level(levels, x, 0), expected[x]) << x;
    // A copy of a blend image has its levels.
    const int copy = MakeBlendGraphic(levels);
    ASSERT_NE(copy, -1);
    EXPECT_EQ(Level(copy, 1, 0), 76);

    // A blank one starts at 0; painting a part of it sets that part's level only.
    const int blank = CreateBlendGraphic(8, 4);
    ASSERT_NE(blank, -1);
    const int right = CreateSubGraphic(4, 0, 4, 4, blank);
    ASSERT_NE(right, -1);
    EXPECT_EQ(PaintGraphic(right, 200, 200, 200, 255), 0);
    EXPECT_EQ(Level(blank, 3, 3), 0);
    EXPECT_EQ(Level(blank, 4, 0), 200);
    EXPECT_EQ(Level(blank, 7, 3), 200);

    // Never a draw target nor drawn itself.
    EXPECT_EQ(SetDrawTarget(blank), -1);
    EXPECT_EQ(PutGraphic(0, 0, blank, 0), -1);
    EXPECT_EQ(CreateBlendGraphic(0, 4), -1);
    EXPECT_EQ(MakeBlendGraphic(12345), -1);

    // Deleting a selected blend image selects none; every block comes back.
    ASSERT_EQ(SetBlendImage(blank, 0, 0), 0);
    for (int h : {colour, levels, copy, right, blank}) EXPECT_EQ(DestroyGraphic(h), 0);
    EXPECT_EQ(DrawState.blendImageHandle, -1);
    EXPECT_EQ(DrawState.blendImage, nullptr);
    EXPECT_EQ(TrackedAllocState.count, blocksBefore);
}

TEST_F(BlendImageTest, OnlyABlendImageCanBeSelected)
{
    const int levels = CreateBlendGraphic(16, 16);
    const int colour = CreateBlankGraphic(16, 16);
    ASSERT_EQ(SetBlendImage(levels, 40, 60), 0);
    EXPECT_EQ(SetBlendImage(colour, 0, 0), -1);
    EXPECT_EQ(SetBlendImage(12345, 0, 0), -1);
    // The refused selections left the state as it was.
    EXPECT_EQ(DrawState.blendImageHandle, levels);
    EXPECT_EQ(DrawState.blendImage, &ResolveGraphic(levels)->view);
    EXPECT_EQ(DrawState.blendBorder, 40);
    EXPECT_EQ(DrawState.blendRange, 60);
}

// Every draw either draws and returns 0, or draws nothing and returns -1: a table of drawing
// operations by blend states.
TEST_F(BlendImageTest, NoDrawReportsSuccessWhileTheBlendStateKeepsItFromDrawing)
{
    // 16 x 16 graphic of one colour; a blend image whose left half weighs 0, right half 255.
    struct Op {
        const char* name;
        int (*draw)(int graphic);
    };
    const Op ops[] = {
        {"PutGraphic", [](int g) { return PutGraphic(10, 10, g, 0); }},
        {"PutGraphicQuad",
         [](int g) {
             const float corners[4][2] = {{10, 10}, {26, 10}, {26, 26}, {10, 26}};
             return PutGraphicQuad(corners, g, 0);
         }},
    };
    enum Outcome { kDrawsRightHalf, kDrawsWhole, kRefused };
    struct State {
        const char* name;
        // Sets the state up; returns the graphic to draw.
        int (*setUp)(int graphic);
        Outcome outcome;
    };
    const State states[] = {
        {"a covering blend image weighs the pixels",
         [](int g) {
             const int b = CreateBlendGraphic(16, 16);
             PaintGraphic(CreateSubGraphic(8, 0, 8, 16, b), 255, 255, 255, 255);
             SetBlendImage(b, 128, 0);
             return g;
         },
         kDrawsRightHalf},
        {"a narrower blend image",
         [](int g) {
             SetBlendImage(CreateBlendGraphic(8, 16), 0, 0);
             return g;
         },
         kRefused},
        {"a lower blend image",
         [](int g) {
             SetBlendImage(CreateBlendGraphic(16, 8), 0, 0);
             return g;
         },
         kRefused},
        {"a colour graphic offered as blend image is not selected",
         [](int g) {
             EXPECT_EQ(SetBlendImage(CreateBlankGraphic(16, 16), 0, 0), -1);
             return g;
         },
         kDrawsWhole},
        {"the selected blend image was deleted",
         [](int g) {
             const int b = CreateBlendGraphic(16, 16);
             SetBlendImage(b, 0, 0);
             DestroyGraphic(b);
             return g;
         },
         kDrawsWhole},
        {"the blend image itself is drawn",
         [](int) {
             const int b = CreateBlendGraphic(16, 16);
             PaintGraphic(b, 255, 255, 255, 255);
             return b;
         },
         kRefused},
        {"a graphic of another depth than the screen",
         [](int) {
             GraphicCreation.colorDepth = 16;
             const int other = CreateBlankGraphic(16, 16);
             GraphicCreation.colorDepth = 0;
             PaintGraphic(other, 255, 255, 255, 255);
             return other;
         },
         kRefused},
    };
    for (const Op& op : ops)
        for (const State& state : states) {
            SCOPED_TRACE(std::string(op.name) + ": " + state.name);
            FillMemImg(&SoftScreen.screen, nullptr, 0);
            const int graphic = CreateBlankGraphic(16, 16);
            PaintGraphic(graphic, 255, 255, 255, 255);
            const int drawn = state.setUp(graphic);
            const int result = op.draw(drawn);
            EXPECT_EQ(result, state.outcome == kRefused ? -1 : 0);
            const bool leftDrawn = (PixelAt(SoftScreen.screen, 12, 12) & 0xFFFFFF) != 0;
            const bool rightDrawn = (PixelAt(SoftScreen.screen, 22, 22) & 0xFFFFFF) != 0;
            EXPECT_EQ(leftDrawn, state.outcome == kDrawsWhole);
            EXPECT_EQ(rightDrawn, state.outcome != kRefused);
            SetBlendImage(-1, 0, 0);
            DestroyAllGraphics();
        }
}
