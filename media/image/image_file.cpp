// Loading a picture file: the file layer's stream over the path, then the decoder chain.
#include "rorodiv_file.h"
#include "image/loaded_image.h"

namespace ror {

int LoadImageData(const char* path, LoadedImage* image)
{
    if (path == nullptr || image == nullptr) return -1;
    const FileValue file = FileOpen(path, 0, 0, 0);
    if (file == 0) return -1;
    const StreamOps* ops = FileStreamOps();
    const int result = DecodeImageStream(ops, file, image);
    ops->close(file);
    return result;
}

}  // namespace ror
