#include "text/font_handles.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "core/text_encoding.h"
#include "graphics/draw_ops.h"
#include "graphics/screen_mode.h"
#include "platform/fonts/glyph_raster.h"
#include "platform/system/codepage.h"
#include "text/glyph_cache.h"
#include "text/glyph_texture.h"
#include "core/last_failure.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace ror {

FontSystemState FontSystem = {{}, {HandleKind::Font, kFontTableSize, FontSystem.slots, 0}, {}};

namespace {

constexpr int32_t kDefaultFontSize = 16;
constexpr int32_t kDefaultThickness = 6;
constexpr int32_t kMaxEdgeSize = 64;
// A glyph cell beyond this would not fit the glyph cache's graphic.
constexpr int32_t kMaxFontSize = 1024;

int32_t PlatformCharSet(int32_t charSetIndex)
{
    switch (charSetIndex) {
    case 1: return kCharSetShiftJis;
    case 2: return kCharSetHangeul;
    default: return kCharSetDefault;
    }
}

FontRecord* FontInSlot(int32_t slot) { return reinterpret_cast<FontRecord*>(FontSystem.slots[slot]); }

int32_t HandleOfSlot(int32_t slot) { return MakeHandle(HandleKind::Font, slot, FontSystem.slots[slot]->check); }

// The platform font of a record, by the face rules: a named face in the character set
// of the index, then the default and Shift-JIS sets; without a name the gothic face,
// then the gothic face upright in the default set, then the system's choice.
PlatformFont* MakePlatformFont(const FontRecord* font)
{
    const int32_t weight = std::clamp(font->thickness, 0, 9) * 100;  // weights 0 .. 900
    int32_t charSet = PlatformCharSet(font->charSetIndex);
    PlatformFont* made = nullptr;
    if (font->faceName[0]) {
        for (int32_t tryCharSet : {charSet, kCharSetDefault, kCharSetShiftJis}) {
            PlatformFontRequest request{font->faceName, font->size, weight, font->italic, tryCharSet};
            if (OpenPlatformFont(request, &made) != 0) continue;
            // Like desktop text, a family nobody has gets the nearest face, said in the log.
            if (PlatformFontSubstituted(made)) {
                char family[kFontFaceNameSize];
                if (Utf8ToCp932(PlatformFontFamily(made), family, sizeof family) < 0) family[0] = 0;
                LogWriteFormat("フォント %s が無いため %s で代用します\n", font->faceName, family);
            }
            return made;
        }
        LogWrite("指定のフォントの作成に失敗しました\n");
        return nullptr;
    }
    const PlatformFontRequest requests[] = {
        {kGothicFaceName, font->size, weight, font->italic, charSet},
        {kGothicFaceName, font->size, weight, 0, kCharSetDefault},
        {nullptr, font->size, weight, 0, kCharSetDefault},
    };
    for (const PlatformFontRequest& request : requests)
        if (OpenPlatformFont(request, &made) == 0) return made;
    LogWrite("フォントの作成に失敗しました\n");
    return nullptr;
}

void FreeFontInSlot(int32_t slot)
{
    FontRecord* font = FontInSlot(slot);
    ClosePlatformFont(font->platformFont);
    if (font->cacheMemory) TrackedFree(font->cacheMemory);
    ReleaseGlyphTexture(font);
    if (font->workBuffer) TrackedFree(font->workBuffer);
    if (font->releasedFlag) *font->releasedFlag = 1;
    TrackedFree(font);
    FontSystem.slots[slot] = nullptr;
}

bool MatchesDefaultSettings(const FontRecord* font)
{
    const DefaultFontSettingsRecord& settings = FontSystem.defaults;
    return std::strcmp(font->faceName, settings.faceName) == 0 && font->type == settings.type &&
           font->size == settings.size && font->thickness == settings.thickness &&
           font->charSetIndex == settings.charSetIndex && font->edgeSize == settings.edgeSize &&
           font->italic == settings.italic;
}

}  // namespace

FontRecord* ResolveFont(int handle) { return reinterpret_cast<FontRecord*>(ResolveHandle(handle, FontSystem.table)); }

CellMetrics ComputeCellMetrics(int32_t maxCharWidth, int32_t textHeight, int32_t type, int32_t edgeSize)
{
    int32_t edge = (type & FONT_EDGE) ? 2 * edgeSize : 0;
    CellMetrics cell{};
    cell.cellSize = (maxCharWidth + 2 + edge + 7) / 8 * 8;
    cell.cellHeight = textHeight + edge;
    if (cell.cellHeight & 1) ++cell.cellHeight;
    if (cell.cellSize < cell.cellHeight) cell.cellSize = cell.cellHeight;
    return cell;
}

}  // namespace ror

using namespace ror;

int CreateFontToHandle(const char* faceName, int size, int thickness, int type, int charSetIndex, int edgeSize,
                       int italic, int slot, int check)
{
    CallerText face(faceName);
    return MakeFontHandle(face.get(), size, thickness, type, charSetIndex, edgeSize, italic, slot, check);
}

