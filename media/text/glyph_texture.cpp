// The glyph cache's texture on the hardware path: every cached glyph is also kept as white
// pixels with its coverage in alpha in a graphic of the graphics layer, edges in the right
// half, and strings are drawn as rectangles of that texture tinted with their colours.
#include "text/glyph_texture.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "graphics/draw_shapes.h"
#include "graphics/draw_state.h"
#include "graphics/graphic_handles.h"
#include "graphics/graphics.h"
#include "text/glyph_cache.h"

#include <algorithm>
#include <cstring>

namespace ror {

namespace {

constexpr int32_t kTextureSide = 512;
constexpr int32_t kMinTextureSlots = 10;
// A texture grown for long lines stays within this many texels (128 MB).
constexpr int64_t kMaxTextureTexels = int64_t(32) << 20;

int32_t TextureCellsPerColumn(const FontRecord* font) { return font->cacheHeight / font->cellSize; }

bool Edged(const FontRecord* font) { return (font->type & FONT_EDGE) != 0; }

// The alpha of a cache byte in the glyph half and in the edge half.
void CellAlphas(const FontRecord* font, const uint8_t* cacheRow, int32_t x, uint8_t* glyph, uint8_t* edge)
{
    *glyph = *edge = 0;
    switch (font->type) {
    case FONT_NORMAL: *glyph = (cacheRow[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0; break;
    case FONT_EDGE:
        *glyph = cacheRow[x] == 1 ? 255 : 0;
        *edge = cacheRow[x] == 2 ? 255 : 0;
        break;
    case FONT_ANTIALIAS: *glyph = uint8_t(cacheRow[x] * 16); break;
    default: {  // edge and anti-aliasing: glyph level low, edge level high
        const int32_t g = cacheRow[x] & 0x0F, e = cacheRow[x] >> 4;
        *glyph = g == 15 ? 255 : uint8_t(g * 16);
        *edge = uint8_t(e * 16);
        break;
    }
    }
}

void AppendGlyphQuad(int32_t texture, float x, float y, float width, float height, float u0, float v0, float u1,
                     float v1, uint32_t color)
{
    const PolygonVertex v[6] = {
        {x, y, 0, 1, color, u0, v0},
        {x + width, y, 0, 1, color, u1, v0},
        {x, y + height, 0, 1, color, u0, v1},
        {x + width, y, 0, 1, color, u1, v0},
        {x + width, y + height, 0, 1, color, u1, v1},
        {x, y + height, 0, 1, color, u0, v1},
    };
    SubmitVertices2D(v, 6, kTriangleList, texture, 0);
}

// A colour value as the device draws it: the brightness applied, the blend parameter as alpha.
uint32_t VertexColorOf(uint32_t color)
{
    int red = 0, green = 0, blue = 0;
    UnpackColor(color, &red, &green, &blue);
    const uint8_t* bright = DrawState.brightness;
    const uint32_t alpha = BlendStrength();
    return alpha << 24 | uint32_t(red * bright[0] / 255) << 16 | uint32_t(green * bright[1] / 255) << 8 |
           uint32_t(blue * bright[2] / 255);
}

}  // namespace

namespace {

// The texture of `width` × `height` cells (twice as wide for an edged font, the edge half a
// graphic of its own), white and clear. 0, or -1 with neither made.
int MakeCacheTexture(const FontRecord* font, int32_t width, int32_t height, int32_t* texture, int32_t* edgeTexture)
{
    const GraphicCreationSettings saved = GraphicCreation;
    GraphicCreation.colorDepth = 32;
    GraphicCreation.alphaChannel = 1;
    GraphicCreation.useTransparentColor = 0;
    *texture = CreateBlankGraphic(Edged(font) ? 2 * width : width, height);
    *edgeTexture = -1;
    if (*texture != -1 && Edged(font)) *edgeTexture = CreateSubGraphic(width, 0, width, height, *texture);
    GraphicCreation = saved;
    if (*texture == -1) return -1;
    PaintGraphic(*texture, 255, 255, 255, 0);
    return 0;
}

}  // namespace

int RestoreGlyphCacheTextureOf(FontRecord* font)
{
    if (font->textureLost != 1) return 0;
    font->textureLost = 0;
    if (MakeCacheTexture(font, font->cacheWidth, font->cacheHeight, &font->cacheTexture, &font->edgeTexture) != 0) {
        font->textureLost = 1;
        return -1;
    }
    WatchGraphicLoss(font->cacheTexture, &font->textureLost);
    ClearGlyphCacheOf(font);
    return 0;
}

int32_t GrowGlyphTexture(FontRecord* font, int32_t slots)
{
    if (font->textureLost || font->cacheTexture == -1) return 0;
    // More rows of cells; the texture's area stays within its budget.
    const int32_t columns = font->cacheWidth / font->cellSize;
    const int64_t rowTexels = int64_t(font->cacheWidth) * font->cellSize * (Edged(font) ? 2 : 1);
    const int64_t rows = std::min<int64_t>((slots + columns - 1) / columns, kMaxTextureTexels / rowTexels);
    const int32_t height = int32_t(rows * font->cellSize);
    if (height <= font->cacheHeight) return 0;
    int32_t texture = -1, edgeTexture = -1;
    if (MakeCacheTexture(font, font->cacheWidth, height, &texture, &edgeTexture) != 0) return 0;
    ReleaseGlyphTexture(font);
    font->cacheTexture = texture;
    font->edgeTexture = edgeTexture;
    font->cacheHeight = height;
    WatchGraphicLoss(font->cacheTexture, &font->textureLost);
    // The cells move with the longer columns: every cached glyph goes up again.
    for (int32_t i = 0; i < font->slotCount; ++i)
        if (font->slots[i].inUse) UploadGlyphCell(font, &font->slots[i]);
    return int32_t(std::min<int64_t>(rows * columns, kMaxUsableGlyphSlots));
}

int RestoreGlyphCacheTexture(int handle)
{
    FontRecord* font = ResolveFont(handle);
    if (font == nullptr || !font->textureMode) return -1;
    return RestoreGlyphCacheTextureOf(font);
}

int CreateGlyphTexture(FontRecord* font)
{
    int32_t width = kTextureSide, height = kTextureSide;
    int32_t slots = (width / font->cellSize) * (height / font->cellSize);
    while (slots < kMinTextureSlots) {
        if (width > height)
            height *= 2;
        else
            width *= 2;
        slots = (height / font->cellSize) * (width / font->cellSize);
    }
    font->cacheWidth = width;
    font->cacheHeight = height;
    font->slotCount = std::min(slots, kMaxUsableGlyphSlots);
    font->textureLost = 1;
    return RestoreGlyphCacheTextureOf(font);
}

void ReleaseGlyphTexture(FontRecord* font)
{
    if (font->edgeTexture != -1) DestroyGraphic(font->edgeTexture);
    if (font->cacheTexture != -1) {
        WatchGraphicLoss(font->cacheTexture, nullptr);
        DestroyGraphic(font->cacheTexture);
    }
    font->cacheTexture = font->edgeTexture = -1;
}

void UploadGlyphCell(FontRecord* font, const GlyphSlot* slot)
{
    if (font->textureLost || font->cacheTexture == -1) return;
    const int32_t size = font->cellSize;
    auto* pixels =
        static_cast<uint32_t*>(TrackedAlloc(int32_t(sizeof(uint32_t)) * 2 * size * size, __FILE__, __LINE__));
    if (pixels == nullptr) return;
    uint32_t* edgePixels = pixels + size_t(size) * size;
    const int32_t memoryY = CellY(font, slot->cell);
    for (int32_t y = 0; y < size; ++y) {
        const uint8_t* row = font->cacheMemory + size_t(memoryY + y) * size_t(font->cacheRowBytes);
        for (int32_t x = 0; x < size; ++x) {
            uint8_t glyph = 0, edge = 0;
            CellAlphas(font, row, x, &glyph, &edge);
            pixels[size_t(y) * size + x] = uint32_t(glyph) << 24 | 0xFFFFFFu;
            edgePixels[size_t(y) * size + x] = uint32_t(edge) << 24 | 0xFFFFFFu;
        }
    }
    ColorFormat argb;
    MakeArgb8Format(&argb);
    const int32_t perColumn = TextureCellsPerColumn(font);
    const int32_t tx = slot->cell / perColumn * size, ty = slot->cell % perColumn * size;
    const PixelRect whole{0, 0, size, size};
    CopyImageToGraphic(font->cacheTexture,
                       PixelImage{reinterpret_cast<const uint8_t*>(pixels), size * 4, size, size, &argb}, nullptr,
                       whole, tx, ty);
    if (Edged(font))
        CopyImageToGraphic(font->cacheTexture,
                           PixelImage{reinterpret_cast<const uint8_t*>(edgePixels), size * 4, size, size, &argb},
                           nullptr, whole, tx + font->cacheWidth, ty);
    TrackedFree(pixels);
}

int DeviceDrawText(int x, int y, const char* text, uint32_t color, int fontHandle, FontRecord* font, uint32_t edgeColor,
                   TextCodes codes)
{
    // A font whose texture could not be made has no glyphs this path can draw.
    if (!font->textureMode) return 0;
    // Glyph quads carry no place in a blend image to weigh by: refused, not lost.
    if (DrawState.blendImageHandle != -1)
        return LogWrite("ブレンド画像が選択されている間はハードウエア描画で文字列を描画できません\n");
    // A texture lost with the graphics comes back empty, and the glyphs are made again.
    if (font->textureLost) RestoreGlyphCacheTextureOf(font);
    if (font->cacheTexture == -1) return 0;
    const int32_t length = int32_t(std::strlen(text));
    CharRecord fixed[kShortTextBytes];
    CharRecord* records = fixed;
    if (length > kShortTextBytes) {
        records = static_cast<CharRecord*>(TrackedAlloc(length * int32_t(sizeof(CharRecord)), __FILE__, __LINE__));
        if (records == nullptr) return -1;
    }
    int32_t count = 0;
    if (PrecacheText(length, text, fontHandle, records, &count, codes) != 0) {
        if (records != fixed) TrackedFree(records);
        return -1;
    }
    const uint32_t textColor = VertexColorOf(color), edgeVertexColor = VertexColorOf(edgeColor);
    const float textureWidth = float(Edged(font) ? 2 * font->cacheWidth : font->cacheWidth);
    const float textureHeight = float(font->cacheHeight);
    const int32_t perColumn = TextureCellsPerColumn(font);
    int64_t pen = 0;  // whole pixels; 64 bits for any spacing a caller sets
    int result = 0;
    uint32_t left = 0;  // the glyph before, for kerning
    for (int32_t i = 0; i < count; ++i) {
        const GlyphSlot* slot = LookUpGlyph(font, records[i]);
        if (slot == nullptr) {
            result = LogWrite("テキストキャッシュの作成に失敗しました");
            break;
        }
        pen += PairKerning(font, left, slot->kernIndex);
        left = slot->kernIndex;
        if (!IsBlankCode(font, CharCode(records[i])) && slot->width > 0 && slot->height > 0) {
            const float left = float(x + int32_t(pen) + slot->originX), top = float(y + slot->top);
            const float w = float(slot->width), h = float(slot->height);
            const float tx = float(slot->cell / perColumn * font->cellSize),
                        ty = float(slot->cell % perColumn * font->cellSize);
            const float v0 = ty / textureHeight, v1 = (ty + h) / textureHeight;
            if (Edged(font)) {
                const float ex = tx + float(font->cacheWidth);
                AppendGlyphQuad(font->cacheTexture, left, top, w, h, ex / textureWidth, v0, (ex + w) / textureWidth, v1,
                                edgeVertexColor);
            }
            AppendGlyphQuad(font->cacheTexture, left, top, w, h, tx / textureWidth, v0, (tx + w) / textureWidth, v1,
                            textColor);
        }
        pen += slot->advance + font->spacing;
    }
    if (records != fixed) TrackedFree(records);
    return result;
}

}  // namespace ror
