#include "platform/fonts/glyph_raster.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include <iconv.h>

#include <fontconfig/fcfreetype.h>  // after FreeType's and fontconfig's own headers

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
    bool substituted;  // a named family the system lacks, another face in its place
    int32_t height, weight;
    bool italic;
    FT_Face renderedFace;   // the face whose glyph slot holds the rendered glyph
    FT_UInt renderedIndex;  // the rendered glyph's index in `face`, 0 when a fallback drew it
    FT_Face fallbacks[8];   // faces for characters the face lacks: added fonts' and fontconfig's
    int fallbackAdded[8];   // the added font whose bytes a fallback reads, or -1
    int fallbackCount;
    int added;  // the added font whose bytes the face reads, or -1
    char family[128];
};

// A font the game brought: its bytes and the names and styles of its faces.
constexpr int kAddedFontCount = 32;
constexpr int kAddedFacesPerFont = 64;
constexpr int kNamesPerFace = 4;

struct AddedFace {
    char names[kNamesPerFace][128];  // UTF-8 family names: the face's own and its localised ones
    int nameCount;
    int weight;
    bool italic;
    FcCharSet* characters;  // the code points the face has
};

struct AddedFont {
    bool listed;    // found by name until removed
    int openFaces;  // fonts open on its bytes, which stay until the last closes
    unsigned char* bytes;
    size_t size;
    AddedFace* faces;
    int faceCount;
};

struct GlyphRasterState {
    FT_Library library;
    int openFonts;
    bool fontconfigReady;
    PlatformFont pool[kPlatformFontPoolSize];
    AddedFont added[kAddedFontCount];
};

static GlyphRasterState RasterState;

int32_t SystemOemCodePage() { return 932; }

// --- face lookup ---------------------------------------------------------------------

