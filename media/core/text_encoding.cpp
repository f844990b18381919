#include "core/text_encoding.h"
#include "rorodiv.h"

#include <algorithm>
#include <cstring>

#include "core/tracked_memory.h"
#include "platform/system/codepage.h"
#include "platform/window_system/ime.h"

namespace ror {

TextEncodingState TextEncoding;

namespace {

// ASCII reads the same in both encodings.
bool IsAscii(const char* text)
{
    for (; *text != '\0'; ++text)
        if (uint8_t(*text) >= 0x80) return false;
    return true;
}

}  // namespace

}  // namespace ror

using namespace ror;

int SetUseUtf8Texts(int enable)
{
    TextEncoding.utf8 = enable != 0;
    // Typed characters come in the mode the game reads them in.
    SetTextMessagesUtf8(TextEncoding.utf8);
    return 0;
}

namespace ror {

CallerText::CallerText(const char* text, CallerTextUse use) : text_(text)
{
    if (TextEncoding.utf8 == 0 || text == nullptr || IsAscii(text)) return;
    // cp932 never takes more bytes than the UTF-8 it comes from.
    size_t size = std::strlen(text) + 1;
    char* out = local_;
    if (size > sizeof local_) {
        heap_ = size <= size_t(INT32_MAX) ? static_cast<char*>(TrackedAlloc(int32_t(size), nullptr, -1)) : nullptr;
        out = heap_ != nullptr ? heap_ : local_;
        size = heap_ != nullptr ? size : sizeof local_;
    }
    if (use == CallerTextUse::Path) {
        // "¥" would become the separator "\", "〜" the name "～": not the file the game named.
        text_ = Utf8ToCp932Exact(text, out, size) < 0 ? nullptr : out;
        return;
    }
    if (Utf8ToCp932(text, out, size) < 0) out[0] = '\0';
    text_ = out;
}

CallerText::~CallerText()
{
    if (heap_ != nullptr) TrackedFree(heap_);
}

void TextToCaller(char* text, size_t size)
{
    if (TextEncoding.utf8 == 0 || text == nullptr || size == 0 || IsAscii(text)) return;
    char converted[1024];
    if (Cp932ToUtf8(text, converted, std::min(size, sizeof converted)) < 0) converted[0] = '\0';
    std::memcpy(text, converted, std::strlen(converted) + 1);
}

int PathToCaller(char* text, size_t size)
{
    if (TextEncoding.utf8 == 0 || text == nullptr || size == 0 || IsAscii(text)) return 0;
    char converted[1024];
    if (Cp932ToUtf8Exact(text, converted, std::min(size, sizeof converted)) < 0) {
        text[0] = '\0';
        return -1;
    }
    std::memcpy(text, converted, std::strlen(converted) + 1);
    return 0;
}

}  // namespace ror
