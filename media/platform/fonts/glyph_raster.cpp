#include "platform/fonts/glyph_raster.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include <iconv.h>

namespace ror {

const char* const kGothicFaceName = "ＭＳ ゴシック";

// Fonts live in a fixed pool: the text layer holds at most 40 at a time, and a rebuild
// releases each font before it makes the new one.
constexpr int kPlatformFontPoolSize = 64;

struct PlatformFont {
    bool inUse;
    FT_Face face;
    iconv_t decoder;  // code page of the character set → UTF-32LE
    PlatformTextMetrics metrics;
    FT_Pos emboldenX;       // 26.6 pixels added to stroke width; 0 = none
    bool shear;             // italic asked of an upright face
    uint32_t renderedCode;  // the glyph left in face->glyph by the last call
    bool rendered;
    char family[128];
};

struct GlyphRasterState {
    FT_Library library;
    int openFonts;
    bool fontconfigReady;
    PlatformFont pool[kPlatformFontPoolSize];
};

static GlyphRasterState RasterState;

int32_t SystemOemCodePage() { return 932; }

// --- face lookup ---------------------------------------------------------------------

struct FaceChoice {
    char file[1024];
    int index;
    char family[128];
};

static bool FamilyMatches(FcPattern* match, const char* family)
{
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
        if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family)) == 0) return true;
    return false;
}

static bool HasLanguage(FcPattern* match, const char* lang)
{
    FcLangSet* langs = nullptr;
    if (FcPatternGetLangSet(match, FC_LANG, 0, &langs) != FcResultMatch) return false;
    return FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>(lang)) == FcLangEqual;
}

enum class FaceRule { ExactFamily, Language, Any };

// Matches a pattern and accepts the result by `rule`. `family` and `lang` may be null.
static bool MatchFace(const char* family, bool monospace, const char* lang, int weight, bool italic, FaceRule rule,
                      FaceChoice* out)
{
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return false;
    if (family) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    if (monospace) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("monospace"));
    if (lang) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;

    bool accepted = rule == FaceRule::Any || (rule == FaceRule::ExactFamily && FamilyMatches(match, family)) ||
                    (rule == FaceRule::Language && HasLanguage(match, lang));
    FcChar8* file = nullptr;
    if (accepted && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        std::strlen(reinterpret_cast<const char*>(file)) < sizeof out->file) {
        std::strcpy(out->file, reinterpret_cast<const char*>(file));
        if (FcPatternGetInteger(match, FC_INDEX, 0, &out->index) != FcResultMatch) out->index = 0;
        FcChar8* name = nullptr;
        out->family[0] = 0;
        if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
            std::snprintf(out->family, sizeof out->family, "%s", reinterpret_cast<const char*>(name));
    } else {
        accepted = false;
    }
    FcPatternDestroy(match);
    return accepted;
}

// cp932 face name → UTF-8 for fontconfig. False when it is no valid cp932 text.
static bool FaceNameToUtf8(const char* faceName, char* out, size_t outSize)
{
    iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    char* in = const_cast<char*>(faceName);
    size_t inLeft = std::strlen(faceName);
    char* to = out;
    size_t toLeft = outSize - 1;
    size_t done = iconv(converter, &in, &inLeft, &to, &toLeft);
    iconv_close(converter);
    if (done == static_cast<size_t>(-1)) return false;
    *to = 0;
    return true;
}

static const char* CharSetLanguage(int32_t charSet)
{
    switch (charSet) {
    case kCharSetShiftJis: return "ja";
    case kCharSetHangeul: return "ko";
    default: return nullptr;
    }
}

static bool ChooseFace(const PlatformFontRequest& request, FaceChoice* out)
{
    const char* lang = CharSetLanguage(request.charSet);
    bool italic = request.italic != 0;
    bool named = request.faceName && request.faceName[0] && std::strcmp(request.faceName, kGothicFaceName) != 0;
    if (named) {
        // Like the platform's font mapper, an unknown family gets the closest face.
        char family[256];
        if (!FaceNameToUtf8(request.faceName, family, sizeof family)) return false;
        return MatchFace(family, false, lang, request.weight, italic, FaceRule::Any, out);
    }
    return MatchFace("IPAGothic", false, nullptr, request.weight, italic, FaceRule::ExactFamily, out) ||
           MatchFace(nullptr, true, "ja", request.weight, italic, FaceRule::Language, out) ||
           MatchFace(nullptr, true, nullptr, request.weight, italic, FaceRule::Any, out);
}

