// The screen's pixel layout, in which the public colour values are packed. The layouts
// themselves are described below graphics, in image/pixel_format.h.
#pragma once
#include "image/pixel_format.h"
#include "rorodiv.h"

#include <cstdint>

namespace ror {

// The layout of colour values: the screen's format at the moment of the call.
const ColorFormat* ScreenColorFormat();

}  // namespace ror
