// Graphics whose pixels live in textures: dividing an image into power-of-two textures,
// placements, filling, drawing through the vertex batch and copying pixels in.
#include "graphics/device/device_graphics.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "graphics/device/device_draw_state.h"
#include "graphics/device/device_drawing.h"
#include "graphics/device/device_state.h"
#include "graphics/device/vertex_batch.h"
#include "graphics/draw_shapes.h"
#include "graphics/draw_state.h"
#include "graphics/screen_mode.h"
#include "graphics/sprite_draw.h"

#include <algorithm>
#include <cstring>

namespace ror {

TextureSettingsRecord TextureSettings;

namespace {

constexpr float kSpriteZ = 0.2f;
constexpr int kMaxPieces = 64;  // per side

// The texel rule and key the device was last given, so that it changes only when needed.
struct TexelStateRecord {
    GlTexelRule rule;
    uint32_t key;
    GlPixelFormat format;  // of the texture the key is compared in
    int32_t known;
};
TexelStateRecord TexelState;

GlPixelFormat ImageGlFormat(const GraphicImage* image)
{
    return GlFormatOf(DeviceState.textureFormats[image->formatSlot]);
}

// The texture purpose for the creation settings: render targets for colour images, alpha
// textures for images that keep alpha.
int ChooseFormatSlot(int depth, int alpha)
{
    const bool deep = depth != 16;
    if (alpha) return deep ? kTexAlpha32 : kTexAlpha16;
    if (DeviceState.textureFormats[deep ? kTexTarget32 : kTexTarget16] != 0) return deep ? kTexTarget32 : kTexTarget16;
    return deep ? kTexAlphaTest32 : kTexAlphaTest16;
}

bool IsTargetSlot(int slot) { return slot == kTexTarget16 || slot == kTexTarget32 || slot == kTexTargetAlpha32; }

// Writes `color` (0xAARRGGBB) into a rectangle of a piece, a band of rows at a time.
int FillPieceRect(const GraphicImage* image, const TexturePiece& piece, int x, int y, int width, int height,
                  uint32_t color)
{
    if (width <= 0 || height <= 0) return 0;
    const int rows = std::max(1, std::min(height, 16384 / width));
    auto* band = static_cast<uint32_t*>(TrackedAlloc(int32_t(sizeof(uint32_t)) * width * rows, __FILE__, __LINE__));
    if (band == nullptr) return -1;
    std::fill(band, band + size_t(width) * rows, color);
    int result = 0;
    for (int top = 0; top < height && result == 0; top += rows)
        result = UpdateGlTexture(piece.texture, ImageGlFormat(image), 0, x, y + top, width,
                                 std::min(rows, height - top), band, width * 4);
    TrackedFree(band);
    return result;
}

void ReleasePieces(GraphicImage* image)
{
    for (int i = 0; i < image->pieceCount; ++i) {
        TexturePiece& p = image->pieces[i];
        if (p.surface > 0)
            DestroyGlSurface(p.surface);
        else if (p.texture > 0)
            DestroyGlTexture(p.texture);
    }
    TrackedFree(image->pieces);
    image->pieces = nullptr;
    image->pieceCount = 0;
}

int ComputePlacements(GraphicRecord* g)
{
    const GraphicImage* image = g->image;
    TrackedFree(g->placements);
    g->placements = nullptr;
    g->placementCount = 0;
    auto* list = static_cast<TexturePlacement*>(
        TrackedAllocZeroed(int32_t(sizeof(TexturePlacement)) * std::max(1, image->pieceCount), __FILE__, __LINE__));
    if (list == nullptr) return -1;
    const int left = g->offsetX, top = g->offsetY, right = g->offsetX + g->width, bottom = g->offsetY + g->height;
    int count = 0;
    for (int i = 0; i < image->pieceCount; ++i) {
        const TexturePiece& p = image->pieces[i];
        const int x0 = std::max(left, p.x), y0 = std::max(top, p.y);
        const int x1 = std::min(right, p.x + p.usedWidth), y1 = std::min(bottom, p.y + p.usedHeight);
        if (x1 <= x0 || y1 <= y0) continue;
        TexturePlacement& t = list[count++];
        t.piece = i;
        t.destX = x0 - left;
        t.destY = y0 - top;
        t.sourceX = x0 - p.x;
        t.sourceY = y0 - p.y;
        t.width = x1 - x0;
        t.height = y1 - y0;
        const float l = float(t.destX), tp = float(t.destY), r = float(t.destX + t.width),
                    b = float(t.destY + t.height);
        const float corners[4][2] = {{l, tp}, {r, tp}, {r, b}, {l, b}};
        std::memcpy(t.corners, corners, sizeof corners);
        t.u0 = float(t.sourceX) / float(p.textureWidth);
        t.u1 = float(t.sourceX + t.width) / float(p.textureWidth);
        t.v0 = float(t.sourceY) / float(p.textureHeight);
        t.v1 = float(t.sourceY + t.height) / float(p.textureHeight);
    }
    g->placements = list;
    g->placementCount = count;
    return 0;
}

// Sets how the textured program reads texels for this image and drawing: colour images drop
// their transparent colour when asked, images with alpha blend by it, except that a plain copy
// without transparency (no blend mode, no blend image) takes their pixels whole, as the software
// path does.
void UseTexelRule(const GraphicImage* image, int useTransparency, bool blended)
{
    const bool alphaCounts = useTransparency || blended || DrawState.blendMode != BLEND_NONE;
    const GlTexelRule rule = image->hasAlpha   ? (alphaCounts ? GlTexelRule::Alpha : GlTexelRule::Opaque)
                             : useTransparency ? GlTexelRule::ColorKey
                                               : GlTexelRule::Opaque;
    const uint32_t key = uint32_t(image->keyColor);
    const GlPixelFormat format = ImageGlFormat(image);
    if (TexelState.known && TexelState.rule == rule && TexelState.key == key && TexelState.format == format) return;
    FlushBatch();
    SetGlTextureKey(rule, key, format);
    TexelState = TexelStateRecord{rule, key, format, 1};
    // Without a blend mode an image's own alpha still decides how much of it shows.
    if (rule == GlTexelRule::Alpha && DrawState.blendMode == BLEND_NONE)
        SetGlBlend(1, GlBlendFactor::SrcAlpha, GlBlendFactor::InvSrcAlpha, GlBlendOp::Add);
}

// Nearest or mixed texels for the image's textures; only the scaled and turned draws mix.
void UseSampling(GraphicImage* image, int smooth)
{
    if (image->smoothSampling == smooth) return;
    FlushBatch();
    for (int i = 0; i < image->pieceCount; ++i) SetGlSampling(image->pieces[i].texture, smooth, 0, 0);
    image->smoothSampling = smooth;
}

// One placement's quadrilateral; with a blend image its levels go along as the second
// texture coordinates (the placement's corners in the graphic, in the blend image).
void PutTexturedQuad(const TexturePiece& piece, const float (*corners)[2], const TexturePlacement& t,
                     const GraphicRecord* blend)
{
    const uint32_t color = DeviceState.drawColor;
    const float uv[4][2] = {{t.u0, t.v0}, {t.u1, t.v0}, {t.u1, t.v1}, {t.u0, t.v1}};
    const int order[6] = {0, 1, 3, 1, 2, 3};
    if (blend != nullptr) {
        auto* v = static_cast<DeviceTwoTextureVertex*>(ReserveBatch(2, kPrimTriangles, piece.texture, 6));
        if (v == nullptr) return;
        const float w = float(blend->image->width), h = float(blend->image->height);
        for (int i = 0; i < 6; ++i) {
            const int k = order[i];
            v[i] = DeviceTwoTextureVertex{corners[k][0],
                                          corners[k][1],
                                          kSpriteZ,
                                          1.0f,
                                          color,
                                          0xFFFFFFFFu,
                                          uv[k][0],
                                          uv[k][1],
                                          (float(blend->offsetX) + t.corners[k][0]) / w,
                                          (float(blend->offsetY) + t.corners[k][1]) / h};
        }
        return;
    }
    auto* v = static_cast<DeviceTexturedVertex*>(ReserveBatch(1, kPrimTriangles, piece.texture, 6));
    if (v == nullptr) return;
    for (int i = 0; i < 6; ++i) {
        const int k = order[i];
        v[i] = DeviceTexturedVertex{corners[k][0], corners[k][1], kSpriteZ, 1.0f, color, uv[k][0], uv[k][1]};
    }
}

// A blended draw has the batch to itself: the device takes the blend image and its weights
// for it, and is given the ordinary state back afterwards. -1 for a blend the device cannot
// weigh (subtracting without separate blend operations).
int BeginBlendedDraw(const GraphicRecord* blend)
{
    const int mode = DrawState.blendMode;
    if (blend->image->blendTexture == 0 || (mode == BLEND_SUBTRACT && !DeviceState.separateBlendOps)) return -1;
    FlushBatch();
    SetGlBlendImage(blend->image->blendTexture, DrawState.ruleTable,
                    mode == BLEND_MULTIPLY || mode == BLEND_MULTIPLY_ALPHA);
    // Without a blend mode the weight still decides how much of each pixel shows.
    if (mode == BLEND_NONE) SetGlBlend(1, GlBlendFactor::SrcAlpha, GlBlendFactor::InvSrcAlpha, GlBlendOp::Add);
    return 0;
}

void EndBlendedDraw()
{
    FlushBatch();
    SetGlBlendImage(0, nullptr, 0);
    ApplyDeviceBlend(DrawState.blendMode);
    ForgetTexelState();
}

// A corner of a textured polygon: its position and its place in the graphic (0 to 1).
struct ClipPoint {
    float x, y, u, v;
};
constexpr int kMaxClipPoints = 8;  // a triangle cut by four lines has at most seven corners

// The part of a convex polygon where the coordinate (u for axis 0, v for axis 1) is at least
// (keepAbove) or at most `bound`. Returns its number of corners.
int ClipPolygon(const ClipPoint* in, int count, int axis, float bound, bool keepAbove, ClipPoint* out)
{
    auto side = [&](const ClipPoint& p) {
        const float c = axis == 0 ? p.u : p.v;
        return keepAbove ? c - bound : bound - c;
    };
    int made = 0;
    for (int i = 0; i < count; ++i) {
        const ClipPoint& a = in[i];
        const ClipPoint& b = in[(i + 1) % count];
        const float sa = side(a), sb = side(b);
        if (sa >= 0) out[made++] = a;
        if ((sa >= 0) != (sb >= 0)) {
            const float t = sa / (sa - sb);
            out[made++] =
                ClipPoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.u + (b.u - a.u) * t, a.v + (b.v - a.v) * t};
        }
    }
    return made;
}

// One triangle textured with the graphic, drawn part by part over its placements.
int PutTexturedTriangle(const GraphicRecord* g, const ClipPoint (&triangle)[3], uint32_t color)
{
    constexpr float kOpen = 1e30f;  // no cut on this side
    for (int i = 0; i < g->placementCount; ++i) {
        const TexturePlacement& t = g->placements[i];
        const float uStart = float(t.destX) / float(g->width), uEnd = float(t.destX + t.width) / float(g->width);
        const float vStart = float(t.destY) / float(g->height), vEnd = float(t.destY + t.height) / float(g->height);
        const float cuts[4] = {t.destX == 0 ? -kOpen : uStart, t.destX + t.width == g->width ? kOpen : uEnd,
                               t.destY == 0 ? -kOpen : vStart, t.destY + t.height == g->height ? kOpen : vEnd};
        ClipPoint polygon[kMaxClipPoints], cut[kMaxClipPoints];
        std::copy(triangle, triangle + 3, polygon);
        int corners = 3;
        for (int c = 0; c < 4 && corners >= 3; ++c) {
            if (cuts[c] == kOpen || cuts[c] == -kOpen) continue;
            corners = ClipPolygon(polygon, corners, c / 2, cuts[c], c % 2 == 0, cut);
            std::copy(cut, cut + corners, polygon);
        }
        if (corners < 3) continue;
        // The graphic's u and v over this placement become the piece's texture coordinates.
        const float uScale = (t.u1 - t.u0) / (uEnd - uStart), vScale = (t.v1 - t.v0) / (vEnd - vStart);
        const int32_t pieceTexture = g->image->pieces[t.piece].texture;
        for (int k = 1; k + 1 < corners; ++k) {
            auto* v = static_cast<DeviceTexturedVertex*>(ReserveBatch(1, kPrimTriangles, pieceTexture, 3));
            if (v == nullptr) return -1;
            const ClipPoint* fan[3] = {&polygon[0], &polygon[k], &polygon[k + 1]};
            for (int n = 0; n < 3; ++n) {
                const ClipPoint& p = *fan[n];
                v[n] = DeviceTexturedVertex{p.x - 0.5f,
                                            p.y - 0.5f,
                                            kSpriteZ,
                                            1.0f,
                                            color,
                                            t.u0 + (p.u - uStart) * uScale,
                                            t.v0 + (p.v - vStart) * vScale};
            }
        }
    }
    return 0;
}

}  // namespace

