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
    ror::ScreenSettings.width = width;
    ror::ScreenSettings.height = height;
    ror::ScreenSettings.colorBits = bits;
    ror::ScreenSettings.hardwarePath = 0;
    ror::ScreenSettings.graphicsReady = 1;
    ASSERT_EQ(ror::CreateScreenImage(&ror::SoftScreen.screen, width, height, -1), 0);
    ror::SoftScreen.target = &ror::SoftScreen.screen;
    ror::BuildBlendTables();
    ror::DrawState.drawTarget = DRAW_TARGET_BACK_SCREEN;
    ror::DrawState.blendMode = 0;
    ror::DrawState.blendParam = 0;
    ror::DrawState.brightness[0] = ror::DrawState.brightness[1] = ror::DrawState.brightness[2] = 255;
    ror::DrawState.blendImage = nullptr;
    ror::DrawState.blendImageHandle = -1;
    SetDrawRegion(0, 0, width, height);
    ror::FillMemImg(&ror::SoftScreen.screen, nullptr, 0);
}

inline void StopSoftwareScreen()
{
    ror::DestroyAllGraphics();
    ror::ReleaseMemImg(&ror::SoftScreen.screen);
    ror::SoftScreen.target = nullptr;
    ror::ScreenSettings.graphicsReady = 0;
}

// Pixel access for checks.
inline uint32_t PixelAt(const ror::MEMIMG& image, int x, int y)
{
    uint32_t v = 0;
    std::memcpy(&v, ror::MemImgRow(&image, y) + x * MemImgPixelBytes(&image), size_t(MemImgPixelBytes(&image)));
    return v;
}

inline void SetPixel(const ror::MEMIMG& image, int x, int y, uint32_t v)
{
    std::memcpy(ror::MemImgRow(&image, y) + x * MemImgPixelBytes(&image), &v, size_t(MemImgPixelBytes(&image)));
}

inline int CountPixels(const ror::MEMIMG& image, uint32_t value)
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
