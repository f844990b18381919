// DDS: DXT1-DXT5 blocks kept compressed, or uncompressed pixels of a known layout,
// with their mip levels stored one after another.
#include "core/tracked_memory.h"
#include "image/image_stream.h"
#include "image/loaded_image.h"

#include <algorithm>

namespace ror {

namespace {

constexpr int kSurfaceHeaderBytes = 124;
constexpr uint32_t kHeaderHasPitch = 0x8;
constexpr uint32_t kHeaderHasMipCount = 0x20000;
constexpr uint32_t kCapsComplex = 0x8;
constexpr uint32_t kCapsMipMap = 0x400000;
constexpr uint32_t kPixelHasAlpha = 0x1;
constexpr uint32_t kPixelHasFourCc = 0x4;
constexpr uint32_t kPixelIsRgb = 0x40;

constexpr uint32_t FourCc(char a, char b, char c, char d)
{
    return uint32_t(uint8_t(a)) | (uint32_t(uint8_t(b)) << 8) | (uint32_t(uint8_t(c)) << 16) |
           (uint32_t(uint8_t(d)) << 24);
}

// DXT1 -> 1 ... DXT5 -> 5; 0 for any other code.
int DxtCompression(uint32_t code)
{
    for (int i = 1; i <= 5; ++i)
        if (code == FourCc('D', 'X', 'T', char('0' + i))) return i;
    return 0;
}

int64_t LevelSide(int64_t side, int level) { return std::max<int64_t>(1, side >> level); }

// Bytes of all levels; -1 once they exceed `available` (so a wild level count ends early).
int64_t DxtBytes(int64_t width, int64_t height, int levels, int blockBytes, int64_t available)
{
    int64_t total = 0;
    for (int i = 0; i < levels; ++i) {
        // Whole 4x4 blocks: a level narrower than 4 pixels still takes one.
        const int64_t across = (LevelSide(width, std::min(i, 62)) + 3) / 4;
        const int64_t down = (LevelSide(height, std::min(i, 62)) + 3) / 4;
        total += across * down * blockBytes;
        if (total > available) return -1;
    }
    return total;
}

int64_t PlainBytes(int64_t pitch, int64_t width, int64_t height, int pixelBytes, int levels, int64_t available)
{
    int64_t total = CheckedImageBytes(pitch, height);
    if (total < 0 || total > available) return -1;
    for (int i = 1; i < levels; ++i) {
        total += LevelSide(width, std::min(i, 62)) * LevelSide(height, std::min(i, 62)) * pixelBytes;
        if (total > available) return -1;
    }
    return total;
}

bool IsWholeByteDepth(uint32_t bits) { return bits == 8 || bits == 16 || bits == 24 || bits == 32; }

}  // namespace

int DecodeDds(const StreamOps* ops, StreamValue stream, LoadedImage* image)
{
    const ImageStream in{ops, stream};
    uint8_t magic[4];
    uint8_t h[kSurfaceHeaderBytes];
    if (!ReadImageBytes(in, magic, 4) || magic[0] != 'D' || magic[1] != 'D' || magic[2] != 'S') return -1;
    if (!ReadImageBytes(in, h, kSurfaceHeaderBytes)) return -1;
    const uint32_t flags = ReadLe32(h + 4);
    const int64_t height = ReadLe32(h + 8);
    const int64_t width = ReadLe32(h + 12);
    const uint32_t pitchOrSize = ReadLe32(h + 16);
    const uint32_t mipCount = ReadLe32(h + 24);
    const uint32_t pixelFlags = ReadLe32(h + 76);
    const uint32_t fourCc = ReadLe32(h + 80);
    uint32_t rgbBits = ReadLe32(h + 84);
    const uint32_t masks[4] = {ReadLe32(h + 88), ReadLe32(h + 92), ReadLe32(h + 96), ReadLe32(h + 100)};
    const uint32_t caps = ReadLe32(h + 104);
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return -1;

    ColorFormat& format = image->format;
    int compression = 0;
    if (pixelFlags & kPixelHasFourCc) {
        compression = DxtCompression(fourCc);
        const ColorFormat* known =
            pixelFlags == kPixelHasFourCc && fourCc <= INT32_MAX ? DeviceColorFormat(int(fourCc)) : nullptr;
        if (compression == 0 && known == nullptr) return -1;
        if (compression == 0) {
            // The layout decides the pixel size; a header's own bit count may disagree with it.
            format = *known;
            rgbBits = known->colorBits;
        }
    } else {
        // Layouts without alpha (X8R8G8B8, R5G6B5, ...) load with their masks as well.
        if ((masks[0] | masks[1] | masks[2] | masks[3]) == 0 || !IsWholeByteDepth(rgbBits)) return -1;
        const uint32_t alphaMask = (pixelFlags & kPixelHasAlpha) ? masks[3] : 0;
        BuildColorFormat(&format, int(rgbBits), masks[0], masks[1], masks[2], alphaMask);
    }

    const bool hasMips = (flags & kHeaderHasMipCount) && (caps & kCapsComplex) && (caps & kCapsMipMap);
    const int levels = hasMips ? int(std::min<uint32_t>(mipCount, INT32_MAX)) : 0;
    const int64_t available = RemainingImageBytes(in);
    int64_t pitch = 0;
    int64_t total;
    if (compression != 0) {
        total = DxtBytes(width, height, std::max(levels, 1), compression == 1 ? 8 : 16, available);
    } else {
        if (!IsWholeByteDepth(rgbBits)) return -1;
        const int pixelBytes = int(rgbBits / 8);
        pitch = (flags & kHeaderHasPitch) ? int64_t(pitchOrSize) : width * pixelBytes;
        // Rows shorter than their pixels would send readers past the block.
        if (pitch < width * pixelBytes || pitch > INT32_MAX) return -1;
        total = PlainBytes(pitch, width, height, pixelBytes, std::max(levels, 1), available);
    }
    if (total <= 0 || CheckedImageBytes(total, 1) < 0) return -1;

    uint8_t* pixels = AllocImagePixels(total, __FILE__, __LINE__);
    if (pixels == nullptr) return -1;
    if (!ReadImageBytes(in, pixels, total)) {
        TrackedFree(pixels);
        return -1;
    }
    if (compression != 0) {
        BuildColorFormat(&format, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u);
        format.compression = compression;
        format.colorBits = compression == 1 ? 4 : 8;
    }
    image->width = int32_t(width);
    image->height = int32_t(height);
    image->pitch = int32_t(pitch);
    image->pixels = pixels;
    image->mipLevels = levels;
    return 0;
}

}  // namespace ror