struct FaceChoice {
    char file[1024];
    int index;
    char family[128];
    int added = -1;            // an added font's index, in place of the file
    bool substituted = false;  // not the family asked for
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

// The added face of `family` nearest in slant, then in weight.
static bool FindAddedFace(const char* family, int weight, bool italic, FaceChoice* out)
{
    int best = -1;
    for (int i = 0; i < kAddedFontCount; ++i) {
        const AddedFont& font = RasterState.added[i];
        if (!font.listed) continue;
        for (int f = 0; f < font.faceCount; ++f) {
            const AddedFace& face = font.faces[f];
            bool named = false;
            for (int n = 0; n < face.nameCount && !named; ++n)
                named = FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(face.names[n]),
                                           reinterpret_cast<const FcChar8*>(family)) == 0;
            if (!named) continue;
            const int score = (face.italic != italic ? 1000 : 0) + std::abs(face.weight - weight);
            if (best != -1 && score >= best) continue;
            best = score;
            out->added = i;
            out->index = f;
            out->file[0] = 0;
            std::snprintf(out->family, sizeof out->family, "%s", face.names[0]);
        }
    }
    return best != -1;
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
        if (FindAddedFace(family, request.weight, italic, out)) return true;
        if (!MatchFace(family, false, lang, request.weight, italic, FaceRule::Any, out)) return false;
        out->substituted = !MatchFace(family, false, lang, request.weight, italic, FaceRule::ExactFamily, out);
        return true;
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
    font->added = choice.added;
    const AddedFont* added = choice.added >= 0 ? &RasterState.added[choice.added] : nullptr;
    const FT_Error opened =
        added ? FT_New_Memory_Face(RasterState.library, added->bytes, FT_Long(added->size), choice.index, &font->face)
              : FT_New_Face(RasterState.library, choice.file, choice.index, &font->face);
    if (opened != 0) {
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
    font->substituted = choice.substituted;
    font->height = request.height;
    font->weight = request.weight;
    font->italic = request.italic != 0;
    if (!SizeFace(font, request.height)) {
        iconv_close(font->decoder);
        FT_Done_Face(font->face);
        StopLibraryWhenIdle();
        return -1;
    }
    font->inUse = true;
    ++RasterState.openFonts;
    if (font->added >= 0) ++RasterState.added[font->added].openFaces;
    *out = font;
    return 0;
}

static void FreeAddedFontWhenUnused(int index);

void ClosePlatformFont(PlatformFont* font)
{
    if (!font || !font->inUse) return;
    iconv_close(font->decoder);
    FT_Done_Face(font->face);
    for (int i = 0; i < font->fallbackCount; ++i) {
        FT_Done_Face(font->fallbacks[i]);
        if (font->fallbackAdded[i] >= 0) {
            --RasterState.added[font->fallbackAdded[i]].openFaces;
            FreeAddedFontWhenUnused(font->fallbackAdded[i]);
        }
    }
    if (font->added >= 0) {
        --RasterState.added[font->added].openFaces;
        FreeAddedFontWhenUnused(font->added);
    }
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

bool PlatformFontSubstituted(const PlatformFont* font) { return font && font->inUse && font->substituted; }

// --- fonts the game brings ----------------------------------------------------------

static void ReleaseAddedFont(AddedFont* font)
{
    for (int f = 0; font->faces && f < font->faceCount; ++f)
        if (font->faces[f].characters) FcCharSetDestroy(font->faces[f].characters);
    std::free(font->bytes);
    std::free(font->faces);
    *font = AddedFont{};
}

static void FreeAddedFontWhenUnused(int index)
{
    AddedFont& font = RasterState.added[index];
    if (font.listed || font.openFaces > 0 || !font.bytes) return;
    ReleaseAddedFont(&font);
}

// A name of the face's name table as UTF-8: Windows names are UTF-16BE, Mac Roman names are
// taken when they are ASCII. False for other encodings.
static bool NameToUtf8(const FT_SfntName& name, char* out, size_t size)
{
    size_t at = 0;
    auto put = [&](uint32_t code) {
        const int length = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        if (at + size_t(length) >= size) return false;
        if (length == 1) {
            out[at++] = char(code);
            return true;
        }
        static constexpr uint8_t kLeads[5] = {0, 0, 0xC0, 0xE0, 0xF0};
        for (int i = length - 1; i > 0; --i) out[at + size_t(i)] = char(0x80 | (code & 0x3F)), code >>= 6;
        out[at] = char(kLeads[length] | code);
        at += size_t(length);
        return true;
    };
    if (name.platform_id == TT_PLATFORM_MICROSOFT) {
        for (FT_UInt i = 0; i + 1 < name.string_len; i += 2) {
            uint32_t code = uint32_t(name.string[i]) << 8 | name.string[i + 1];
            if (code >= 0xD800 && code < 0xDC00 && i + 3 < name.string_len) {
                const uint32_t low = uint32_t(name.string[i + 2]) << 8 | name.string[i + 3];
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
            if (!put(code)) return false;
        }
    } else if (name.platform_id == TT_PLATFORM_MACINTOSH && name.encoding_id == TT_MAC_ID_ROMAN) {
        for (FT_UInt i = 0; i < name.string_len; ++i)
            if (name.string[i] >= 0x80 || !put(name.string[i])) return false;
    } else {
        return false;
    }
    out[at] = 0;
    return at > 0;
}

static void AddFaceName(AddedFace* face, const char* name)
{
    for (int i = 0; i < face->nameCount; ++i)
        if (std::strcmp(face->names[i], name) == 0) return;
    if (face->nameCount < kNamesPerFace)
        std::snprintf(face->names[face->nameCount++], sizeof face->names[0], "%s", name);
}

// The family names, weight and slant of one face.
static void DescribeFace(FT_Face face, AddedFace* out)
{
    *out = AddedFace{};
    if (face->family_name) AddFaceName(out, face->family_name);
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i) {
        FT_SfntName name{};
        char text[128];
        if (FT_Get_Sfnt_Name(face, i, &name) != 0 ||
            (name.name_id != TT_NAME_ID_FONT_FAMILY && name.name_id != TT_NAME_ID_TYPOGRAPHIC_FAMILY))
            continue;
        if (NameToUtf8(name, text, sizeof text)) AddFaceName(out, text);
    }
    out->weight = (face->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)))
        if (os2->usWeightClass >= 100 && os2->usWeightClass <= 1000) out->weight = os2->usWeightClass;
    out->italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
}

int AddPlatformFontData(const void* bytes, size_t size)
{
    if (!bytes || size == 0 || size > size_t(INT32_MAX)) return -1;
    int index = 0;
    while (index < kAddedFontCount && RasterState.added[index].bytes) ++index;
    if (index == kAddedFontCount || !StartLibrary()) return -1;
    AddedFont& font = RasterState.added[index];
    font.bytes = static_cast<unsigned char*>(std::malloc(size));
    font.faces = static_cast<AddedFace*>(std::calloc(kAddedFacesPerFont, sizeof(AddedFace)));
    if (font.bytes && font.faces) {
        std::memcpy(font.bytes, bytes, size);
        font.size = size;
        FT_Face face = nullptr;
        // Every face of a collection, under its own index.
        for (FT_Long i = 0, faces = 1; i < faces && i < kAddedFacesPerFont; ++i) {
            if (FT_New_Memory_Face(RasterState.library, font.bytes, FT_Long(size), i, &face) != 0) break;
            faces = face->num_faces;
            if (FT_IS_SCALABLE(face) && font.faceCount == i) {
                DescribeFace(face, &font.faces[font.faceCount]);
                font.faces[font.faceCount++].characters = FcFreeTypeCharSet(face, nullptr);
            }
            FT_Done_Face(face);
        }
    }
    StopLibraryWhenIdle();
    if (font.faceCount == 0) {
        ReleaseAddedFont(&font);
        return -1;
    }
    font.listed = true;
    return index;
}

