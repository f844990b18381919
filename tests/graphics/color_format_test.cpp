#include "graphics/color_format.h"
#include "graphics/screen_mode.h"

#include <gtest/gtest.h>

using namespace ror;

TEST(PackColor, WhiteBeforeStartUpIsAllOnes)
{
    const ScreenSettingsRecord saved = ScreenSettings;
    EXPECT_EQ(PackColor(255, 255, 255), 0xFFFFFFFFu);
    ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    EXPECT_EQ(PackColor(255, 255, 255), 0xFFFFFFFFu);
    EXPECT_EQ(PackColor(0x1FF, 0, 0), 0xFFFF0000u);  // only the low 8 bits count
    ScreenSettings = saved;
}

TEST(PackColor, SixteenAndThirtyTwoBitLayouts)
{
    const ScreenSettingsRecord saved = ScreenSettings;
    struct Case {
        int bits, hardware, r, g, b;
        uint32_t packed;
        int ur, ug, ub;
    };
    const Case cases[] = {
        {16, 0, 255, 128, 0, 0xFC00, 255, 129, 0},       {16, 0, 255, 255, 255, 0xFFFF, 255, 255, 255},
        {16, 1, 255, 128, 0, 0xFC00, 255, 129, 0},       {32, 0, 1, 2, 3, 0xFF010203, 1, 2, 3},
        {32, 1, 200, 100, 50, 0xFFC86432, 200, 100, 50},
    };
    for (const Case& c : cases) {
        ScreenSettings.colorBits = c.bits;
        ScreenSettings.hardwarePath = c.hardware;
        EXPECT_EQ(PackColor(c.r, c.g, c.b), c.packed) << c.bits;
        int r, g, b;
        EXPECT_EQ(UnpackColor(c.packed, &r, &g, &b), 0);
        EXPECT_EQ(r, c.ur);
        EXPECT_EQ(g, c.ug);
        EXPECT_EQ(b, c.ub);
    }
    // The game's white on a 16-bit screen still unpacks to white.
    ScreenSettings.colorBits = 16;
    int r, g, b;
    UnpackColor(0xFFFFFFFF, &r, &g, &b);
    EXPECT_EQ(r + g + b, 3 * 255);
    ScreenSettings = saved;
}

TEST(SetScreenMode, RefusesAndStoresBeforeStartUp)
{
    const ScreenSettingsRecord saved = ScreenSettings;
    EXPECT_EQ(SetScreenMode(800, 600, 24, 60), -1);
    EXPECT_EQ(SetScreenMode(800, 0, 32, 60), -1);
    EXPECT_EQ(SetScreenMode(0, 600, 32, 60), -1);
    EXPECT_EQ(ScreenSettings.width, 0);
    EXPECT_EQ(SetScreenMode(800, 600, 32, -5), 0);
    EXPECT_EQ(ScreenSettings.width, 800);
    EXPECT_EQ(ScreenSettings.height, 600);
    EXPECT_EQ(ScreenSettings.colorBits, 32);
    EXPECT_EQ(ScreenSettings.refreshRate, -5);
    EXPECT_EQ(SetUseHardware(0), 0);
    EXPECT_EQ(ScreenSettings.softwareOnly, 1);
    int w = 0, h = 0;
    ScreenSettings.width = 0;
    RequestedScreenSize(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 600);
    ScreenSettings = saved;
}

TEST(ColorFormat, FixedFamilies)
{
    EXPECT_EQ(DeviceColorFormat(28), nullptr);
    EXPECT_EQ(DeviceColorFormat(34), nullptr);
    EXPECT_EQ(DeviceColorFormat(19), nullptr);
    EXPECT_EQ(SoftwareColorFormat(4, 0, 0), nullptr);

    const ColorFormat* a1 = DeviceColorFormat(25);
    ASSERT_NE(a1, nullptr);
    EXPECT_EQ(a1->colorBits, 16);
    EXPECT_EQ(a1->redShift, 10);
    EXPECT_EQ(a1->redWidth, 5);
    EXPECT_EQ(a1->alphaShift, 15);
    EXPECT_EQ(a1->alphaWidth, 1);
    EXPECT_EQ(a1->unusedMask, 0u);

    const ColorFormat* x8 = DeviceColorFormat(22);
    EXPECT_EQ(x8->unusedMask, 0xFF000000u);
    EXPECT_EQ(x8->unusedShift, 24);
    EXPECT_EQ(x8->unusedWidth, 8);

    const ColorFormat* a2 = DeviceColorFormat(31);
    EXPECT_EQ(a2->blueShift, 20);
    EXPECT_EQ(a2->blueWidth, 10);

    // The 16-bit software format with alpha keeps 5-6-5 low and alpha in bits 16-23.
    const ColorFormat* s = SoftwareColorFormat(0, 1, 0);
    EXPECT_EQ(s->colorBits, 32);
    EXPECT_EQ(s->alphaShift, 16);
    EXPECT_EQ(s->unusedMask, 0xFF000000u);
    const ColorFormat* pal = SoftwareColorFormat(1, 0, 1);
    EXPECT_EQ(pal->pixelBytes, 1);
    const ColorFormat* one = SoftwareColorFormat(2, 1, 1);
    EXPECT_EQ(one->colorBits, 8);
    EXPECT_EQ(one->redMask, 0xFFu);
    EXPECT_EQ(one->unusedMask, 0u);
    EXPECT_EQ(SoftwareColorFormat(3, 0, 0)->greenMask, 0xFFFFu);
}

TEST(ColorFormat, TenBitChannelsAreScaledUp)
{
    struct Case {
        int code;
        int red, green, blue, alpha;
        uint32_t packed;
    };
    const Case cases[] = {
        // 31: red low, blue high, two bits of alpha on top.
        {31, 255, 128, 1, 255, 0xC0000000u | 4u << 20 | 514u << 10 | 1023u},
        {31, 0, 0, 0, 0, 0u},
        // 35: blue low, red high.
        {35, 255, 128, 1, 64, 0x40000000u | 1023u << 20 | 514u << 10 | 4u},
        {35, 255, 255, 255, 255, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(PackColorForFormat(DeviceColorFormat(c.code), c.red, c.green, c.blue, c.alpha), c.packed);
    }
}

TEST(ColorFormat, BuildersAndPaletteSearch)
{
    ColorFormat f{};
    MakeGreyPaletteFormat(&f);
    EXPECT_EQ(PackColorForFormat(&f, 10, 20, 30, 0), 20u);
    EXPECT_EQ(f.unusedMask, 0xFF000000u);
    MakeXrgb8Format(&f);
    EXPECT_EQ(f.unusedShift, 24);
    EXPECT_EQ(PackColorForFormat(&f, 1, 2, 3, 99), 0xFF010203u);
    MakeArgb8Format(&f);
    EXPECT_EQ(PackColorForFormat(&f, 1, 2, 3, 0x80), 0x80010203u);
    MakeRgb24Format(&f);
    EXPECT_EQ(f.pixelBytes, 3);
    EXPECT_EQ(f.unusedMask, 0u);

    BuildColorFormat(&f, 16, 0x7C00, 0x03E0, 0x1F, 0);
    EXPECT_EQ(f.unusedMask, 0x8000u);
    EXPECT_EQ(f.unusedShift, 15);
    EXPECT_EQ(f.unusedWidth, 1);
    f.unusedMask = 0;
    RecomputeUnusedMask(&f);
    EXPECT_EQ(f.unusedMask, 0x8000u);
}
