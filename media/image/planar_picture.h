// A picture in three planes (brightness and two colour differences, as video codecs give it),
// the chroma planes smaller by a power of two across and down.
#pragma once
#include <cstdint>

namespace ror {

struct PlanarPicture {
    const uint8_t* planes[3];  // Y, Cb, Cr; each at the picture's top-left sample
    int32_t pitches[3];        // bytes from one row to the next
    int32_t width, height;     // of the picture, in luma samples
    int32_t chromaShiftX;      // 1: a chroma sample covers two pixels across
    int32_t chromaShiftY;      // 1: and two rows down
};

// The size of the chroma planes of a picture.
inline int32_t ChromaWidth(const PlanarPicture& p) { return (p.width + (1 << p.chromaShiftX) - 1) >> p.chromaShiftX; }
inline int32_t ChromaHeight(const PlanarPicture& p) { return (p.height + (1 << p.chromaShiftY) - 1) >> p.chromaShiftY; }

}  // namespace ror
