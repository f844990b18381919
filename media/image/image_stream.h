// Helpers the decoders share for reading their stream and sizing their buffers.
#pragma once
#include "file/file_access.h"

#include <cstdint>
#include <cstring>

namespace ror {

struct ImageStream {
    const StreamOps* ops;
    StreamValue stream;
};

// Reads exactly `bytes` bytes; false on a short read.
bool ReadImageBytes(const ImageStream& in, void* destination, int64_t bytes);
bool SeekImageStream(const ImageStream& in, int64_t offset);
int64_t TellImageStream(const ImageStream& in);
// Bytes from the current position to the end; the position is kept. -1 when unknown.
int64_t RemainingImageBytes(const ImageStream& in);
// The stream's total size; the position is kept. -1 when unknown.
int64_t ImageStreamSize(const ImageStream& in);

// width x height x bytesPerPixel (or rows x pitch) checked against the decode limit;
// -1 when a factor is negative or the product is too large to hold.
int64_t CheckedImageBytes(int64_t a, int64_t b, int64_t c = 1);

// A tracked block for pixels; null when the size is out of range or memory is short.
uint8_t* AllocImagePixels(int64_t bytes, const char* name, int line);
uint8_t* AllocImagePixelsZeroed(int64_t bytes, const char* name, int line);

inline uint16_t ReadLe16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t ReadLe32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace ror
