// Graphics and fonts kept across a mode change: their pixels and recipes are set aside before
// the screen goes, and made again under the same handles once the new screen is up.
#pragma once
#include "graphics/graphic_handles.h"
#include "text/font_handles.h"

#include <cstdint>
#include <vector>

namespace ror {

// One image shared by graphics: its pixels as 0xAARRGGBB (a blend image's levels as greys)
// and the records that show parts of it.
struct KeptImage {
    int32_t width, height;
    int32_t hasAlpha, blend;
    std::vector<uint32_t> argb;
    std::vector<GraphicRecord*> records;
};

struct KeptGraphics {
    std::vector<KeptImage> images;
    std::vector<FontRecipe> fonts;
};

// Reads every font's recipe (the default font's aside: it comes back by itself) and every
// graphic's pixels, then releases the fonts and the images while the graphic records and
// their handles stay. A graphic whose pixels cannot be read is left to go with the screen.
void SetGraphicsAside(KeptGraphics* kept);
// Makes the images and the fonts again on the screen now up and hands each record its part.
// A graphic or a font that cannot be made again is released, its loss flag set.
void BringGraphicsBack(KeptGraphics* kept);

}  // namespace ror
