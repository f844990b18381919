#include "graphics/device/device_draw_state.h"
#include "rorodiv.h"

#include "graphics/color_format.h"
#include "graphics/device/device_state.h"
#include "graphics/draw_state.h"

namespace ror {

void UpdateDeviceDrawColor()
{
    const DrawStateRecord& s = DrawState;
    const uint32_t alpha = BlendStrength();
    DeviceState.drawColor =
        alpha << 24 | uint32_t(s.brightness[0]) << 16 | uint32_t(s.brightness[1]) << 8 | uint32_t(s.brightness[2]);
}

uint32_t DeviceColorOf(uint32_t color)
{
    int r = 0, g = 0, b = 0;
    UnpackColor(color, &r, &g, &b);
    const uint32_t c = DeviceState.drawColor;
    const uint32_t red = ((c >> 16) & 0xFF) * uint32_t(r) / 255, green = ((c >> 8) & 0xFF) * uint32_t(g) / 255,
                   blue = (c & 0xFF) * uint32_t(b) / 255;
    return (c & 0xFF000000u) | red << 16 | green << 8 | blue;
}

void ApplyDeviceBlend(int32_t mode)
{
    switch (mode) {
    case 1:
    case 10: SetGlBlend(1, GlBlendFactor::SrcAlpha, GlBlendFactor::InvSrcAlpha, GlBlendOp::Add); break;
    case 2:
    case 5: SetGlBlend(1, GlBlendFactor::SrcAlpha, GlBlendFactor::One, GlBlendOp::Add); break;
    case 3:
        if (DeviceState.separateBlendOps)
            SetGlBlend(1, GlBlendFactor::SrcAlpha, GlBlendFactor::One, GlBlendOp::ReverseSubtract);
        else
            SetGlBlend(1, GlBlendFactor::InvDestColor, GlBlendFactor::Zero, GlBlendOp::Add);
        break;
    case 4:
    case 11: SetGlBlend(1, GlBlendFactor::Zero, GlBlendFactor::SrcColor, GlBlendOp::Add); break;
    default: SetGlBlend(0, GlBlendFactor::One, GlBlendFactor::Zero, GlBlendOp::Add); break;
    }
    // Mode 10 blends the inverted colour; the multiplying modes weigh by alpha in the shader,
    // since destination times source colour alone cannot.
    SetGlColourRule(mode == 10                ? GlColourRule::Invert
                    : mode == 4 || mode == 11 ? GlColourRule::Multiply
                                              : GlColourRule::Plain);
}

void ResetDeviceDrawState()
{
    UpdateDeviceDrawColor();
    ApplyDeviceBlend(DrawState.blendMode);
}

}  // namespace ror
