// One word of the twister's step and of its tempering, shared by the refills.
#pragma once
#include <cstdint>

namespace ror {

constexpr uint32_t kRandomUpperMask = 0x80000000u;
constexpr uint32_t kRandomLowerMask = 0x7fffffffu;
constexpr uint32_t kRandomMatrix = 0x9908b0dfu;
constexpr uint32_t kRandomTemperB = 0x9d2c5680u;
constexpr uint32_t kRandomTemperC = 0xefc60000u;

// The new value of a state word from itself, the word after it and the word `far` away.
inline uint32_t TwistRandomWord(uint32_t current, uint32_t next, uint32_t far)
{
    uint32_t y = (current & kRandomUpperMask) | (next & kRandomLowerMask);
    return far ^ (y >> 1) ^ ((next & 1u) ? kRandomMatrix : 0u);
}

inline uint32_t TemperRandomWord(uint32_t y)
{
    y ^= y >> 11;
    y ^= (y << 7) & kRandomTemperB;
    y ^= (y << 15) & kRandomTemperC;
    y ^= y >> 18;
    return y;
}

}  // namespace ror
