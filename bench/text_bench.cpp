// Text: cached lines of the default font (Latin and Japanese, in cp932 and in UTF-8 mode)
// against SDL_ttf blitting glyph surfaces it rendered once, as a game using SDL_ttf draws (and
// rendering the line anew each time); a first rendering (cache miss) of a Latin, a Japanese and
// a mixed line against FreeType with the layer's flags and weight, FreeType with its default
// flags, and stb_truetype; measuring a line against TTF_SizeUTF8.
#include "graphics/blend_tables.h"
#include "graphics/color_format.h"
#include "graphics/draw_state.h"
#include "graphics/software/memimg.h"
#include "graphics/screen_mode.h"
#include "text/font_handles.h"
#include "text/glyph_cache.h"
#include "text/string_draw.h"
#include "rorodiv.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

using namespace ror;

namespace {

constexpr char kGothicFile[] = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

// The lines, each as cp932 (the layer's texts compile to cp932), as UTF-8 and as code points.
struct BenchLine {
    const char* name;
    const char* cp932;
    const char* utf8;
    const char32_t* codes;
};
const char* Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }
const BenchLine kLines[] = {
    {"Latin", "MousePos(123,456) FieldPos( 7, 3) Nr: 42", "MousePos(123,456) FieldPos( 7, 3) Nr: 42",
     U"MousePos(123,456) FieldPos( 7, 3) Nr: 42"},
    // 24 distinct kanji and kana.
    {"Japanese", "領土国境地図画面色数表示青赤白線枠状態番号位置のを",
     Utf8(u8"領土国境地図画面色数表示青赤白線枠状態番号位置のを"),
     U"領土国境地図画面色数表示青赤白線枠状態番号位置のを"},
    {"mixed", "Map 領土 Nr 42: 国境の地図 (Vexholm) 青赤", Utf8(u8"Map 領土 Nr 42: 国境の地図 (Vexholm) 青赤"),
     U"Map 領土 Nr 42: 国境の地図 (Vexholm) 青赤"},
};
static_assert(sizeof "MousePos(123,456) FieldPos( 7, 3) Nr: 42" - 1 == 40);

int CodeCount(const char32_t* codes)
{
    int count = 0;
    while (codes[count]) ++count;
    return count;
}

// The distinct characters of a line, in order, as code points.
std::vector<char32_t> DistinctCodes(const BenchLine& line)
{
    std::vector<char32_t> out;
    for (const char32_t* c = line.codes; *c; ++c)
        if (std::find(out.begin(), out.end(), *c) == out.end()) out.push_back(*c);
    return out;
}

std::string Label(const BenchLine& line, int64_t utf8)
{
    return std::string(line.name) + (utf8 ? ", UTF-8" : ", cp932");
}

// The software screen of the game's mode, 800 × 600 × 32, with the font system started.
struct SoftwareText {
    SoftwareText()
    {
        ScreenSettings.width = 800;
        ScreenSettings.height = 600;
        ScreenSettings.colorBits = 32;
        ScreenSettings.graphicsReady = 1;
        BuildBlendTables();
        CreateScreenImage(&SoftScreen.screen, 800, 600, 1);
        CreateMemImg(&SoftScreen.work, 800, 600, -1, 0, 1, 0, 0, 0, nullptr);
        CreateMemImg(&SoftScreen.workAlpha, 800, 600, -1, 0, 1, 0, 1, 0, nullptr);
        SoftScreen.target = &SoftScreen.screen;
        DrawState.drawTarget = DRAW_TARGET_BACK_SCREEN;
        DrawState.drawArea = PixelRect{0, 0, 800, 600};
        DrawState.brightness[0] = DrawState.brightness[1] = DrawState.brightness[2] = 255;
        InitFontSystem();
    }
    ~SoftwareText()
    {
        EndFontSystem();
        ReleaseMemImg(&SoftScreen.screen);
        ReleaseMemImg(&SoftScreen.work);
        ReleaseMemImg(&SoftScreen.workAlpha);
    }
};