int SplitTextureSize(int size, int32_t* out, int forceSingle)
{
    const int d = TextureSettings.maxTextureSize != 0 ? TextureSettings.maxTextureSize : DeviceState.maxTextureSize;
    int a = size;
    auto put = [&](int index, int value) {
        if (out != nullptr && index < kMaxPieces) out[index] = value;
    };
    if (a <= 8 || d < 8) {
        put(0, 8);
        return 1;
    }
    int e = d;
    while (e > 8 && e > a) e /= 2;
    int screenWidth = 0;
    RequestedScreenSize(&screenWidth, nullptr);
    if (2 * e <= d &&
        (forceSingle || TextureSettings.forceSingle == 1 || (TextureSettings.maxTextureSize == 0 && a < screenWidth))) {
        put(0, e >= a ? e : 2 * e);
        return 1;
    }
    int32_t pieces[kMaxPieces];
    int count = 0;
    while (a > 0 && count < kMaxPieces) {
        pieces[count++] = e;
        a -= e;
        if (a <= 0) break;
        if (a > (3 * e) / 4 && e < d) {
            pieces[count - 1] = 2 * e;
            break;
        }
        while (e > a && e > 8) e /= 2;
    }
    if (count >= 2 && pieces[count - 1] == pieces[count - 2] && 2 * pieces[count - 1] <= d) {
        pieces[count - 2] *= 2;
        --count;
    }
    for (int i = 0; i < count; ++i) put(i, pieces[i]);
    return count;
}

