#include "text/string_draw.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "base/sjis.h"
#include "core/tracked_memory.h"
#include "core/text_encoding.h"
#include "graphics/color_format.h"
#include "graphics/draw_ops.h"
#include "graphics/draw_state.h"
#include "graphics/software/memimg_blit.h"
#include "graphics/screen_mode.h"
#include "graphics/window_link.h"
#include "text/font_handles.h"
#include "text/glyph_cache.h"
#include "core/last_failure.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace ror {

namespace {

// The text and edge colours as written into images: scaled by the brightness, without the
// format's filler bits.
struct GlyphColors {
    uint32_t text;
    uint32_t edge;
};

uint32_t PrepareColor(uint32_t color)
{
    int red = 0, green = 0, blue = 0;
    UnpackColor(color, &red, &green, &blue);
    const uint8_t* bright = DrawState.brightness;
    red = red * bright[0] / 255;
    green = green * bright[1] / 255;
    blue = blue * bright[2] / 255;
    return PackColor(red, green, blue) & ~PackColor(0, 0, 0);
}

// Where one glyph goes: the target rows and the cache cell rows, already clipped.
struct GlyphBlit {
    uint8_t* target;  // first target pixel
    int32_t targetPitch;
    const uint8_t* cache;  // first cache row of the glyph
    int32_t cacheRowBytes;
    int32_t sourceX;  // first cache column
    int32_t width, height;
    int32_t room;  // pixels of the clip from the first target pixel rightwards, width or more
};

template <typename Pixel>
void StorePixel(uint8_t* row, int32_t x, uint32_t value)
{
    reinterpret_cast<Pixel*>(row)[x] = static_cast<Pixel>(value);
}

// Four 32-bit pixels at once: lane i is the pixel of bit 3 - i of a nibble of glyph bits.
using FourPixels = uint32_t __attribute__((vector_size(16)));

constexpr FourPixels NibbleMask(uint32_t nibble)
{
    return FourPixels{nibble & 8 ? ~0u : 0, nibble & 4 ? ~0u : 0, nibble & 2 ? ~0u : 0, nibble & 1 ? ~0u : 0};
}
constexpr FourPixels kNibbleMasks[16] = {NibbleMask(0),  NibbleMask(1),  NibbleMask(2),  NibbleMask(3),
                                         NibbleMask(4),  NibbleMask(5),  NibbleMask(6),  NibbleMask(7),
                                         NibbleMask(8),  NibbleMask(9),  NibbleMask(10), NibbleMask(11),
                                         NibbleMask(12), NibbleMask(13), NibbleMask(14), NibbleMask(15)};

// The pixels of a nibble's set bits take `value`; the others keep theirs. Without branches:
// the bits of glyph rows follow no pattern a branch predictor could learn.
inline void WriteNibble(uint8_t* pixels, uint32_t nibble, FourPixels value)
{
    const FourPixels mask = kNibbleMasks[nibble];
    FourPixels four;
    std::memcpy(&four, pixels, sizeof four);
    four = (four & ~mask) | (value & mask);
    std::memcpy(pixels, &four, sizeof four);
}

template <typename Pixel>
void BlitMonoGlyph(const GlyphBlit& blit, uint32_t value)
{
    if constexpr (sizeof(Pixel) == 4) {
        const FourPixels four = {value, value, value, value};
        // The usual glyph, whole bytes of its rows inside the clip: eight pixels a byte in two
        // masked stores of four, whatever the number of set bits (a kanji lights half of them).
        // Pixels right of the glyph's width are written back unchanged.
        const int32_t bytes = (blit.width + 7) >> 3;
        if ((blit.sourceX & 7) == 0 && blit.room >= 8 * bytes) {
            const uint32_t lastMask = (0xFF00u >> (blit.width - 8 * (bytes - 1))) & 0xFF;
            const uint8_t* bits = blit.cache + (blit.sourceX >> 3);
            uint8_t* row = blit.target;
            auto writeByte = [&four](uint8_t* pixels, uint32_t byte) {
                WriteNibble(pixels, byte >> 4, four);
                WriteNibble(pixels + 16, byte & 15, four);
            };
            // Glyphs of text sizes are one or two bytes wide: those rows without a loop.
            for (int32_t y = 0; y < blit.height; ++y, bits += blit.cacheRowBytes, row += blit.targetPitch) {
                if (bytes == 1) {
                    writeByte(row, bits[0] & lastMask);
                } else if (bytes == 2) {
                    writeByte(row, bits[0]);
                    writeByte(row + 32, bits[1] & lastMask);
                } else {
                    for (int32_t i = 0; i + 1 < bytes; ++i) writeByte(row + 32 * intptr_t(i), bits[i]);
                    writeByte(row + 32 * intptr_t(bytes - 1), bits[bytes - 1] & lastMask);
                }
            }
            return;
        }
    }
    for (int32_t y = 0; y < blit.height; ++y) {
        const uint8_t* bits = blit.cache + size_t(y) * size_t(blit.cacheRowBytes);
        uint8_t* row = blit.target + intptr_t(y) * blit.targetPitch;
        for (int32_t x = 0; x < blit.width;) {
            int32_t sx = blit.sourceX + x;
            uint32_t byte = uint32_t(bits[sx >> 3] << (sx & 7)) & 0xFF;
            int32_t run = 8 - (sx & 7);
            if (run > blit.width - x) run = blit.width - x;
            // Only the set bits are visited; bits past the run are cut off first.
            byte &= 0xFF00u >> run;
            // Lowest set bit first: bit b is pixel 7 - b, and clearing it is one step.
            Pixel* eighth = reinterpret_cast<Pixel*>(row) + x + 7;
            while (byte) {
                *(eighth - intptr_t(__builtin_ctz(byte))) = static_cast<Pixel>(value);
                byte &= byte - 1;
            }
            x += run;
        }
    }
}

// Byte cells: `Shade` maps a cache byte to the value to write, or false for empty.
template <typename Pixel, typename Shade>
void BlitByteGlyph(const GlyphBlit& blit, Shade shade)
{
    for (int32_t y = 0; y < blit.height; ++y) {
        const uint8_t* cells = blit.cache + size_t(y) * size_t(blit.cacheRowBytes) + blit.sourceX;
        uint8_t* row = blit.target + intptr_t(y) * blit.targetPitch;
        for (int32_t x = 0; x < blit.width; ++x) {
            uint32_t value = 0;
            if (cells[x] && shade(cells[x], &value)) StorePixel<Pixel>(row, x, value);
        }
    }
}

// Text over edge by glyph level g (1-14) and edge level e, each channel in its own field.
uint32_t MixEdgedPixel(const ColorFormat* format, const GlyphColors& colors, int32_t g, int32_t e, int32_t* alpha)
{
    int32_t a = (15 - g) * e + 16 * g;
    int32_t ratio = (g * 4096) / a;
    uint32_t mixed = 0;
    for (uint32_t mask : {format->redMask, format->greenMask, format->blueMask}) {
        if (!mask) continue;
        int32_t shift = __builtin_ctz(mask);
        int32_t text = int32_t((colors.text & mask) >> shift);
        int32_t edge = int32_t((colors.edge & mask) >> shift);
        int32_t channel = edge + (((text - edge) * ratio) >> 8);
        mixed |= (uint32_t(channel) << shift) & mask;
    }
    *alpha = a;
    return mixed;
}

template <typename Pixel>
void BlitGlyph(const FontRecord* font, const GlyphBlit& blit, const MEMIMG* target, const GlyphColors& colors)
{
    const MemImgStore* store = target->base;
    const ColorFormat* format = store->format;
    bool alphaTarget = store->hasAlpha != 0;
    int32_t alphaShift = format->alphaShift;
    auto withAlpha = [&](uint32_t color, int32_t alpha) {
        return alphaTarget ? color | uint32_t(alpha) << alphaShift : color;
    };

    switch (font->type) {
    case FONT_NORMAL: BlitMonoGlyph<Pixel>(blit, withAlpha(colors.text, 255)); break;
    case FONT_EDGE:
        BlitByteGlyph<Pixel>(blit, [&](uint8_t cell, uint32_t* value) {
            *value = withAlpha(cell == 1 ? colors.text : colors.edge, 255);
            return true;
        });
        break;
    case FONT_ANTIALIAS:
        BlitByteGlyph<Pixel>(blit, [&](uint8_t cell, uint32_t* value) {
            // Coverage lives in the alpha channel; a target without one takes the
            // better-covered half of the pixels.
            *value = withAlpha(colors.text, cell * 16);
            return alphaTarget || cell >= 8;
        });
        break;
    default:  // edge and anti-aliasing
        BlitByteGlyph<Pixel>(blit, [&](uint8_t cell, uint32_t* value) {
            int32_t g = cell & 0x0F, e = cell >> 4;
            int32_t alpha = 0;
            if (g == 15) {
                *value = withAlpha(colors.text, 255);
                alpha = 255;
            } else if (g == 0) {
                *value = withAlpha(colors.edge, e * 16);
                alpha = e * 16;
            } else {
                uint32_t mixed = MixEdgedPixel(format, colors, g, e, &alpha);
                *value = withAlpha(mixed, alpha);
            }
            return alphaTarget || alpha >= 128;
        });
        break;
    }
}

void DrawOneGlyph(const FontRecord* font, const GlyphSlot* slot, int32_t dx, int32_t dy, MEMIMG* target,
                  const PixelRect* clip, const GlyphColors& colors)
{
    // The glyph's box intersected with the clip, here rather than through the general
    // clipper: this runs once per character.
    PixelRect rect{std::max(dx, clip->left), std::max(dy, clip->top), std::min(dx + slot->width, clip->right),
                   std::min(dy + slot->height, clip->bottom)};
    if (rect.left >= rect.right || rect.top >= rect.bottom) return;
    int32_t cellX = CellX(font, slot->cell), cellY = CellY(font, slot->cell);
    int32_t pixelBytes = MemImgPixelBytes(target);
    GlyphBlit blit{};
    blit.target = MemImgRow(target, rect.top) + intptr_t(rect.left) * pixelBytes;
    blit.targetPitch = target->base->pitch;
    blit.cacheRowBytes = font->cacheRowBytes;
    blit.cache = font->cacheMemory + size_t(cellY + rect.top - dy) * size_t(font->cacheRowBytes);
    blit.sourceX = cellX + rect.left - dx;
    blit.width = rect.right - rect.left;
    blit.room = clip->right - rect.left;
    blit.height = rect.bottom - rect.top;
    switch (pixelBytes) {
    case 1: BlitGlyph<uint8_t>(font, blit, target, colors); break;
    case 2: BlitGlyph<uint16_t>(font, blit, target, colors); break;
    case 4: BlitGlyph<uint32_t>(font, blit, target, colors); break;
    default: break;
    }
}

}  // namespace

