// The LZ encoder of the packer: greedy matching against the newest earlier positions of the
// same hash, the escape byte chosen as the data's least frequent byte.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

// Told the bytes of `data` encoded so far, every MiB or so; for a progress line.
using LzProgress = void (*)(size_t bytesDone, void* context);

// The whole LZ block (header included) for `data`.
std::vector<uint8_t> EncodeLzBlock(std::span<const uint8_t> data, LzProgress progress = nullptr,
                                   void* progressContext = nullptr);