int CreateTextures(GraphicImage* image)
{
    const int32_t code = DeviceState.textureFormats[image->formatSlot];
    if (code == 0) return LogWrite("指定のフォーマットで作成できるテクスチャフォーマットがありませんでした\n");
    const GlPixelFormat format = GlFormatOf(code);
    for (int i = 0; i < image->pieceCount; ++i) {
        TexturePiece& p = image->pieces[i];
        if (p.texture > 0) continue;
        if (image->drawable) {
            p.surface = CreateGlSurface(p.textureWidth, p.textureHeight, format);
            p.texture = p.surface > 0 ? GlSurfaceTexture(p.surface) : -1;
        } else {
            p.texture = CreateGlTexture(p.textureWidth, p.textureHeight, format, image->levels);
        }
        if (p.texture <= 0) {
            p.texture = 0;
            return LogWrite("テクスチャの作成に失敗しました\n");
        }
        SetGlSampling(p.texture, image->smoothSampling, 0, 0);
        if (FillPieceRect(image, p, 0, 0, p.textureWidth, p.textureHeight, 0) != 0)
            return LogWrite("テクスチャの作成に失敗しました\n");
    }
    return 0;
}

int DeviceCreateGraphicImage(GraphicRecord* g)
{
    if (!DeviceState.device) return -1;
    FlushBatch();
    EndSceneIfOpen();
    GraphicImage* image = g->image;
    const GraphicCreationSettings& cs = GraphicCreation;
    const int depth = cs.colorDepth != 0 ? cs.colorDepth : ScreenSettings.colorBits;
    image->textured = 1;
    image->hasAlpha = cs.alphaChannel ? 1 : 0;
    image->formatSlot = ChooseFormatSlot(depth, image->hasAlpha);
    image->drawable = IsTargetSlot(image->formatSlot) ? 1 : 0;
    image->levels = 1;
    image->keyColor = int32_t((cs.transparentColor[0] & 0xFF) << 16 | (cs.transparentColor[1] & 0xFF) << 8 |
                              (cs.transparentColor[2] & 0xFF));
    // A render target is one texture, so that drawing into it needs one surface.
    int32_t widths[kMaxPieces], heights[kMaxPieces];
    const int across = SplitTextureSize(image->width, widths, image->drawable);
    const int down = SplitTextureSize(image->height, heights, image->drawable);
    if (across > kMaxPieces || down > kMaxPieces) return -1;
    image->pieces = static_cast<TexturePiece*>(
        TrackedAllocZeroed(int32_t(sizeof(TexturePiece)) * across * down, __FILE__, __LINE__));
    if (image->pieces == nullptr) return -1;
    image->pieceCount = across * down;
    int y = 0;
    for (int row = 0; row < down; ++row) {
        int x = 0;
        for (int col = 0; col < across; ++col) {
            TexturePiece& p = image->pieces[row * across + col];
            p.x = x;
            p.y = y;
            p.textureWidth = widths[col];
            p.textureHeight = heights[row];
            p.usedWidth = std::min(widths[col], image->width - x);
            p.usedHeight = std::min(heights[row], image->height - y);
            x += widths[col];
        }
        y += heights[row];
    }
    if (CreateTextures(image) != 0) return -1;
    return ComputePlacements(g);
}

