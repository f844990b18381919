// One table of drawing cases run on the software path, whose pictures are the reference, and on
// the device path under the same X server; the two must match. Rules that are exact (fills,
// boxes, lines and bands, texel-aligned and stretched graphics, glyphs) must give the same
// pixels; blend arithmetic may differ by one step per channel (two for the image multiply);
// where the two pick texels differently (a turned quad) a stated number of pixels may differ.
// A mismatch writes both pictures and their difference as PNG files into the test's working
// directory.
#include "country_grid.h"
#include "field_display.h"
#include "game_state.h"
#include "graphics/blend_graphics.h"
#include "graphics/color_format.h"
#include "graphics/device/device_graphics.h"
#include "graphics/graphics.h"
#include "graphics/graphics_setup.h"
#include "movie/movie_files.h"
#include "neighbour_table.h"
#include "core/core_state.h"
#include "platform/window_system/synthetic_events.h"
#include "picture_compare.h"
#include "random/random.h"
#include "rorodiv.h"
#include "rorodiv_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace ror;

namespace {

constexpr int kWidth = 800, kHeight = 600;

enum class Match { Exact, BlendStep, Raster };

struct DrawCase {
    std::string name;
    std::function<void()> draw;
    Match match = Match::Exact;
    int allowedPixels = 0;  // Raster: how many pixels may differ
    int allowedStep = 1;    // BlendStep: how far a channel may be off
};

// A backdrop of coloured stripes, so that blending has something to act on.
void DrawBackdrop()
{
    const uint8_t stripes[6][3] = {{0, 0, 0},     {255, 255, 255}, {200, 40, 40},
                                   {40, 200, 40}, {40, 40, 200},   {128, 128, 128}};
    for (int i = 0; i < 6; ++i)
        DrawRect(i * kWidth / 6, 0, (i + 1) * kWidth / 6, kHeight,
                 PackColor(stripes[i][0], stripes[i][1], stripes[i][2]), 1);
}

// A graphic of `width` x `height` with a pattern that shows every texel: a colour ramp with
// black (the transparent colour) in a checker of `block` x `block` squares, or without
// `keyed` the ramp alone.
int PatternGraphic(int width, int height, int block = 4, bool keyed = true)
{
    const int handle = CreateBlankGraphic(width, height);
    if (handle == -1) return -1;
    std::vector<uint32_t> pixels(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Large squares keep one colour each, so that only their edges show where two
            // rasterisers pick different texels.
            const int cx = block > 4 ? x / block * block : x, cy = block > 4 ? y / block * block : y;
            pixels[size_t(y) * width + x] =
                keyed && (x / block + y / block) % 3 == 0
                    ? 0xFF000000u
                    : 0xFF000000u | uint32_t(cx * 255 / width) << 16 | uint32_t(cy * 255 / height) << 8 | 0x60;
        }
    ColorFormat format;
    MakeXrgb8Format(&format);
    const PixelImage image{reinterpret_cast<const uint8_t*>(pixels.data()), width * 4, width, height, &format};
    CopyImageToGraphic(handle, image, nullptr, PixelRect{0, 0, width, height}, 0, 0);
    return handle;
}

void PutPattern(int x, int y, int width, int height, int transparent)
{
    const int g = PatternGraphic(width, height);
    PutGraphic(x, y, g, transparent);
    DestroyGraphic(g);
}

void DrawWithFont(int type, int edge)
{
    const int font = CreateFontToHandle(nullptr, 20, -1, type, -1, edge, 0);
    PrintTextWithFont(20, 40, "Vexholm 0123 ｱｲｳ 国境", PackColor(255, 255, 0), font, PackColor(0, 0, 160));
    PrintTextWithFont(20, 80, "The quick brown fox", PackColor(30, 30, 30), font, PackColor(255, 255, 255));
    ReleaseFontHandle(font);
}

std::vector<DrawCase> ShapeCases()
{
    const uint32_t c = PackColor(250, 180, 20);
    return {
        {"FilledBoxes",
         [=] {
             DrawRect(17, 17, 65, 65, c, 1);
             DrawRect(300, 200, 120, 90, PackColor(9, 99, 199), 1);
             DrawRect(-20, 550, 40, 700, c, 1);
         }},
        {"Outlines",
         [=] {
             DrawRect(10, 10, 20, 15, c, 0);
             DrawRect(100, 100, 400, 300, PackColor(0, 255, 255), 0);
             DrawRect(500, 50, 502, 52, c, 0);
         }},
        {"OnePixelStraightLines",
         [=] {
             DrawSegment(0, 5, 10, 5, c, 1);
             DrawSegment(30, 400, 30, 100, c, 1);
             DrawSegment(700, 20, 100, 20, c, 0);
             DrawSegment(5, 5, 5, 5, c, 1);
         }},
        {"OnePixelDiagonals",
         [=] {
             DrawSegment(10, 10, 400, 300, c, 1);
             DrawSegment(790, 10, 30, 590, c, 1);
             DrawSegment(50, 500, 60, 300, c, 1);
         }},
        // Far-reaching one-pixel lines cost what their part inside the area costs; a hang here
        // is a line walked along its whole length.
        {"OnePixelLinesFromFarAway",
         [=] {
             DrawSegment(-10000000, -10000000, 10000000, 10000000, c, 1);
             DrawSegment(INT_MIN, -100000, -100000, INT_MIN, c, 1);
             DrawSegment(INT_MAX, 300, INT_MIN, 301, c, 1);
             DrawSegment(400, INT_MIN, 401, INT_MAX, c, 1);
             SetDrawRegion(100, 100, 300, 200);
             DrawSegment(-50000000, 150, 50000000, 160, c, 1);
         }},
        {"ThickStraightLines",
         [=] {
             DrawSegment(16, 16, 65, 16, c, 3);
             DrawSegment(200, 50, 200, 400, c, 4);
             DrawSegment(300, 300, 700, 300, c, 7);
         }},
        {"ThickDiagonals",
         [=] {
             DrawSegment(50, 50, 500, 400, c, 5);
             DrawSegment(700, 100, 400, 550, c, 2);
         }},
    };
}

std::vector<DrawCase> BlendCases()
{
    std::vector<DrawCase> cases;
    for (int mode : {1, 2, 3, 4})
        for (int param : {0, 64, 128, 255}) {
            cases.push_back({"Mode" + std::to_string(mode) + "Param" + std::to_string(param),
                             [=] {
                                 DrawBackdrop();
                                 SetBlendMode(mode, param);
                                 DrawRect(20, 100, 780, 300, PackColor(180, 90, 240), 1);
                                 DrawSegment(20, 350, 780, 350, PackColor(10, 250, 128), 1);
                                 PutPattern(40, 400, 720, 150, 1);
                                 SetBlendMode(0, 0);
                             },
                             // The software path's image multiply truncates twice where the
                             // device rounds once.
                             Match::BlendStep, 0, mode == 4 ? 2 : 1});
        }
    return cases;
}

// A graphic with an alpha channel, loaded from the layer's raw "BGRA" format: the colour ramp
// of PatternGraphic under a checker of four alphas, fully transparent squares included.
int AlphaGraphic(int width, int height)
{
    std::vector<uint8_t> file(16 + size_t(width) * height * 4);
    const uint32_t header[4] = {0x41524742u, 0x08080808u, uint32_t(width), uint32_t(height)};
    std::memcpy(file.data(), header, sizeof header);
    static constexpr uint32_t kAlphas[4] = {0, 96, 180, 255};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = kAlphas[(x / 8 + y / 8) % 4] << 24 | uint32_t(x * 255 / width) << 16 |
                                   uint32_t(y * 255 / height) << 8 | 0xC0;
            std::memcpy(&file[16 + (size_t(y) * width + x) * 4], &pixel, 4);
        }
    return LoadGraphicFromMemory(file.data(), int32_t(file.size()));
}

