// What the graphics layer asks of the picture loading beyond the public LoadGraphic family.
#pragma once

namespace ror {

// The built-in restore after the device lost its graphics: every graphic loaded from a file
// is loaded again and its pixels copied back in, a file read once for consecutive graphics
// that came from it. Graphics whose file cannot be read are left as they are.
void RestoreGraphicsFromFiles();

}  // namespace ror
