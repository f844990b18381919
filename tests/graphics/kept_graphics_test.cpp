// Graphics and fonts across a mode change: released by default; with
// SetKeepGraphicsAcrossModeChange(1) every handle stays valid with its pixels and settings, on
// both drawing paths, and a graphic still shares its pixels with its sub-graphics.
#include "bmp_picture.h"
#include "both_paths_fixture.h"
#include "graphics/draw_ops.h"
#include "graphics/graphic_handles.h"
#include "image/png_encoder.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace {

class KeptGraphicsTest : public BothPathsTest {
protected:
    void TearDown() override
    {
        SetKeepGraphicsAcrossModeChange(0);
        BothPathsTest::TearDown();
    }
};

// A BMP whose every pixel differs: red along x, green along y.
std::vector<uint8_t> GradientBmp(int width, int height)
{
    return Bmp24(width, height, [](int x, int y) { return uint32_t(x * 20) << 16 | uint32_t(y * 20) << 8 | 40u; });
}

// A graphic's pixels as 0xAARRGGBB, a blend image's as its levels.
std::vector<uint32_t> PixelsOf(int handle)
{
    ror::GraphicRecord* g = ror::ResolveGraphic(handle);
    if (g == nullptr) return {};
    std::vector<uint32_t> pixels(size_t(g->width) * g->height);
    if (g->image->blend) {
        for (int y = 0; y < g->height; ++y)
            for (int x = 0; x < g->width; ++x) pixels[size_t(y) * g->width + x] = ror::MemImgRow(&g->view, y)[x];
    } else {
        EXPECT_EQ(ror::DrawOps.readGraphicPixels(g, pixels.data()), 0);
    }
    return pixels;
}

struct ModeChange {
    const char* what;
    std::function<void()> change;
};

const ModeChange kModeChanges[] = {
    {"a new screen size", [] { EXPECT_EQ(SetScreenMode(800, 600, 32, 60), 0); }},
    {"full screen and back",
     [] {
         ChangeWindowMode(0);
         ChangeWindowMode(1);
     }},
};

TEST_P(KeptGraphicsTest, EveryKindOfGraphicAndFontKeepsItsHandleAndPixels)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    SetKeepGraphicsAcrossModeChange(1);
    const std::vector<uint8_t> picture = GradientBmp(12, 10);
    uint32_t translucent[6 * 4];
    for (uint32_t i = 0; i < std::size(translucent); ++i) translucent[i] = (i * 10) << 24 | 0xC86432u;
    ror::EncodedPng alphaPicture;
    ASSERT_EQ(ror::EncodePng(translucent, 6, 4, true, &alphaPicture), 0);
    for (const ModeChange& modeChange : kModeChanges) {
        SCOPED_TRACE(modeChange.what);
        const int blank = CreateBlankGraphic(17, 9);
        ASSERT_NE(blank, -1);
        PaintGraphic(blank, 10, 120, 200, 255);
        SetDrawTarget(blank);
        DrawRect(2, 1, 9, 6, PackColor(250, 60, 30), 1);
        SetDrawTarget(DRAW_TARGET_BACK_SCREEN);
        const int sub = CreateSubGraphic(4, 2, 8, 5, blank);
        const int withAlpha = LoadGraphicFromMemory(alphaPicture.bytes.get(), int32_t(alphaPicture.size));
        const int loaded = LoadGraphicFromMemory(picture.data(), int32_t(picture.size()));
        int cells[4] = {-1, -1, -1, -1};
        ASSERT_EQ(LoadDividedGraphicFromMemory(picture.data(), int32_t(picture.size()), 4, 2, 2, 6, 5, cells), 0);
        const int blend = CreateBlendGraphic(5, 6);
        const int blendPart = CreateSubGraphic(1, 1, 2, 3, blend);
        PaintGraphic(blend, 90, 90, 90, 255);
        PaintGraphic(blendPart, 200, 200, 200, 255);
        const int graphics[] = {blank, sub, withAlpha, loaded, cells[0], cells[3], blend, blendPart};
        std::vector<std::vector<uint32_t>> before;
        for (int handle : graphics) before.push_back(PixelsOf(handle));

        const int font = CreateFontToHandle(nullptr, 20, -1, FONT_ANTIALIAS, -1, -1, 0);
        ASSERT_NE(font, -1);
        SetFontSpacingOfHandle(3, font);
        int32_t fontReleased = -1;
        SetFontReleasedFlagOfHandle(font, &fontReleased);
        int widthBefore = 0;
        ASSERT_EQ(GetTextWidth("Kept", font, &widthBefore), 0);

        modeChange.change();

        for (size_t i = 0; i < std::size(graphics); ++i) EXPECT_EQ(PixelsOf(graphics[i]), before[i]) << "graphic " << i;
        EXPECT_EQ(fontReleased, 0);
        EXPECT_EQ(GetFontSizeOfHandle(font), 20);
        int widthAfter = 0;
        EXPECT_EQ(GetTextWidth("Kept", font, &widthAfter), 0);
        EXPECT_EQ(widthAfter, widthBefore);
        EXPECT_EQ(PrintTextWithFont(0, 0, "Kept", PackColor(255, 255, 255), font), 0);
        EXPECT_EQ(PutGraphic(0, 0, loaded, 1), 0);

        // A graphic and its sub-graphic still share their pixels.
        PaintGraphic(blank, 0, 255, 0, 255);
        EXPECT_EQ(PixelsOf(sub), PixelsOf(CreateSubGraphic(4, 2, 8, 5, blank)));
        EXPECT_EQ(PixelsOf(sub)[0] & 0xFFFFFF, 0x00FF00u);
        for (int handle : graphics) EXPECT_EQ(DestroyGraphic(handle), 0);
        EXPECT_EQ(ReleaseFontHandle(font), 0);
        EXPECT_EQ(fontReleased, 1);
    }
}

TEST_P(KeptGraphicsTest, WithoutTheSettingAModeChangeReleasesGraphicsAndFonts)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const int blank = CreateBlankGraphic(8, 8);
    const int font = CreateFontToHandle(nullptr, 20, -1, FONT_NORMAL, -1, -1, 0);
    int32_t fontReleased = -1;
    SetFontReleasedFlagOfHandle(font, &fontReleased);
    EXPECT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    EXPECT_EQ(GetGraphicSize(blank, nullptr, nullptr), -1);
    EXPECT_EQ(IsFontHandleValid(font), 0);
    EXPECT_EQ(fontReleased, 1);
}

INSTANTIATE_ON_BOTH_PATHS(KeptGraphicsTest);

}  // namespace