int DeviceAttachSubGraphic(GraphicRecord* g, const GraphicRecord*, int, int) { return ComputePlacements(g); }

void DeviceReleaseGraphicView(GraphicRecord* g)
{
    TrackedFree(g->placements);
    g->placements = nullptr;
    g->placementCount = 0;
}

void DeviceReleaseGraphicImage(GraphicImage* image)
{
    // The batch may still name these textures.
    FlushBatch();
    ReleasePieces(image);
    for (int32_t& plane : image->planeTextures) {
        if (plane > 0) DestroyGlTexture(plane);
        plane = 0;
    }
}

int DevicePaintGraphic(GraphicRecord* g, int red, int green, int blue, int alpha)
{
    if (!DeviceState.device || g->image->pieces == nullptr) return -1;
    FlushBatch();
    const uint32_t color = uint32_t(alpha) << 24 | uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue);
    for (int i = 0; i < g->placementCount; ++i) {
        const TexturePlacement& t = g->placements[i];
        if (FillPieceRect(g->image, g->image->pieces[t.piece], t.sourceX, t.sourceY, t.width, t.height, color) != 0)
            return -1;
    }
    return 0;
}

int DevicePutGraphic(int x, int y, GraphicRecord* g, int useTransparency)
{
    if (!DeviceState.device || g->image->pieces == nullptr) return -1;
    const GraphicRecord* blend = ResolveGraphic(DrawState.blendImageHandle);
    if (blend != nullptr && BeginBlendedDraw(blend) != 0) return -1;
    UseTexelRule(g->image, useTransparency, blend != nullptr);
    UseSampling(g->image, 0);
    for (int i = 0; i < g->placementCount; ++i) {
        const TexturePlacement& t = g->placements[i];
        float corners[4][2];
        for (int k = 0; k < 4; ++k) {
            corners[k][0] = float(x) - 0.5f + t.corners[k][0];
            corners[k][1] = float(y) - 0.5f + t.corners[k][1];
        }
        PutTexturedQuad(g->image->pieces[t.piece], corners, t, blend);
    }
    if (blend != nullptr) EndBlendedDraw();
    return 0;
}

