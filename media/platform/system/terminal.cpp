#include "platform/system/terminal.h"

#include <cerrno>
#include <cstdio>

#include <unistd.h>

namespace ror {

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void WriteStandardError(const char* bytes, size_t length)
{
    std::fflush(stderr);
    while (length > 0) {
        const ssize_t written = write(STDERR_FILENO, bytes, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        bytes += written;
        length -= size_t(written);
    }
}

}  // namespace ror
