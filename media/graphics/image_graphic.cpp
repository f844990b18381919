// Loading pictures into graphics (the public LoadGraphic family): the decoder chain, then the
// pixel converter.
#include "graphics/image_graphic.h"

#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "graphics/blend_graphics.h"
#include "graphics/graphic_handles.h"
#include "graphics/graphics.h"
#include "image/dxt_blocks.h"
#include "image/image_stream.h"
#include "image/loaded_image.h"
#include "rorodiv.h"
#include "core/last_failure.h"

#include <cstring>

namespace ror {

namespace {

// Block data is expanded to 32-bit pixels first: the converter reads plain pixels only.
bool ExpandBlocks(LoadedImage* image)
{
    if (image->format.compression == 0) return true;
    const int64_t pitch = int64_t(image->width) * 4;
    uint8_t* pixels = AllocImagePixels(CheckedImageBytes(pitch, image->height), __FILE__, __LINE__);
    if (pixels == nullptr || ExpandDxtBlocks(*image, pixels, pitch) != 0) {
        if (pixels != nullptr) TrackedFree(pixels);
        return false;
    }
    TrackedFree(image->pixels);
    image->pixels = pixels;
    image->pitch = int32_t(pitch);
    image->mipLevels = 0;
    MakeArgb8Format(&image->format);
    return true;
}

// Makes a graphic of the picture and frees the picture.
int GraphicOfImage(LoadedImage* image)
{
    int handle = -1;
    if (ExpandBlocks(image)) {
        // Alpha in the picture asks for a graphic that keeps it.
        const GraphicCreationSettings saved = GraphicCreation;
        if (image->format.alphaWidth != 0) GraphicCreation.alphaChannel = 1;
        handle = CreateBlankGraphic(image->width, image->height);
        GraphicCreation = saved;
        const PixelImage source{image->pixels, image->pitch, image->width, image->height, &image->format};
        const PixelRect whole{0, 0, image->width, image->height};
        if (handle != -1 && CopyImageToGraphic(handle, source, nullptr, whole, 0, 0) != 0) {
            DestroyGraphic(handle);
            handle = -1;
        }
    }
    ReleaseLoadedImage(image);
    return handle;
}

// Makes a blend image of the picture's brightness and frees the picture.
int BlendGraphicOfImage(LoadedImage* image)
{
    int handle = -1;
    if (ExpandBlocks(image)) {
        handle = CreateBlendGraphic(image->width, image->height);
        const PixelImage source{image->pixels, image->pitch, image->width, image->height, &image->format};
        if (handle != -1 &&
            CopyImageToGraphic(handle, source, nullptr, PixelRect{0, 0, image->width, image->height}, 0, 0) != 0) {
            DestroyGraphic(handle);
            handle = -1;
        }
    }
    ReleaseLoadedImage(image);
    return handle;
}

int DivideGraphic(int whole, int count, int columns, int rows, int cellWidth, int cellHeight, int* handles)
{
    int width = 0, height = 0;
    const bool fits = whole != -1 && handles != nullptr && count > 0 && columns > 0 && rows > 0 && cellWidth > 0 &&
                      cellHeight > 0 && int64_t(count) <= int64_t(columns) * rows &&
                      GraphicSize(whole, &width, &height) == 0 && int64_t(columns) * cellWidth <= width &&
                      int64_t(rows) * cellHeight <= height;
    int made = 0;
    for (; fits && made < count; ++made) {
        handles[made] =
            CreateSubGraphic(made % columns * cellWidth, made / columns * cellHeight, cellWidth, cellHeight, whole);
        if (handles[made] == -1) break;
    }
    const bool ok = fits && made == count;
    if (!ok)
        for (int i = 0; i < made; ++i) DestroyGraphic(handles[i]);
    // The cells keep the shared pixels alive on their own.
    if (whole != -1) DestroyGraphic(whole);
    // The picture's failure was noted as it was loaded; cells that do not fit are the caller's.
    if (whole != -1 && !fits) return FailedArgument("LoadDividedGraphic");
    return ok ? 0 : -1;
}

}  // namespace

}  // namespace ror