// --- fonts ---------------------------------------------------------------------------

static bool StartLibrary()
{
    if (!RasterState.fontconfigReady) {
        if (!FcInit()) return false;
        RasterState.fontconfigReady = true;
    }
    if (!RasterState.library && FT_Init_FreeType(&RasterState.library) != 0) {
        RasterState.library = nullptr;
        return false;
    }
    return true;
}

static void StopLibraryWhenIdle()
{
    if (RasterState.openFonts == 0 && RasterState.library) {
        FT_Done_FreeType(RasterState.library);
        RasterState.library = nullptr;
    }
}

// Sizes the face so that ascent + descent is `height` pixels, the platform's meaning of
// a positive font height, and derives the text metrics from its scaled values.
static bool SizeFace(PlatformFont* font, int32_t height)
{
    FT_Face face = font->face;
    FT_Size_RequestRec request{};
    request.type = FT_SIZE_REQUEST_TYPE_CELL;
    request.height = FT_Long(height) * 64;
    if (FT_Request_Size(face, &request) != 0) return false;
    FT_Fixed yScale = face->size->metrics.y_scale;
    FT_Fixed xScale = face->size->metrics.x_scale;
    int32_t ascent = int32_t((FT_MulFix(face->ascender, yScale) + 32) >> 6);
    if (ascent > height) ascent = height;
    font->metrics.height = height;
    font->metrics.ascent = ascent;
    font->metrics.descent = height - ascent;
    int32_t widest = int32_t((FT_MulFix(face->max_advance_width, xScale) + 63) >> 6);
    font->metrics.maxCharWidth = widest + int32_t((font->emboldenX + 63) >> 6);
    return true;
}

int OpenPlatformFont(const PlatformFontRequest& request, PlatformFont** out)
{
    *out = nullptr;
    if (request.height <= 0 || request.height > 4096) return -1;
    PlatformFont* font = nullptr;
    for (PlatformFont& candidate : RasterState.pool)
        if (!candidate.inUse) {
            font = &candidate;
            break;
        }
    if (!font || !StartLibrary()) return -1;

    FaceChoice choice{};
    if (!ChooseFace(request, &choice)) {
        StopLibraryWhenIdle();
        return -1;
    }
    *font = PlatformFont{};
    if (FT_New_Face(RasterState.library, choice.file, choice.index, &font->face) != 0) {
        StopLibraryWhenIdle();
        return -1;
    }
    const char* codePage = request.charSet == kCharSetHangeul ? "CP949" : "CP932";
    font->decoder = iconv_open("UTF-32LE", codePage);
    if (font->decoder == reinterpret_cast<iconv_t>(-1) || !FT_IS_SCALABLE(font->face)) {
        if (font->decoder != reinterpret_cast<iconv_t>(-1)) iconv_close(font->decoder);
        FT_Done_Face(font->face);
        StopLibraryWhenIdle();
        return -1;
    }
    FT_Select_Charmap(font->face, FT_ENCODING_UNICODE);

    // The face's own weight and slant; what the request asks beyond them is made here.
    // (fontconfig's answer carries the requested values, not the face's.)
    int32_t faceWeight = (font->face->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(font->face, FT_SFNT_OS2)))
        if (os2->usWeightClass >= 100 && os2->usWeightClass <= 1000) faceWeight = os2->usWeightClass;
    // Heavier than the face: strokes 1/16 em wider per 300 weight units (bold at 16 px
    // gains one pixel), widened sideways only, as the platform's synthetic bold is.
    if (request.weight > faceWeight) {
        FT_Pos em = FT_Pos(request.height) * 64;
        font->emboldenX = em * (request.weight - faceWeight) / (300 * 16);
    }
    font->shear = request.italic && !(font->face->style_flags & FT_STYLE_FLAG_ITALIC);
    std::snprintf(font->family, sizeof font->family, "%s", choice.family);
    if (!SizeFace(font, request.height)) {
        iconv_close(font->decoder);
        FT_Done_Face(font->face);
        StopLibraryWhenIdle();
        return -1;
    }
    font->inUse = true;
    ++RasterState.openFonts;
    *out = font;
    return 0;
}

void ClosePlatformFont(PlatformFont* font)
{
    if (!font || !font->inUse) return;
    iconv_close(font->decoder);
    FT_Done_Face(font->face);
    *font = PlatformFont{};
    --RasterState.openFonts;
    StopLibraryWhenIdle();
}

