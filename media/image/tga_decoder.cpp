// TGA: colour-mapped (1, 9) and true-colour (2, 10) pictures, plain or run-length encoded,
// in any of the four row and column orders.
#include "core/tracked_memory.h"
#include "image/image_stream.h"
#include "image/loaded_image.h"

#include <algorithm>
#include <cstring>

namespace ror {

namespace {

constexpr int kHeaderBytes = 18;
constexpr int kFooterBytes = 26;
constexpr int kMaxSide = 8192;
constexpr int kMapEntries = 256;

struct TgaHeader {
    int idLength;
    int mapType;
    int imageType;
    int mapFirst;
    int mapLength;
    int mapEntryBits;
    int originX, originY;
    int width, height;
    int pixelBits;
    int descriptor;
};

TgaHeader ParseHeader(const uint8_t* h)
{
    return TgaHeader{h[0],
                     h[1],
                     h[2],
                     ReadLe16(h + 3),
                     ReadLe16(h + 5),
                     h[7],
                     ReadLe16(h + 8),
                     ReadLe16(h + 10),
                     ReadLe16(h + 12),
                     ReadLe16(h + 14),
                     h[16],
                     h[17]};
}

// Footer of the second version of the format, telling where the picture data ends.
bool HasFooter(const ImageStream& in, int64_t streamSize)
{
    if (streamSize < kFooterBytes || !SeekImageStream(in, streamSize - kFooterBytes)) return false;
    uint8_t footer[kFooterBytes];
    if (!ReadImageBytes(in, footer, kFooterBytes)) return false;
    return std::memcmp(footer + 8, "TRUEVISION-XFILE", 16) == 0 && ReadLe32(footer) == 0;
}

bool IsColorMapped(int type) { return type == 1 || type == 9; }
bool IsRunLength(int type) { return type == 9 || type == 10; }

void SetTgaFormat(ColorFormat* f, int pixelBits)
{
    if (pixelBits == 16) {
        BuildColorFormat(f, 16, 0x7C00, 0x03E0, 0x001F, 0);
        f->unusedMask = 0x8000;
    } else {
        BuildColorFormat(f, pixelBits, 0xFF0000, 0xFF00, 0xFF, pixelBits == 32 ? 0xFF000000u : 0);
        f->unusedMask = 0;
    }
}

// Writes one value (a pixel, or an index looked up in the map) to `out`.
inline void PutValue(uint8_t* out, const uint8_t* value, int pixelBytes, const uint8_t* map)
{
    std::memcpy(out, map != nullptr ? map + size_t(*value) * pixelBytes : value, size_t(pixelBytes));
}

// Expands packets until `pixelCount` pixels are made. A packet that runs past the last pixel
// is cut there; data that ends before the picture is full refuses the file.
bool ExpandRunLength(const uint8_t* data, int64_t dataBytes, uint8_t* out, int64_t pixelCount, int pixelBytes,
                     const uint8_t* map)
{
    const int valueBytes = map != nullptr ? 1 : pixelBytes;
    int64_t at = 0;
    int64_t made = 0;
    while (made < pixelCount) {
        if (at >= dataBytes) return false;
        const uint8_t h = data[at++];
        const int64_t count = std::min<int64_t>((h & 0x7F) + 1, pixelCount - made);
        if (h & 0x80) {
            if (dataBytes - at < valueBytes) return false;
            for (int64_t i = 0; i < count; ++i) PutValue(out + (made + i) * pixelBytes, data + at, pixelBytes, map);
            at += valueBytes;
        } else {
            const int64_t stored = (h & 0x7F) + 1;
            if (dataBytes - at < count * valueBytes) return false;
            for (int64_t i = 0; i < count; ++i)
                PutValue(out + (made + i) * pixelBytes, data + at + i * valueBytes, pixelBytes, map);
            at += std::min(stored * valueBytes, dataBytes - at);
        }
        made += count;
    }
    return true;
}

// Puts rows top first and pixels left to right.
void Reorient(const uint8_t* in, uint8_t* out, int width, int height, int pixelBytes, bool topFirst, bool rightToLeft)
{
    const int64_t pitch = int64_t(width) * pixelBytes;
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = in + (topFirst ? y : height - 1 - y) * pitch;
        uint8_t* dst = out + y * pitch;
        if (!rightToLeft) {
            std::memcpy(dst, src, size_t(pitch));
            continue;
        }
        for (int x = 0; x < width; ++x)
            std::memcpy(dst + int64_t(x) * pixelBytes, src + int64_t(width - 1 - x) * pixelBytes, size_t(pixelBytes));
    }
}

struct TgaBuffers {
    uint8_t* pixels = nullptr;
    uint8_t* data = nullptr;
    ~TgaBuffers()
    {
        if (pixels != nullptr) TrackedFree(pixels);
        if (data != nullptr) TrackedFree(data);
    }
};

}  // namespace