const char* AddedPlatformFontFamily(int id)
{
    if (id < 0 || id >= kAddedFontCount || !RasterState.added[id].listed) return nullptr;
    return RasterState.added[id].faces[0].names[0];
}

int RemovePlatformFontData(int id)
{
    if (id < 0 || id >= kAddedFontCount || !RasterState.added[id].listed) return -1;
    RasterState.added[id].listed = false;
    FreeAddedFontWhenUnused(id);
    return 0;
}

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

// A fallback face sized to the font's height, with its glyph of `unicode` in *index; false
// (the face closed) when it is no scalable face or lacks the glyph.
static bool PrepareFallback(FT_Face face, const PlatformFont* font, uint32_t unicode, FT_UInt* index)
{
    FT_Size_RequestRec size{};
    size.type = FT_SIZE_REQUEST_TYPE_CELL;
    size.height = FT_Long(font->height) * 64;
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    if (FT_IS_SCALABLE(face) && FT_Request_Size(face, &size) == 0 && (*index = FT_Get_Char_Index(face, unicode)))
        return true;
    FT_Done_Face(face);
    return false;
}

static FT_Face KeepFallback(PlatformFont* font, FT_Face face, int added)
{
    font->fallbacks[font->fallbackCount] = face;
    font->fallbackAdded[font->fallbackCount++] = added;
    if (added >= 0) ++RasterState.added[added].openFaces;
    return face;
}

// A fallback the font keeps already: one of an added font (`added` true) or of the system.
static FT_Face KeptFallback(PlatformFont* font, bool added, uint32_t unicode, FT_UInt* index)
{
    for (int i = 0; i < font->fallbackCount; ++i)
        if ((font->fallbackAdded[i] >= 0) == added && (*index = FT_Get_Char_Index(font->fallbacks[i], unicode)) != 0)
            return font->fallbacks[i];
    return nullptr;
}

// A face of a font the game added (the first added that has the code point, its face nearest
// the font's slant and weight), opened and kept with the font. Null when none has it.
static FT_Face AddedFallbackFace(PlatformFont* font, uint32_t unicode, FT_UInt* index)
{
    for (int i = 0; i < kAddedFontCount; ++i) {
        const AddedFont& added = RasterState.added[i];
        if (!added.listed) continue;
        int best = -1, bestScore = 0;
        for (int f = 0; f < added.faceCount; ++f) {
            const AddedFace& face = added.faces[f];
            if (!face.characters || !FcCharSetHasChar(face.characters, unicode)) continue;
            const int score = (face.italic != font->italic ? 1000 : 0) + std::abs(face.weight - font->weight);
            if (best != -1 && score >= bestScore) continue;
            best = f;
            bestScore = score;
        }
        FT_Face face = nullptr;
        if (best == -1 || FT_New_Memory_Face(RasterState.library, added.bytes, FT_Long(added.size), best, &face) != 0)
            continue;
        if (PrepareFallback(face, font, unicode, index)) return KeepFallback(font, face, i);
    }
    return nullptr;
}

