#include "file/file_names.h"

#include <cstring>

#include "base/sjis.h"

namespace ror {

size_t SjisCharLength(const char* text)
{
    return IsSjisLeadByte(static_cast<unsigned char>(text[0])) && text[1] != '\0' ? 2 : 1;
}

int UpperCaseCopy(char* out, size_t size, const char* text)
{
    size_t length = std::strlen(text);
    if (length >= size) return -1;
    for (size_t i = 0; i < length;) {
        size_t step = SjisCharLength(text + i);
        if (step == 1) {
            char c = text[i];
            out[i] = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
        } else {
            out[i] = text[i];
            out[i + 1] = text[i + 1];
        }
        i += step;
    }
    out[length] = '\0';
    return 0;
}

int MatchWildcard(const char* pattern, const char* name)
{
    // On a mismatch after a "*", the star takes one more character of the name and the
    // rest is tried again, so "*.png" also matches "a.b.png".
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            while (*pattern == '*') ++pattern;
            if (*pattern == '\0') return 0;
            starPattern = pattern;
            starName = name;
            continue;
        }
        size_t patternStep = SjisCharLength(pattern);
        size_t nameStep = SjisCharLength(name);
        if (*pattern == '?' && patternStep == 1) {
            ++pattern;
            ++name;
            continue;
        }
        if (*pattern != '\0' && patternStep == nameStep && std::memcmp(pattern, name, nameStep) == 0) {
            pattern += patternStep;
            name += nameStep;
            continue;
        }
        if (starPattern == nullptr) return -1;
        starName += SjisCharLength(starName);
        name = starName;
        pattern = starPattern;
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0' ? 0 : -1;
}

ptrdiff_t FindLastSeparator(const char* path, bool colonSplits)
{
    ptrdiff_t last = -1;
    for (size_t i = 0; path[i] != '\0'; i += SjisCharLength(path + i)) {
        char c = path[i];
        if (IsPathSeparator(c) || (colonSplits && c == ':')) last = ptrdiff_t(i);
    }
    return last;
}

}  // namespace ror
