// Loading pictures into graphics: the decoder chain, then the pixel converter.
#pragma once
#include <cstdint>

// A graphic holding the picture; one with an alpha channel when the picture has alpha.
// The handle, or -1.
int LoadGraphic(const char* path);
int LoadGraphicFromMemory(const void* data, int32_t size);
// `count` equal cells of cellWidth x cellHeight, `columns` to a row, read left to right and
// top to bottom, as graphics into handles[0 .. count-1]. 0, or -1 with no graphic made.
int LoadDividedGraphic(const char* path, int count, int columns, int rows, int cellWidth, int cellHeight,
                       int* handles);
int LoadDividedGraphicFromMemory(const void* data, int32_t size, int count, int columns, int rows, int cellWidth,
                                 int cellHeight, int* handles);