int ReadPlatformTextMetrics(const PlatformFont* font, PlatformTextMetrics* out)
{
    if (!font || !font->inUse) return -1;
    *out = font->metrics;
    return 0;
}

const char* PlatformFontFamily(const PlatformFont* font) { return font && font->inUse ? font->family : ""; }

// --- glyphs --------------------------------------------------------------------------

static FT_UInt GlyphIndexOf(PlatformFont* font, uint32_t code)
{
    if (code & kPlatformUnicodeCode) return FT_Get_Char_Index(font->face, code & ~kPlatformUnicodeCode);
    // Both code pages keep ASCII as it is; the converter is for the rest.
    if (code < 0x80) return FT_Get_Char_Index(font->face, code);
    unsigned char bytes[2];
    size_t length = 0;
    if (code > 0xFF) bytes[length++] = static_cast<unsigned char>(code >> 8);
    bytes[length++] = static_cast<unsigned char>(code);
    unsigned char utf32[8];
    char* in = reinterpret_cast<char*>(bytes);
    char* to = reinterpret_cast<char*>(utf32);
    size_t toLeft = sizeof utf32;
    iconv(font->decoder, nullptr, nullptr, nullptr, nullptr);
    if (iconv(font->decoder, &in, &length, &to, &toLeft) == static_cast<size_t>(-1) || length != 0 ||
        toLeft != sizeof utf32 - 4)
        return 0;  // no character of the code page: the missing glyph
    uint32_t unicode =
        uint32_t(utf32[0]) | uint32_t(utf32[1]) << 8 | uint32_t(utf32[2]) << 16 | uint32_t(utf32[3]) << 24;
    return FT_Get_Char_Index(font->face, unicode);
}

// Loads and renders the glyph of `code` anti-aliased into face->glyph, with the weight
// and slant of the font. Both bitmap formats come from this one rendering, so they
// share their metrics; the 1-bit form is a threshold of it, which keeps the strokes of
// kana and kanji whole at small sizes where the face's own 1-bit rendering breaks them.
static bool RenderGlyph(PlatformFont* font, uint32_t code)
{
    if (font->rendered && font->renderedCode == code) return true;
    font->rendered = false;
    FT_Face face = font->face;
    FT_UInt index = GlyphIndexOf(font, code);
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) != 0 &&
        (index == 0 || FT_Load_Glyph(face, 0, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) != 0))
        return false;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
    if (font->emboldenX > 0) {
        FT_Outline_EmboldenXY(&slot->outline, font->emboldenX, 0);
        slot->advance.x += font->emboldenX;
    }
    if (font->shear) {
        FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
        FT_Outline_Transform(&slot->outline, &shear);
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
    font->rendered = true;
    font->renderedCode = code;
    return true;
}

// Coverage at or above this (of 255) lights a pixel of a 1-bit glyph.
constexpr unsigned kMonoThreshold = 112;

int32_t ReadPlatformGlyph(PlatformFont* font, uint32_t code, GlyphBitmapFormat format, PlatformGlyphMetrics* metrics,
                          uint32_t bufferSize, void* buffer)
{
    if (!font || !font->inUse || !RenderGlyph(font, code)) return -1;
    FT_GlyphSlot slot = font->face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    int32_t width = int32_t(bitmap.width);
    int32_t rows = int32_t(bitmap.rows);
    if (width == 0 || rows == 0) width = rows = 0;
    metrics->blackBoxX = width;
    metrics->blackBoxY = rows;
    metrics->originX = slot->bitmap_left;
    metrics->originY = slot->bitmap_top;
    metrics->cellIncX = int32_t((slot->advance.x + 32) >> 6);
    int32_t pitch = GlyphBitmapPitch(format, width);
    int32_t size = pitch * rows;
    if (!buffer || bufferSize < uint32_t(size) || size == 0) return size;

    auto* out = static_cast<unsigned char*>(buffer);
    std::memset(out, 0, size_t(size));
    for (int32_t y = 0; y < rows; ++y) {
        const unsigned char* source = bitmap.buffer + y * bitmap.pitch;
        unsigned char* row = out + y * pitch;
        for (int32_t x = 0; x < width; ++x) {
            unsigned coverage = source[x];
            if (format == GlyphBitmapFormat::Mono) {
                if (coverage >= kMonoThreshold) row[x >> 3] |= static_cast<unsigned char>(0x80 >> (x & 7));
            } else {
                row[x] = static_cast<unsigned char>((coverage * 16 + 127) / 255);
            }
        }
    }
    return size;
}

}  // namespace ror
