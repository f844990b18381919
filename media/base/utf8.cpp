#include "base/utf8.h"

namespace ror {

namespace {

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

int32_t DecodeUtf8(const uint8_t* bytes, int32_t at, int32_t end, uint32_t* code)
{
    const uint8_t lead = bytes[at];
    *code = kNoCodePoint;
    if (lead < 0x80) {
        *code = lead;
        return 1;
    }
    int32_t length = 0;
    uint32_t value = 0;
    uint8_t low = 0x80, high = 0xBF;  // the second byte's range, narrower after some leads
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    } else {
        return 1;
    }
    for (int32_t i = 1; i < length; ++i) {
        if (at + i >= end) return i;
        const uint8_t byte = bytes[at + i];
        if (!IsContinuation(byte) || (i == 1 && (byte < low || byte > high))) return i;
        value = value << 6 | (byte & 0x3F);
    }
    *code = value;
    return length;
}

int Utf8CharacterLength(const char* text)
{
    if (text[0] == '\0') return 0;
    uint32_t code = 0;
    // The terminator stops the sequence, so four bytes are never read past it.
    const int32_t length = DecodeUtf8(reinterpret_cast<const uint8_t*>(text), 0, 4, &code);
    return code == kNoCodePoint ? 0 : length;
}

}  // namespace ror