// The caller's texts in UTF-8 (1) or cp932 (0) while it lives, cp932 again afterwards.
struct TextMode {
    explicit TextMode(int64_t utf8) { SetUseUtf8Texts(int(utf8)); }
    ~TextMode() { SetUseUtf8Texts(0); }
};

const char* LineText(const BenchLine& line, int64_t utf8) { return utf8 ? line.utf8 : line.cp932; }

// A cached line (arg 0: Latin, Japanese) in cp932 or UTF-8 mode (arg 1), every glyph in the
// cache.
void TextCachedLine(benchmark::State& state)
{
    SoftwareText text;
    const TextMode mode(state.range(1));
    const BenchLine& line = kLines[state.range(0)];
    const char* bytes = LineText(line, state.range(1));
    const uint32_t white = PackColor(255, 255, 255);
    PrintText(8, 8, bytes, white);  // brings the glyphs into the cache
    for (auto _ : state) {
        PrintText(8, 8, bytes, white);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * CodeCount(line.codes));
    state.SetLabel(Label(line, state.range(1)));
}
BENCHMARK(TextCachedLine)->ArgsProduct({{0, 1}, {0, 1}});

// SDL_ttf with the layer's font at 16 pixels and an 800 x 600 surface to blit into; released
// when the benchmark ends, also when it is skipped half-way.
struct SdlTtfPeer {
    TTF_Font* font = nullptr;
    SDL_Surface* target = nullptr;

    SdlTtfPeer()
    {
        TTF_Init();
        font = TTF_OpenFont(kGothicFile, 16);
        target = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 32, SDL_PIXELFORMAT_XRGB8888);
    }
    ~SdlTtfPeer()
    {
        SDL_FreeSurface(target);
        if (font) TTF_CloseFont(font);
        TTF_Quit();
    }
};

// The line (arg 0: Latin, Japanese) rendered anew by SDL_ttf every time, then blitted.
void TextLineSdlTtfRendered(benchmark::State& state)
{
    SdlTtfPeer peer;
    if (!peer.font || !peer.target) {
        state.SkipWithError("SDL_ttf font or surface missing");
        return;
    }
    const BenchLine& line = kLines[state.range(0)];
    const SDL_Color white{255, 255, 255, 255};
    SDL_FreeSurface(TTF_RenderUTF8_Solid(peer.font, line.utf8, white));
    for (auto _ : state) {
        SDL_Surface* rendered = TTF_RenderUTF8_Solid(peer.font, line.utf8, white);
        SDL_Rect at{8, 8, 0, 0};
        SDL_BlitSurface(rendered, nullptr, peer.target, &at);
        SDL_FreeSurface(rendered);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * CodeCount(line.codes));
    state.SetLabel(line.name);
}
BENCHMARK(TextLineSdlTtfRendered)->Arg(0)->Arg(1);

// One code point of valid UTF-8 at *text, which moves past it.
char32_t NextCodePoint(const char*& text)
{
    const auto lead = uint8_t(*text++);
    if (lead < 0x80) return lead;
    const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    char32_t code = lead & (0x3F >> more);
    for (int i = 0; i < more; ++i) code = code << 6 | (uint8_t(*text++) & 0x3F);
    return code;
}

