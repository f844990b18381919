// Sprites drawn turned, mirrored, scaled and from parts, the shapes and the pixel reads, on both
// drawing paths: where each texel and pixel lands by the documented rules, what is refused,
// and how the device batches cells of one sheet.
#include "both_paths_fixture.h"
#include "graphics/color_format.h"
#include "graphics/device/vertex_batch.h"
#include "graphics/graphics.h"

#include <array>
#include <cmath>
#include <functional>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

using SpriteShapesTest = BothPathsTest;

constexpr int kScreenWidth = 640, kScreenHeight = 480;

// A graphic whose every texel has its own colour: red 40 + 50 u, green 40 + 60 v, blue 200.
uint32_t TexelColour(int u, int v)
{
    return 0xFF000000u | uint32_t(40 + 50 * u) << 16 | uint32_t(40 + 60 * v) << 8 | 200;
}

int TexelGraphic(int width, int height)
{
    const int handle = CreateBlankGraphic(width, height);
    std::vector<uint32_t> pixels(size_t(width) * height);
    for (int v = 0; v < height; ++v)
        for (int u = 0; u < width; ++u) pixels[size_t(v) * width + u] = TexelColour(u, v);
    ror::ColorFormat format;
    ror::MakeXrgb8Format(&format);
    const ror::PixelImage image{reinterpret_cast<const uint8_t*>(pixels.data()), width * 4, width, height, &format};
    EXPECT_EQ(ror::CopyImageToGraphic(handle, image, nullptr, ror::PixelRect{0, 0, width, height}, 0, 0), 0);
    return handle;
}

std::vector<uint32_t> Screen()
{
    std::vector<uint32_t> pixels(size_t(kScreenWidth) * kScreenHeight);
    EXPECT_EQ(ror::ReadScreenPixels(pixels.data()), 0);
    for (uint32_t& p : pixels) p |= 0xFF000000u;
    return pixels;
}

// Each texel of a 3 x 2 graphic, pivot at its top-left corner put on (100, 100), lands on the
// block its corners reach when mirrored, scaled and turned clockwise; nothing else is drawn.
TEST_P(SpriteShapesTest, RightAnglesAndFlipsPutEachTexelOnItsBlock)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const int g = TexelGraphic(3, 2);
    struct Case {
        int angle, flip, scale;
    } cases[] = {{0, 0, 1}, {90, 0, 1}, {180, 0, 1}, {270, 0, 1}, {-90, 0, 1}, {450, 0, 1},
                 {0, 1, 1}, {0, 2, 1},  {90, 1, 2},  {180, 3, 2}, {270, 2, 3}, {90, 3, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "angle " << c.angle << " flip " << c.flip << " scale " << c.scale);
        ClearScreen();
        const GraphicTransform t{0, 0, 0, 0, 100, 100, 0, 0, float(c.scale), float(c.scale), float(c.angle), c.flip};
        ASSERT_EQ(PutGraphicTransformed(g, &t, 0), 0);
        const std::vector<uint32_t> screen = Screen();
        std::vector<uint32_t> expected(screen.size(), 0xFF000000u);
        const int turns = ((c.angle / 90) % 4 + 4) % 4;
        for (int v = 0; v < 2; ++v)
            for (int u = 0; u < 3; ++u) {
                const int mu = c.flip & FLIP_HORIZONTAL ? 2 - u : u, mv = c.flip & FLIP_VERTICAL ? 1 - v : v;
                // The texel's block before turning, then turned a quarter at a time: (a, b) -> (-b, a).
                int x0 = mu * c.scale, y0 = mv * c.scale, x1 = x0 + c.scale, y1 = y0 + c.scale;
                for (int k = 0; k < turns; ++k) {
                    const int nx0 = -y1, nx1 = -y0;
                    y0 = x0, y1 = x1, x0 = nx0, x1 = nx1;
                }
                for (int y = y0; y < y1; ++y)
                    for (int x = x0; x < x1; ++x)
                        expected[size_t(100 + y) * kScreenWidth + 100 + x] = TexelColour(u, v);
            }
        int wrong = 0;
        for (size_t i = 0; i < screen.size(); ++i) wrong += screen[i] != expected[i];
        EXPECT_EQ(wrong, 0);
    }
    // The single-pixel read agrees with the whole screen's.
    int red = -1, green = -1, blue = -1;
    ASSERT_EQ(ReadScreenPixel(97, 101, &red, &green, &blue), 0);  // the last case: texel (1, 1)
    const uint32_t want = Screen()[size_t(101) * kScreenWidth + 97];
    EXPECT_EQ((uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue)), want & 0xFFFFFF);
    DestroyGraphic(g);
}

