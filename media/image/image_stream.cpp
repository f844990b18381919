#include "image/image_stream.h"
#include "rorodiv_file.h"

#include "core/tracked_memory.h"
#include "image/loaded_image.h"

#include <limits>

namespace ror {

ImageDecodeState ImageDecoding = {kDefaultMaxImageBytes};

bool ReadImageBytes(const ImageStream& in, void* destination, int64_t bytes)
{
    if (bytes < 0) return false;
    if (bytes == 0) return true;
    // Element size 1: a memory stream reports a partial large element as one whole element.
    return in.ops->read(destination, 1, size_t(bytes), in.stream) == size_t(bytes);
}

bool SeekImageStream(const ImageStream& in, int64_t offset)
{
    if (offset < 0 || offset > std::numeric_limits<int32_t>::max()) return false;
    return in.ops->seek(in.stream, int32_t(offset), kSeekStart) == 0;
}

int64_t TellImageStream(const ImageStream& in) { return in.ops->tell(in.stream); }

int64_t ImageStreamSize(const ImageStream& in)
{
    const int64_t here = in.ops->tell(in.stream);
    if (here < 0 || in.ops->seek(in.stream, 0, kSeekEnd) != 0) return -1;
    const int64_t end = in.ops->tell(in.stream);
    if (in.ops->seek(in.stream, int32_t(here), kSeekStart) != 0) return -1;
    return end;
}

int64_t RemainingImageBytes(const ImageStream& in)
{
    const int64_t here = in.ops->tell(in.stream);
    const int64_t end = ImageStreamSize(in);
    if (here < 0 || end < 0 || end < here) return end < 0 ? -1 : 0;
    return end - here;
}

int64_t CheckedImageBytes(int64_t a, int64_t b, int64_t c)
{
    const int64_t limit = ImageDecoding.maxImageBytes;
    if (a < 0 || b < 0 || c < 0) return -1;
    if (a == 0 || b == 0 || c == 0) return 0;
    if (a > limit / b) return -1;
    const int64_t ab = a * b;
    if (ab > limit / c) return -1;
    return ab * c;
}

namespace {

// Tracked blocks carry a header and a 32-bit size.
bool BlockSizeFits(int64_t bytes)
{
    return bytes > 0 && bytes <= ImageDecoding.maxImageBytes &&
           bytes <= int64_t(std::numeric_limits<int32_t>::max()) - 4096;
}

}  // namespace

uint8_t* AllocImagePixels(int64_t bytes, const char* name, int line)
{
    if (!BlockSizeFits(bytes)) return nullptr;
    return static_cast<uint8_t*>(TrackedAlloc(int32_t(bytes), name, line));
}

uint8_t* AllocImagePixelsZeroed(int64_t bytes, const char* name, int line)
{
    if (!BlockSizeFits(bytes)) return nullptr;
    return static_cast<uint8_t*>(TrackedAllocZeroed(int32_t(bytes), name, line));
}

}  // namespace ror
