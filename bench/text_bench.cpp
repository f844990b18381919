// Text: a cached 40-character line of the default font against SDL_ttf drawing the same
// line solid from its own cache, and a first rendering (cache miss) per glyph against
// FreeType's own load-and-render.
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

#include <cstring>

namespace {

constexpr char kLine[] = "MousePos(123,456) FieldPos( 7, 3) Nr: 42";
static_assert(sizeof kLine - 1 == 40);
constexpr char kGothicFile[] = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

// The distinct characters of the line, in order; returns their number.
int DistinctCharacters(char* out)
{
    int count = 0;
    for (const char* c = kLine; *c; ++c)
        if (!std::memchr(out, *c, size_t(count)))
            out[count++] = *c;
    return count;
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
        DrawState.drawTarget = kBackScreen;
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

void TextCachedLineSdlTtf(benchmark::State& state)
{
    TTF_Init();
    TTF_Font* font = TTF_OpenFont(kGothicFile, 16);
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 32, SDL_PIXELFORMAT_XRGB8888);
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
    SDL_FreeSurface(target);
    TTF_CloseFont(font);
    TTF_Quit();
}
BENCHMARK(TextCachedLineSdlTtf);

// Every glyph of the line rendered anew: the cache is emptied before each pass.
void TextFirstRendering(benchmark::State& state)
{
    SoftwareText text;
    int font = QueryDefaultFont();
    for (auto _ : state) {
        ClearGlyphCache(font);
        PrecacheText(-1, kLine, font, nullptr, nullptr);
    }
    // 40 characters, of which the distinct ones are rendered.
    char unique[64] = {};
    int distinct = DistinctCharacters(unique);
    state.SetItemsProcessed(state.iterations() * distinct);
    state.SetLabel("glyphs/s");
}
BENCHMARK(TextFirstRendering);

void TextFirstRenderingFreeType(benchmark::State& state)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, kGothicFile, 0, &face) != 0) {
        state.SkipWithError("FreeType face missing");
        return;
    }
    FT_Set_Pixel_Sizes(face, 0, 16);
    char unique[64] = {};
    int distinct = DistinctCharacters(unique);
    for (auto _ : state) {
        for (int i = 0; i < distinct; ++i) {
            FT_Load_Char(face, uint8_t(unique[i]), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT);
            benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
        }
    }
    state.SetItemsProcessed(state.iterations() * distinct);
    state.SetLabel("glyphs/s");
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}
BENCHMARK(TextFirstRenderingFreeType);

}  // namespace
