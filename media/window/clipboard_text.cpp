// The clipboard for games: the window system's UTF-8 text, in the game's text mode.
#include "rorodiv.h"

#include "base/sjis.h"
#include "core/core_state.h"
#include "core/text_encoding.h"
#include "core/tracked_memory.h"
#include "platform/system/codepage.h"
#include "platform/window_system/clipboard.h"
#include "core/last_failure.h"

#include <cstring>

namespace ror {

namespace {

// The clipboard's whole text in the game's text mode, in tracked memory the caller frees.
char* ClipboardInGameMode()
{
    const int length = ReadClipboardUtf8(nullptr, 0);
    if (length < 0 || length > INT32_MAX - 1) return nullptr;
    auto* text = static_cast<char*>(TrackedAlloc(length + 1, nullptr, -1));
    if (!text) return nullptr;
    if (ReadClipboardUtf8(text, size_t(length) + 1) < 0) {
        TrackedFree(text);
        return nullptr;
    }
    if (TextEncoding.utf8) return text;
    // cp932 never needs more bytes than the UTF-8 it comes from.
    auto* cp932 = static_cast<char*>(TrackedAlloc(length + 1, nullptr, -1));
    if (cp932 && Utf8ToCp932(text, cp932, size_t(length) + 1) < 0) cp932[0] = '\0';
    TrackedFree(text);
    return cp932;
}

}  // namespace

}  // namespace ror

using namespace ror;

int ReadClipboardText(char* buffer, int size)
{
    if (size < 0 || (!buffer && size > 0)) return FailedArgument(__func__);
    if (!CoreState.Started) return FailedNotStarted(__func__);
    char* text = ClipboardInGameMode();
    if (!text) return -1;
    const int needed = int(std::strlen(text)) + 1;
    if (size > 0) {
        if (TextEncoding.utf8) {
            int cut = needed - 1 < size - 1 ? needed - 1 : size - 1;
            while (cut > 0 && cut < needed - 1 && (static_cast<uint8_t>(text[cut]) & 0xC0) == 0x80) --cut;
            std::memcpy(buffer, text, size_t(cut));
            buffer[cut] = '\0';
        } else {
            SjisCopyCut(buffer, size_t(size), text);
        }
    }
    TrackedFree(text);
    return needed;
}

int WriteClipboardText(const char* text)
{
    if (!text) return FailedArgument(__func__);
    if (!CoreState.Started) return FailedNotStarted(__func__);
    if (TextEncoding.utf8) return WriteClipboardUtf8(text);
    const size_t size = std::strlen(text) * 3 + 1;
    if (size > size_t(INT32_MAX)) return FailedArgument(__func__);
    auto* utf8 = static_cast<char*>(TrackedAlloc(int32_t(size), nullptr, -1));
    if (!utf8) return -1;
    const int result = Cp932ToUtf8(text, utf8, size) < 0 ? -1 : WriteClipboardUtf8(utf8);
    TrackedFree(utf8);
    return result;
}