namespace ror {

int MakeFontHandle(const char* faceName, int size, int thickness, int type, int charSetIndex, int edgeSize, int italic,
                   int slot, int check)
{
    if (type == -1) type = FONT_NORMAL;
    if (edgeSize > 1) type |= FONT_EDGE;
    if (edgeSize == -1) edgeSize = 1;
    if (size == -1) size = kDefaultFontSize;
    if (thickness == -1) thickness = kDefaultThickness;
    if (charSetIndex == -1) charSetIndex = SystemOemCodePage() == 949 ? 2 : 1;
    type &= FONT_EDGE | FONT_ANTIALIAS;
    // A negative edge would place glyphs outside their cells, a huge one overflow the
    // cell arithmetic: neither makes a font.
    if (edgeSize < 0 || edgeSize > kMaxEdgeSize) return FailedArgument("CreateFontToHandle");
    if (size > kMaxFontSize) return LogWriteFormat("フォントサイズ %d は大きすぎます\n", size);

    if (slot == -1) {
        for (slot = 0; slot < kFontTableSize && FontSystem.slots[slot]; ++slot) {}
        if (slot == kFontTableSize)
            return LogWriteFormat("作成できるフォントハンドル数 %d の限界を超えました", kFontTableSize);
    } else if (slot < 0 || slot >= kFontTableSize || FontSystem.slots[slot]) {
        return -1;
    }
    const uint32_t mark = FailureMark();

    auto* font = static_cast<FontRecord*>(TrackedAllocZeroed(int32_t(sizeof(FontRecord)), __FILE__, __LINE__));
    if (!font) return LogWrite("フォント管理用メモリ領域の確保に失敗しました\n");
    FontSystem.slots[slot] = &font->header;
    font->cacheTexture = -1;
    font->edgeTexture = -1;

    if (ScreenSettings.colorBits == 8) type &= ~FONT_ANTIALIAS;
    font->thickness = thickness;
    font->size = size;
    font->type = type;
    font->edgeSize = edgeSize;
    font->italic = italic ? 1 : 0;
    font->spacing = 0;
    font->header.check = check == -1 ? StampCheck(FontSystem.table) : (check & kHandleCheckLimit);
    font->textureMode = DrawOps.glyphsInTextures();  // the installed path keeps the glyphs
    font->charSetIndex = charSetIndex;
    if (faceName) std::snprintf(font->faceName, sizeof font->faceName, "%s", faceName);

    PlatformTextMetrics metrics{};
    font->platformFont = MakePlatformFont(font);
    if (font->platformFont && ReadPlatformTextMetrics(font->platformFont, &metrics) == 0) {
        CellMetrics cell = ComputeCellMetrics(metrics.maxCharWidth, metrics.height, type, edgeSize);
        font->cellSize = cell.cellSize;
        font->cellHeight = cell.cellHeight;
        font->ascent = metrics.ascent + ((type & FONT_EDGE) ? edgeSize : 0);
        if (CreateGlyphCache(font) == 0) {
            font->releasedFlag = nullptr;
            font->header.handle = MakeHandle(HandleKind::Font, slot, font->header.check);
            return font->header.handle;
        }
    }
    FreeFontInSlot(slot);
    return FailedSince(mark, FAILURE_DEVICE, "CreateFontToHandle");
}

}  // namespace ror

int ReleaseFontHandle(int handle)
{
    if (!ResolveFont(handle)) return FailedHandle(__func__, handle);
    FreeFontInSlot(HandleIndex(handle));
    return 0;
}

int SetFontSpacingOfHandle(int spacing, int handle)
{
    FontRecord* font = ResolveFont(handle);
    if (!font) return FailedHandle(__func__, handle);
    font->spacing = spacing;
    return 0;
}

int SetFontKerningOfHandle(int enable, int handle)
{
    FontRecord* font = ResolveFont(handle);
    if (!font) return FailedHandle(__func__, handle);
    if (enable != 0 && enable != 1) return FailedArgument(__func__);
    font->kerning = enable;
    return 0;
}

int GetFontInfoOfHandle(char* faceName, int* size, int* thickness, int handle)
{
    const FontRecord* font = ResolveFont(handle);
    if (!font) return FailedHandle(__func__, handle);
    if (faceName) {
        std::memcpy(faceName, font->faceName, std::strlen(font->faceName) + 1);
        TextToCaller(faceName, 256);  // the least the caller's buffer holds
    }
    if (size) *size = font->size;
    if (thickness) *thickness = font->thickness;
    return 0;
}

int GetFontSizeOfHandle(int handle)
{
    const FontRecord* font = ResolveFont(handle);
    return font ? font->size : -1;
}

int IsFontHandleValid(int handle) { return ResolveFont(handle) ? 1 : 0; }

int SetFontReleasedFlagOfHandle(int handle, int32_t* flag)
{
    FontRecord* font = ResolveFont(handle);
    if (!font) return FailedHandle(__func__, handle);
    font->releasedFlag = flag;
    if (flag) *flag = 0;
    return 0;
}