// The short forms place the same texels as the transform they stand for.
TEST_P(SpriteShapesTest, ShortFormsMatchTheGeneralDraw)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const int g = TexelGraphic(4, 3);
    struct Case {
        const char* what;
        std::function<int()> shortForm;
        GraphicTransform general;
    } cases[] = {
        {"part", [&] { return PutGraphicPart(50, 60, 1, 1, 2, 2, g, 0); }, {1, 1, 2, 2, 50, 60, 0, 0, 1, 1, 0, 0}},
        {"stretched",
         [&] { return PutGraphicStretched(50, 60, 58, 69, g, 0); },
         {0, 0, 0, 0, 50, 60, 0, 0, 2, 3, 0, 0}},
        {"stretched, mirrored both ways",
         [&] { return PutGraphicStretched(58, 69, 50, 60, g, 0); },
         {0, 0, 0, 0, 50, 60, 0, 0, 2, 3, 0, FLIP_HORIZONTAL | FLIP_VERTICAL}},
        {"turned about the centre",
         [&] { return PutGraphicTurned(80, 80, 2, 90, g, 0, FLIP_VERTICAL); },
         {0, 0, 0, 0, 80, 80, 2, 1.5f, 2, 2, 90, FLIP_VERTICAL}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearScreen();
        ASSERT_EQ(c.shortForm(), 0);
        const std::vector<uint32_t> shortForm = Screen();
        ClearScreen();
        ASSERT_EQ(PutGraphicTransformed(g, &c.general, 0), 0);
        EXPECT_TRUE(Screen() == shortForm);
        int drawn = 0;
        for (uint32_t p : shortForm) drawn += p != 0xFF000000u;
        EXPECT_GT(drawn, 0);
    }
    DestroyGraphic(g);
}