int FormatTextBounded(char* buffer, const char* format, va_list values)
{
    int length = std::vsnprintf(buffer, size_t(kFormatBufferSize), format, values);
    if (length < 0) {
        buffer[0] = 0;
        return 0;
    }
    if (length >= kFormatBufferSize && CallerTextCodes() == TextCodes::Utf8) {
        // Cut before the last sequence when it lost its end.
        int keep = kFormatBufferSize - 1;
        int lead = keep - 1;
        while (lead > 0 && (uint8_t(buffer[lead]) & 0xC0) == 0x80) --lead;
        const uint8_t first = uint8_t(buffer[lead]);
        const int needed = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
        if (lead + needed > keep) keep = lead;
        buffer[keep] = 0;
        return keep;
    }
    if (length >= kFormatBufferSize) {
        size_t keep = 0;
        const auto* bytes = reinterpret_cast<const uint8_t*>(buffer);
        size_t end = size_t(kFormatBufferSize) - 1;
        while (keep < end) {
            size_t step = IsSjisLeadByte(bytes[keep]) ? 2 : 1;
            if (keep + step > end) break;  // the trail byte was cut off
            keep += step;
        }
        buffer[keep] = 0;
        return int(keep);
    }
    return length;
}

namespace {

bool DefaultBlend()
{
    return DrawState.blendMode == BLEND_NONE || (DrawState.blendMode == BLEND_ALPHA && DrawState.blendParam == 255);
}

// The work image's colour key: a value that none of the written colours takes.
int32_t FreeColorKey(const MEMIMG* work, const GlyphColors& colors)
{
    uint32_t pixelMask = MemImgPixelBytes(work) >= 4 ? 0xFFFFFFFFu : (1u << (8 * MemImgPixelBytes(work))) - 1;
    uint32_t key = uint32_t(work->base->colorKey) & pixelMask;
    while (key == (colors.text & pixelMask) || key == (colors.edge & pixelMask)) key = (key + 1) & pixelMask;
    return int32_t(key);
}

}  // namespace

