// libFuzzer target: the whole picture decoder chain over a memory block. Every accepted picture is
// read to its last byte, so that a wrong size or pitch shows as an overflow.
#include "core/tracked_memory.h"
#include "image/loaded_image.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Large claims cost time, not coverage.
    ImageDecoding.maxImageBytes = int64_t(64) << 20;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0x7FFFFFFF) return 0;
    LoadedImage image{};
    if (LoadImageData(data, int32_t(size), &image) == 0) {
        const int32_t bytes = HeaderOfBlock(image.pixels)->fields.size;
        volatile uint8_t sum = 0;
        for (int32_t i = 0; i < bytes; ++i) sum = uint8_t(sum + image.pixels[i]);
        // Rows as a reader of the record would walk them.
        if (image.format.compression == 0) {
            const int64_t last = int64_t(image.height - 1) * image.pitch + int64_t(image.width) * image.format.pixelBytes;
            if (image.pitch < int64_t(image.width) * image.format.pixelBytes || last > bytes) __builtin_trap();
        }
        ReleaseLoadedImage(&image);
    }
    if (TrackedAllocationCount() != 0) __builtin_trap();
    return 0;
}
