// Conversions between the layer's texts (cp932) and the UTF-8 that SDL and the file system speak.
#pragma once
#include <cstddef>

namespace ror {

// Each writes a terminated string into out (capacity size, at least 1) and returns its length,
// or -1 when nothing could be converted. A text that does not fit is cut at a character
// boundary; bytes that do not convert are left out.
int Cp932ToUtf8(const char* text, char* out, size_t size);
int Utf8ToCp932(const char* text, char* out, size_t size);

// Exact forms for names on disk, where a changed name would be a different file: the length,
// or -1 (out then holds "") when a character does not convert or the whole text does not fit.
// A cp932 name for a UTF-8 one must also convert back to the same UTF-8 ("¥" and "〜" have
// only look-alikes in cp932, "\" and "～", which name other files).
int Cp932ToUtf8Exact(const char* text, char* out, size_t size);
int Utf8ToCp932Exact(const char* text, char* out, size_t size);

}  // namespace ror