int DrawGlyphRun(int draw, int x, int y, const char* text, uint32_t color, MEMIMG* target, const PixelRect* clip,
                 int fontHandle, uint32_t edgeColor, int32_t limit, TextSize* size, TextCodes codes)
{
    FontRecord* font = ResolveFont(fontHandle);
    if (!font || !text) return -1;
    GlyphColors colors{PrepareColor(color), PrepareColor(edgeColor)};
    if (!text[0]) {
        if (size) *size = TextSize{0, font->cellHeight};
        return 0;
    }
    int32_t length = int32_t(std::strlen(text));
    if (limit >= 0 && limit < length) length = limit;

    CharRecord fixed[kShortTextBytes];
    CharRecord* records = fixed;
    if (length > kShortTextBytes) {
        records = static_cast<CharRecord*>(TrackedAlloc(length * int32_t(sizeof(CharRecord)), __FILE__, __LINE__));
        if (!records) return -1;
    }
    int32_t count = 0;
    if (PrecacheText(length, text, fontHandle, records, &count, codes) != 0) {
        if (records != fixed) TrackedFree(records);
        return -1;
    }

    bool drawing = draw && target && clip && IsValidMemImg(target);
    int64_t pen = 0;    // whole pixels; 64 bits for any spacing a caller sets
    uint32_t left = 0;  // the glyph before, for kerning
    for (int32_t i = 0; i < count; ++i) {
        const CharRecord& record = records[i];
        const GlyphSlot* slot = LookUpGlyph(font, record);
        if (!slot) {
            if (records != fixed) TrackedFree(records);
            return LogWrite("テキストキャッシュの作成に失敗しました");
        }
        pen += PairKerning(font, left, slot->kernIndex);
        left = slot->kernIndex;
        if (drawing && !IsBlankCode(font, CharCode(record)) && (slot->width || slot->height))
            DrawOneGlyph(font, slot, x + int32_t(pen) + slot->originX, y + slot->top, target, clip, colors);
        pen += slot->advance + font->spacing;
    }
    if (records != fixed) TrackedFree(records);
    if (size) *size = TextSize{int32_t(pen), font->cellHeight};
    return int32_t(pen);
}