// What a game using SDL_ttf does for text it draws often: every glyph rendered once into its
// own surface, kept in a table by code point, then each frame the UTF-8 line (arg 0: Latin,
// Japanese) is only decoded and its glyphs blitted at their advances.
void TextCachedLineSdlTtfGlyphSurfaces(benchmark::State& state)
{
    SdlTtfPeer peer;
    if (!peer.font || !peer.target) {
        state.SkipWithError("SDL_ttf font or surface missing");
        return;
    }
    struct GlyphSurface {
        SDL_Surface* surface = nullptr;
        int advance = 0;
    };
    std::vector<GlyphSurface> glyphs(0x10000);
    const BenchLine& line = kLines[state.range(0)];
    const SDL_Color white{255, 255, 255, 255};
    for (char32_t code : DistinctCodes(line)) {
        GlyphSurface& glyph = glyphs[code];
        if (code != ' ') glyph.surface = TTF_RenderGlyph32_Solid(peer.font, Uint32(code), white);
        TTF_GlyphMetrics32(peer.font, Uint32(code), nullptr, nullptr, nullptr, nullptr, &glyph.advance);
    }
    for (auto _ : state) {
        int x = 8;
        for (const char* c = line.utf8; *c;) {
            const GlyphSurface& glyph = glyphs[NextCodePoint(c) & 0xFFFF];
            if (glyph.surface) {
                SDL_Rect at{x, 8, 0, 0};
                SDL_BlitSurface(glyph.surface, nullptr, peer.target, &at);
            }
            x += glyph.advance;
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * CodeCount(line.codes));
    state.SetLabel(line.name);
    for (const GlyphSurface& glyph : glyphs) SDL_FreeSurface(glyph.surface);
}
BENCHMARK(TextCachedLineSdlTtfGlyphSurfaces)->Arg(0)->Arg(1);

// Every glyph rendered anew (the cache is emptied before each pass): the distinct characters
// of a line (arg 0: Latin, Japanese, mixed) in cp932 or UTF-8 mode (arg 1). Time per glyph.
void TextFirstRendering(benchmark::State& state)
{
    SoftwareText text;
    const BenchLine& line = kLines[state.range(0)];
    const int font = QueryDefaultFont();
    const char* bytes = LineText(line, state.range(1));
    const TextCodes codes = state.range(1) ? TextCodes::Utf8 : TextCodes::Cp932;
    for (auto _ : state) {
        ClearGlyphCache(font);
        PrecacheText(-1, bytes, font, nullptr, nullptr, codes);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(DistinctCodes(line).size()));
    state.SetLabel(Label(line, state.range(1)));
}
BENCHMARK(TextFirstRendering)->ArgsProduct({{0, 1, 2}, {0, 1}});

// FreeType sized as the layer sizes its faces (ascent + descent = 16 pixels).
struct FreeTypeFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FreeTypeFace()
    {
        if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, kGothicFile, 0, &face) != 0) return;
        FT_Size_RequestRec request{};
        request.type = FT_SIZE_REQUEST_TYPE_CELL;
        request.height = 16 * 64;
        FT_Request_Size(face, &request);
    }
    ~FreeTypeFace()
    {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

// The same glyphs (arg 0: Latin, Japanese, mixed) with the layer's flags and synthetic weight
// (the default font asks for weight 600 of a 400 face: strokes 2/3 pixel wider), without the
// layer around it.
void TextFirstRenderingFreeTypeLayerFlags(benchmark::State& state)
{
    FreeTypeFace ft;
    if (!ft.face) {
        state.SkipWithError("FreeType face missing");
        return;
    }
    const BenchLine& line = kLines[state.range(0)];
    const std::vector<char32_t> codes = DistinctCodes(line);
    const FT_Pos embolden = 16 * 64 * 200 / (300 * 16);
    for (auto _ : state) {
        for (char32_t code : codes) {
            FT_Load_Glyph(ft.face, FT_Get_Char_Index(ft.face, code), FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT);
            FT_Outline_EmboldenXY(&ft.face->glyph->outline, embolden, 0);
            FT_Render_Glyph(ft.face->glyph, FT_RENDER_MODE_NORMAL);
            benchmark::DoNotOptimize(ft.face->glyph->bitmap.buffer);
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(codes.size()));
    state.SetLabel(line.name);
}
BENCHMARK(TextFirstRenderingFreeTypeLayerFlags)->Arg(0)->Arg(1)->Arg(2);

// FreeType's default load flags, rendered: what a plain FreeType program does.
void TextFirstRenderingFreeTypeDefault(benchmark::State& state)
{
    FreeTypeFace ft;
    if (!ft.face) {
        state.SkipWithError("FreeType face missing");
        return;
    }
    const BenchLine& line = kLines[state.range(0)];
    const std::vector<char32_t> codes = DistinctCodes(line);
    for (auto _ : state) {
        for (char32_t code : codes) {
            FT_Load_Char(ft.face, code, FT_LOAD_DEFAULT | FT_LOAD_RENDER);
            benchmark::DoNotOptimize(ft.face->glyph->bitmap.buffer);
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(codes.size()));
    state.SetLabel(line.name);
}
BENCHMARK(TextFirstRenderingFreeTypeDefault)->Arg(0)->Arg(1)->Arg(2);

// stb_truetype rasterising the same glyphs at the same height into one reused buffer.
void TextFirstRenderingStbTruetype(benchmark::State& state)
{
    std::vector<unsigned char> file;
    if (FILE* in = std::fopen(kGothicFile, "rb")) {
        std::fseek(in, 0, SEEK_END);
        file.resize(size_t(std::ftell(in)));
        std::fseek(in, 0, SEEK_SET);
        if (std::fread(file.data(), 1, file.size(), in) != file.size()) file.clear();
        std::fclose(in);
    }
    stbtt_fontinfo info;
    if (file.empty() || !stbtt_InitFont(&info, file.data(), stbtt_GetFontOffsetForIndex(file.data(), 0))) {
        state.SkipWithError("stb_truetype font missing");
        return;
    }
    const float scale = stbtt_ScaleForPixelHeight(&info, 16);
    const BenchLine& line = kLines[state.range(0)];
    const std::vector<char32_t> codes = DistinctCodes(line);
    std::vector<unsigned char> bitmap(64 * 64);
    for (auto _ : state) {
        for (char32_t code : codes) {
            const int glyph = stbtt_FindGlyphIndex(&info, int(code));
            int x0, y0, x1, y1;
            stbtt_GetGlyphBitmapBox(&info, glyph, scale, scale, &x0, &y0, &x1, &y1);
            const int width = std::min(x1 - x0, 64), height = std::min(y1 - y0, 64);
            stbtt_MakeGlyphBitmap(&info, bitmap.data(), width, height, 64, scale, scale, glyph);
            benchmark::DoNotOptimize(bitmap.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(codes.size()));
    state.SetLabel(line.name);
}
BENCHMARK(TextFirstRenderingStbTruetype)->Arg(0)->Arg(1)->Arg(2);

// Measuring a line (arg 0: Latin, Japanese) of the default font in cp932 or UTF-8 mode (arg 1),
// its glyphs cached.
void TextMeasureLine(benchmark::State& state)
{
    SoftwareText text;
    const TextMode mode(state.range(1));
    const BenchLine& line = kLines[state.range(0)];
    const char* bytes = LineText(line, state.range(1));
    int width = 0;
    GetTextWidth(bytes, -1, &width);
    for (auto _ : state) {
        GetTextWidth(bytes, -1, &width);
        benchmark::DoNotOptimize(width);
    }
    state.SetItemsProcessed(state.iterations() * CodeCount(line.codes));
    state.SetLabel(Label(line, state.range(1)));
}
BENCHMARK(TextMeasureLine)->ArgsProduct({{0, 1}, {0, 1}});

// TTF_SizeUTF8 on the same line (arg 0: Latin, Japanese), its glyphs cached by SDL_ttf.
void TextMeasureLineSdlTtf(benchmark::State& state)
{
    SdlTtfPeer peer;
    if (!peer.font) {
        state.SkipWithError("SDL_ttf font missing");
        return;
    }
    const BenchLine& line = kLines[state.range(0)];
    int width = 0, height = 0;
    TTF_SizeUTF8(peer.font, line.utf8, &width, &height);
    for (auto _ : state) {
        TTF_SizeUTF8(peer.font, line.utf8, &width, &height);
        benchmark::DoNotOptimize(width);
    }
    state.SetItemsProcessed(state.iterations() * CodeCount(line.codes));
    state.SetLabel(line.name);
}
BENCHMARK(TextMeasureLineSdlTtf)->Arg(0)->Arg(1);

}  // namespace
