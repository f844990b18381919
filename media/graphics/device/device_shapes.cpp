// The device path's boxes, one-pixel lines and untextured polygons, with the subtract
// emulation for devices without separate blend operations.
#include "rorodiv.h"
#include "graphics/blend_tables.h"
#include "graphics/color_format.h"
#include "graphics/device/device_draw_state.h"
#include "graphics/device/device_drawing.h"
#include "graphics/device/device_graphics.h"
#include "graphics/device/device_state.h"
#include "graphics/device/vertex_batch.h"
#include "graphics/draw_shapes.h"
#include "graphics/draw_state.h"
#include "graphics/software/memimg.h"

#include <algorithm>
#include <cmath>

namespace ror {

namespace {

constexpr float kPlainZ = 0.2f;

void PutPlain(DevicePlainVertex* v, float x, float y, uint32_t color)
{
    v->x = x;
    v->y = y;
    v->z = kPlainZ;
    v->rhw = 1.0f;
    v->color = color;
}

// Two triangles of a filled box, each with the colour on its first vertex.
void AppendBox(float left, float top, float right, float bottom, uint32_t color)
{
    auto* v = static_cast<DevicePlainVertex*>(ReserveBatch(0, kPrimTriangles, 0, 6));
    if (v == nullptr) return;
    PutPlain(&v[0], left, top, color);
    PutPlain(&v[1], right, top, color);
    PutPlain(&v[2], left, bottom, color);
    PutPlain(&v[3], right, bottom, color);
    PutPlain(&v[4], left, bottom, color);
    PutPlain(&v[5], right, top, color);
}

bool SubtractEmulated() { return DrawState.blendMode == BLEND_SUBTRACT && !DeviceState.separateBlendOps; }

void SetDeviceBlend(int32_t mode, int32_t param)
{
    DrawState.blendMode = mode;
    DrawState.blendParam = param;
    DeviceBlendStateChanged();
}

struct SubtractSaved {
    uint8_t brightness[3];
    int32_t param;
};

// Inverts the area: white boxes with the inverting blend at full strength and brightness.
void InvertArea(const PixelRect& area, const SubtractSaved& saved)
{
    DrawState.brightness[0] = DrawState.brightness[1] = DrawState.brightness[2] = 255;
    SetDeviceBlend(BLEND_SUBTRACT, 255);
    AppendBox(float(area.left), float(area.top), float(area.right), float(area.bottom),
              DeviceColorOf(PackColor(255, 255, 255)));
    std::copy(saved.brightness, saved.brightness + 3, DrawState.brightness);
}

// Destination minus source, as inverse(inverse(destination) + source), around a primitive.
SubtractSaved BeginSubtract(const PixelRect& area)
{
    SubtractSaved saved;
    std::copy(DrawState.brightness, DrawState.brightness + 3, saved.brightness);
    saved.param = DrawState.blendParam;
    InvertArea(area, saved);
    SetDeviceBlend(BLEND_ADD_HARDWARE, saved.param);
    return saved;
}

void EndSubtract(const PixelRect& area, const SubtractSaved& saved)
{
    InvertArea(area, saved);
    SetDeviceBlend(3, saved.param);
}

// A one-pixel line as the boxes of its runs of pixels in one row (or column), stepped as the
// software path steps: pixel i lies i / |d| of the way along the other axis, rounded down,
// from the first end point up to the second, which is left out. GL rasterisers differ on the
// ends of line primitives; boxes cover the same pixels on every one.
void AppendLineRuns(int x1, int y1, int x2, int y2, uint32_t color)
{
    const int dx = x2 - x1, dy = y2 - y1;
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const int ax = std::abs(dx), ay = std::abs(dy);
    const bool rows = ax >= ay;  // runs along x
    const int steps = rows ? ax : ay, minor = rows ? ay : ax;
    int x = x1, y = y1, runX = x1, runY = y1, err = 0;
    auto emit = [&](int lastX, int lastY) {
        AppendBox(float(std::min(runX, lastX)), float(std::min(runY, lastY)), float(std::max(runX, lastX) + 1),
                  float(std::max(runY, lastY) + 1), color);
    };
    for (int i = 0; i < steps; ++i) {
        const int px = x, py = y;
        err += minor;
        if (rows)
            x += sx;
        else
            y += sy;
        const bool sideStep = err >= steps;
        if (sideStep) {
            err -= steps;
            if (rows)
                y += sy;
            else
                x += sx;
        }
        if (sideStep || i == steps - 1) {
            emit(px, py);
            runX = x, runY = y;
        }
    }
}

PixelRect AffectedRectOfVertices(const PolygonVertex* vertices, int count)
{
    float left = vertices[0].x, top = vertices[0].y, right = left, bottom = top;
    for (int i = 1; i < count; ++i) {
        left = std::min(left, vertices[i].x), right = std::max(right, vertices[i].x);
        top = std::min(top, vertices[i].y), bottom = std::max(bottom, vertices[i].y);
    }
    return PixelRect{int32_t(left - 1), int32_t(top - 1), int32_t(right + 1), int32_t(bottom + 1)};
}

// The list form of a strip or fan, each triangle starting at the vertex that colours it, so
// that polygons join the batch and still take their flat colours.
int ListIndex(int type, int triangle, int corner)
{
    if (type == kTriangleFan) {
        static constexpr int kFan[3] = {1, 2, 0};  // the fan's centre colours no triangle
        return kFan[corner] == 0 ? 0 : triangle + kFan[corner];
    }
    return triangle + corner;  // strip
}

int DrawPolygon(const PolygonVertex* vertices, int count, int type)
{
    const DrawStateRecord& s = DrawState;
    auto vertexColor = [&](uint32_t c) {
        const uint32_t b = uint32_t(MulTable(s.brightness[2], int(c & 0xFF)));
        const uint32_t g = uint32_t(MulTable(s.brightness[1], int((c >> 8) & 0xFF)));
        const uint32_t r = uint32_t(MulTable(s.brightness[0], int((c >> 16) & 0xFF)));
        const uint32_t a = uint32_t(MulTable(int(BlendStrength()), int(c >> 24)));
        return a << 24 | r << 16 | g << 8 | b;
    };
    int listType = type, listCount = count;
    if (type == kTriangleStrip || type == kTriangleFan) listType = kTriangleList, listCount = (count - 2) * 3;
    if (type == kLineStrip) listType = kLineList, listCount = (count - 1) * 2;
    if (type == kTriangleList) listCount = count / 3 * 3;
    if (type == kLineList) listCount = count / 2 * 2;
    if (listCount <= 0) return 0;
    const int group = listType == kTriangleList ? 3 : listType == kLineList ? 2 : 1;
    for (int done = 0; done < listCount;) {
        const int room = kBatchCapacity[0] / group * group;
        const int n = std::min(listCount - done, room);
        auto* out = static_cast<DevicePlainVertex*>(ReserveBatch(0, listType, 0, n));
        if (out == nullptr) return -1;
        for (int i = 0; i < n; ++i) {
            const int k = done + i;
            int index = k;
            if (type == kTriangleStrip || type == kTriangleFan) index = ListIndex(type, k / 3, k % 3);
            if (type == kLineStrip) index = k / 2 + k % 2;
            const PolygonVertex& in = vertices[index];
            out[i] = DevicePlainVertex{in.x, in.y, 0.0f, 1.0f, vertexColor(in.color)};
        }
        done += n;
    }
    return 0;
}

}  // namespace

int DeviceDrawLine(int x1, int y1, int x2, int y2, uint32_t color)
{
    if (!DeviceState.device) return -1;
    if (!ClipSegmentToArea(DrawState.drawArea, &x1, &y1, &x2, &y2) || (x1 == x2 && y1 == y2)) return 0;
    const bool subtract = SubtractEmulated();
    const PixelRect area{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1};
    SubtractSaved saved{};
    if (subtract) saved = BeginSubtract(area);
    AppendLineRuns(x1, y1, x2, y2, DeviceColorOf(color));
    if (subtract) EndSubtract(area, saved);
    return 0;
}

int DeviceDrawBox(int x1, int y1, int x2, int y2, uint32_t color, int filled)
{
    if (!DeviceState.device) return -1;
    const bool subtract = SubtractEmulated();
    PixelRect r{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    SubtractSaved saved{};
    if (filled) {
        ClipRect(&r, &DrawState.drawArea);
        if (r.right <= r.left || r.bottom <= r.top) return 0;
        if (subtract) saved = BeginSubtract(r);
        AppendBox(float(r.left), float(r.top), float(r.right), float(r.bottom), DeviceColorOf(color));
        if (subtract) EndSubtract(r, saved);
        return 0;
    }
    if (subtract) saved = BeginSubtract(r);
    if (x1 > x2 || y1 > y2) std::swap(x1, x2), std::swap(y1, y2);
    const float left = float(x1), top = float(y1), right = float(x2), bottom = float(y2);
    const uint32_t c = DeviceColorOf(color);
    AppendBox(left, top, right, top + 1, c);
    AppendBox(right - 1, top + 1, right, bottom, c);
    AppendBox(left, top + 1, left + 1, bottom, c);
    AppendBox(left + 1, bottom - 1, right - 1, bottom, c);
    if (subtract) EndSubtract(r, saved);
    return 0;
}

int DeviceSubmitVertices(const PolygonVertex* vertices, int count, int type, int texture, int flag)
{
    if (texture != kNoTexture) return SubmitTexturedVertices(vertices, count, type, texture, flag);
    if (!DeviceState.device) return -1;
    const bool subtract = SubtractEmulated();
    const PixelRect area = subtract ? AffectedRectOfVertices(vertices, count) : PixelRect{};
    SubtractSaved saved{};
    if (subtract) saved = BeginSubtract(area);
    const int result = DrawPolygon(vertices, count, type);
    if (subtract) EndSubtract(area, saved);
    return result;
}

}  // namespace ror
