// The loader chain: every decoder in turn on the same stream, the first that accepts wins.
#include "rorodiv_file.h"
#include "core/tracked_memory.h"
#include "image/loaded_image.h"

#include <cstring>

namespace ror {

int DecodeImageStream(const StreamOps* ops, StreamValue stream, LoadedImage* image)
{
    if (ops == nullptr || stream == 0 || image == nullptr) return -1;
    for (ImageDecoder decoder : ImageDecoderOrder) {
        if (ops->seek(stream, 0, kSeekStart) != 0) return -1;
        std::memset(image, 0, sizeof(*image));
        if (decoder(ops, stream, image) == 0) return 0;
    }
    std::memset(image, 0, sizeof(*image));
    return -1;
}

int LoadImageData(const void* data, int32_t size, LoadedImage* image)
{
    if (image == nullptr) return -1;
    MemoryStream* stream = OpenMemoryStream(data, size);
    if (stream == nullptr) return -1;
    // The memory routines themselves, so that decoding a block needs no file layer.
    const StreamOps* ops = &kPlainMemoryStreamOps;
    const StreamValue value = reinterpret_cast<StreamValue>(stream);
    const int result = DecodeImageStream(ops, value, image);
    ops->close(value);
    return result;
}

int ReleaseLoadedImage(LoadedImage* image)
{
    if (image == nullptr) return -1;
    if (image->pixels != nullptr) TrackedFree(image->pixels);
    std::memset(image, 0, sizeof(*image));
    return 0;
}

}  // namespace ror
