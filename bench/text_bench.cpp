// Text: a cached 40-character line of the default font against SDL_ttf (glyph surfaces made
// once and blitted, as a game using SDL_ttf draws; and the line rendered anew each time), and a
// first rendering (cache miss) per glyph, ASCII and kanji, against FreeType with the layer's
// flags and weight, FreeType with its default flags, and stb_truetype.
#include "graphics/blend_tables.h"
#include "graphics/color_format.h"
#include "graphics/draw_state.h"
#include "graphics/software/memimg.h"
#include "graphics/screen_mode.h"
#include "text/font_handles.h"
#include "text/glyph_cache.h"
#include "text/string_draw.h"

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
#include <vector>

using namespace ror;

namespace {

constexpr char kLine[] = "MousePos(123,456) FieldPos( 7, 3) Nr: 42";
static_assert(sizeof kLine - 1 == 40);
constexpr char kGothicFile[] = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

// The same 24 distinct kanji and kana twice over: as the layer's text (cp932 after
// compilation) and as code points for the peers.
constexpr char kKanjiLine[] = "領土国境地図画面色数表示青赤白線枠状態番号位置のを";
constexpr char32_t kKanjiCodes[] = U"領土国境地図画面色数表示青赤白線枠状態番号位置のを";
constexpr int kKanjiCount = int(sizeof kKanjiCodes / sizeof kKanjiCodes[0]) - 1;
static_assert(sizeof kKanjiLine - 1 == 2 * kKanjiCount);

// The distinct characters of the ASCII line as code points.
std::vector<char32_t> DistinctAscii()
{
    std::vector<char32_t> out;
    for (const char* c = kLine; *c; ++c)
        if (std::find(out.begin(), out.end(), char32_t(*c)) == out.end()) out.push_back(char32_t(*c));
    return out;
}

std::vector<char32_t> MissCodes(int64_t kanji)
{
    return kanji ? std::vector<char32_t>(kKanjiCodes, kKanjiCodes + kKanjiCount) : DistinctAscii();
}

const char* MissLabel(int64_t kanji) { return kanji ? "kanji" : "ASCII"; }

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

void TextCachedLine(benchmark::State& state)
{
    SoftwareText text;
    uint32_t white = PackColor(255, 255, 255);
    PrintText(8, 8, kLine, white);  // brings the glyphs into the cache
    for (auto _ : state) {
        PrintText(8, 8, kLine, white);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 40);
    state.SetLabel("glyphs/s");
}
BENCHMARK(TextCachedLine);

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

// The line rendered anew by SDL_ttf every time, then blitted.
void TextLineSdlTtfRendered(benchmark::State& state)
{
    SdlTtfPeer peer;
    TTF_Font* font = peer.font;
    SDL_Surface* target = peer.target;
    if (!font || !target) {
        state.SkipWithError("SDL_ttf font or surface missing");
        return;
    }
    SDL_Color white{255, 255, 255, 255};
    SDL_Surface* warm = TTF_RenderUTF8_Solid(font, kLine, white);
    SDL_FreeSurface(warm);
    for (auto _ : state) {
        SDL_Surface* line = TTF_RenderUTF8_Solid(font, kLine, white);
        SDL_Rect at{8, 8, 0, 0};
        SDL_BlitSurface(line, nullptr, target, &at);
        SDL_FreeSurface(line);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 40);
    state.SetLabel("glyphs/s");
}
BENCHMARK(TextLineSdlTtfRendered);

// What a game using SDL_ttf does for text it draws often: every glyph rendered once into its
// own surface, then each frame only blitted at the glyph's advance.
void TextCachedLineSdlTtfGlyphSurfaces(benchmark::State& state)
{
    SdlTtfPeer peer;
    TTF_Font* font = peer.font;
    SDL_Surface* target = peer.target;
    if (!font || !target) {
        state.SkipWithError("SDL_ttf font or surface missing");
        return;
    }
    SDL_Color white{255, 255, 255, 255};
    SDL_Surface* glyphs[128] = {};
    int advance[128] = {};
    for (const char* c = kLine; *c; ++c) {
        const auto code = uint8_t(*c);
        if (glyphs[code] || code == ' ') continue;
        glyphs[code] = TTF_RenderGlyph_Solid(font, code, white);
        TTF_GlyphMetrics(font, code, nullptr, nullptr, nullptr, nullptr, &advance[code]);
    }
    TTF_GlyphMetrics(font, ' ', nullptr, nullptr, nullptr, nullptr, &advance[uint8_t(' ')]);
    for (auto _ : state) {
        int x = 8;
        for (const char* c = kLine; *c; ++c) {
            const auto code = uint8_t(*c);
            if (glyphs[code]) {
                SDL_Rect at{x, 8, 0, 0};
                SDL_BlitSurface(glyphs[code], nullptr, target, &at);
            }
            x += advance[code];
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 40);
    state.SetLabel("glyphs/s");
    for (SDL_Surface* glyph : glyphs) SDL_FreeSurface(glyph);
}
BENCHMARK(TextCachedLineSdlTtfGlyphSurfaces);

// Every glyph rendered anew (the cache is emptied before each pass): the distinct characters
// of the ASCII line (arg 0) or 24 kanji and kana (arg 1).
void TextFirstRendering(benchmark::State& state)
{
    SoftwareText text;
    int font = QueryDefaultFont();
    const char* line = state.range(0) ? kKanjiLine : kLine;
    for (auto _ : state) {
        ClearGlyphCache(font);
        PrecacheText(-1, line, font, nullptr, nullptr);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(MissCodes(state.range(0)).size()));
    state.SetLabel(MissLabel(state.range(0)));
}
BENCHMARK(TextFirstRendering)->Arg(0)->Arg(1);

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

// The same glyphs with the layer's flags and synthetic weight (the default font asks for
// weight 600 of a 400 face: strokes 2/3 pixel wider), without the layer around it.
void TextFirstRenderingFreeTypeLayerFlags(benchmark::State& state)
{
    FreeTypeFace ft;
    if (!ft.face) {
        state.SkipWithError("FreeType face missing");
        return;
    }
    const std::vector<char32_t> codes = MissCodes(state.range(0));
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
    state.SetLabel(MissLabel(state.range(0)));
}
BENCHMARK(TextFirstRenderingFreeTypeLayerFlags)->Arg(0)->Arg(1);

// FreeType's default load flags, rendered: what a plain FreeType program does.
void TextFirstRenderingFreeTypeDefault(benchmark::State& state)
{
    FreeTypeFace ft;
    if (!ft.face) {
        state.SkipWithError("FreeType face missing");
        return;
    }
    const std::vector<char32_t> codes = MissCodes(state.range(0));
    for (auto _ : state) {
        for (char32_t code : codes) {
            FT_Load_Char(ft.face, code, FT_LOAD_DEFAULT | FT_LOAD_RENDER);
            benchmark::DoNotOptimize(ft.face->glyph->bitmap.buffer);
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(codes.size()));
    state.SetLabel(MissLabel(state.range(0)));
}
BENCHMARK(TextFirstRenderingFreeTypeDefault)->Arg(0)->Arg(1);

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
    const std::vector<char32_t> codes = MissCodes(state.range(0));
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
    state.SetLabel(MissLabel(state.range(0)));
}
BENCHMARK(TextFirstRenderingStbTruetype)->Arg(0)->Arg(1);

}  // namespace
