// The software path's screen: its images, clearing, showing the frame in the window, and the
// draw target and blend image it draws with.
#include "core/core_state.h"
#include "graphics/draw_state.h"
#include "graphics/screen_mode.h"
#include "graphics/software/memimg.h"
#include "graphics/software/memimg_blit.h"
#include "graphics/software/software_ops.h"
#include "graphics/window_link.h"
#include "platform/window_system/screen_surface.h"

#include <cstring>

namespace ror {

namespace {

// While the screen image's rows are the window's own, its own block waits here.
struct ScreenRowsRecord {
    uint8_t* ownPixels;
};
ScreenRowsRecord ScreenRows;

ScreenPixels ScreenLayout(const MEMIMG& image)
{
    const ColorFormat* f = image.base->format;
    return ScreenPixels{image.pixels, image.base->pitch, image.width,  image.height,
                        f->colorBits, f->redMask,        f->greenMask, f->blueMask};
}

// The window's rows go away: the frame moves back into the image's own block.
void TakeBackScreenRows(int alive)
{
    MEMIMG& image = SoftScreen.screen;
    if (ScreenRows.ownPixels == nullptr) return;
    if (alive) std::memcpy(ScreenRows.ownPixels, image.pixels, size_t(image.base->pitch) * size_t(image.height));
    image.pixels = image.base->pixelBuffer = ScreenRows.ownPixels;
    ScreenRows.ownPixels = nullptr;
}

void GiveBackScreenRows()
{
    TakeBackScreenRows(1);
    GiveBackWindowRows();
}

// After a copying present the window holds the frame: from now on draw in its rows.
void MoveScreenIntoWindow()
{
    MEMIMG& image = SoftScreen.screen;
    uint8_t* rows = BorrowWindowRows(ScreenLayout(image), TakeBackScreenRows);
    if (rows == nullptr) return;
    ScreenRows.ownPixels = image.base->pixelBuffer;
    image.pixels = image.base->pixelBuffer = rows;
}

}  // namespace

int SoftwareOpenScreen()
{
    const ScreenSettingsRecord& s = ScreenSettings;
    const int kind = s.colorBits == 16 ? 0 : 1;
    if (CreateScreenImage(&SoftScreen.screen, s.width, s.height, kind) != 0) return -1;
    SoftScreen.work = MEMIMG{};
    SoftScreen.workAlpha = MEMIMG{};
    if (CreateMemImg(&SoftScreen.work, s.width, s.height, -1, 0, kind, 0, 0, 0, nullptr) != 0) return -1;
    if (CreateMemImg(&SoftScreen.workAlpha, s.width, s.height, -1, 0, kind, 0, 1, 0, nullptr) != 0) return -1;
    const int32_t* bg = DrawState.background;
    FillMemImg(&SoftScreen.screen, nullptr, PackColorForFormat(SoftScreen.screen.base->format, bg[0], bg[1], bg[2], 0));
    SoftScreen.target = &SoftScreen.screen;
    return 0;
}

void SoftwareReleaseScreen()
{
    GiveBackScreenRows();
    ReleasePresentBuffers();
    ReleaseMemImg(&SoftScreen.screen);
    ReleaseMemImg(&SoftScreen.work);
    ReleaseMemImg(&SoftScreen.workAlpha);
    SoftScreen.target = nullptr;
}

int SoftwareClearScreen()
{
    MEMIMG* target = &SoftScreen.screen;
    if (GraphicRecord* g = ResolveGraphic(DrawState.drawTarget)) target = &g->view;
    if (!ScreenSettings.graphicsReady || !IsValidMemImg(target)) return 0;
    const int32_t* bg = DrawState.background;
    FillMemImg(target, nullptr, PackColorForFormat(target->base->format, bg[0], bg[1], bg[2], 0));
    return 0;
}

int SoftwarePresentScreen()
{
    const MEMIMG& image = SoftScreen.screen;
    if (!ScreenSettings.graphicsReady || !IsValidMemImg(&image)) return 0;
    int width = 0, height = 0;
    RequestedScreenSize(&width, &height);
    const bool emulate = ScreenSettings.emulate320 && width == 640 && height == 480;
    const PixelRect destination = ScreenPlacement();
    if (DrawState.waitVsync) WaitForDisplayRefresh();
    // The frame lives in the window's rows only while it is shown whole and unscaled.
    const bool whole = !emulate && destination.left == 0 && destination.top == 0 && destination.right == image.width &&
                       destination.bottom == image.height;
    if (!whole && ScreenRows.ownPixels != nullptr) GiveBackScreenRows();
    if (emulate) {
        ShowScreenPixels(ScreenLayout(image), PixelRect{0, 0, 320, 240}, PixelRect{0, 0, 640, 480});
        return 0;
    }
    const int shown = ShowScreenPixels(ScreenLayout(image), PixelRect{0, 0, image.width, image.height}, destination);
    if (shown == 0 && whole && ScreenRows.ownPixels == nullptr) MoveScreenIntoWindow();
    return 0;
}

int SoftwareReadScreenPixels(uint32_t* pixels)
{
    const MEMIMG& image = SoftScreen.screen;
    if (!IsValidMemImg(&image)) return -1;
    ColorFormat xrgb;
    MakeXrgb8Format(&xrgb);
    const ColorFormat* f = image.base->format;
    const PixelImage source{image.pixels, image.base->pitch, image.width, image.height, f};
    return ConvertPixels(source, reinterpret_cast<uint8_t*>(pixels), image.width * 4, &xrgb, image.width, image.height);
}

int SoftwareReadScreenPixel(int x, int y, uint32_t* argb)
{
    const MEMIMG& image = SoftScreen.screen;
    if (!IsValidMemImg(&image) || x >= image.width || y >= image.height) return -1;
    ColorFormat xrgb;
    MakeXrgb8Format(&xrgb);
    const PixelImage source{MemImgRow(&image, y) + intptr_t(x) * MemImgPixelBytes(&image), image.base->pitch, 1, 1,
                            image.base->format};
    if (ConvertPixels(source, reinterpret_cast<uint8_t*>(argb), 4, &xrgb, 1, 1) != 0) return -1;
    *argb |= 0xFF000000u;
    return 0;
}

int SoftwareSetDrawTarget(int32_t, GraphicRecord* graphic)
{
    SoftScreen.target = graphic != nullptr ? &graphic->view : &SoftScreen.screen;
    if (graphic != nullptr) graphic->view.base->runsValid = 0;  // drawing into it outdates its runs
    return 0;
}

// The software routines read the draw area and the blend state from DrawState as they draw.
void SoftwareSetDrawRegion(const PixelRect&) {}
void SoftwareBlendStateChanged() {}

void SoftwareSetBlendImage(GraphicRecord* graphic)
{
    DrawState.blendImage = graphic != nullptr ? &graphic->view : nullptr;
    BuildRuleTable(DrawState.ruleTable, DrawState.blendBorder, DrawState.blendRange);
}

}  // namespace ror
