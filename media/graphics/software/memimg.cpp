#include "graphics/software/memimg.h"

#include "core/tracked_memory.h"
#include "image/image_limits.h"
#include "graphics/software/pixel_spans.h"

#include <algorithm>
#include <cstring>

namespace ror {

SoftwareScreen SoftScreen;

namespace {

int StoreBytesPerPixel(int kind, int isPalette, int hasAlpha)
{
    if (isPalette) return 1;
    switch (kind) {
    case 0: return hasAlpha ? 4 : 2;
    case 1: return 4;
    case 2: return 1;
    default: return 2;
    }
}

}  // namespace

int CreateMemImg(MEMIMG* view, int width, int height, int pitch, int colorKey, int kind, int isPalette, int hasAlpha,
                 int withExtras, void* buffer)
{
    if (IsValidMemImg(view)) return -1;
    if (width <= 0 || height <= 0 || kind < 0 || kind > 3) return -1;
    auto* base = static_cast<MemImgStore*>(TrackedAllocZeroed(sizeof(MemImgStore), __FILE__, __LINE__));
    if (base == nullptr) return -1;
    base->refCount = 1;
    base->width = width;
    base->height = height;
    base->colorKey = colorKey;
    base->kind = kind;
    if (kind >= 2) {
        isPalette = 0;
        hasAlpha = 0;
    }
    if (isPalette) hasAlpha = 0;
    base->isPalette = isPalette ? 1 : 0;
    base->hasAlpha = hasAlpha ? 1 : 0;

    // Views point into the store from here on, so a failure below still releases cleanly.
    *view = MEMIMG{kMemImgMagic, width, height, nullptr, nullptr, base};

    if (base->isPalette) {
        base->palette = static_cast<uint8_t*>(TrackedAllocZeroed(2048, __FILE__, __LINE__));
        if (base->palette == nullptr) return ReleaseMemImg(view), -1;
        base->convertedPalette = base->palette + 1024;
    }
    const int64_t rowBytes = int64_t(width) * StoreBytesPerPixel(kind, base->isPalette, base->hasAlpha);
    const int64_t computed = (rowBytes + 15) & ~int64_t(15);
    const int64_t usedPitch = pitch == -1 ? computed : pitch;
    if (usedPitch < rowBytes || ImageBytes(usedPitch, height, 1) < 0) return ReleaseMemImg(view), -1;
    base->pitch = int32_t(usedPitch);
    const int64_t sizeFor = pitch == -1 ? rowBytes : usedPitch;
    int64_t p2 = 1;
    int shift = 0;
    while (p2 < sizeFor) p2 <<= 1, ++shift;
    base->pitchShift = p2 == usedPitch ? uint32_t(shift) : 0xFFFFFFFFu;
    base->format = SoftwareColorFormat(kind, base->hasAlpha, base->isPalette);

    const int32_t bytes = int32_t(usedPitch * height);
    if (buffer != nullptr) {
        base->pixelBuffer = static_cast<uint8_t*>(buffer);
        base->userBuffer = 1;
    } else {
        base->pixelBuffer = static_cast<uint8_t*>(TrackedAlloc(bytes, __FILE__, __LINE__));
        if (base->pixelBuffer == nullptr) return ReleaseMemImg(view), -1;
    }
    if (withExtras) {
        if (base->hasAlpha) {
            base->planeBuffer = static_cast<uint8_t*>(TrackedAlloc(bytes, __FILE__, __LINE__));
            if (base->planeBuffer == nullptr) return ReleaseMemImg(view), -1;
        }
        if (kind != 2) {
            const int64_t runBytes = ImageBytes(int64_t(width) + 5, height, 1);
            if (runBytes < 0) return ReleaseMemImg(view), -1;
            base->runTable = static_cast<uint8_t*>(TrackedAlloc(int32_t(runBytes), __FILE__, __LINE__));
            if (base->runTable == nullptr) return ReleaseMemImg(view), -1;
        }
    }
    view->pixels = base->pixelBuffer;
    view->alphaPlane = base->planeBuffer;
    return 0;
}

int CreateScreenImage(MEMIMG* view, int width, int height, int kind)
{
    *view = MEMIMG{};
    if (kind == -1) kind = ScreenColorFormat()->colorBits == 16 ? 0 : 1;
    return CreateMemImg(view, width, height, -1, 0, kind, 0, 0, 0, nullptr);
}

void MakeSubImage(MEMIMG* view, const MEMIMG* source, int x, int y, int width, int height)
{
    if (!IsValidMemImg(source)) return;
    if (x < 0 || y < 0 || width < 0 || height < 0 || x + width > source->width || y + height > source->height) return;
    MemImgStore* base = source->base;
    const intptr_t offset = intptr_t(x) * base->format->pixelBytes + intptr_t(y) * base->pitch;
    *view = MEMIMG{kMemImgMagic,
                   width,
                   height,
                   source->pixels + offset,
                   base->planeBuffer != nullptr ? source->alphaPlane + offset : nullptr,
                   base};
    ++base->refCount;
}

int IsValidMemImg(const MEMIMG* view)
{
    return view != nullptr && view->magic == kMemImgMagic && view->base != nullptr ? 1 : 0;
}

int ReleaseMemImg(MEMIMG* view)
{
    if (view->magic != kMemImgMagic) return 0;
    MemImgStore* base = view->base;
    if (base != nullptr && --base->refCount <= 0) {
        if (!base->userBuffer) TrackedFree(base->pixelBuffer);
        TrackedFree(base->planeBuffer);
        TrackedFree(base->runTable);
        TrackedFree(base->palette);
        TrackedFree(base);
    }
    view->base = nullptr;
    view->magic = 0;
    return 0;
}

void FillMemImg(MEMIMG* view, const PixelRect* rect, uint32_t value)
{
    if (!IsValidMemImg(view)) return;
    PixelRect r = rect != nullptr ? *rect : PixelRect{0, 0, view->width, view->height};
    const PixelRect whole{0, 0, view->width, view->height};
    ClipRect(&r, &whole);
    const int n = r.right - r.left;
    if (n <= 0 || r.bottom <= r.top) return;
    const int bytes = MemImgPixelBytes(view);
    const SpanOps& ops = ActiveSpanOps();
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t* row = MemImgRow(view, y) + intptr_t(r.left) * bytes;
        if (bytes == 4)
            ops.fill32(reinterpret_cast<uint32_t*>(row), n, value);
        else if (bytes == 2)
            ops.fill16(reinterpret_cast<uint16_t*>(row), n, uint16_t(value));
        else
            std::memset(row, int(value & 0xFF), size_t(n));
    }
}

}  // namespace ror
