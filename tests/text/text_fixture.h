// A software screen of 800 × 600 in memory with the font system started, as graphics
// set-up leaves them, without a window; the log goes to a fresh folder.
#pragma once
#include "core/log_folder.h"
#include "core/tracked_memory.h"
#include "graphics/blend_tables.h"
#include "graphics/draw_state.h"
#include "graphics/software/memimg.h"
#include "graphics/screen_mode.h"
#include "text/font_handles.h"
#include "text/glyph_cache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

class TextTest : public LogFolderTest {
protected:
    void SetUp() override
    {
        LogFolderTest::SetUp();
        LogStart();
        StartScreen(32);
        ASSERT_EQ(InitFontSystem(), 0);
    }

    void TearDown() override
    {
        EndFontSystem();
        StopScreen();
        LogFolderTest::TearDown();
    }

    static void StartScreen(int colorBits)
    {
        ScreenSettings.width = 800;
        ScreenSettings.height = 600;
        ScreenSettings.colorBits = colorBits;
        ScreenSettings.hardwarePath = 0;
        ScreenSettings.graphicsReady = 1;
        BuildBlendTables();
        int kind = colorBits == 16 ? 0 : 1;
        ASSERT_EQ(CreateScreenImage(&SoftScreen.screen, 800, 600, kind), 0);
        ASSERT_EQ(CreateMemImg(&SoftScreen.work, 800, 600, -1, 0, kind, 0, 0, 0, nullptr), 0);
        ASSERT_EQ(CreateMemImg(&SoftScreen.workAlpha, 800, 600, -1, 0, kind, 0, 1, 0, nullptr), 0);
        SoftScreen.target = &SoftScreen.screen;
        DrawState.drawTarget = kBackScreen;
        DrawState.drawArea = PixelRect{0, 0, 800, 600};
        DrawState.drawAreaEmpty = 0;
        DrawState.blendMode = 0;
        DrawState.blendParam = 0;
        DrawState.brightness[0] = DrawState.brightness[1] = DrawState.brightness[2] = 255;
        DrawState.blendImage = nullptr;
    }

    static void StopScreen()
    {
        ReleaseMemImg(&SoftScreen.screen);
        ReleaseMemImg(&SoftScreen.work);
        ReleaseMemImg(&SoftScreen.workAlpha);
        SoftScreen.target = nullptr;
        ScreenSettings.graphicsReady = 0;
    }

public:
    static uint32_t Pixel(int x, int y)
    {
        const MEMIMG& screen = SoftScreen.screen;
        const uint8_t* row = MemImgRow(&screen, y);
        if (MemImgPixelBytes(&screen) == 2) return reinterpret_cast<const uint16_t*>(row)[x];
        return reinterpret_cast<const uint32_t*>(row)[x];
    }

protected:
    static void Fill(uint32_t value) { FillMemImg(&SoftScreen.screen, nullptr, value); }

    static FontRecord* Font(int handle) { return ResolveFont(handle); }
};