// The three kinds of graphic a blend rule meets.
enum class GraphicKind { Opaque, Alpha, ColourKeyed };

int GraphicOfKind(GraphicKind kind, int width, int height)
{
    switch (kind) {
    case GraphicKind::Alpha: return AlphaGraphic(width, height);
    case GraphicKind::ColourKeyed: return PatternGraphic(width, height);
    default: return PatternGraphic(width, height, 4, false);
    }
}

enum class Primitive { Boxes, Graphics, Quads, Glyphs, Sprites, Shapes };

// Ellipses, circles, polygons and points of every form, outlined and filled.
void DrawShapeForms(uint32_t colour)
{
    DrawEllipse(120, 150, 90, 50, colour, 1);
    DrawEllipse(120, 300, 90, 50, colour, 0);
    DrawCircleShape(330, 150, 60, colour, 1);
    DrawCircleShape(330, 300, 60, colour, 0);
    DrawTriangleShape(430, 90, 560, 130, 460, 250, colour, 1);
    DrawTriangleShape(430, 280, 560, 320, 460, 440, colour, 0);
    // A concave arrow and a self-crossing star.
    const int32_t arrow[7][2] = {{600, 100}, {700, 160}, {600, 220}, {620, 175}, {560, 175}, {560, 145}, {620, 145}};
    DrawPolygonShape(arrow, 7, colour, 1);
    const int32_t star[5][2] = {{680, 300}, {720, 420}, {620, 345}, {740, 345}, {640, 420}};
    DrawPolygonShape(star, 5, colour, 1);
    DrawPolygonShape(star, 5, colour ^ 0x00FFFFFFu, 0);
    for (int i = 0; i < 40; ++i) DrawPoint(40 + 18 * i, 520 + (i % 5) * 7, colour);
}

// Turned, mirrored and scaled sprites and parts of graphics of each kind, at right angles and
// whole scales, so that both paths pick the same texels.
void DrawSpriteForms()
{
    const GraphicKind kinds[3] = {GraphicKind::Opaque, GraphicKind::Alpha, GraphicKind::ColourKeyed};
    for (int k = 0; k < 3; ++k) {
        const int g = GraphicOfKind(kinds[k], 64, 40);
        for (int turn = 0; turn < 4; ++turn) {
            const float x = 80.0f + 250.0f * float(k), y = 70.0f + 130.0f * float(turn);
            const GraphicTransform t{8, 4, 48, 32, x, y, 24, 16, 2, 1, float(90 * turn), turn};
            EXPECT_EQ(PutGraphicTransformed(g, &t, 1), 0);
            EXPECT_EQ(PutGraphicPart(int(x) + 90, int(y) - 30, 16, 8, 40, 30, g, turn % 2), 0);
        }
        DestroyGraphic(g);
    }
}