// The best of the system's faces that has the code point, as fontconfig sorts them for the
// font's weight and slant, opened and kept with the font. Null when no installed face has it.
static FT_Face SystemFallbackFace(PlatformFont* font, uint32_t unicode, FT_UInt* index)
{
    FcPattern* pattern = FcPatternCreate();
    FcCharSet* wanted = FcCharSetCreate();
    if (!pattern || !wanted) {
        if (pattern) FcPatternDestroy(pattern);
        if (wanted) FcCharSetDestroy(wanted);
        return nullptr;
    }
    FcCharSetAddChar(wanted, unicode);
    FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(font->weight));
    FcPatternAddInteger(pattern, FC_SLANT, font->italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    FcPatternDestroy(pattern);
    FcCharSetDestroy(wanted);
    FT_Face face = nullptr;
    for (int i = 0; sorted && i < sorted->nfont && !face; ++i) {
        FcCharSet* has = nullptr;
        FcChar8* file = nullptr;
        int faceIndex = 0;
        if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &has) != FcResultMatch ||
            !FcCharSetHasChar(has, unicode) || FcPatternGetString(sorted->fonts[i], FC_FILE, 0, &file) != FcResultMatch)
            continue;
        if (FcPatternGetInteger(sorted->fonts[i], FC_INDEX, 0, &faceIndex) != FcResultMatch) faceIndex = 0;
        if (FT_New_Face(RasterState.library, reinterpret_cast<const char*>(file), faceIndex, &face) != 0 ||
            !PrepareFallback(face, font, unicode, index))
            face = nullptr;
    }
    if (sorted) FcFontSetDestroy(sorted);
    return face ? KeepFallback(font, face, -1) : nullptr;
}

// A face for a code point the font's face lacks, as desktop text finds one: the fonts the game
// added first, then the system's faces as fontconfig proposes them. The faces found stay with
// the font and are asked first the next time. Null when no face has it.
static FT_Face FallbackFace(PlatformFont* font, uint32_t unicode, FT_UInt* index)
{
    if (FT_Face face = KeptFallback(font, true, unicode, index)) return face;
    const bool room = font->fallbackCount < int(sizeof font->fallbacks / sizeof font->fallbacks[0]);
    if (room)
        if (FT_Face face = AddedFallbackFace(font, unicode, index)) return face;
    if (FT_Face face = KeptFallback(font, false, unicode, index)) return face;
    return room ? SystemFallbackFace(font, unicode, index) : nullptr;
}

// Loads and renders the glyph of `code` anti-aliased into a face's glyph slot, with the
// weight and slant of the font. Both bitmap formats come from this one rendering, so they
// share their metrics; the 1-bit form is a threshold of it, which keeps the strokes of
// kana and kanji whole at small sizes where the face's own 1-bit rendering breaks them.
// A code point the face lacks comes from a fallback face; a cp932 code never does, and a
// character nobody has is the face's missing glyph.
static bool RenderGlyph(PlatformFont* font, uint32_t code)
{
    if (font->rendered && font->renderedCode == code) return true;
    font->rendered = false;
    FT_Face face = font->face;
    FT_UInt index = GlyphIndexOf(font, code);
    if (index == 0 && (code & kPlatformUnicodeCode)) {
        FT_UInt fallbackIndex = 0;
        if (FT_Face fallback = FallbackFace(font, code & ~kPlatformUnicodeCode, &fallbackIndex)) {
            face = fallback;
            index = fallbackIndex;
        }
    }
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) != 0) {
        if (index == 0 || FT_Load_Glyph(face, 0, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) != 0) return false;
        index = 0;  // the missing glyph in its place
    }
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
    font->renderedFace = face;
    font->renderedIndex = face == font->face ? index : 0;
    return true;
}

int32_t ReadPlatformKerning(const PlatformFont* font, uint32_t leftIndex, uint32_t rightIndex)
{
    if (!font || !font->inUse || !leftIndex || !rightIndex || !FT_HAS_KERNING(font->face)) return 0;
    FT_Vector delta{};
    // The default mode gives the table's value scaled to the face's size and rounded to pixels.
    if (FT_Get_Kerning(font->face, leftIndex, rightIndex, FT_KERNING_DEFAULT, &delta) != 0) return 0;
    return int32_t(delta.x >> 6);
}

// Coverage at or above this (of 255) lights a pixel of a 1-bit glyph.
constexpr unsigned kMonoThreshold = 112;

int32_t ReadPlatformGlyph(PlatformFont* font, uint32_t code, GlyphBitmapFormat format, PlatformGlyphMetrics* metrics,
                          uint32_t bufferSize, void* buffer)
{
    if (!font || !font->inUse || !RenderGlyph(font, code)) return -1;
    FT_GlyphSlot slot = font->renderedFace->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    int32_t width = int32_t(bitmap.width);
    int32_t rows = int32_t(bitmap.rows);
    if (width == 0 || rows == 0) width = rows = 0;
    metrics->blackBoxX = width;
    metrics->blackBoxY = rows;
    metrics->originX = slot->bitmap_left;
    metrics->originY = slot->bitmap_top;
    metrics->cellIncX = int32_t((slot->advance.x + 32) >> 6);
    metrics->kernIndex = font->renderedIndex;
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
