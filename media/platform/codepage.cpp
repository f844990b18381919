#include "platform/codepage.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

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

}  // namespace

int Cp932ToUtf8(const char* text, char* out, size_t size)
{
    return Convert("UTF-8", "CP932", text, out, size);
}

int Utf8ToCp932(const char* text, char* out, size_t size)
{
    return Convert("CP932", "UTF-8", text, out, size);
}
