// The process-wide pseudo-random generator (MT19937) behind the map generation.
#pragma once
#include "rorodiv.h"

#include <cstdint>

namespace ror {

uint32_t NextRandomWord();

}  // namespace ror