int DevicePutGraphicQuad(const float given[4][2], GraphicRecord* g, int useTransparency)
{
    if (!DeviceState.device || g->image->pieces == nullptr) return -1;
    const GraphicRecord* blend = ResolveGraphic(DrawState.blendImageHandle);
    if (blend != nullptr && BeginBlendedDraw(blend) != 0) return -1;
    // With a blend image the corners are whole pixels, as the software path maps them.
    float corners[4][2];
    for (int k = 0; k < 4; ++k)
        for (int c = 0; c < 2; ++c) corners[k][c] = blend != nullptr ? float(int32_t(given[k][c])) : given[k][c];
    UseTexelRule(g->image, useTransparency, blend != nullptr);
    UseSampling(g->image, 0);
    // Each placement's corners: the four corners interpolated at its place in the graphic.
    auto at = [&](double fx, double fy, float* out) {
        const double topX = corners[0][0] + (corners[1][0] - corners[0][0]) * fx;
        const double topY = corners[0][1] + (corners[1][1] - corners[0][1]) * fx;
        const double bottomX = corners[3][0] + (corners[2][0] - corners[3][0]) * fx;
        const double bottomY = corners[3][1] + (corners[2][1] - corners[3][1]) * fx;
        out[0] = float(topX + (bottomX - topX) * fy) - 0.5f;
        out[1] = float(topY + (bottomY - topY) * fy) - 0.5f;
    };
    for (int i = 0; i < g->placementCount; ++i) {
        const TexturePlacement& t = g->placements[i];
        const double fx0 = double(t.destX) / g->width, fx1 = double(t.destX + t.width) / g->width;
        const double fy0 = double(t.destY) / g->height, fy1 = double(t.destY + t.height) / g->height;
        float quad[4][2];
        at(fx0, fy0, quad[0]);
        at(fx1, fy0, quad[1]);
        at(fx1, fy1, quad[2]);
        at(fx0, fy1, quad[3]);
        PutTexturedQuad(g->image->pieces[t.piece], quad, t, blend);
    }
    if (blend != nullptr) EndBlendedDraw();
    return 0;
}

