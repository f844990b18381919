// The glyph cache's texture on the hardware path (fonts with textureMode 1).
#pragma once
#include "text/font_handles.h"
#include "text/glyph_cache.h"

#include <cstdint>

namespace ror {

// Sizes the texture for the font's cells, sets slotCount and makes the texture. 0 / -1.
int CreateGlyphTexture(FontRecord* font);
// Makes the texture again when the graphics layer has lost it, forgetting the cached glyphs. 0 / -1.
int RestoreGlyphCacheTexture(int handle);
int RestoreGlyphCacheTextureOf(FontRecord* font);
void ReleaseGlyphTexture(FontRecord* font);
// Makes the texture taller to hold `slots` cells, within its budget, and uploads the cached
// glyphs again. The number of cells it holds then; 0 when it could not grow.
int32_t GrowGlyphTexture(FontRecord* font, int32_t slots);
// Copies a freshly rendered cell of the cache into the texture.
struct GlyphSlot;
void UploadGlyphCell(FontRecord* font, const GlyphSlot* slot);
// The device path's string drawing (the drawing table's entry): from the font's texture,
// each glyph a tinted rectangle (its edge first). 0 / -1.
int DeviceDrawText(int x, int y, const char* text, uint32_t color, int fontHandle, FontRecord* font, uint32_t edgeColor,
                   TextCodes codes);

}  // namespace ror
