#include "platform/window_system/clipboard.h"

#include "platform/window_system/window_record.h"

#include <SDL.h>

#include <cstring>

namespace ror {

int ReadClipboardUtf8(char* out, size_t size)
{
    if (!VideoStarted() || !SDL_HasClipboardText()) return -1;
    char* text = SDL_GetClipboardText();
    if (!text) return -1;
    const size_t length = std::strlen(text);
    if (size > 0) {
        size_t cut = length < size - 1 ? length : size - 1;
        // Back off continuation bytes so that no character is cut in two.
        if (cut < length)
            while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        std::memcpy(out, text, cut);
        out[cut] = '\0';
    }
    SDL_free(text);
    return length > size_t(INT32_MAX) ? -1 : static_cast<int>(length);
}

int WriteClipboardUtf8(const char* text)
{
    if (!VideoStarted()) return -1;
    return SDL_SetClipboardText(text) == 0 ? 0 : -1;
}

}  // namespace ror
