#include "platform/system/codepage.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace ror {

namespace {

int Convert(const char* to, const char* from, const char* text, char* out, size_t size)
{
    if (size == 0) return -1;
    out[0] = '\0';
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return -1;
    char* input = const_cast<char*>(text);
    size_t inputLeft = std::strlen(text);
    char* output = out;
    size_t outputLeft = size - 1;
    while (inputLeft > 0) {
        if (iconv(converter, &input, &inputLeft, &output, &outputLeft) != static_cast<size_t>(-1)) break;
        if (errno == EILSEQ || errno == EINVAL) {
            // Skip one byte of a character that does not convert (or is cut off) and go on.
            ++input;
            --inputLeft;
            continue;
        }
        break;  // E2BIG: iconv stops before a character that does not fit
    }
    iconv_close(converter);
    *output = '\0';
    return static_cast<int>(output - out);
}

// All or nothing: -1 at the first character that does not convert or does not fit.
int ConvertWhole(const char* to, const char* from, const char* text, char* out, size_t size)
{
    if (size == 0) return -1;
    out[0] = '\0';
    const size_t length = std::strlen(text);
    bool ascii = true;
    for (size_t i = 0; i < length && ascii; ++i) ascii = static_cast<unsigned char>(text[i]) < 0x80;
    if (ascii) {
        // ASCII reads the same in both encodings, "\" and "~" included.
        if (length >= size) return -1;
        std::memcpy(out, text, length + 1);
        return static_cast<int>(length);
    }
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return -1;
    char* input = const_cast<char*>(text);
    size_t inputLeft = length;
    char* output = out;
    size_t outputLeft = size - 1;
    // A count above 0 means characters were replaced by others: not the same name.
    const size_t replaced = iconv(converter, &input, &inputLeft, &output, &outputLeft);
    const bool whole = replaced == 0 && inputLeft == 0 &&
                       iconv(converter, nullptr, nullptr, &output, &outputLeft) != static_cast<size_t>(-1);
    iconv_close(converter);
    if (!whole) {
        out[0] = '\0';
        return -1;
    }
    *output = '\0';
    return static_cast<int>(output - out);
}

}  // namespace

int Cp932ToUtf8(const char* text, char* out, size_t size) { return Convert("UTF-8", "CP932", text, out, size); }

int Utf8ToCp932(const char* text, char* out, size_t size) { return Convert("CP932", "UTF-8", text, out, size); }

int Cp932ToUtf8Exact(const char* text, char* out, size_t size)
{
    return ConvertWhole("UTF-8", "CP932", text, out, size);
}

int Utf8ToCp932Exact(const char* text, char* out, size_t size)
{
    const int length = ConvertWhole("CP932", "UTF-8", text, out, size);
    if (length <= 0) return length;
    // The way back must give the name we started from. Names on disk are short (255 bytes at
    // most); a text too long for the check is refused.
    char back[1024];
    const size_t original = std::strlen(text);
    if (original >= sizeof back ||
        ConvertWhole("UTF-8", "CP932", out, back, sizeof back) != static_cast<int>(original) ||
        std::memcmp(back, text, original) != 0) {
        out[0] = '\0';
        return -1;
    }
    return length;
}

}  // namespace ror
