// The sound example's tones: a short melody, a hum and a blip, as 16-bit mono samples.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

constexpr int kMelodyRate = 22050;

// A note of `noteSeconds` for each of `hertz`, each fading in and out.
inline std::vector<int16_t> Tones(const std::vector<double>& hertz, double noteSeconds, int amplitude)
{
    std::vector<int16_t> samples;
    const int noteFrames = int(noteSeconds * kMelodyRate);
    for (double h : hertz)
        for (int i = 0; i < noteFrames; ++i) {
            const double envelope = std::sin(3.14159265358979 * i / noteFrames);
            samples.push_back(int16_t(amplitude * envelope * std::sin(2 * 3.14159265358979 * h * i / kMelodyRate)));
        }
    return samples;
}

inline std::vector<int16_t> Melody() { return Tones({262, 330, 392, 523, 392, 330, 294, 247}, 0.5, 9000); }
