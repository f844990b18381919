// A software screen for tests that need no window: the state graphics set-up leaves behind
// on the software path, made directly.
#pragma once
#include "graphics/blend_tables.h"
#include "graphics/draw_state.h"
#include "graphics/graphics.h"
#include "graphics/software/memimg.h"
#include "graphics/screen_mode.h"

#include <gtest/gtest.h>

#include <cstring>

inline void StartSoftwareScreen(int width, int height, int bits)
{
    ScreenSettings.width = width;
    ScreenSettings.height = height;
    ScreenSettings.colorBits = bits;
    ScreenSettings.hardwarePath = 0;
    ScreenSettings.graphicsReady = 1;
    ASSERT_EQ(CreateScreenImage(&SoftScreen.screen, width, height, -1), 0);
    SoftScreen.target = &SoftScreen.screen;
    BuildBlendTables();
    DrawState.drawTarget = kBackScreen;
    DrawState.blendMode = 0;
    DrawState.blendParam = 0;
    DrawState.brightness[0] = DrawState.brightness[1] = DrawState.brightness[2] = 255;
    DrawState.blendImage = nullptr;
    DrawState.blendImageHandle = -1;
    SetDrawRegion(0, 0, width, height);
    FillMemImg(&SoftScreen.screen, nullptr, 0);
}

inline void StopSoftwareScreen()
{
    DestroyAllGraphics();
    ReleaseMemImg(&SoftScreen.screen);
    SoftScreen.target = nullptr;
    ScreenSettings.graphicsReady = 0;
}

// Pixel access for checks.
inline uint32_t PixelAt(const MEMIMG& image, int x, int y)
{
    uint32_t v = 0;
    std::memcpy(&v, MemImgRow(&image, y) + x * MemImgPixelBytes(&image), size_t(MemImgPixelBytes(&image)));
    return v;
}

inline void SetPixel(const MEMIMG& image, int x, int y, uint32_t v)
{
    std::memcpy(MemImgRow(&image, y) + x * MemImgPixelBytes(&image), &v, size_t(MemImgPixelBytes(&image)));
}

inline int CountPixels(const MEMIMG& image, uint32_t value)
{
    int n = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) n += PixelAt(image, x, y) == value;
    return n;
}

class SoftwareScreenTest : public ::testing::Test {
protected:
    void TearDown() override { StopSoftwareScreen(); }
};
