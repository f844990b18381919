// Conversions between the layer's texts (cp932) and the UTF-8 that SDL speaks.
#pragma once
#include <cstddef>

// Each writes a terminated string into out (capacity size, at least 1) and returns its length,
// or -1 when nothing could be converted. A text that does not fit is cut at a character
// boundary; bytes that do not convert are left out.
int Cp932ToUtf8(const char* text, char* out, size_t size);
int Utf8ToCp932(const char* text, char* out, size_t size);