int DevicePutGraphicTransformed(GraphicRecord* g, const SpriteMapping& m, int useTransparency)
{
    GraphicImage* image = g->image;
    if (!DeviceState.device || image->pieces == nullptr) return -1;
    const GraphicRecord* blend = ResolveGraphic(DrawState.blendImageHandle);
    if (blend != nullptr && BeginBlendedDraw(blend) != 0) return -1;
    UseTexelRule(image, useTransparency, blend != nullptr);
    // A mixed colour key would show, so keyed draws take the nearest texel.
    UseSampling(image, m.smooth && !(useTransparency && !image->hasAlpha) ? 1 : 0);
    // Each placement's share of the part, placed by the mapping; its corners in the part go
    // along for the blend image.
    const PixelRect& r = m.source;
    for (int i = 0; i < g->placementCount; ++i) {
        const TexturePlacement& t = g->placements[i];
        const int x0 = std::max(r.left, t.destX), y0 = std::max(r.top, t.destY);
        const int x1 = std::min(r.right, t.destX + t.width), y1 = std::min(r.bottom, t.destY + t.height);
        if (x1 <= x0 || y1 <= y0) continue;
        const TexturePiece& piece = image->pieces[t.piece];
        TexturePlacement share = t;
        const float l = float(x0 - r.left), tp = float(y0 - r.top), rt = float(x1 - r.left), b = float(y1 - r.top);
        const float inPart[4][2] = {{l, tp}, {rt, tp}, {rt, b}, {l, b}};
        std::memcpy(share.corners, inPart, sizeof inPart);
        share.u0 = float(t.sourceX + x0 - t.destX) / float(piece.textureWidth);
        share.u1 = float(t.sourceX + x1 - t.destX) / float(piece.textureWidth);
        share.v0 = float(t.sourceY + y0 - t.destY) / float(piece.textureHeight);
        share.v1 = float(t.sourceY + y1 - t.destY) / float(piece.textureHeight);
        float corners[4][2];
        for (int k = 0; k < 4; ++k) {
            double x = 0, y = 0;
            MapSpritePoint(m, inPart[k][0], inPart[k][1], &x, &y);
            corners[k][0] = float(x - 0.5), corners[k][1] = float(y - 0.5);
        }
        PutTexturedQuad(piece, corners, share, blend);
    }
    if (blend != nullptr) EndBlendedDraw();
    return 0;
}