// Draws one primitive of the matrix: boxes and lines in two colours; or each kind of graphic
// with and without transparency, placed (Graphics) or stretched to twice its size (Quads);
// or glyphs of a plain and an anti-aliased font.
void DrawPrimitive(Primitive primitive)
{
    switch (primitive) {
    case Primitive::Boxes:
        DrawRect(20, 100, 780, 250, PackColor(255, 128, 32), 1);
        DrawRect(20, 300, 780, 450, PackColor(60, 200, 255), 1);
        DrawSegment(20, 500, 780, 500, PackColor(10, 250, 128), 1);
        break;
    case Primitive::Graphics:
    case Primitive::Quads: {
        const GraphicKind kinds[3] = {GraphicKind::Opaque, GraphicKind::Alpha, GraphicKind::ColourKeyed};
        for (int k = 0; k < 3; ++k) {
            const int g = GraphicOfKind(kinds[k], 96, 64);
            ASSERT_NE(g, -1);
            for (int transparent = 0; transparent < 2; ++transparent) {
                const float x = 30.0f + 260.0f * float(k), y = 40.0f + 280.0f * float(transparent);
                if (primitive == Primitive::Graphics) {
                    EXPECT_EQ(PutGraphic(int(x), int(y), g, transparent), 0);
                } else {
                    const float corners[4][2] = {{x, y}, {x + 192, y}, {x + 192, y + 128}, {x, y + 128}};
                    EXPECT_EQ(PutGraphicQuad(corners, g, transparent), 0);
                }
            }
            DestroyGraphic(g);
        }
        break;
    }
    case Primitive::Glyphs: {
        const int plain = CreateFontToHandle(nullptr, 24, -1, FONT_NORMAL, -1, -1, 0);
        const int smooth = CreateFontToHandle(nullptr, 24, -1, FONT_ANTIALIAS, -1, -1, 0);
        for (int row = 0; row < 6; ++row) {
            const int font = row % 2 == 0 ? plain : smooth;
            const uint32_t colour = row < 2 ? PackColor(255, 128, 32) : row < 4 ? PackColor(40, 90, 255) : 0xFFFFFF;
            PrintTextWithFont(20, 40 + row * 90, "Vexholm 国境 0123 ｱｲｳ", colour, font, 0);
        }
        ReleaseFontHandle(plain);
        ReleaseFontHandle(smooth);
        break;
    }
    case Primitive::Sprites: DrawSpriteForms(); break;
    case Primitive::Shapes: DrawShapeForms(PackColor(90, 200, 255)); break;
    }
}

// Every blend mode the layer honours, at three strengths, for each primitive.
std::vector<DrawCase> BlendMatrixCases()
{
    struct Named {
        Primitive primitive;
        const char* name;
    };
    const Named primitives[] = {{Primitive::Boxes, "Boxes"},     {Primitive::Graphics, "Graphics"},
                                {Primitive::Quads, "Quads"},     {Primitive::Glyphs, "Glyphs"},
                                {Primitive::Sprites, "Sprites"}, {Primitive::Shapes, "Shapes"}};
    std::vector<DrawCase> cases;
    for (int mode : {0, 1, 2, 3, 4, 10, 11})
        for (int param : {0, 100, 255})
            for (const Named& p : primitives) {
                // Blending rounds differently on the two paths: the software path weighs by
                // alpha and strength, and multiplies, in separate truncating steps, so a
                // channel may be two steps off.
                const int step = 2;
                cases.push_back({"Mode" + std::to_string(mode) + "Param" + std::to_string(param) + p.name,
                                 [=] {
                                     DrawBackdrop();
                                     SetBlendMode(mode, param);
                                     DrawPrimitive(p.primitive);
                                     SetBlendMode(0, 0);
                                 },
                                 Match::BlendStep, 0, step});
            }
    return cases;
}

// A blend image of `width` x `height` made from a graphic's brightness: levels rising left to
// right, with a band of steps across, so that each weight shows.
int RampBlendImage(int width, int height)
{
    const int colour = CreateBlankGraphic(width, height);
    std::vector<uint32_t> pixels(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t level =
                y < height / 2 ? uint32_t(x * 255 / (width - 1)) : uint32_t((x / 16 * 37 + y) & 0xFF);
            pixels[size_t(y) * width + x] = 0xFF000000u | level << 16 | level << 8 | level;
        }
    ColorFormat format;
    MakeXrgb8Format(&format);
    const PixelImage image{reinterpret_cast<const uint8_t*>(pixels.data()), width * 4, width, height, &format};
    CopyImageToGraphic(colour, image, nullptr, PixelRect{0, 0, width, height}, 0, 0);
    const int levels = MakeBlendGraphic(colour);
    EXPECT_NE(levels, -1);
    DestroyGraphic(colour);
    return levels;
}

std::vector<DrawCase> BlendImageCases()
{
    struct Weighing {
        const char* name;
        int mode, param, border, range;
    };
    const Weighing weighings[] = {
        {"Copy", 0, 0, 0, 255},   {"CopyHardBorder", 0, 0, 128, 0}, {"AlphaBlend", 1, 200, 64, 128},
        {"Add", 2, 255, 100, 60}, {"Multiply", 4, 0, 30, 200},
    };
    std::vector<DrawCase> cases;
    for (const Weighing& w : weighings)
        cases.push_back({w.name,
                         [=] {
                             DrawBackdrop();
                             const int levels = RampBlendImage(400, 300);
                             const int part = CreateSubGraphic(40, 50, 360, 250, levels);
                             const int g = PatternGraphic(360, 240, 12);
                             SetBlendMode(w.mode, w.param);
                             EXPECT_EQ(SetBlendImage(levels, w.border, w.range), 0);
                             EXPECT_EQ(PutGraphic(20, 20, g, 0), 0);
                             EXPECT_EQ(PutGraphic(420, 20, g, 1), 0);
                             // A turned part is weighed by its place in the part.
                             const GraphicTransform t{20, 10, 300, 200, 600, 450, 150, 100, 1, 1, 180, 0};
                             EXPECT_EQ(PutGraphicTransformed(g, &t, 1), 0);
                             // A part of a blend image weighs with its own levels.
                             EXPECT_EQ(SetBlendImage(part, w.border, w.range), 0);
                             EXPECT_EQ(PutGraphic(20, 320, g, 0), 0);
                             // Too small for the graphic: refused on both paths.
                             const int large = PatternGraphic(400, 300);
                             EXPECT_EQ(PutGraphic(420, 320, large, 0), -1);
                             SetBlendImage(-1, 0, 0);
                             SetBlendMode(0, 0);
                             DestroyGraphic(large);
                             DestroyGraphic(part);
                             DestroyGraphic(levels);
                             DestroyGraphic(g);
                         },
                         // The software path weighs by w / 256 where the device takes w / 255.
                         Match::BlendStep, 0, 3});
    return cases;
}

