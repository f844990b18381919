// The hardware device path's table of drawing operations.
#pragma once
#include "graphics/draw_ops.h"

namespace ror {

extern const DrawOpsTable kDeviceDrawOps;

}  // namespace ror