int SoftwareDrawText(int x, int y, const char* text, uint32_t color, int fontHandle, FontRecord* font,
                     uint32_t edgeColor, TextCodes codes)
{
    // Straight into the target: the size is not needed, and drawing caches the glyphs
    // as measuring would.
    bool antialias = (font->type & FONT_ANTIALIAS) != 0;
    if (DefaultBlend() && !antialias) {
        return DrawGlyphRun(1, x, y, text, color, SoftScreen.target, &DrawState.drawArea, fontHandle, edgeColor, -1,
                            nullptr, codes) < 0
                   ? -1
                   : 0;
    }
    TextSize size{};
    if (DrawGlyphRun(0, 0, 0, text, color, nullptr, nullptr, fontHandle, edgeColor, -1, &size, codes) < 0) return -1;

    MEMIMG* work = antialias ? &SoftScreen.workAlpha : &SoftScreen.work;
    if (!IsValidMemImg(work) || !IsValidMemImg(SoftScreen.target)) return 0;
    GlyphColors colors{PrepareColor(color), PrepareColor(edgeColor)};
    work->base->colorKey = antialias ? 0 : FreeColorKey(work, colors);

    PixelRect savedArea = DrawState.drawArea;
    uint8_t savedBright[3] = {DrawState.brightness[0], DrawState.brightness[1], DrawState.brightness[2]};
    PixelRect inWork{0, 0, size.width, size.height};
    PixelRect workBounds{0, 0, work->width, work->height};
    ClipRect(&inWork, &workBounds);
    if (inWork.left >= inWork.right || inWork.top >= inWork.bottom) return 0;
    FillMemImg(work, &inWork, uint32_t(work->base->colorKey));
    DrawGlyphRun(1, 0, 0, text, color, work, &inWork, fontHandle, edgeColor, -1, nullptr, codes);

    PixelRect onTarget{x, y, x + size.width, y + size.height};
    ClipRect(&onTarget, &savedArea);
    if (onTarget.left >= onTarget.right || onTarget.top >= onTarget.bottom) return 0;
    // Only the text's part of the work image is drawn, so a blend image has to cover the text,
    // not the whole screen; one that does not refuses the text.
    MEMIMG written{};
    MakeSubImage(&written, work, 0, 0, inWork.right, inWork.bottom);
    if (!CanBlitMemImg(SoftScreen.target, &written, DrawState.blendImage)) {
        ReleaseMemImg(&written);
        return -1;
    }
    SetDrawRegion(onTarget.left, onTarget.top, onTarget.right, onTarget.bottom);
    SetDrawBrightness(255, 255, 255);
    PutImageMemImg(SoftScreen.target, &written, x, y, 1, DrawState.blendImage);
    SetDrawRegion(savedArea.left, savedArea.top, savedArea.right, savedArea.bottom);
    SetDrawBrightness(savedBright[0], savedBright[1], savedBright[2]);
    ReleaseMemImg(&written);
    return 0;
}

