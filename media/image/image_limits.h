// The one bound on the size of every image and texture the layer makes, whether the size comes
// from a caller or from a file: at most kMaxImageBytes of pixels at the image's own depth, and
// of 32-bit pixels for a graphic, whose device textures and memory copies are of that depth.
// 16384 x 16384 graphics fit; a size beyond is refused before anything is allocated.
#pragma once
#include <cstdint>

namespace ror {

constexpr int64_t kMaxImageBytes = int64_t(1) << 30;

// width * height * pixelBytes in checked 64-bit arithmetic: the byte count, or -1 when a factor
// is not positive or the product is beyond kMaxImageBytes.
constexpr int64_t ImageBytes(int64_t width, int64_t height, int64_t pixelBytes)
{
    if (width <= 0 || height <= 0 || pixelBytes <= 0) return -1;
    if (width > kMaxImageBytes / height) return -1;
    const int64_t pixels = width * height;
    if (pixels > kMaxImageBytes / pixelBytes) return -1;
    return pixels * pixelBytes;
}

// A graphic of the size can be made on either path.
constexpr bool GraphicSizeFits(int64_t width, int64_t height) { return ImageBytes(width, height, 4) > 0; }

// The widest and tallest screen mode: the largest back buffer a GL device is bound to offer, and
// a screen image of that size stays within kMaxImageBytes.
constexpr int kMaxScreenSide = 16384;
static_assert(ImageBytes(kMaxScreenSide, kMaxScreenSide, 4) > 0);

}  // namespace ror
