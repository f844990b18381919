// The drawing state every drawing operation reads: target, area, blend mode, brightness.
#pragma once
#include "rorodiv.h"
#include "graphics/graphics_setup.h"  // SetWaitVsync, SetDrawTarget, PresentScreen
#include "graphics/software/memimg.h"

#include <cstdint>

namespace ror {

// A screen number SetDrawTarget takes: it draws into the frame, with no graphic of its own.
constexpr bool IsScreenTarget(int32_t handle)
{
    return handle == DRAW_TARGET_BACK_SCREEN || handle == DRAW_TARGET_FRONT_SCREEN ||
           handle == DRAW_TARGET_UNSIZED_SCREEN_A || handle == DRAW_TARGET_UNSIZED_SCREEN_B;
}
constexpr int32_t kFrontScreenTimerId = 0x7FFF;
constexpr uint32_t kFrontScreenPeriodMs = 32;

struct DrawStateRecord {
    int32_t drawTarget;
    PixelRect drawArea;
    float drawAreaF[4];
    int32_t drawAreaEmpty;
    int32_t blendMode;
    int32_t blendParam;
    uint8_t brightness[3];  // red, green, blue
    int32_t background[3];  // red, green, blue; kept across start-up and shutdown
    int32_t waitVsync;
    // The blend image of the software path and its weights.
    int32_t blendImageHandle;
    int32_t blendBorder;
    int32_t blendRange;
    MEMIMG* blendImage;
    uint8_t ruleTable[256];
    int32_t smoothScaling;  // 1: scaled and turned graphics mix texels; kept across start-ups
};

extern DrawStateRecord DrawState;

// The strength a drawing blends with (the device's vertex alpha): the parameter, except in
// the modes that ignore it.
inline uint32_t BlendStrength()
{
    const int32_t mode = DrawState.blendMode;
    return mode == BLEND_NONE || mode == BLEND_MULTIPLY ? 255u : uint32_t(DrawState.blendParam);
}

inline bool DefaultBrightness()
{
    return DrawState.brightness[0] == 255 && DrawState.brightness[1] == 255 && DrawState.brightness[2] == 255;
}

int ResetDrawState();

// Size of a draw target: the screen for the back and front screens, else the graphic's; -1 when
// it has none.
int DrawTargetSize(int handle, int* width, int* height);

}  // namespace ror
