#include "graphics/device/device_graphics.h"
#include "graphics/device/device_state.h"
#include "graphics/screen_mode.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ror;

TEST(SplitTextureSize, SidesIntoPowerOfTwoPieces)
{
    struct Case {
        int size, setting, device, screenWidth, forceSingle;
        std::vector<int32_t> pieces;
    };
    const Case cases[] = {
        {300, 0, 1024, 800, 0, {512}},   // below the screen width: one piece
        {900, 0, 1024, 800, 0, {1024}},  // the rest after 512 is large enough to double it
        {1000, 256, 4096, 800, 0, {256, 256, 256, 256}},
        {5, 0, 1024, 800, 0, {8}},
        {8, 0, 1024, 800, 0, {8}},
        {200, 64, 4096, 800, 0, {64, 64, 64, 8}},
        {1500, 0, 2048, 800, 0, {1024, 512}},      // wider than the screen: pieces, the last doubled
        {1500, 0, 2048, 800, 1, {2048}},           // forced into one
        {1100, 0, 1024, 1280, 0, {1024, 64, 16}},  // the last two 8s merge
        {96, 0, 1024, 800, 0, {128}},
    };
    const TextureSettingsRecord savedSettings = TextureSettings;
    const int32_t savedDevice = DeviceState.maxTextureSize, savedWidth = ScreenSettings.width;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        TextureSettings.maxTextureSize = c.setting;
        DeviceState.maxTextureSize = c.device;
        ScreenSettings.width = c.screenWidth;
        int32_t out[64] = {};
        const int count = SplitTextureSize(c.size, out, c.forceSingle);
        EXPECT_EQ(std::vector<int32_t>(out, out + count), c.pieces);
        EXPECT_EQ(SplitTextureSize(c.size, nullptr, c.forceSingle), count);
        int covered = 0;
        for (int i = 0; i < count; ++i) covered += out[i];
        EXPECT_GE(covered, c.size);
    }
    TextureSettings = savedSettings;
    DeviceState.maxTextureSize = savedDevice;
    ScreenSettings.width = savedWidth;
}