constexpr int32_t kWedge[3][2] = {{60, 560}, {300, 520}, {200, 600}};

std::vector<DrawCase> StateCases()
{
    return {
        {"Brightness",
         [] {
             DrawBackdrop();
             SetDrawBrightness(255, 128, 0);
             DrawRect(50, 50, 750, 250, PackColor(200, 200, 200), 1);
             PutPattern(50, 300, 700, 200, 0);
             const int g = PatternGraphic(40, 24);
             const GraphicTransform t{0, 0, 0, 0, 400, 400, 20, 12, 3, 2, 90, FLIP_VERTICAL};
             PutGraphicTransformed(g, &t, 1);
             DestroyGraphic(g);
             DrawEllipse(650, 120, 80, 40, PackColor(200, 200, 200), 1);
             DrawPolygonShape(kWedge, 3, PackColor(250, 250, 250), 1);
             SetDrawBrightness(255, 255, 255);
         },
         Match::BlendStep},
        {"DrawArea",
         [] {
             SetDrawRegion(100, 100, 400, 300);
             DrawRect(0, 0, 800, 600, PackColor(90, 90, 255), 1);
             DrawSegment(0, 200, 800, 200, PackColor(255, 255, 255), 1);
             DrawRect(90, 90, 410, 310, PackColor(255, 0, 0), 0);
             PutPattern(350, 250, 100, 100, 0);
             SetDrawRegion(700, 500, 900, 700);
             DrawRect(0, 0, 800, 600, PackColor(0, 200, 0), 1);
             SetDrawRegion(50, 50, 50, 60);
             DrawRect(0, 0, 800, 600, PackColor(200, 0, 0), 1);
             SetDrawRegion(0, 0, kWidth, kHeight);
         }},
        {"DrawTargetGraphic",
         [] {
             const int target = CreateBlankGraphic(128, 96);
             SetDrawTarget(target);
             ClearScreen();
             DrawRect(8, 8, 120, 88, PackColor(255, 128, 64), 1);
             DrawSegment(0, 48, 128, 48, PackColor(255, 255, 255), 1);
             SetDrawTarget(-2);
             PutGraphic(100, 100, target, 0);
             PutGraphic(400, 100, target, 1);
             DestroyGraphic(target);
         }},
        {"DrawTargetSubGraphic",
         [] {
             // Drawing into a part of a graphic lands in that part, clipped to it, with the
             // draw area relative to it; the rest of the graphic keeps its paint.
             const int whole = CreateBlankGraphic(200, 150);
             PaintGraphic(whole, 40, 90, 200, 255);
             const int part = CreateSubGraphic(50, 30, 100, 80, whole);
             SetDrawTarget(part);
             ClearScreen();
             DrawRect(-10, 10, 60, 200, PackColor(255, 128, 64), 1);
             DrawSegment(0, 40, 300, 40, PackColor(255, 255, 255), 1);
             PutPattern(70, 50, 64, 64, 0);
             SetDrawRegion(20, 20, 40, 40);
             DrawRect(0, 0, 100, 80, PackColor(0, 255, 0), 1);
             SetDrawTarget(-2);
             PutGraphic(100, 100, whole, 0);
             DestroyGraphic(part);
             DestroyGraphic(whole);
         }},
    };
}

std::vector<DrawCase> GraphicCases()
{
    return {
        {"Plain",
         [] {
             DrawBackdrop();
             PutPattern(10, 10, 64, 64, 0);
             PutPattern(100, 30, 300, 200, 0);
             PutPattern(-20, 500, 90, 130, 0);
         }},
        {"Transparent",
         [] {
             DrawBackdrop();
             PutPattern(10, 10, 64, 64, 1);
             PutPattern(200, 200, 513, 257, 1);
         }},
        {"SubGraphic",
         [] {
             DrawBackdrop();
             const int g = PatternGraphic(200, 100);
             const int part = CreateSubGraphic(30, 20, 120, 60, g);
             PutGraphic(50, 50, part, 1);
             DestroyGraphic(part);
             DestroyGraphic(g);
         }},
        {"ManySmallTextures",
         [] {
             // Textures of at most 64 pixels a side: the graphics span several each.
             DrawBackdrop();
             TextureSettings.maxTextureSize = 64;
             const int g = PatternGraphic(200, 150);
             const int part = CreateSubGraphic(50, 40, 120, 100, g);
             TextureSettings.maxTextureSize = 0;
             PutGraphic(10, 10, g, 1);
             PutGraphic(300, 10, part, 0);
             const float corners[4][2] = {{390, 280}, {790, 280}, {790, 580}, {390, 580}};
             PutGraphicQuad(corners, g, 1);
             DestroyGraphic(part);
             DestroyGraphic(g);
         }},
        {"Painted",
         [] {
             const int g = CreateBlankGraphic(90, 70);
             PaintGraphic(g, 10, 200, 30, 255);
             PutGraphic(60, 60, g, 0);
             DestroyGraphic(g);
         }},
        // Pictures saved as PNG in memory and loaded back: a graphic, and a part of the screen
        // drawn again beside itself. The saved pixels are each path's own.
        {"SavedAndLoadedBack",
         [] {
             DrawBackdrop();
             const int g = PatternGraphic(64, 48, 8);
             std::vector<uint8_t> png(size_t(std::max(SaveGraphicToPngMemory(g, nullptr, 0), 0)));
             SaveGraphicToPngMemory(g, png.data(), int32_t(png.size()));
             const int fromGraphic = LoadGraphicFromMemory(png.data(), int32_t(png.size()));
             PutGraphic(40, 300, fromGraphic, 0);
             png.resize(size_t(std::max(SaveScreenToPngMemory(nullptr, 0), 0)));
             SaveScreenToPngMemory(png.data(), int32_t(png.size()));
             const int screen = LoadGraphicFromMemory(png.data(), int32_t(png.size()));
             const int part = CreateSubGraphic(0, 0, 200, 150, screen);
             PutGraphic(400, 300, part, 0);
             for (int handle : {part, screen, fromGraphic, g}) DestroyGraphic(handle);
         }},
        {"StretchedQuad",
         [] {
             DrawBackdrop();
             const int g = PatternGraphic(64, 64, 16);
             const float corners[4][2] = {{100, 100}, {356, 100}, {356, 356}, {100, 356}};
             PutGraphicQuad(corners, g, 0);
             DestroyGraphic(g);
         }},
        {"TurnedQuad",
         [] {
             DrawBackdrop();
             const int g = PatternGraphic(128, 64, 16);
             const float corners[4][2] = {{400, 100}, {700, 250}, {600, 450}, {300, 300}};
             PutGraphicQuad(corners, g, 1);
             DestroyGraphic(g);
         },
         Match::Raster, 2500},  // about 3 % of the quad, along the squares' edges
        // A graphic, a divided cell and a font kept across a switch to full screen and back,
        // drawn after it.
        {"KeptAcrossAModeChange",
         [] {
             SetKeepGraphicsAcrossModeChange(1);
             const int g = PatternGraphic(64, 48, 8);
             const int cell = CreateSubGraphic(16, 8, 32, 32, g);
             const int font = CreateFontToHandle(nullptr, 24, -1, FONT_EDGE, -1, 2, 0);
             ChangeWindowMode(0);
             ChangeWindowMode(1);
             SetWaitVsync(0);
             SetDrawTarget(-2);
             DrawBackdrop();
             PutGraphic(40, 300, g, 1);
             PutGraphic(200, 300, cell, 0);
             PrintTextWithFont(300, 100, "Kept", PackColor(255, 255, 0), font, PackColor(0, 0, 128));
             DestroyGraphic(cell);
             DestroyGraphic(g);
             ReleaseFontHandle(font);
             SetKeepGraphicsAcrossModeChange(0);
         }},
    };
}