// Every pixel of an ellipse or a filled polygon is drawn once: added at 10 on black, each
// reads 10, and the pixels are exactly those the documented rules choose.
TEST_P(SpriteShapesTest, ShapesDrawThePixelsOfTheirRuleOnce)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    SetBlendMode(BLEND_ADD, 255);
    const uint32_t step = PackColor(10, 10, 10);
    auto check = [&](const std::function<bool(int, int)>& inside) {
        const std::vector<uint32_t> screen = Screen();
        int wrong = 0;
        for (int y = 0; y < kScreenHeight; ++y)
            for (int x = 0; x < kScreenWidth; ++x)
                wrong += (screen[size_t(y) * kScreenWidth + x] & 0xFFFFFF) != (inside(x, y) ? 0x0A0A0Au : 0u);
        EXPECT_EQ(wrong, 0);
    };
    struct Ellipse {
        int cx, cy, rx, ry, filled;
    } ellipses[] = {{100, 100, 0, 0, 1},  {100, 100, 1, 1, 1},   {300, 200, 57, 23, 1}, {300, 200, 57, 23, 0},
                    {320, 240, 5, 90, 0}, {630, 470, 40, 30, 1}, {5, 240, 120, 120, 0}};
    for (const Ellipse& e : ellipses) {
        SCOPED_TRACE(testing::Message() << "ellipse " << e.cx << ", " << e.cy << " radii " << e.rx << ", " << e.ry
                                        << (e.filled ? " filled" : " outline"));
        ClearScreen();
        ASSERT_EQ(DrawEllipse(e.cx, e.cy, e.rx, e.ry, step, e.filled), 0);
        auto in = [&](int x, int y) {
            const double dx = (x - e.cx) / (e.rx + 0.5), dy = (y - e.cy) / (e.ry + 0.5);
            return dx * dx + dy * dy < 1;
        };
        check([&](int x, int y) {
            return in(x, y) && (e.filled || !in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1));
        });
    }
    struct Polygon {
        const char* what;
        std::vector<std::array<int32_t, 2>> corners;
    } polygons[] = {
        {"triangle", {{{10, 10}, {200, 60}, {60, 300}}}},
        {"concave arrow", {{{300, 100}, {500, 200}, {300, 300}, {340, 210}, {250, 210}, {250, 190}, {340, 190}}}},
        {"self-crossing star", {{{400, 20}, {460, 200}, {310, 90}, {490, 90}, {340, 200}}}},
        {"past the edges", {{{-50, -40}, {700, 30}, {600, 520}}}},
    };
    for (const Polygon& p : polygons) {
        SCOPED_TRACE(p.what);
        ClearScreen();
        ASSERT_EQ(DrawPolygonShape(reinterpret_cast<const int32_t(*)[2]>(p.corners.data()), int(p.corners.size()), step,
                                   1),
                  0);
        // Even-odd: a ray to the right of the pixel's centre crosses the edges an odd number of times.
        check([&](int x, int y) {
            const double px = x + 0.5, py = y + 0.5;
            bool odd = false;
            for (size_t i = 0, j = p.corners.size() - 1; i < p.corners.size(); j = i++) {
                const double xi = p.corners[i][0], yi = p.corners[i][1], xj = p.corners[j][0], yj = p.corners[j][1];
                if ((yi > py) != (yj > py) && px < xi + (py - yi) * (xj - xi) / (yj - yi)) odd = !odd;
            }
            return odd;
        });
    }
    SetBlendMode(BLEND_NONE, 0);
}

TEST_P(SpriteShapesTest, PixelReadsGiveTheColoursDrawn)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    ClearScreen();
    DrawPoint(639, 479, PackColor(12, 34, 56));
    DrawPoint(640, 479, PackColor(255, 255, 255));  // outside: nothing
    int r = -1, g = -1, b = -1, a = -1;
    ASSERT_EQ(ReadScreenPixel(639, 479, &r, &g, &b), 0);
    EXPECT_EQ((std::array{r, g, b}), (std::array{12, 34, 56}));
    EXPECT_EQ(ReadScreenPixel(0, 0, nullptr, nullptr, nullptr), 0);

    // A graphic drawn into, one painted with alpha, and a part of one.
    const int target = CreateBlankGraphic(20, 10);
    SetDrawTarget(target);
    DrawPoint(19, 9, PackColor(200, 100, 50));
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);
    ASSERT_EQ(ReadGraphicPixel(target, 19, 9, &r, &g, &b, &a), 0);
    EXPECT_EQ((std::array{r, g, b, a}), (std::array{200, 100, 50, 255}));
    const int part = CreateSubGraphic(10, 5, 10, 5, target);
    ASSERT_EQ(ReadGraphicPixel(part, 9, 4, &r, &g, &b, nullptr), 0);
    EXPECT_EQ((std::array{r, g, b}), (std::array{200, 100, 50}));
    const int texels = TexelGraphic(3, 2);
    ASSERT_EQ(ReadGraphicPixel(texels, 2, 1, &r, &g, &b, &a), 0);
    EXPECT_EQ((std::array{r, g, b, a}), (std::array{140, 100, 200, 255}));

    // Refused, with nothing written.
    const int blend = CreateBlendGraphic(4, 4);
    const struct {
        const char* what;
        int handle, x, y;
    } refused[] = {{"left of it", target, -1, 0},
                   {"below it", target, 0, 10},
                   {"past a part", part, 10, 0},
                   {"blend image", blend, 0, 0},
                   {"no graphic", 0, 0, 0}};
    for (const auto& c : refused) {
        r = g = b = a = -7;
        EXPECT_EQ(ReadGraphicPixel(c.handle, c.x, c.y, &r, &g, &b, &a), -1) << c.what;
        EXPECT_EQ((std::array{r, g, b, a}), (std::array{-7, -7, -7, -7})) << c.what;
    }
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {640, 0}, {0, 480}}) {
        r = -7;
        EXPECT_EQ(ReadScreenPixel(x, y, &r, nullptr, nullptr), -1);
        EXPECT_EQ(r, -7);
    }
    for (int handle : {part, target, texels, blend}) DestroyGraphic(handle);
}

