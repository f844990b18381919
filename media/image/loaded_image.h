// Decoding picture files and memory blocks into pixel rows: the LoadedImage record,
// the chain of decoders and each decoder's entry.
#pragma once
#include "file/file_access.h"
#include "image/image_limits.h"
#include "image/pixel_format.h"

#include <cstdint>

namespace ror {

struct LoadedImage {
    ColorFormat format;  // compression 1-5 only for DXT data
    int32_t width;
    int32_t height;
    int32_t pitch;      // 0 for DXT data
    uint8_t* pixels;    // top row first; tracked block, the caller frees it with TrackedFree
    int32_t mipLevels;  // DDS only: levels stored one after another in pixels
};

// Limits applied to every picture before its pixels are allocated.
struct ImageDecodeState {
    int64_t maxImageBytes;  // a picture needing more is refused
};
extern ImageDecodeState ImageDecoding;

constexpr int64_t kDefaultMaxImageBytes = kMaxImageBytes;

// Loads a picture file, or a memory block of `size` bytes, through the decoder chain.
int LoadImageData(const char* path, LoadedImage* image);
int LoadImageData(const void* data, int32_t size, LoadedImage* image);
// Tries every decoder in order on an open stream; -1 when none accepts the data.
int DecodeImageStream(const StreamOps* ops, StreamValue stream, LoadedImage* image);
// Frees the pixels of a decoded picture and clears the record.
int ReleaseLoadedImage(LoadedImage* image);

using ImageDecoder = int (*)(const StreamOps* ops, StreamValue stream, LoadedImage* image);

// Each decoder: 0 when the data is of its kind and was decoded, else -1 with nothing held.
int DecodeBmp(const StreamOps* ops, StreamValue stream, LoadedImage* image);
int DecodeJpeg(const StreamOps* ops, StreamValue stream, LoadedImage* image);
int DecodePng(const StreamOps* ops, StreamValue stream, LoadedImage* image);
int DecodeBgra(const StreamOps* ops, StreamValue stream, LoadedImage* image);
int DecodeTga(const StreamOps* ops, StreamValue stream, LoadedImage* image);
int DecodeDds(const StreamOps* ops, StreamValue stream, LoadedImage* image);

// The order in which the chain tries them.
constexpr ImageDecoder ImageDecoderOrder[] = {DecodeBmp, DecodeJpeg, DecodePng, DecodeBgra, DecodeTga, DecodeDds};

}  // namespace ror