int QueryDefaultFont() { return FontSystem.defaults.handle; }

namespace ror {

int RefreshDefaultFont()
{
    DefaultFontSettingsRecord& settings = FontSystem.defaults;
    const FontRecord* current = ResolveFont(settings.handle);
    if (current && MatchesDefaultSettings(current)) return 0;
    if (current) ReleaseFontHandle(settings.handle);
    settings.handle =
        MakeFontHandle(settings.faceName, settings.size, settings.thickness, settings.type, settings.charSetIndex,
                       (settings.type & FONT_EDGE) ? settings.edgeSize : -1, settings.italic, -1, -1);
    SetFontSpacingOfHandle(settings.spacing, settings.handle);
    return 0;
}

}  // namespace ror

int SetDefaultFontSizeAndThickness(const char*, int size, int thickness)
{
    // A size no font can take would leave no default font: the one there stays.
    if (size > kMaxFontSize || (size <= 0 && size != -1)) return FailedArgument(__func__);
    FontSystem.defaults.size = size == -1 ? kDefaultFontSize : size;
    FontSystem.defaults.thickness = thickness == -1 ? kDefaultThickness : thickness;
    return RefreshDefaultFont();
}

namespace ror {

int ResetFonts()
{
    LogWrite("フォントの初期化を行います\n");
    LogIndent();
    FontSystemState& fonts = FontSystem;
    const FontRecord* current = ResolveFont(fonts.defaults.handle);
    bool remembered = current != nullptr;
    char face[kFontFaceNameSize] = "";
    int32_t size = 0, thickness = 0, type = 0, charSetIndex = 0, edgeSize = 0, italic = 0;
    if (remembered) {
        std::memcpy(face, current->faceName, sizeof face);
        size = current->size;
        thickness = current->thickness;
        type = current->type;
        charSetIndex = current->charSetIndex;
        edgeSize = current->edgeSize;
        italic = current->italic;
    }
    for (int32_t slot = 0; slot < kFontTableSize; ++slot)
        if (fonts.slots[slot]) ReleaseFontHandle(HandleOfSlot(slot));
    if (remembered)
        fonts.defaults.handle = MakeFontHandle(face, size, thickness, type, charSetIndex, edgeSize, italic, -1, -1);
    else
        fonts.defaults.handle = MakeFontHandle("", kDefaultFontSize, kDefaultThickness, -1, -1, -1, 0, -1, -1);
    LogUnindent();
    LogWrite("フォントの初期化は正常に終了しました\n");
    return 0;
}

int InitFontSystem()
{
    FontSystemState& fonts = FontSystem;
    for (HandleHeader*& slot : fonts.slots) slot = nullptr;
    fonts.table.checkCounter = 0;
    fonts.defaults = DefaultFontSettingsRecord{};
    fonts.defaults.type = FONT_NORMAL;
    fonts.defaults.size = kDefaultFontSize;
    fonts.defaults.thickness = kDefaultThickness;
    fonts.defaults.charSetIndex = 1;
    fonts.defaults.edgeSize = 1;
    fonts.defaults.handle = 0;
    return ResetFonts();
}

int EndFontSystem()
{
    ResetFonts();
    ReleaseFontHandle(FontSystem.defaults.handle);
    FontSystem.defaults.handle = -1;
    return 0;
}

FontRecipe RecipeOfFont(const FontRecord* font, int32_t slot)
{
    FontRecipe recipe{};
    std::memcpy(recipe.faceName, font->faceName, sizeof recipe.faceName);
    recipe.size = font->size;
    recipe.thickness = font->thickness;
    recipe.type = font->type;
    recipe.charSetIndex = font->charSetIndex;
    recipe.edgeSize = font->edgeSize;
    recipe.italic = font->italic;
    recipe.slot = slot;
    recipe.check = font->header.check;
    recipe.spacing = font->spacing;
    recipe.kerning = font->kerning;
    recipe.releasedFlag = font->releasedFlag;
    return recipe;
}

int MakeFontFromRecipe(const FontRecipe& r)
{
    const int handle =
        MakeFontHandle(r.faceName, r.size, r.thickness, r.type, r.charSetIndex, r.edgeSize, r.italic, r.slot, r.check);
    if (FontRecord* made = ResolveFont(handle)) {
        made->spacing = r.spacing;
        made->kerning = r.kerning;
        made->releasedFlag = r.releasedFlag;
    }
    return handle;
}

int RebuildAllFonts()
{
    for (int32_t slot = 0; slot < kFontTableSize; ++slot) {
        const FontRecord* font = FontInSlot(slot);
        if (!font) continue;
        FontRecipe recipe = RecipeOfFont(font, slot);
        recipe.releasedFlag = nullptr;  // the old font's flag says it went
        ReleaseFontHandle(HandleOfSlot(slot));
        MakeFontFromRecipe(recipe);
    }
    return 0;
}

}  // namespace ror
