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
    case BLEND_ALPHA:
    case BLEND_INVERT: SetGlBlend(1, GlBlendFactor::SrcAlpha, GlBlendFactor::InvSrcAlpha, GlBlendOp::Add); break;
    case BLEND_ADD:
    case BLEND_ADD_HARDWARE: SetGlBlend(1, GlBlendFactor::SrcAlpha, GlBlendFactor::One, GlBlendOp::Add); break;
    case BLEND_SUBTRACT:
        if (DeviceState.separateBlendOps)
            SetGlBlend(1, GlBlendFactor::SrcAlpha, GlBlendFactor::One, GlBlendOp::ReverseSubtract);
        else
            SetGlBlend(1, GlBlendFactor::InvDestColor, GlBlendFactor::Zero, GlBlendOp::Add);
        break;
    case BLEND_MULTIPLY:
    case BLEND_MULTIPLY_ALPHA: SetGlBlend(1, GlBlendFactor::Zero, GlBlendFactor::SrcColor, GlBlendOp::Add); break;
    default: SetGlBlend(0, GlBlendFactor::One, GlBlendFactor::Zero, GlBlendOp::Add); break;
    }
    // The inverting mode blends the inverted colour; the multiplying modes weigh by alpha in
    // the shader, since destination times source colour alone cannot.
    SetGlColourRule(mode == BLEND_INVERT                                     ? GlColourRule::Invert
                    : mode == BLEND_MULTIPLY || mode == BLEND_MULTIPLY_ALPHA ? GlColourRule::Multiply
                                                                             : GlColourRule::Plain);
}

void ResetDeviceDrawState()
{
    UpdateDeviceDrawColor();
    ApplyDeviceBlend(DrawState.blendMode);
}

}  // namespace ror