namespace {

// The drawing behind the public operations: a text of `codes`, as the game gave it.
int DrawTextWithFont(int x, int y, const char* text, uint32_t color, int fontHandle, uint32_t edgeColor,
                     TextCodes codes)
{
    if (!text || !text[0] || DrawState.drawAreaEmpty) return 0;
    FontRecord* font = ResolveFont(fontHandle);
    if (!font) return LogWrite("フォントハンドル値が異常です\n");
    WaitWhileWindowInactive();
    if (DrawState.drawTarget == DRAW_TARGET_FRONT_SCREEN && x >= DrawState.drawArea.right) return 0;
    return DrawOps.drawText(x, y, text, color, fontHandle, font, edgeColor, codes);
}

// The font a measuring operation names: a handle, or -1 for the default font (after start-up).
int MeasuredFontHandle(int fontHandle)
{
    if (fontHandle != -1) return ResolveFont(fontHandle) ? fontHandle : -1;
    if (!ScreenSettings.graphicsReady) return -1;
    RefreshDefaultFont();
    return ResolveFont(QueryDefaultFont()) ? QueryDefaultFont() : -1;
}

// The pen's advance over the first `limit` bytes of the game's text (-1 = all).
int MeasureText(const char* text, int32_t limit, int fontHandle, int* width)
{
    const int handle = MeasuredFontHandle(fontHandle);
    if (!text || !width) return FailedArgument("GetTextWidth");
    if (handle == -1) return FailedHandle("GetTextWidth", fontHandle);
    if (!text[0] || limit == 0) {
        *width = 0;
        return 0;
    }
    const int advance = DrawGlyphRun(0, 0, 0, text, 0, nullptr, nullptr, handle, 0, limit, nullptr, CallerTextCodes());
    if (advance < 0) return -1;
    *width = advance;
    return 0;
}

}  // namespace

}  // namespace ror

using namespace ror;

// In UTF-8 mode the text stays UTF-8 and is drawn by code point; in cp932 mode it is drawn as
// it comes.
int PrintTextWithFont(int x, int y, const char* text, uint32_t color, int fontHandle, uint32_t edgeColor, int)
{
    if (text == nullptr) return FailedArgument(__func__);
    return DrawTextWithFont(x, y, text, color, fontHandle, edgeColor, CallerTextCodes());
}

int PrintText(int x, int y, const char* text, uint32_t color, uint32_t edgeColor)
{
    if (text == nullptr) return FailedArgument(__func__);
    RefreshDefaultFont();
    return DrawTextWithFont(x, y, text, color, QueryDefaultFont(), edgeColor, CallerTextCodes());
}

int PrintTextFormat(int x, int y, uint32_t color, const char* format, ...)
{
    if (!format) return FailedArgument(__func__);
    char buffer[kFormatBufferSize];
    va_list values;
    va_start(values, format);
    FormatTextBounded(buffer, format, values);
    va_end(values);
    return PrintText(x, y, buffer, color, 0);
}

int GetTextWidth(const char* text, int fontHandle, int* width) { return MeasureText(text, -1, fontHandle, width); }

int GetTextWidthUpTo(const char* text, int characters, int fontHandle, int* width)
{
    const int handle = MeasuredFontHandle(fontHandle);
    if (!text || handle == -1) return FailedArgument(__func__);
    // The bytes of the first characters, split as drawing splits them.
    const FontRecord* font = ResolveFont(handle);
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    const int32_t length = int32_t(std::strlen(text));
    int32_t at = 0;
    for (int i = 0; i < characters && at < length; ++i) {
        CharRecord record{};
        at += ReadCharacter(font, CallerTextCodes(), bytes, at, length, &record);
    }
    return MeasureText(text, std::min(at, length), handle, width);
}

int GetFontLineMetrics(int fontHandle, int* lineHeight, int* ascent)
{
    const FontRecord* font = ResolveFont(MeasuredFontHandle(fontHandle));
    if (!font) return FailedHandle(__func__, fontHandle);
    if (lineHeight) *lineHeight = font->cellHeight;
    if (ascent) *ascent = font->ascent;
    return 0;
}
