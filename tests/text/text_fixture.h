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
        ror::LogStart();
        StartScreen(32);
        ASSERT_EQ(ror::InitFontSystem(), 0);
    }

    void TearDown() override
    {
        ror::EndFontSystem();
        StopScreen();
        LogFolderTest::TearDown();
    }

    static void StartScreen(int colorBits)
    {
        ror::ScreenSettings.width = 800;
        ror::ScreenSettings.height = 600;
        ror::ScreenSettings.colorBits = colorBits;
        ror::ScreenSettings.hardwarePath = 0;
        ror::ScreenSettings.graphicsReady = 1;
        ror::BuildBlendTables();
        int kind = colorBits == 16 ? 0 : 1;
        ASSERT_EQ(ror::CreateScreenImage(&ror::SoftScreen.screen, 800, 600, kind), 0);
        ASSERT_EQ(ror::CreateMemImg(&ror::SoftScreen.work, 800, 600, -1, 0, kind, 0, 0, 0, nullptr), 0);
        ASSERT_EQ(ror::CreateMemImg(&ror::SoftScreen.workAlpha, 800, 600, -1, 0, kind, 0, 1, 0, nullptr), 0);
        ror::SoftScreen.target = &ror::SoftScreen.screen;
        ror::DrawState.drawTarget = DRAW_TARGET_BACK_SCREEN;
        ror::DrawState.drawArea = ror::PixelRect{0, 0, 800, 600};
        ror::DrawState.drawAreaEmpty = 0;
        ror::DrawState.blendMode = 0;
        ror::DrawState.blendParam = 0;
        ror::DrawState.brightness[0] = ror::DrawState.brightness[1] = ror::DrawState.brightness[2] = 255;
        ror::DrawState.blendImage = nullptr;
    }

    static void StopScreen()
    {
        ror::ReleaseMemImg(&ror::SoftScreen.screen);
        ror::ReleaseMemImg(&ror::SoftScreen.work);
        ror::ReleaseMemImg(&ror::SoftScreen.workAlpha);
        ror::SoftScreen.target = nullptr;
        ror::ScreenSettings.graphicsReady = 0;
    }

public:
    static uint32_t Pixel(int x, int y)
    {
        const ror::MEMIMG& screen = ror::SoftScreen.screen;
        const uint8_t* row = ror::MemImgRow(&screen, y);
        if (ror::MemImgPixelBytes(&screen) == 2) return reinterpret_cast<const uint16_t*>(row)[x];
        return reinterpret_cast<const uint32_t*>(row)[x];
    }

protected:
    static void Fill(uint32_t value) { ror::FillMemImg(&ror::SoftScreen.screen, nullptr, value); }

    static ror::FontRecord* Font(int handle) { return ror::ResolveFont(handle); }
};