TEST_P(SpriteShapesTest, RefusedArguments)
{
    const int32_t triangle[3][2] = {{0, 0}, {10, 0}, {0, 10}};
    const GraphicTransform plain{0, 0, 0, 0, 10, 10, 0, 0, 1, 1, 0, 0};
    // Before start-up nothing draws: the graphic draws refuse, the shapes are done.
    EXPECT_EQ(PutGraphicTransformed(1, &plain, 0), -1);
    EXPECT_EQ(ReadScreenPixel(0, 0, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(DrawEllipse(10, 10, 5, 5, 0, 1), 0);
    EXPECT_EQ(DrawPolygonShape(triangle, 3, 0, 1), 0);
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const int g = TexelGraphic(8, 6);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* what;
        GraphicTransform t;
        int result;
    } transforms[] = {
        {"whole", plain, 0},
        {"part at the far corner", {6, 4, 2, 2, 10, 10, 0, 0, 1, 1, 0, 0}, 0},
        {"scale 0 draws nothing", {0, 0, 0, 0, 10, 10, 0, 0, 0, 1, 0, 0}, 0},
        {"pivot far outside", {0, 0, 0, 0, 10, 10, -5000, 1e6f, 1, 1, 0, 0}, 0},
        {"part past the right", {4, 0, 5, 2, 10, 10, 0, 0, 1, 1, 0, 0}, -1},
        {"part above the top", {0, -1, 2, 2, 10, 10, 0, 0, 1, 1, 0, 0}, -1},
        {"part of negative width", {2, 2, -1, 2, 10, 10, 0, 0, 1, 1, 0, 0}, -1},
        {"negative scale", {0, 0, 0, 0, 10, 10, 0, 0, -1, 1, 0, 0}, -1},
        {"scale too large", {0, 0, 0, 0, 10, 10, 0, 0, 1, 10001, 0, 0}, -1},
        {"angle not a number", {0, 0, 0, 0, 10, 10, 0, 0, 1, 1, nan, 0}, -1},
        {"infinite position", {0, 0, 0, 0, inf, 10, 0, 0, 1, 1, 0, 0}, -1},
        {"position beyond 10^8", {0, 0, 0, 0, 10, 2e8f, 0, 0, 1, 1, 0, 0}, -1},
    };
    for (const auto& c : transforms) EXPECT_EQ(PutGraphicTransformed(g, &c.t, 1), c.result) << c.what;
    EXPECT_EQ(PutGraphicTransformed(g, nullptr, 0), -1);
    EXPECT_EQ(PutGraphicTransformed(0, &plain, 0), -1);
    EXPECT_EQ(PutGraphicPart(0, 0, 0, 0, 0, 3, g, 0), -1);
    EXPECT_EQ(PutGraphicPart(0, 0, 7, 0, 2, 3, g, 0), -1);
    EXPECT_EQ(PutGraphicStretched(0, 0, 10, 10, -1, 0), -1);
    EXPECT_EQ(PutGraphicStretched(5, 5, 5, 50, g, 0), 0);  // empty
    EXPECT_EQ(PutGraphicTurned(10, 10, -2, 0, g, 0, 0), -1);

    // A blend image is never drawn itself, and must cover the part drawn, not the graphic.
    const int blend = CreateBlendGraphic(4, 4);
    EXPECT_EQ(PutGraphicTurned(10, 10, 1, 0, blend, 0, 0), -1);
    ASSERT_EQ(SetBlendImage(blend, 0, 255), 0);
    EXPECT_EQ(PutGraphicPart(0, 0, 2, 2, 4, 4, g, 0), 0);
    EXPECT_EQ(PutGraphicPart(0, 0, 2, 2, 5, 4, g, 0), -1);
    EXPECT_EQ(PutGraphicTurned(10, 10, 1, 0, g, 0, 0), -1);
    SetBlendImage(-1, 0, 0);

    const struct {
        const char* what;
        int rx, ry, result;
    } radii[] = {{"none", 0, 0, 0},
                 {"largest", 1000000, 1000000, 0},
                 {"negative", -1, 3, -1},
                 {"too large", 3, 1000001, -1}};
    for (const auto& c : radii)
        EXPECT_EQ(DrawEllipse(100, 100, c.rx, c.ry, PackColor(255, 0, 0), 0), c.result) << c.what;
    EXPECT_EQ(DrawCircleShape(100, 100, -2, 0, 1), -1);
    const int32_t far[3][2] = {{0, 0}, {100000001, 0}, {0, 10}};
    EXPECT_EQ(DrawPolygonShape(nullptr, 3, 0, 1), -1);
    EXPECT_EQ(DrawPolygonShape(triangle, 2, 0, 1), -1);
    EXPECT_EQ(DrawPolygonShape(far, 3, 0, 0), -1);
    for (int handle : {g, blend}) DestroyGraphic(handle);
}

// Cells of one sheet share its textures, so the device draws a run of them, turned, mirrored
// and scaled, in one batch; cells of two sheets in turn need a draw each.
TEST_P(SpriteShapesTest, CellsOfOneSheetDrawInOneBatch)
{
    if (!GetParam()) GTEST_SKIP() << "the vertex batch is the device path's";
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const int sheet = TexelGraphic(8, 6), other = TexelGraphic(8, 6);
    std::vector<int> cells, otherCells;
    for (int i = 0; i < 4; ++i) {
        cells.push_back(CreateSubGraphic(i * 2, 0, 2, 3, sheet));
        otherCells.push_back(CreateSubGraphic(i * 2, 3, 2, 3, other));
    }
    ror::FlushBatch();
    int64_t before = ror::VertexBatch.flushes;
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(PutGraphicTurned(float(i * 6 % 600), float(i * 4 % 400), 1.5f, float(i * 37), cells[i % 4], 1, i % 4),
                  0);
    for (int i = 0; i < 10; ++i) ASSERT_EQ(PutGraphicPart(i * 10, 300, 0, i % 3, 5, 3, sheet, 1), 0);
    ror::FlushBatch();
    EXPECT_EQ(ror::VertexBatch.flushes - before, 1);

    before = ror::VertexBatch.flushes;
    for (int i = 0; i < 10; ++i) PutGraphicTurned(100, 100, 1, 0, (i % 2 ? cells : otherCells)[i % 4], 1, 0);
    ror::FlushBatch();
    EXPECT_EQ(ror::VertexBatch.flushes - before, 10);
    for (int handle : cells) DestroyGraphic(handle);
    for (int handle : otherCells) DestroyGraphic(handle);
    DestroyGraphic(sheet);
    DestroyGraphic(other);
}

INSTANTIATE_ON_BOTH_PATHS(SpriteShapesTest);

}  // namespace
