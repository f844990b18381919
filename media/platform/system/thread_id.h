// The calling thread's id as the system numbers it (unique among live threads of all processes).
#pragma once
#include <cstdint>

namespace ror {

uint32_t CurrentThreadId();

}  // namespace ror
