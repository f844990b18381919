// UTF-8 text helpers shared by string drawing and typing.
#pragma once
#include <cstdint>

namespace ror {

constexpr uint32_t kNoCodePoint = 0xFFFFFFFF;

// A UTF-8 sequence from bytes[at], none read at or past end: the code point and its length,
// or kNoCodePoint with the length of its longest valid beginning (at least 1). Overlong
// forms, surrogates and code points past U+10FFFF are no code points.
int32_t DecodeUtf8(const uint8_t* bytes, int32_t at, int32_t end, uint32_t* code);

// The bytes of the character at the start of a terminated text, 1 to 4; 0 at its end or where
// the bytes make no character.
int Utf8CharacterLength(const char* text);

}  // namespace ror
