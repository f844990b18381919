// Absolute paths with "\" separators, the identity under which archives are compared.
#include <cstring>

#include "rorodiv_file.h"
#include "file/archive_files.h"
#include "file/file_names.h"
#include "platform/files/files.h"

namespace ror {

namespace {

constexpr size_t kWorkSize = 1024;

struct PathBuilder {
    char text[kWorkSize];
    size_t length;
    bool upperCase;
    bool overflow;
};

void Append(PathBuilder* out, const char* bytes, size_t count)
{
    if (out->length + count >= kWorkSize) {
        out->overflow = true;
        return;
    }
    std::memcpy(out->text + out->length, bytes, count);
    // Upper-case and turn "/" into "\" one character at a time, so trail bytes stay as they are.
    for (size_t i = out->length; i < out->length + count;) {
        size_t step = SjisCharLength(out->text + i);
        if (step == 1) {
            char& c = out->text[i];
            if (c == '/')
                c = '\\';
            else if (out->upperCase && c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
        }
        i += step;
    }
    out->length += count;
    out->text[out->length] = '\0';
}

// Removes the last component, back to its separator, never past a drive colon.
void DropLastComponent(PathBuilder* out)
{
    ptrdiff_t last = FindLastSeparator(out->text, false);
    ptrdiff_t colon = out->length >= 2 && out->text[1] == ':' ? 1 : -1;
    if (last > colon) {
        out->length = size_t(last);
        out->text[out->length] = '\0';
    }
}

bool IsDriveLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

int FullPathFrom(const char* base, const char* path, bool upperCase, char* out, size_t size)
{
    PathBuilder result{};
    result.upperCase = upperCase;
    PathBuilder start{};
    start.upperCase = upperCase;
    Append(&start, base, std::strlen(base));
    // The base without a trailing separator ("\" alone, the root, becomes empty).
    if (start.length > 0 && start.text[start.length - 1] == '\\' &&
        FindLastSeparator(start.text, false) == ptrdiff_t(start.length - 1))
        start.text[--start.length] = '\0';

    const char* rest = path == nullptr ? "" : path;
    if (path == nullptr || path[0] == '\0') {
        result = start;
    } else if (IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        Append(&result, "\\", 1);
        rest = path + 2;
    } else if (IsPathSeparator(path[0])) {
        if (start.length >= 2 && start.text[1] == ':') Append(&result, start.text, 2);
        rest = path + 1;
    } else if (IsDriveLetter(path[0]) && path[1] == ':') {
        char drive[2] = {char(path[0] >= 'a' && path[0] <= 'z' ? path[0] - 'a' + 'A' : path[0]), ':'};
        Append(&result, drive, 2);
        rest = path + 2;
        if (IsPathSeparator(*rest)) ++rest;
    } else {
        result = start;
    }

    while (*rest != '\0') {
        size_t length = 0;
        while (rest[length] != '\0' && !IsPathSeparator(rest[length])) length += SjisCharLength(rest + length);
        bool last = rest[length] == '\0';
        if (last) {
            // The last component is kept as written, even "." or "..".
            Append(&result, "\\", 1);
            Append(&result, rest, length);
            break;
        }
        if (length == 0 || (length == 1 && rest[0] == '.')) {
            // skipped
        } else if (length == 2 && rest[0] == '.' && rest[1] == '.') {
            DropLastComponent(&result);
        } else {
            Append(&result, "\\", 1);
            Append(&result, rest, length);
        }
        rest += length + 1;
    }
    if (result.overflow || result.length >= size) return -1;
    std::memcpy(out, result.text, result.length + 1);
    return 0;
}

int FullPath(const char* path, bool upperCase, char* out, size_t size)
{
    char base[kFilePathSize];
    if (GetSystemCurrentDirectory(base, sizeof base) != 0) return -1;
    return FullPathFrom(base, path, upperCase, out, size);
}

}  // namespace ror
