// libFuzzer target: the whole picture decoder chain over a memory block. Every accepted picture is
// read at the ends of its block and of each row, so that a wrong size or pitch shows as an overflow.
#include "core/tracked_memory.h"
#include "image/loaded_image.h"

#include <cstddef>
#include <cstdint>

using namespace ror;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Large claims cost time, not coverage: a 300-byte JPEG may claim 15 MB of pixels.
    ImageDecoding.maxImageBytes = int64_t(16) << 20;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0x7FFFFFFF) return 0;
    LoadedImage image{};
    if (LoadImageData(data, int32_t(size), &image) == 0) {
        const int32_t bytes = HeaderOfBlock(image.pixels)->fields.size;
        volatile uint8_t sum = 0;
        if (bytes > 0) sum = uint8_t(image.pixels[0] + image.pixels[bytes - 1]);
        // Rows as a reader of the record would walk them.
        if (image.format.compression == 0) {
            const int64_t rowBytes = int64_t(image.width) * image.format.pixelBytes;
            const int64_t last = int64_t(image.height - 1) * image.pitch + rowBytes;
            if (image.pitch < rowBytes || last > bytes) __builtin_trap();
            for (int64_t row = 0; rowBytes > 0 && row < image.height; ++row)
                sum = uint8_t(sum + image.pixels[row * image.pitch + rowBytes - 1]);
        }
        ReleaseLoadedImage(&image);
    }
    if (TrackedAllocationCount() != 0) __builtin_trap();
    return 0;
}