int DeviceReadGraphicPixel(GraphicRecord* g, int x, int y, uint32_t* argb)
{
    if (!DeviceState.device) return -1;
    FlushBatch();
    const int32_t surface = DeviceGraphicSurface(g);
    for (int32_t i = 0; i < g->placementCount; ++i) {
        const TexturePlacement& t = g->placements[i];
        if (x < t.destX || y < t.destY || x >= t.destX + t.width || y >= t.destY + t.height) continue;
        const int sx = t.sourceX + x - t.destX, sy = t.sourceY + y - t.destY;
        const Rect area{sx, sy, sx + 1, sy + 1};
        return surface != 0 ? ReadGlSurface(surface, area, argb, 4)
                            : ReadGlTexture(g->image->pieces[t.piece].texture, area, argb, 4);
    }
    return -1;
}

int DeviceCopyToGraphic(GraphicRecord* g, const PixelImage& source, const PixelImage* alpha, const PixelRect& r, int x,
                        int y)
{
    GraphicImage* image = g->image;
    if (!DeviceState.device || image->pieces == nullptr) return -1;
    FlushBatch();
    const int width = r.right - r.left, height = r.bottom - r.top;
    auto* pixels = static_cast<uint32_t*>(TrackedAlloc(int32_t(sizeof(uint32_t)) * width * height, __FILE__, __LINE__));
    if (pixels == nullptr) return LogWrite("標準イメージ用のメモリ確保に失敗しました\n");
    ColorFormat argb;
    MakeArgb8Format(&argb);
    PixelImage part = source;
    part.pixels = source.pixels + intptr_t(r.top) * source.pitch + intptr_t(r.left) * source.format->pixelBytes;
    int result = ConvertPixels(part, reinterpret_cast<uint8_t*>(pixels), width * 4, &argb, width, height);
    if (result == 0 && alpha != nullptr && image->hasAlpha) {
        // The alpha image's grey level becomes the alpha of each pixel.
        ColorFormat grey;
        MakeArgb8Format(&grey);
        PixelImage alphaPart = *alpha;
        alphaPart.pixels =
            alpha->pixels + intptr_t(r.top) * alpha->pitch + intptr_t(r.left) * alpha->format->pixelBytes;
        auto* greyRows =
            static_cast<uint32_t*>(TrackedAlloc(int32_t(sizeof(uint32_t)) * width * height, __FILE__, __LINE__));
        result = greyRows != nullptr
                     ? ConvertPixels(alphaPart, reinterpret_cast<uint8_t*>(greyRows), width * 4, &grey, width, height)
                     : -1;
        if (result == 0)
            for (int i = 0; i < width * height; ++i)
                pixels[i] = (pixels[i] & 0x00FFFFFFu) | (greyRows[i] & 0xFFu) << 24;
        TrackedFree(greyRows);
    }
    // The rectangle in the image, written piece by piece.
    const int left = g->offsetX + x, top = g->offsetY + y;
    for (int i = 0; i < image->pieceCount && result == 0; ++i) {
        const TexturePiece& p = image->pieces[i];
        const int x0 = std::max(left, p.x), y0 = std::max(top, p.y);
        const int x1 = std::min(left + width, p.x + p.usedWidth), y1 = std::min(top + height, p.y + p.usedHeight);
        if (x1 <= x0 || y1 <= y0) continue;
        const uint32_t* from = pixels + size_t(y0 - top) * width + (x0 - left);
        result =
            UpdateGlTexture(p.texture, ImageGlFormat(image), 0, x0 - p.x, y0 - p.y, x1 - x0, y1 - y0, from, width * 4);
    }
    TrackedFree(pixels);
    return result;
}

