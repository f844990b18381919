// Graphics drawn mirrored, scaled, turned and from a part: the checks and the mapping both
// drawing paths share, then the installed path.
#include "graphics/sprite_draw.h"
#include "rorodiv.h"

#include "graphics/blend_graphics.h"
#include "graphics/draw_ops.h"
#include "graphics/draw_state.h"
#include "graphics/graphics.h"
#include "graphics/screen_mode.h"
#include "graphics/window_link.h"

#include <cmath>

namespace ror {

namespace {

constexpr double kLargestScale = 10000.0;
constexpr double kLargestCoordinate = 1e8;

bool Within(float value, double limit) { return std::isfinite(value) && std::fabs(double(value)) <= limit; }

// Cosine and sine of an angle in degrees; exact at the right angles, so that a sprite turned
// by them lands on whole pixels as an unturned one does.
void TurnOf(double degrees, double* c, double* s)
{
    double a = std::fmod(degrees, 360.0);
    if (a < 0) a += 360.0;
    if (a == 0.0) {
        *c = 1, *s = 0;
    } else if (a == 90.0) {
        *c = 0, *s = 1;
    } else if (a == 180.0) {
        *c = -1, *s = 0;
    } else if (a == 270.0) {
        *c = 0, *s = -1;
    } else {
        const double r = a * (M_PI / 180.0);
        *c = std::cos(r), *s = std::sin(r);
    }
}

// The mapping of a transform over a graphic of width x height: false for a transform refused,
// *empty when it is fine but draws nothing (a scale of 0).
bool MakeSpriteMapping(const GraphicTransform& t, int width, int height, SpriteMapping* m, bool* empty)
{
    PixelRect part{t.sourceX, t.sourceY, 0, 0};
    int64_t partWidth = t.sourceWidth, partHeight = t.sourceHeight;
    if (partWidth == 0 || partHeight == 0) part = PixelRect{0, 0, 0, 0}, partWidth = width, partHeight = height;
    if (part.left < 0 || part.top < 0 || partWidth < 1 || partHeight < 1 || part.left + partWidth > width ||
        part.top + partHeight > height)
        return false;
    part.right = int32_t(part.left + partWidth);
    part.bottom = int32_t(part.top + partHeight);
    if (!Within(t.x, kLargestCoordinate) || !Within(t.y, kLargestCoordinate) || !Within(t.pivotX, kLargestCoordinate) ||
        !Within(t.pivotY, kLargestCoordinate) || !std::isfinite(t.angle) || !Within(t.scaleX, kLargestScale) ||
        !Within(t.scaleY, kLargestScale) || t.scaleX < 0 || t.scaleY < 0)
        return false;
    *empty = t.scaleX == 0 || t.scaleY == 0;
    if (*empty) return true;
    double c = 1, s = 0;
    TurnOf(t.angle, &c, &s);
    // Mirroring, then scaling about the pivot: q = (first + along * u, down + across * v).
    const double w = double(partWidth), h = double(partHeight);
    const bool mirrorX = (t.flip & FLIP_HORIZONTAL) != 0, mirrorY = (t.flip & FLIP_VERTICAL) != 0;
    const double first = ((mirrorX ? w : 0.0) - t.pivotX) * t.scaleX, along = (mirrorX ? -1.0 : 1.0) * t.scaleX;
    const double down = ((mirrorY ? h : 0.0) - t.pivotY) * t.scaleY, across = (mirrorY ? -1.0 : 1.0) * t.scaleY;
    // Then turning about the pivot and moving it to (x, y).
    m->source = part;
    m->ox = double(t.x) + c * first - s * down;
    m->oy = double(t.y) + s * first + c * down;
    m->xu = c * along, m->xv = -s * across;
    m->yu = s * along, m->yv = c * across;
    const double det = along * across;
    m->ux = m->yv / det, m->uy = -m->xv / det;
    m->vx = -m->yu / det, m->vy = m->xu / det;
    m->uo = -(m->ux * m->ox + m->uy * m->oy);
    m->vo = -(m->vx * m->ox + m->vy * m->oy);
    m->smooth = DrawState.smoothScaling;
    return true;
}

}  // namespace

void SpriteCorners(const SpriteMapping& m, double corners[4][2])
{
    const double w = m.source.right - m.source.left, h = m.source.bottom - m.source.top;
    const double at[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    for (int k = 0; k < 4; ++k) MapSpritePoint(m, at[k][0], at[k][1], &corners[k][0], &corners[k][1]);
}

}  // namespace ror

using namespace ror;

int PutGraphicTransformed(int handle, const GraphicTransform* transform, int useTransparency)
{
    if (transform == nullptr || !ScreenSettings.graphicsReady) return -1;
    GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr || IsBlendGraphic(g)) return -1;
    SpriteMapping m{};
    bool empty = false;
    if (!MakeSpriteMapping(*transform, g->width, g->height, &m, &empty)) return -1;
    if (BlendImageSmallerThan(m.source.right - m.source.left, m.source.bottom - m.source.top)) return -1;
    if (empty || DrawState.drawAreaEmpty) return 0;
    WaitWhileWindowInactive();
    return DrawOps.putGraphicTransformed(g, m, useTransparency);
}

int PutGraphicPart(int x, int y, int sourceX, int sourceY, int width, int height, int handle, int useTransparency)
{
    if (width < 1 || height < 1) return -1;
    const GraphicTransform t{sourceX, sourceY, width, height, float(x), float(y), 0, 0, 1, 1, 0, 0};
    return PutGraphicTransformed(handle, &t, useTransparency);
}

int PutGraphicStretched(int x1, int y1, int x2, int y2, int handle, int useTransparency)
{
    int width = 0, height = 0;
    if (GetGraphicSize(handle, &width, &height) != 0) return -1;
    const double across = double(x2) - x1, down = double(y2) - y1;
    const int flip = (across < 0 ? FLIP_HORIZONTAL : 0) | (down < 0 ? FLIP_VERTICAL : 0);
    // The mirrored graphic's top-left corner lands on the rectangle's top-left corner.
    const GraphicTransform t{0,
                             0,
                             0,
                             0,
                             float(std::fmin(x1, x2)),
                             float(std::fmin(y1, y2)),
                             0,
                             0,
                             float(std::fabs(across) / width),
                             float(std::fabs(down) / height),
                             0,
                             flip};
    return PutGraphicTransformed(handle, &t, useTransparency);
}

int PutGraphicTurned(float centreX, float centreY, float scale, float angle, int handle, int useTransparency, int flip)
{
    int width = 0, height = 0;
    if (GetGraphicSize(handle, &width, &height) != 0) return -1;
    const GraphicTransform t{0,     0,     0,     0,   centreX, centreY, float(width) / 2, float(height) / 2,
                             scale, scale, angle, flip};
    return PutGraphicTransformed(handle, &t, useTransparency);
}

int SetSmoothScaling(int enable)
{
    DrawState.smoothScaling = enable != 0 ? 1 : 0;
    return 0;
}
