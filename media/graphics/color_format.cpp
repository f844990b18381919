#include "graphics/color_format.h"
#include "rorodiv.h"

#include "graphics/screen_mode.h"
#include "core/last_failure.h"

namespace ror {

const ColorFormat* ScreenColorFormat()
{
    const bool sixteen = ScreenSettings.colorBits == 16;
    if (ScreenSettings.hardwarePath) return DeviceColorFormat(sixteen ? kFormatR5G6B5 : kFormatX8R8G8B8);
    return SoftwareColorFormat(sixteen ? 0 : 1, 0, 0);
}

}  // namespace ror

using namespace ror;

// The screen's layouts have neither palette nor alpha: the channels alone.
uint32_t PackColor(int red, int green, int blue)
{
    return PackColorForFormat(ScreenColorFormat(), red, green, blue, 0);
}

int UnpackColor(uint32_t color, int* red, int* green, int* blue)
{
    if (red == nullptr || green == nullptr || blue == nullptr) return FailedArgument(__func__);
    const ColorFormat* f = ScreenColorFormat();
    *red = int(((color & f->redMask) >> f->redShift) * 255u / ((1u << f->redWidth) - 1u));
    *green = int(((color & f->greenMask) >> f->greenShift) * 255u / ((1u << f->greenWidth) - 1u));
    *blue = int(((color & f->blueMask) >> f->blueShift) * 255u / ((1u << f->blueWidth) - 1u));
    return 0;
}