std::vector<DrawCase> ShapeFormCases()
{
    const uint32_t c = PackColor(250, 180, 20);
    return {
        {"EveryForm", [=] { DrawShapeForms(c); }},
        {"RadiiZeroAndOne",
         [=] {
             for (int r = 0; r < 6; ++r) {
                 DrawCircleShape(40 + 40 * r, 40, r, c, 1);
                 DrawCircleShape(40 + 40 * r, 100, r, c, 0);
                 DrawEllipse(40 + 40 * r, 160, r, 5 - r, c, 0);
             }
             // Corners in a line, or all in one place: nothing inside, the outline a line.
             DrawTriangleShape(300, 300, 400, 400, 500, 500, c, 1);
             DrawTriangleShape(300, 320, 400, 420, 500, 520, c, 0);
             DrawTriangleShape(600, 300, 600, 300, 600, 300, c, 1);
         }},
        {"ClippedAtEveryEdge",
         [=] {
             DrawEllipse(0, 300, 60, 200, c, 1);
             DrawEllipse(kWidth, 300, 60, 200, c, 0);
             DrawCircleShape(400, 0, 90, c, 1);
             DrawCircleShape(400, kHeight - 1, 90, c, 0);
             const int32_t across[4][2] = {{-100, 200}, {900, 150}, {850, 700}, {-50, 650}};
             DrawPolygonShape(across, 4, PackColor(40, 90, 255), 0);
             const int32_t corner[3][2] = {{-300, -300}, {200, -10}, {-10, 150}};
             DrawPolygonShape(corner, 3, c, 1);
             DrawPoint(-1, 10, c);
             DrawPoint(kWidth, 10, c);
             DrawPoint(kWidth - 1, kHeight - 1, c);
             SetDrawRegion(200, 200, 500, 400);
             DrawCircleShape(350, 300, 150, PackColor(0, 200, 90), 1);
             DrawTriangleShape(100, 250, 600, 200, 300, 700, c, 1);
             DrawEllipse(200, 200, 80, 50, PackColor(255, 0, 255), 0);
         }},
        // Far-away corners and the largest radius cost what their part inside the area costs.
        {"Huge",
         [=] {
             DrawCircleShape(400, 1000300, 1000000, c, 0);
             const int32_t far[3][2] = {{-100000000, -100000000}, {100000000, 0}, {0, 100000000}};
             DrawPolygonShape(far, 3, PackColor(40, 90, 255), 1);
         }},
    };
}

