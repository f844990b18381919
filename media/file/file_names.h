// Name handling shared by the file and archive layers. Names are Shift-JIS byte strings:
// both bytes of a two-byte character are always taken together.
#pragma once
#include <cstddef>

namespace ror {

// Byte length of the character at `text` (2 for a lead byte followed by a non-zero byte).
size_t SjisCharLength(const char* text);

// ASCII a-z to A-Z; two-byte characters unchanged. -1 when `out` (capacity `size`) is too small.
int UpperCaseCopy(char* out, size_t size, const char* text);

// 0 when `name` matches `pattern`: "?" is any one byte, "*" any run of characters (runs of
// "*" count as one), any other character must be equal. Letters are compared as given.
int MatchWildcard(const char* pattern, const char* name);

// Position of the last "\", "/" (and ":" when `colonSplits`) in `path`, or -1.
ptrdiff_t FindLastSeparator(const char* path, bool colonSplits);

constexpr bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace ror