int DecodeTga(const StreamOps* ops, StreamValue stream, LoadedImage* image)
{
    const ImageStream in{ops, stream};
    const int64_t streamSize = ImageStreamSize(in);
    if (streamSize < kHeaderBytes) return -1;
    const bool footer = HasFooter(in, streamSize);
    const int64_t dataEnd = footer ? streamSize - kFooterBytes : streamSize;

    uint8_t raw[kHeaderBytes];
    if (!SeekImageStream(in, 0) || !ReadImageBytes(in, raw, kHeaderBytes)) return -1;
    const TgaHeader h = ParseHeader(raw);
    if (h.imageType != 1 && h.imageType != 2 && h.imageType != 9 && h.imageType != 10) return -1;
    if (h.originX != 0 || h.originY != 0) return -1;
    if (h.width <= 0 || h.height <= 0 || h.width > kMaxSide || h.height > kMaxSide) return -1;
    const bool mapped = IsColorMapped(h.imageType);
    // Colour-mapped pictures need a map and one-byte indices.
    if (mapped && (h.mapType != 1 || h.pixelBits != 8)) return -1;
    const int pixelBits = mapped ? h.mapEntryBits : h.pixelBits;
    if (pixelBits != 16 && pixelBits != 24 && pixelBits != 32) return -1;
    const int pixelBytes = pixelBits / 8;

    int64_t at = kHeaderBytes + h.idLength;
    uint8_t map[kMapEntries * 4] = {};
    if (h.mapType == 1) {
        const int entryBytes = (h.mapEntryBits + 7) / 8;
        if (mapped) {
            // Entries past the 256th are skipped: indices are one byte.
            const int usable = std::max(0, std::min(h.mapLength, kMapEntries - h.mapFirst));
            if (usable > 0 && (!SeekImageStream(in, at) ||
                               !ReadImageBytes(in, map + h.mapFirst * pixelBytes, int64_t(usable) * pixelBytes)))
                return -1;
        }
        // A true-colour picture may carry a map too; its pixels start behind it.
        at += int64_t(h.mapLength) * entryBytes;
    }

    const int64_t pixelCount = int64_t(h.width) * h.height;
    const int64_t bytes = CheckedImageBytes(h.width, h.height, pixelBytes);
    if (bytes <= 0) return -1;
    const int64_t available = dataEnd - at;
    const int valueBytes = mapped ? 1 : pixelBytes;
    // Even all-repeat packets need one header and one value per 128 pixels.
    const int64_t needed =
        IsRunLength(h.imageType) ? (pixelCount + 127) / 128 * (1 + valueBytes) : pixelCount * valueBytes;
    if (available < needed || !SeekImageStream(in, at)) return -1;

    TgaBuffers buffers;
    buffers.pixels = AllocImagePixels(bytes, __FILE__, __LINE__);
    if (buffers.pixels == nullptr) return -1;
    const uint8_t* lookup = mapped ? map : nullptr;
    if (IsRunLength(h.imageType)) {
        buffers.data = AllocImagePixels(available, __FILE__, __LINE__);
        if (buffers.data == nullptr || !ReadImageBytes(in, buffers.data, available)) return -1;
        if (!ExpandRunLength(buffers.data, available, buffers.pixels, pixelCount, pixelBytes, lookup)) return -1;
    } else if (mapped) {
        buffers.data = AllocImagePixels(pixelCount, __FILE__, __LINE__);
        if (buffers.data == nullptr || !ReadImageBytes(in, buffers.data, pixelCount)) return -1;
        for (int64_t i = 0; i < pixelCount; ++i)
            PutValue(buffers.pixels + i * pixelBytes, buffers.data + i, pixelBytes, lookup);
    } else if (!ReadImageBytes(in, buffers.pixels, bytes)) {
        return -1;
    }

    const bool topFirst = (h.descriptor & 0x20) != 0;
    const bool rightToLeft = (h.descriptor & 0x10) != 0;
    if (!topFirst || rightToLeft) {
        uint8_t* ordered = AllocImagePixels(bytes, __FILE__, __LINE__);
        if (ordered == nullptr) return -1;
        Reorient(buffers.pixels, ordered, h.width, h.height, pixelBytes, topFirst, rightToLeft);
        TrackedFree(buffers.pixels);
        buffers.pixels = ordered;
    }

    SetTgaFormat(&image->format, pixelBits);
    image->width = h.width;
    image->height = h.height;
    image->pitch = h.width * pixelBytes;
    image->pixels = buffers.pixels;
    buffers.pixels = nullptr;
    return 0;
}

}  // namespace ror
