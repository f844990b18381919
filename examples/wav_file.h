// A 16-bit mono WAV file in memory, for the examples that make their own sounds.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

inline std::vector<uint8_t> MakeWav(const std::vector<int16_t>& samples, uint32_t rate)
{
    std::vector<uint8_t> wav(44 + samples.size() * 2);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&wav[at], &v, 4); };
    auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&wav[at], &v, 2); };
    std::memcpy(&wav[0], "RIFF", 4);
    put32(4, uint32_t(wav.size() - 8));
    std::memcpy(&wav[8], "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);  // PCM
    put16(22, 1);  // mono
    put32(24, rate);
    put32(28, rate * 2);
    put16(32, 2);
    put16(34, 16);
    std::memcpy(&wav[36], "data", 4);
    put32(40, uint32_t(samples.size() * 2));
    std::memcpy(&wav[44], samples.data(), samples.size() * 2);
    return wav;
}
