// Expanding DXT1-DXT5 blocks to 32-bit blue, green, red, alpha pixels.
#pragma once
#include "image/loaded_image.h"

namespace ror {

// Expands the first level of a block-compressed picture into width x height pixels at `out`
// (`pitch` bytes a row). DXT2 and DXT4 colours stay as stored (premultiplied). 0, or -1 when
// the picture holds no block data.
int ExpandDxtBlocks(const LoadedImage& image, uint8_t* out, int64_t pitch);

}  // namespace ror