std::vector<DrawCase> SpriteCases()
{
    struct Kind {
        GraphicKind kind;
        const char* name;
        Match match;
    };
    // A graphic with alpha blends by its alpha, which the paths round differently.
    const Kind kinds[] = {{GraphicKind::Opaque, "Opaque", Match::Exact},
                          {GraphicKind::Alpha, "Alpha", Match::BlendStep},
                          {GraphicKind::ColourKeyed, "ColourKeyed", Match::Exact}};
    std::vector<DrawCase> cases;
    for (const Kind& k : kinds) {
        // Every right angle with every flip, whole and a part, at whole and doubled size.
        cases.push_back(
            {std::string("RightAngles") + k.name,
             [=] {
                 DrawBackdrop();
                 const int g = GraphicOfKind(k.kind, 48, 28);
                 for (int turn = 0; turn < 4; ++turn)
                     for (int flip = 0; flip < 4; ++flip) {
                         const float x = 60.0f + 190.0f * float(flip), y = 60.0f + 135.0f * float(turn);
                         const GraphicTransform whole{0, 0, 0, 0, x, y, 24, 14, 1, 1, float(90 * turn), flip};
                         EXPECT_EQ(PutGraphicTransformed(g, &whole, 1), 0);
                         // The angle below zero and past a full turn.
                         const GraphicTransform part{4,   2, 40, 24, x + 90, y, 10, 7, 2, 1, float(90 * turn - 720),
                                                     flip};
                         EXPECT_EQ(PutGraphicTransformed(g, &part, 0), 0);
                     }
                 DestroyGraphic(g);
             },
             k.match, 0, 2});
        cases.push_back({std::string("PartsAndStretches") + k.name,
                         [=] {
                             DrawBackdrop();
                             const int g = GraphicOfKind(k.kind, 96, 64);
                             for (int i = 0; i < 6; ++i)
                                 EXPECT_EQ(PutGraphicPart(20 + 70 * i, 20, i % 3 * 32, i / 3 * 32, 32, 32, g, i % 2),
                                           0);
                             EXPECT_EQ(PutGraphicStretched(20, 100, 20 + 288, 100 + 192, g, 1), 0);
                             EXPECT_EQ(PutGraphicStretched(700, 100, 508, 228, g, 1), 0);  // mirrored
                             EXPECT_EQ(PutGraphicStretched(400, 580, 592, 452, g, 0), 0);  // upside down
                             EXPECT_EQ(PutGraphicTurned(200, 450, 2, 270, g, 1, FLIP_HORIZONTAL), 0);
                             DestroyGraphic(g);
                         },
                         k.match, 0, 2});
    }
    cases.push_back(
        {"ClippedAtEveryEdge", [] {
             DrawBackdrop();
             const int g = PatternGraphic(60, 36);
             const float places[][2] = {{0, 300}, {kWidth, 300}, {400, 0}, {400, kHeight}, {0, 0}, {kWidth, kHeight}};
             for (int i = 0; i < 6; ++i) PutGraphicTurned(places[i][0], places[i][1], 3, float(90 * i), g, 1, i % 4);
             SetDrawRegion(500, 100, 700, 250);
             PutGraphicTurned(600, 175, 4, 90, g, 0, 0);
             SetDrawRegion(0, 0, kWidth, kHeight);
             DestroyGraphic(g);
         }});
    cases.push_back({"IntoGraphicTarget", [] {
                         const int target = CreateBlankGraphic(160, 120);
                         const int g = PatternGraphic(40, 30);
                         SetDrawTarget(target);
                         ClearScreen();
                         PutGraphicTurned(80, 60, 2, 90, g, 1, FLIP_VERTICAL);
                         PutGraphicTurned(0, 0, 1, 180, g, 0, 0);
                         SetDrawTarget(-2);
                         PutGraphic(100, 100, target, 0);
                         PutGraphicTurned(500, 300, 2, 270, target, 0, 0);
                         DestroyGraphic(g);
                         DestroyGraphic(target);
                     }});
    // Cells of one sheet, loaded divided, drawn turned and mirrored one after another.
    cases.push_back(
        {"SheetCells", [] {
             DrawBackdrop();
             const int sheet = PatternGraphic(128, 64, 8);
             std::vector<uint8_t> png(size_t(std::max(SaveGraphicToPngMemory(sheet, nullptr, 0), 0)));
             SaveGraphicToPngMemory(sheet, png.data(), int32_t(png.size()));
             int cells[8];
             ASSERT_EQ(LoadDividedGraphicFromMemory(png.data(), int32_t(png.size()), 8, 4, 2, 32, 32, cells), 0);
             for (int i = 0; i < 64; ++i)
                 PutGraphicTurned(40.0f + 90.0f * float(i % 8), 40.0f + 70.0f * float(i / 8), 1 + i % 2,
                                  float(90 * (i % 4)), cells[i % 8], 1, i % 4);
             for (int cell : cells) DestroyGraphic(cell);
             DestroyGraphic(sheet);
         }});
    // Other angles and scales: the rasterisers may pick other texels along edges and texel
    // borders.
    cases.push_back({"FreeAngles",
                     [] {
                         DrawBackdrop();
                         const int g = PatternGraphic(96, 64, 16);
                         const float angles[] = {15, 30, 45, 133, 200, 333};
                         for (int i = 0; i < 6; ++i)
                             PutGraphicTurned(140.0f + 260.0f * float(i % 3), 150.0f + 280.0f * float(i / 3),
                                              1.3f + 0.2f * float(i), angles[i], g, 1, i % 4);
                         PutGraphicStretched(10, 10, 107, 41, g, 0);  // shrunk, 97 / 96 and 31 / 64
                         DestroyGraphic(g);
                     },
                     Match::Raster, 900});  // 1 % of the sprites' pixels; about 100 differ under llvmpipe
    // Mixed texels: scaled at whole positions from power-of-two graphics, so both paths mix the
    // same four texels; the paths weigh them with their own rounding.
    cases.push_back({"Smooth",
                     [] {
                         DrawBackdrop();
                         SetSmoothScaling(1);
                         const int opaque = PatternGraphic(64, 64, 16, false);
                         const int alpha = AlphaGraphic(64, 32);
                         const int keyed = PatternGraphic(32, 32);
                         PutGraphicStretched(20, 20, 212, 212, opaque, 0);
                         const GraphicTransform wide{0, 0, 0, 0, 260, 20, 0, 0, 2.5f, 1.5f, 0, 0};
                         PutGraphicTransformed(alpha, &wide, 1);
                         PutGraphicTurned(600, 400, 4, 90, keyed, 1, 0);  // the key keeps the nearest texel
                         SetSmoothScaling(0);
                         for (int handle : {opaque, alpha, keyed}) DestroyGraphic(handle);
                     },
                     Match::BlendStep, 0, 3});  // 8-bit weights rounded in other steps
    return cases;
}

