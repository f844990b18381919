// The process-wide pseudo-random generator (MT19937) behind the map generation.
#pragma once
#include <cstdint>

void SeedRandom(uint32_t seed);
uint32_t NextRandomWord();
// One draw scaled into 0..max inclusive, for max >= 0.
int32_t RandomUpTo(int32_t max);