using namespace ror;

int LoadGraphic(const char* path)
{
    if (path == nullptr) return FailedArgument(__func__);
    const uint32_t mark = FailureMark();
    LoadedImage image{};
    if (LoadImageData(path, &image) != 0) return FailedSince(mark, FAILURE_DAMAGED_DATA, __func__);
    const int handle = GraphicOfImage(&image);
    // The file is remembered so that the graphic can be loaded again after a device loss.
    if (handle != -1 && SetGraphicSource(ResolveGraphic(handle), path, 0, 0) != 0) {
        DestroyGraphic(handle);
        return -1;
    }
    return handle;
}

namespace ror {

void RestoreGraphicsFromFiles()
{
    LogWrite("グラフィックを復帰します\n");
    LoadedImage image{};
    const char* loadedPath = nullptr;  // the previous graphic's name while `image` holds its picture
    bool usable = false;
    for (int slot = 0; slot < GraphicTable.highWater; ++slot) {
        const HandleHeader* record = GraphicTable.slots[slot];
        const int handle = record != nullptr ? record->handle : -1;
        const GraphicRecord* g = ResolveGraphic(handle);
        if (g == nullptr || g->sourcePath == nullptr) continue;
        if (loadedPath == nullptr || std::strcmp(loadedPath, g->sourcePath) != 0) {
            ReleaseLoadedImage(&image);
            usable = LoadImageData(g->sourcePath, &image) == 0 && ExpandBlocks(&image);
            loadedPath = g->sourcePath;
        }
        if (!usable) continue;
        const PixelImage source{image.pixels, image.pitch, image.width, image.height, &image.format};
        const PixelRect part{g->sourceX, g->sourceY, g->sourceX + g->width, g->sourceY + g->height};
        CopyImageToGraphic(handle, source, nullptr, part, 0, 0);
    }
    ReleaseLoadedImage(&image);
}

}  // namespace ror

int LoadGraphicFromMemory(const void* data, int32_t size)
{
    if (data == nullptr || size <= 0) return FailedArgument(__func__);
    const uint32_t mark = FailureMark();
    LoadedImage image{};
    if (LoadImageData(data, size, &image) != 0) return FailedSince(mark, FAILURE_DAMAGED_DATA, __func__);
    return GraphicOfImage(&image);
}

int LoadDividedGraphic(const char* path, int count, int columns, int rows, int cellWidth, int cellHeight, int* handles)
{
    if (handles == nullptr) return FailedArgument(__func__);  // before a whole graphic is made for nothing
    return DivideGraphic(LoadGraphic(path), count, columns, rows, cellWidth, cellHeight, handles);
}

int LoadDividedGraphicFromMemory(const void* data, int32_t size, int count, int columns, int rows, int cellWidth,
                                 int cellHeight, int* handles)
{
    if (handles == nullptr) return FailedArgument(__func__);
    return DivideGraphic(LoadGraphicFromMemory(data, size), count, columns, rows, cellWidth, cellHeight, handles);
}

int LoadBlendGraphic(const char* path)
{
    if (path == nullptr) return FailedArgument(__func__);
    const uint32_t mark = FailureMark();
    LoadedImage image{};
    if (LoadImageData(path, &image) != 0) return FailedSince(mark, FAILURE_DAMAGED_DATA, __func__);
    return BlendGraphicOfImage(&image);
}

int LoadBlendGraphicFromMemory(const void* data, int32_t size)
{
    if (data == nullptr || size <= 0) return FailedArgument(__func__);
    const uint32_t mark = FailureMark();
    LoadedImage image{};
    if (LoadImageData(data, size, &image) != 0) return FailedSince(mark, FAILURE_DAMAGED_DATA, __func__);
    return BlendGraphicOfImage(&image);
}