std::vector<DrawCase> TextCases()
{
    return {
        {"Normal", [] { DrawWithFont(FONT_NORMAL, -1); }},
        {"Edged", [] { DrawWithFont(FONT_EDGE, 2); }},
        {"AntiAliased",
         [] {
             DrawBackdrop();
             DrawWithFont(FONT_ANTIALIAS, -1);
         },
         Match::BlendStep},
        // The device lays each glyph over its edge where the software path mixes the two in
        // one step, so partly covered pixels may differ by up to 17.
        {"AntiAliasedEdged",
         [] {
             DrawBackdrop();
             DrawWithFont(FONT_ANTIALIAS | FONT_EDGE, 1);
         },
         Match::BlendStep, 0, 17},
        {"CacheSplitIntoTextures",
         [] {
             // Textures of at most 128 pixels a side split each font's cache into many, and
             // glyph cells straddle the seams between them.
             TextureSettings.maxTextureSize = 128;
             DrawWithFont(FONT_NORMAL, -1);
             DrawWithFont(FONT_EDGE, 2);
             TextureSettings.maxTextureSize = 0;
         }},
        {"DefaultFontBlended",
         [] {
             DrawBackdrop();
             SetBlendMode(1, 128);
             PrintText(30, 300, "半透明の文字 Half", PackColor(255, 255, 255));
             SetBlendMode(0, 0);
         },
         Match::BlendStep},
        // UTF-8 texts by code point: accents, Greek, Cyrillic, Korean, Japanese and symbols, a
        // broken sequence, and lines centred by their measured widths.
        {"Utf8Lines",
         [] {
             SetUseUtf8Texts(1);
             const int font = CreateFontToHandle(nullptr, 22, -1, FONT_EDGE, -1, 2, 0);
             const char* lines[] = {
                 reinterpret_cast<const char*>(u8"café Übung ©®±§ Ωλπ Привет"),
                 reinterpret_cast<const char*>(u8"한국어 日本語 ★♪→€"),
                 "broken \xE3\x81 end \xFF",
             };
             for (int i = 0; i < 3; ++i) {
                 int width = 0;
                 GetTextWidth(lines[i], font, &width);
                 PrintTextWithFont((kWidth - width) / 2, 40 + 50 * i, lines[i], PackColor(255, 255, 0), font,
                                   PackColor(0, 0, 160));
                 PrintText(20, 250 + 30 * i, lines[i], PackColor(255, 255, 255));
             }
             ReleaseFontHandle(font);
             SetUseUtf8Texts(0);
         }},
        // Kerned pairs of a face with a kerning table, plain and edged, above the same lines
        // unkerned, each centred by its measured width.
        {"KernedLines",
         [] {
             SetUseUtf8Texts(1);
             const char* line = reinterpret_cast<const char*>(u8"AVATAR Tó WÄVE Yö 'LT' ΑΥ");
             for (int type : {FONT_NORMAL, FONT_EDGE}) {
                 const int font = CreateFontToHandle("DejaVu Sans", 30, -1, type, -1, type ? 2 : -1, 0);
                 for (int kerning : {0, 1}) {
                     SetFontKerningOfHandle(kerning, font);
                     int width = 0;
                     GetTextWidth(line, font, &width);
                     PrintTextWithFont((kWidth - width) / 2, 40 + 50 * (2 * type + kerning), line,
                                       PackColor(255, 255, 0), font, PackColor(0, 0, 160));
                 }
                 ReleaseFontHandle(font);
             }
             SetUseUtf8Texts(0);
         }},
        // Input lines: an active one with its caret inside the text and a composition there
        // (its converted clause thick), an idle one, a hidden one, in a font and the default; the
        // anti-aliased glyphs blend one step apart on the two paths.
        {"InputLines",
         [] {
             SetUseUtf8Texts(1);
             const int font = CreateFontToHandle(nullptr, 24, -1, FONT_ANTIALIAS, -1, -1, 0);
             const int active = CreateInputLine(30, 0), idle = CreateInputLine(30, 0),
                       hidden = CreateInputLine(30, INPUT_LINE_HIDDEN);
             SetInputLineText(active, reinterpret_cast<const char*>(u8"名前: Ada"));
             SetInputLineText(idle, reinterpret_cast<const char*>(u8"café 日本"));
             SetInputLineText(hidden, "secret");
             SetActiveInputLine(active);
             PushSyntheticKey(CoreState.MainWindow, KEYCODE_LEFT, 1);
             PushSyntheticKey(CoreState.MainWindow, KEYCODE_LEFT, 0);
             PushSyntheticComposition(CoreState.MainWindow, reinterpret_cast<const char*>(u8"にほんご"), 2, 2);
             PumpMessages();
             DrawInputLine(active, 30, 40, PackColor(255, 255, 0), font);
             DrawInputLine(idle, 30, 100, PackColor(255, 255, 255), font);
             DrawInputLine(hidden, 30, 160, PackColor(0, 255, 255), -1);
             SetActiveInputLine(-1);
             ReleaseInputLine(active);
             ReleaseInputLine(idle);
             ReleaseInputLine(hidden);
             ReleaseFontHandle(font);
             SetUseUtf8Texts(0);
         },
         Match::BlendStep},
    };
}

// A movie's frame, converted by each path (the software path in fixed point, the device
// path in its shader; blending rounds a step apart), drawn plain, blended and stretched.
std::vector<DrawCase> MovieCases()
{
    const auto drawMovie = [](int blendMode) {
        DrawBackdrop();
        std::ofstream("paths_movie.ogv", std::ios::binary) << TheoraMovie({.width = 160, .height = 96, .frames = 8});
        const int movie = LoadMovieGraphic("paths_movie.ogv");
        SeekMovie(movie, 500);
        PutGraphic(20, 20, movie, 0);
        SetBlendMode(blendMode, 160);
        PutGraphic(300, 200, movie, 0);
        PutGraphicStretched(100, 300, 420, 492, movie, 0);
        SetBlendMode(BLEND_NONE, 0);
        DestroyGraphic(movie);
    };
    return {
        {"MoviePlain", [=] { drawMovie(BLEND_NONE); }, Match::BlendStep, 0, 1},
        {"MovieBlended", [=] { drawMovie(BLEND_ALPHA); }, Match::BlendStep, 0, 1},
        {"MovieAdded", [=] { drawMovie(BLEND_ADD); }, Match::BlendStep, 0, 1},
    };
}

