// The layer's own raw format: "BGRA", a depth marker, width and height, then the pixels.
#include "core/tracked_memory.h"
#include "image/image_stream.h"
#include "image/loaded_image.h"

namespace ror {

namespace {

constexpr uint32_t kEightBitMarker = 0x08080808;
constexpr uint32_t kSixteenBitMarker = 0x10101010;

// Keeps the high byte of each 16-bit little-endian channel.
bool ReadSixteenBitRows(const ImageStream& in, uint8_t* pixels, int32_t width, int32_t height)
{
    const int64_t rowBytes = int64_t(width) * 8;
    uint8_t* row = static_cast<uint8_t*>(TrackedAlloc(int32_t(rowBytes), __FILE__, __LINE__));
    if (row == nullptr) return false;
    bool ok = true;
    for (int32_t y = 0; y < height && ok; ++y) {
        ok = ReadImageBytes(in, row, rowBytes);
        uint8_t* out = pixels + int64_t(y) * width * 4;
        for (int64_t i = 0; ok && i < int64_t(width) * 4; ++i) out[i] = row[i * 2 + 1];
    }
    TrackedFree(row);
    return ok;
}

}  // namespace

int DecodeBgra(const StreamOps* ops, StreamValue stream, LoadedImage* image)
{
    const ImageStream in{ops, stream};
    uint8_t header[16];
    if (!ReadImageBytes(in, header, sizeof(header))) return -1;
    if (header[0] != 'B' || header[1] != 'G' || header[2] != 'R' || header[3] != 'A') return -1;
    const uint32_t marker = ReadLe32(header + 4);
    if (marker != kEightBitMarker && marker != kSixteenBitMarker) return -1;
    const int64_t width = int32_t(ReadLe32(header + 8));
    const int64_t height = int32_t(ReadLe32(header + 12));
    if (width <= 0 || height <= 0) return -1;

    const int64_t bytes = CheckedImageBytes(width, height, 4);
    const int64_t stored = CheckedImageBytes(width, height, marker == kEightBitMarker ? 4 : 8);
    // A header that promises more pixels than the stream holds is refused before allocating.
    if (bytes <= 0 || stored <= 0 || RemainingImageBytes(in) < stored) return -1;
    uint8_t* pixels = AllocImagePixels(bytes, __FILE__, __LINE__);
    if (pixels == nullptr) return -1;

    const bool ok = marker == kEightBitMarker ? ReadImageBytes(in, pixels, bytes)
                                              : ReadSixteenBitRows(in, pixels, int32_t(width), int32_t(height));
    if (!ok) {
        TrackedFree(pixels);
        return -1;
    }
    MakeRgb24Format(&image->format);
    image->format.colorBits = 32;
    image->format.pixelBytes = 4;
    image->format.alphaWidth = 8;
    image->format.alphaShift = 24;
    image->format.alphaMask = 0xFF000000u;
    image->width = int32_t(width);
    image->height = int32_t(height);
    image->pitch = int32_t(width * 4);
    image->pixels = pixels;
    return 0;
}

}  // namespace ror
