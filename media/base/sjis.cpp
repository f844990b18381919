#include "base/sjis.h"

#include <cstring>

namespace ror {

size_t SjisCutLength(const char* text, size_t limit)
{
    size_t i = 0;
    while (i < limit && text[i] != '\0') {
        size_t step = IsSjisLeadByte(static_cast<unsigned char>(text[i])) && text[i + 1] != '\0' ? 2 : 1;
        if (i + step > limit) break;
        i += step;
    }
    return i;
}

size_t SjisCopyCut(char* out, size_t outSize, const char* text)
{
    if (outSize == 0) return 0;
    size_t length = SjisCutLength(text, outSize - 1);
    std::memcpy(out, text, length);
    out[length] = '\0';
    return length;
}

}  // namespace ror
