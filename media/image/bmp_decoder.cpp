// BMP: palette pictures kept as indices, 24 bits kept, everything else widened to 24 bits.
#include "rorodiv.h"
#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "image/bmp_layout.h"
#include "image/image_stream.h"
#include "image/loaded_image.h"

#include <cstring>

namespace ror {

namespace {

constexpr int kFileHeaderBytes = 14;
constexpr int kInfoHeaderBytes = 40;

enum BmpCompression { kPlain = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

int64_t Align4(int64_t bytes) { return (bytes + 3) & ~int64_t(3); }

// Checks the header's combination of depth and compression; the decoder takes no other.
bool IsKnownLayout(int bitCount, int compression)
{
    switch (compression) {
    case kPlain:
        return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
    case kRle8: return bitCount == 8;
    case kRle4: return bitCount == 4;
    case kBitFields: return bitCount == 16 || bitCount == 32;
    default: return false;
    }
}

// Reads the colour table or the masks. Tables follow the whole info header; masks sit at
// byte 40 of it, which is inside the longer headers and right behind the short one.
bool ReadColorsAndMasks(const ImageStream& in, uint32_t headerBytes, uint32_t colorsUsed, BmpLayout* bmp)
{
    if (bmp->bitCount <= 8) {
        const uint32_t full = 1u << bmp->bitCount;
        const uint32_t count = colorsUsed == 0 || colorsUsed > full ? full : colorsUsed;
        return SeekImageStream(in, int64_t(kFileHeaderBytes) + headerBytes) &&
               ReadImageBytes(in, bmp->colors, count * 4);
    }
    if (bmp->compression == kBitFields) {
        uint8_t raw[12];
        if (!SeekImageStream(in, kFileHeaderBytes + kInfoHeaderBytes) || !ReadImageBytes(in, raw, sizeof(raw)))
            return false;
        for (int i = 0; i < 3; ++i) bmp->masks[i] = ReadLe32(raw + i * 4);
        return true;
    }
    if (bmp->bitCount == 16) {
        bmp->masks[0] = 0x7C00;
        bmp->masks[1] = 0x03E0;
        bmp->masks[2] = 0x001F;
    } else {
        bmp->masks[0] = 0xFF0000;
        bmp->masks[1] = 0xFF00;
        bmp->masks[2] = 0xFF;
    }
    return true;
}

void SetPaletteFormat(ColorFormat* format, const BmpLayout& bmp, int entries)
{
    MakePaletteFormat(format);
    std::memset(format->palette, 0, sizeof(format->palette));
    for (int i = 0; i < entries; ++i) {
        std::memcpy(format->palette[i], bmp.colors[i], 3);
        format->palette[i][3] = 0;
    }
}

// Plain 4 bits: two indices a byte, high nibble first.
void SplitNibbles(const BmpLayout& bmp, const uint8_t* data, uint8_t* out, int64_t pitch)
{
    for (int64_t y = 0; y < bmp.height; ++y) {
        const uint8_t* src = data + (bmp.bottomUp ? bmp.height - 1 - y : y) * bmp.storedPitch;
        uint8_t* dst = out + y * pitch;
        for (int64_t x = 0; x < bmp.width; ++x) dst[x] = (x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4;
    }
}

void CopyRows(const BmpLayout& bmp, const uint8_t* data, uint8_t* out)
{
    if (!bmp.bottomUp) {
        std::memcpy(out, data, size_t(bmp.storedPitch * bmp.height));
        return;
    }
    for (int64_t y = 0; y < bmp.height; ++y)
        std::memcpy(out + y * bmp.storedPitch, data + (bmp.height - 1 - y) * bmp.storedPitch, size_t(bmp.storedPitch));
}

struct BmpBuffers {
    uint8_t* data = nullptr;
    uint8_t* pixels = nullptr;
    ~BmpBuffers()
    {
        if (data != nullptr) TrackedFree(data);
        if (pixels != nullptr) TrackedFree(pixels);
    }
};

}  // namespace

int DecodeBmp(const StreamOps* ops, StreamValue stream, LoadedImage* image)
{
    const ImageStream in{ops, stream};
    const int64_t streamSize = ImageStreamSize(in);
    uint8_t fileHeader[kFileHeaderBytes];
    uint8_t info[kInfoHeaderBytes];
    if (!ReadImageBytes(in, fileHeader, kFileHeaderBytes) || fileHeader[0] != 'B' || fileHeader[1] != 'M') return -1;
    if (!ReadImageBytes(in, info, kInfoHeaderBytes)) return -1;
    const uint32_t dataOffset = ReadLe32(fileHeader + 10);
    const uint32_t headerBytes = ReadLe32(info);
    const int32_t storedWidth = int32_t(ReadLe32(info + 4));
    const int32_t storedHeight = int32_t(ReadLe32(info + 8));

    BmpLayout bmp = {};
    bmp.bitCount = ReadLe16(info + 14);
    bmp.compression = int32_t(ReadLe32(info + 16));
    // The old 12-byte header and the compressions past bit fields are not read.
    if (headerBytes < kInfoHeaderBytes || !IsKnownLayout(bmp.bitCount, bmp.compression)) return -1;
    if (storedWidth <= 0 || storedHeight == 0 || storedHeight == INT32_MIN) return -1;
    bmp.width = storedWidth;
    bmp.height = storedHeight < 0 ? -storedHeight : storedHeight;
    bmp.bottomUp = storedHeight > 0;
    bmp.storedPitch = Align4((int64_t(bmp.bitCount) * bmp.width + 7) / 8);
    if (!ReadColorsAndMasks(in, headerBytes, ReadLe32(info + 32), &bmp)) return -1;

    const bool runLength = bmp.compression == kRle8 || bmp.compression == kRle4;
    const bool indexed = bmp.bitCount == 4 || bmp.bitCount == 8;
    const int64_t pitch = bmp.bitCount == 8 || bmp.bitCount == 24 ? bmp.storedPitch
                          : indexed                               ? Align4(bmp.width)
                                                                  : Align4(int64_t(bmp.width) * 3);
    const int64_t bytes = CheckedImageBytes(pitch, bmp.height);
    const int64_t storedBytes = CheckedImageBytes(bmp.storedPitch, bmp.height);
    if (bytes <= 0 || storedBytes <= 0 || streamSize < 0 || dataOffset > streamSize) return -1;
    const int64_t dataBytes = streamSize - dataOffset;
    // Plain rows must all be there; run-length data may end early.
    if (!runLength && dataBytes < storedBytes) return -1;
    if (runLength && dataBytes < 2) return -1;

    BmpBuffers buffers;
    buffers.data = AllocImagePixels(dataBytes, __FILE__, __LINE__);
    if (buffers.data == nullptr || !SeekImageStream(in, dataOffset) || !ReadImageBytes(in, buffers.data, dataBytes))
        return -1;
    // Rows copied whole bring their own padding; the others start from zeros.
    const bool wholeRows = !runLength && (bmp.bitCount == 8 || bmp.bitCount == 24);
    buffers.pixels =
        wholeRows ? AllocImagePixels(bytes, __FILE__, __LINE__) : AllocImagePixelsZeroed(bytes, __FILE__, __LINE__);
    if (buffers.pixels == nullptr) {
        const bool widened = !runLength && !indexed && bmp.bitCount != 24;
        return widened ? LogWrite("２４ビットカラー化したグラフィックを格納するメモリ領域の確保に失敗しました\n") : -1;
    }

    if (runLength) {
        ExpandBmpRunLength(bmp, buffers.data, dataBytes, buffers.pixels, pitch);
    } else if (bmp.bitCount == 4) {
        SplitNibbles(bmp, buffers.data, buffers.pixels, pitch);
    } else if (bmp.bitCount == 8 || bmp.bitCount == 24) {
        CopyRows(bmp, buffers.data, buffers.pixels);
    } else {
        ConvertBmpRowsToRgb24(bmp, buffers.data, buffers.pixels, pitch);
    }
    if (indexed)
        SetPaletteFormat(&image->format, bmp, bmp.bitCount == 8 ? 256 : 16);
    else
        MakeRgb24Format(&image->format);
    image->width = bmp.width;
    image->height = bmp.height;
    image->pitch = int32_t(pitch);
    image->pixels = buffers.pixels;
    buffers.pixels = nullptr;
    return 0;
}

}  // namespace ror
