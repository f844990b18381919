#include "image/png_encoder.h"

#include <png.h>

#include <new>

namespace ror {

int EncodePng(const uint32_t* argb, int32_t width, int32_t height, bool withAlpha, std::vector<uint8_t>* out)
{
    if (argb == nullptr || out == nullptr || width < 1 || height < 1) return -1;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    // 0xAARRGGBB in memory on a little-endian machine is B, G, R, A. Without alpha the
    // fourth byte is still there in the input, so it is given as filler and dropped.
    image.format = withAlpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    std::vector<uint8_t> packed;
    const void* rows = argb;
    if (!withAlpha) {
        try {
            packed.resize(size_t(width) * size_t(height) * 3);
        } catch (const std::bad_alloc&) {
            return -1;
        }
        for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i) {
            packed[3 * i] = uint8_t(argb[i]);
            packed[3 * i + 1] = uint8_t(argb[i] >> 8);
            packed[3 * i + 2] = uint8_t(argb[i] >> 16);
        }
        rows = packed.data();
    }
    // First the size, then the bytes.
    png_alloc_size_t bytes = 0;
    if (!png_image_write_to_memory(&image, nullptr, &bytes, 0, rows, 0, nullptr)) {
        png_image_free(&image);
        return -1;
    }
    try {
        out->resize(bytes);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    if (!png_image_write_to_memory(&image, out->data(), &bytes, 0, rows, 0, nullptr)) {
        png_image_free(&image);
        out->clear();
        return -1;
    }
    out->resize(bytes);
    return 0;
}

}  // namespace ror
