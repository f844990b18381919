// The hardware device path's table of drawing operations.
#pragma once
#include "graphics/draw_ops.h"

extern const DrawOpsTable kDeviceDrawOps;
