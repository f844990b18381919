#include "image/png_encoder.h"

#include <png.h>

#include <new>

namespace ror {

int EncodePng(const uint32_t* argb, int32_t width, int32_t height, bool withAlpha, EncodedPng* out)
{
    if (argb == nullptr || out == nullptr || width < 1 || height < 1) return -1;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    // 0xAARRGGBB in memory on a little-endian machine is B, G, R, A.
    image.format = withAlpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    const size_t count = size_t(width) * size_t(height);
    std::unique_ptr<uint8_t[]> packed;
    const void* rows = argb;
    if (!withAlpha) {
        packed.reset(new (std::nothrow) uint8_t[count * 3]);
        if (!packed) return -1;
        for (size_t i = 0; i < count; ++i) {
            packed[3 * i] = uint8_t(argb[i]);
            packed[3 * i + 1] = uint8_t(argb[i] >> 8);
            packed[3 * i + 2] = uint8_t(argb[i] >> 16);
        }
        rows = packed.get();
    }
    // First the size, then the bytes.
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rows, 0, nullptr)) {
        png_image_free(&image);
        return -1;
    }
    out->bytes.reset(new (std::nothrow) uint8_t[size]);
    if (!out->bytes || !png_image_write_to_memory(&image, out->bytes.get(), &size, 0, rows, 0, nullptr)) {
        png_image_free(&image);
        out->bytes.reset();
        return -1;
    }
    out->size = size;
    return 0;
}

}  // namespace ror