int DeviceReadGraphicPixels(GraphicRecord* g, uint32_t* argb)
{
    if (!DeviceState.device) return -1;
    FlushBatch();
    // A render surface (a graphic that can be drawn into) is read as one; any other graphic
    // piece by piece from its textures (compressed ones cannot be read).
    const int32_t surface = DeviceGraphicSurface(g);
    for (int32_t i = 0; i < g->placementCount; ++i) {
        const TexturePlacement& t = g->placements[i];
        const Rect area{t.sourceX, t.sourceY, t.sourceX + t.width, t.sourceY + t.height};
        uint32_t* out = argb + intptr_t(t.destY) * g->width + t.destX;
        const int read = surface != 0 ? ReadGlSurface(surface, area, out, g->width * 4)
                                      : ReadGlTexture(g->image->pieces[t.piece].texture, area, out, g->width * 4);
        if (read != 0) return -1;
    }
    return g->placementCount > 0 ? 0 : -1;
}

int32_t DeviceGraphicSurface(GraphicRecord* g)
{
    const GraphicImage* image = g->image;
    if (image == nullptr || !image->drawable || image->pieceCount != 1) return 0;
    return image->pieces[0].surface;
}

void ForgetTexelState() { TexelState = TexelStateRecord{}; }

// Polygons with a graphic's texture: u and v run over the graphic, 0 to 1. Each triangle is cut
// along the edges between the graphic's textures and every part drawn with its own texture;
// beyond the graphic's sides the outer textures go on, so texels clamp as with one texture.
int SubmitTexturedVertices(const PolygonVertex* vertices, int count, int type, int texture, int)
{
    GraphicRecord* g = ResolveGraphic(texture);
    // Textured polygons carry no place in a blend image to weigh by.
    if (DrawState.blendImageHandle != -1) return -1;
    if (g->placementCount < 1 || type < kTriangleList) return 0;  // only triangles take a texture
    UseTexelRule(g->image, 1, false);
    UseSampling(g->image, 0);
    const int triangles = type == kTriangleList ? count / 3 : count - 2;
    for (int i = 0; i < triangles; ++i) {
        int index[3];
        if (type == kTriangleList)
            index[0] = 3 * i, index[1] = 3 * i + 1, index[2] = 3 * i + 2;
        else if (type == kTriangleStrip)
            index[0] = i, index[1] = i + 1, index[2] = i + 2;
        else
            index[0] = 0, index[1] = i + 1, index[2] = i + 2;
        ClipPoint triangle[3];
        for (int k = 0; k < 3; ++k) {
            const PolygonVertex& p = vertices[index[k]];
            triangle[k] = ClipPoint{p.x, p.y, p.u, p.v};
        }
        // Flat shading: the whole triangle takes its first vertex's colour.
        if (PutTexturedTriangle(g, triangle, vertices[index[0]].color) != 0) return -1;
    }
    return 0;
}

}  // namespace ror