std::vector<DrawCase> GameCases()
{
    return {
        {"FieldWithHover",
         [] {
             SeedRandom(20261210u);
             GenerateCountries();
             BuildNeighbourTable();
             Game.white = PackColor(255, 255, 255);
             Game.mouseX = 16 + 5 * kCellSize + 20;
             Game.mouseY = 16 + 3 * kCellSize + 20;
             Game.hover = HoverCellAt(Game.mouseX, Game.mouseY);
             DrawField();
         }},
    };
}

class PathsMatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X server";
        std::random_device random;
        folder = std::filesystem::temp_directory_path() / ("ror_paths_" + std::to_string(random()));
        std::filesystem::create_directories(folder);
        output = std::filesystem::current_path();
        std::filesystem::current_path(folder);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        const char* accept = std::getenv("ROR_ACCEPT_CPU_GL");
        savedAccept = accept != nullptr ? accept : "";
        hadAccept = accept != nullptr;
    }

    void TearDown() override
    {
        if (folder.empty()) return;
        EndMediaLayer();
        SetUseHardware(1);
        if (hadAccept)
            setenv("ROR_ACCEPT_CPU_GL", savedAccept.c_str(), 1);
        else
            unsetenv("ROR_ACCEPT_CPU_GL");
        std::filesystem::current_path(output);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // Draws every case on one path; false when that path could not be opened.
    bool DrawOnPath(bool device, const std::vector<DrawCase>& cases, std::vector<Picture>* pictures)
    {
        if (device) setenv("ROR_ACCEPT_CPU_GL", "1", 1);
        SetUseHardware(device ? 1 : 0);
        SetWindowTitle(device ? "paths match: device" : "paths match: software");
        SetLogEnabled(0);
        ChangeWindowMode(1);
        SetScreenMode(kWidth, kHeight, 32, 60);
        if (InitMediaLayer() != 0) return false;
        if (HardwarePathInUse() != (device ? 1 : 0)) {
            EndMediaLayer();
            return false;
        }
        SetWaitVsync(0);
        for (const DrawCase& c : cases) {
            SetDrawTarget(-2);
            SetDrawRegion(0, 0, kWidth, kHeight);
            SetBlendMode(0, 0);
            SetDrawBrightness(255, 255, 255);
            ClearScreen();
            c.draw();
            Picture picture{kWidth, kHeight, std::vector<uint32_t>(size_t(kWidth) * kHeight)};
            EXPECT_EQ(ReadScreenPixels(picture.pixels.data()), 0) << c.name;
            PresentScreen();
            pictures->push_back(std::move(picture));
        }
        EndMediaLayer();
        return true;
    }

    void RunCases(const char* group, const std::vector<DrawCase>& cases)
    {
        std::vector<Picture> reference, device;
        ASSERT_TRUE(DrawOnPath(false, cases, &reference)) << "the software path did not start";
        if (!DrawOnPath(true, cases, &device))
            GTEST_SKIP() << "no device path on this display (no GL that can be used)";
        ASSERT_EQ(device.size(), cases.size());
        for (size_t i = 0; i < cases.size(); ++i) {
            const DrawCase& c = cases[i];
            const int allowedStep = c.match == Match::BlendStep ? c.allowedStep : 0;
            const int allowedPixels = c.match == Match::Raster ? c.allowedPixels : 0;
            const PictureDifference d = ComparePictures(reference[i], device[i], allowedStep);
            if (d.differing <= allowedPixels) continue;
            const std::string stem = (output / ("paths_" + std::string(group) + "_" + c.name)).string();
            WritePicturePng(stem + "_software.png", reference[i]);
            WritePicturePng(stem + "_device.png", device[i]);
            WritePicturePng(stem + "_difference.png", DifferencePicture(reference[i], device[i], allowedStep));
            ADD_FAILURE() << group << "." << c.name << ": " << d.differing << " pixels differ (" << allowedPixels
                          << " allowed), largest channel step " << d.largestStep << ", first at (" << d.firstX << ", "
                          << d.firstY << "); pictures in " << stem << "_*.png";
        }
    }

    std::filesystem::path folder, output;
    std::string savedAccept;
    bool hadAccept = false;
};

TEST_F(PathsMatchTest, Shapes) { RunCases("Shapes", ShapeCases()); }
TEST_F(PathsMatchTest, BlendModes) { RunCases("BlendModes", BlendCases()); }
TEST_F(PathsMatchTest, BlendMatrix) { RunCases("BlendMatrix", BlendMatrixCases()); }
TEST_F(PathsMatchTest, BlendImages) { RunCases("BlendImages", BlendImageCases()); }
TEST_F(PathsMatchTest, DrawState) { RunCases("DrawState", StateCases()); }
TEST_F(PathsMatchTest, Graphics) { RunCases("Graphics", GraphicCases()); }
TEST_F(PathsMatchTest, ShapeForms) { RunCases("ShapeForms", ShapeFormCases()); }
TEST_F(PathsMatchTest, Sprites) { RunCases("Sprites", SpriteCases()); }
TEST_F(PathsMatchTest, Text) { RunCases("Text", TextCases()); }
TEST_F(PathsMatchTest, GameFrame) { RunCases("GameFrame", GameCases()); }
TEST_F(PathsMatchTest, Movies) { RunCases("Movies", MovieCases()); }

}  // namespace
