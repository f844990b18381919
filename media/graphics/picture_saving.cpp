// The screen and graphics saved as PNG pictures, to a file or into memory.
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/text_encoding.h"
#include "graphics/blend_graphics.h"
#include "graphics/draw_ops.h"
#include "graphics/graphic_handles.h"
#include "graphics/screen_mode.h"
#include "image/png_encoder.h"
#include "platform/files/files.h"

#include <cstring>
#include <new>
#include <memory>

namespace ror {

namespace {

struct Pixels {
    std::unique_ptr<uint32_t[]> argb;
    int32_t width = 0, height = 0;
    bool withAlpha = false;
};

bool Allocate(Pixels* pixels, int32_t width, int32_t height)
{
    pixels->argb.reset(new (std::nothrow) uint32_t[size_t(width) * size_t(height)]);
    if (!pixels->argb) return false;
    pixels->width = width;
    pixels->height = height;
    return true;
}

// The back screen as drawn so far.
int ReadScreen(Pixels* pixels)
{
    if (!ScreenSettings.graphicsReady) return -1;
    int32_t width = 0, height = 0;
    RequestedScreenSize(&width, &height);
    if (!Allocate(pixels, width, height)) return -1;
    return DrawOps.readScreenPixels(pixels->argb.get());
}

// A graphic's pixels; blend images hold levels, not colours, and are refused.
int ReadGraphic(int handle, Pixels* pixels)
{
    GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr || IsBlendGraphic(g) || !Allocate(pixels, g->width, g->height)) return -1;
    pixels->withAlpha = g->image != nullptr && g->image->hasAlpha;
    return DrawOps.readGraphicPixels(g, pixels->argb.get());
}

int Encode(const Pixels& pixels, EncodedPng* png)
{
    if (EncodePng(pixels.argb.get(), pixels.width, pixels.height, pixels.withAlpha, png) != 0)
        return LogWrite("PNG 画像の作成に失敗しました\n");
    return 0;
}

// The file is made anew; one that cannot be written whole is removed again.
int WriteFile(const char* path, const EncodedPng& png)
{
    CallerText converted(path, CallerTextUse::Path);
    if (converted.get() == nullptr) return -1;
    const SystemFile file = OpenSystemFile(converted.get(), FileOpenMode::CreateEmpty);
    if (file == kNoSystemFile) return LogWriteFormat("画像ファイル %s を作成できませんでした", converted.get());
    const bool whole = WriteSystemFile(file, png.bytes.get(), png.size) == int64_t(png.size);
    CloseSystemFile(file);
    if (whole) return 0;
    DeleteSystemFile(converted.get());
    return LogWriteFormat("画像ファイル %s の書き込みに失敗しました", converted.get());
}

int SaveToFile(int read, const Pixels& pixels, const char* path)
{
    EncodedPng png;
    if (read != 0 || path == nullptr || Encode(pixels, &png) != 0) return -1;
    return WriteFile(path, png);
}

int32_t SaveToMemory(int read, const Pixels& pixels, void* buffer, int32_t capacity)
{
    EncodedPng png;
    if (read != 0 || capacity < 0 || Encode(pixels, &png) != 0 || png.size > size_t(INT32_MAX)) return -1;
    if (buffer != nullptr && png.size <= size_t(capacity)) std::memcpy(buffer, png.bytes.get(), png.size);
    return int32_t(png.size);
}

}  // namespace

}  // namespace ror

using namespace ror;

int SaveScreenToPng(const char* path)
{
    Pixels pixels;
    return SaveToFile(ReadScreen(&pixels), pixels, path);
}

int SaveGraphicToPng(int handle, const char* path)
{
    Pixels pixels;
    return SaveToFile(ReadGraphic(handle, &pixels), pixels, path);
}

int32_t SaveScreenToPngMemory(void* buffer, int32_t capacity)
{
    Pixels pixels;
    return SaveToMemory(ReadScreen(&pixels), pixels, buffer, capacity);
}

int32_t SaveGraphicToPngMemory(int handle, void* buffer, int32_t capacity)
{
    Pixels pixels;
    return SaveToMemory(ReadGraphic(handle, &pixels), pixels, buffer, capacity);
}
