// Graphics and fonts kept across a mode change (SetKeepGraphicsAcrossModeChange).
#include "graphics/kept_graphics.h"

#include "graphics/blend_graphics.h"
#include "graphics/draw_ops.h"
#include "graphics/graphics.h"
#include "image/pixel_format.h"
#include "rorodiv.h"

#include <unordered_map>

namespace ror {

namespace {

// The graphic's pixels into its place in the image's pixels. 0 / -1.
int ReadPart(GraphicRecord* g, KeptImage* image)
{
    std::vector<uint32_t> part(size_t(g->width) * size_t(g->height));
    if (IsBlendGraphic(g)) {
        for (int y = 0; y < g->height; ++y)
            for (int x = 0; x < g->width; ++x)
                part[size_t(y) * g->width + x] = 0xFF000000u | uint32_t(MemImgRow(&g->view, y)[x]) * 0x010101u;
    } else if (DrawOps.readGraphicPixels(g, part.data()) != 0) {
        return -1;
    }
    for (int y = 0; y < g->height; ++y)
        std::copy_n(&part[size_t(y) * g->width], g->width,
                    &image->argb[size_t(g->offsetY + y) * image->width + g->offsetX]);
    return 0;
}

// A graphic covering the kept image from (0, 0), with its pixels: the handle, or -1.
int MakeWholeImage(const KeptImage& image)
{
    if (image.blend) return BlendGraphicOfPixels(image.argb.data(), image.width, image.width, image.height);
    const GraphicCreationSettings saved = GraphicCreation;
    GraphicCreation.alphaChannel = image.hasAlpha;
    const int handle = CreateBlankGraphic(image.width, image.height);
    GraphicCreation = saved;
    ColorFormat argb;
    MakeArgb8Format(&argb);
    const PixelImage source{reinterpret_cast<const uint8_t*>(image.argb.data()), image.width * 4, image.width,
                            image.height, &argb};
    if (handle != -1 && CopyImageToGraphic(handle, source, nullptr, {0, 0, image.width, image.height}, 0, 0) != 0) {
        DestroyGraphic(handle);
        return -1;
    }
    return handle;
}

// Every font goes now, so that no glyph texture (a graphic of its font) is set aside; the
// default font is made again by the screen's set-up, the others from their recipes.
void SetFontsAside(KeptGraphics* kept)
{
    const int defaultFont = QueryDefaultFont();
    for (int32_t slot = 0; slot < kFontTableSize; ++slot) {
        auto* font = reinterpret_cast<FontRecord*>(FontSystem.slots[slot]);
        if (font == nullptr) continue;
        if (font->header.handle != defaultFont) {
            kept->fonts.push_back(RecipeOfFont(font, slot));
            font->releasedFlag = nullptr;  // the handle stays: its flag must not say it went
        }
        ReleaseFontHandle(font->header.handle);
    }
}

void BringFontsBack(KeptGraphics* kept)
{
    bool defaultTaken = false;
    for (const FontRecipe& recipe : kept->fonts) {
        // The new default font may have taken a kept font's place: it moves.
        if (const HandleHeader* there = FontSystem.slots[recipe.slot]) {
            defaultTaken = defaultTaken || there->handle == QueryDefaultFont();
            ReleaseFontHandle(there->handle);
        }
        if (MakeFontFromRecipe(recipe) == -1 && recipe.releasedFlag != nullptr) *recipe.releasedFlag = 1;
    }
    if (defaultTaken) RefreshDefaultFont();
    kept->fonts.clear();
}

}  // namespace

void SetGraphicsAside(KeptGraphics* kept)
{
    SetFontsAside(kept);  // first: their glyph textures are graphics that go with them
    std::unordered_map<GraphicImage*, size_t> imageIndex;
    for (int slot = 0; slot < GraphicTable.highWater; ++slot) {
        auto* g = reinterpret_cast<GraphicRecord*>(GraphicTable.slots[slot]);
        if (g == nullptr || g->image == nullptr) continue;
        auto [at, fresh] = imageIndex.try_emplace(g->image, kept->images.size());
        if (fresh) {
            const GraphicImage& i = *g->image;
            kept->images.push_back(KeptImage{
                i.width, i.height, i.hasAlpha, i.blend, std::vector<uint32_t>(size_t(i.width) * size_t(i.height)), {}});
        }
        kept->images[at->second].records.push_back(g);
    }
    for (KeptImage& image : kept->images) {
        bool read = true;
        for (GraphicRecord* g : image.records) read = read && ReadPart(g, &image) == 0;
        if (!read) image.records.clear();  // these go with the screen
        for (GraphicRecord* g : image.records) SetGraphicAside(g);
    }
}

void BringGraphicsBack(KeptGraphics* kept)
{
    for (KeptImage& image : kept->images) {
        if (image.records.empty()) continue;
        const int whole = MakeWholeImage(image);
        GraphicRecord* wholeRecord = ResolveGraphic(whole);
        for (GraphicRecord* g : image.records)
            if (wholeRecord == nullptr || AttachGraphicToImageOf(g, wholeRecord) != 0) {
                g->setAside = 0;
                DestroyGraphic(g->header.handle);
            }
        if (whole != -1) DestroyGraphic(whole);
    }
    kept->images.clear();
    BringFontsBack(kept);
}

}  // namespace ror
