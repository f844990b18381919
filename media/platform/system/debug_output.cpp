#include "platform/system/debug_output.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ror {

static DebugOutputSink debugOutputSink;

static void WriteToStderr(const char* bytes, size_t length) { std::fwrite(bytes, 1, length, stderr); }

static void Discard(const char*, size_t) {}

// Read once: the environment does not change under a running layer.
static DebugOutputSink DefaultDebugOutputSink()
{
    static const DebugOutputSink sink = [] {
        const char* value = std::getenv("ROR_DEBUG_OUTPUT");
        bool enabled = value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
        return enabled ? &WriteToStderr : &Discard;
    }();
    return sink;
}

void WriteDebugOutput(const char* bytes, size_t length)
{
    if (length == 0) return;
    DebugOutputSink sink = debugOutputSink != nullptr ? debugOutputSink : DefaultDebugOutputSink();
    sink(bytes, length);
}

void SetDebugOutputSink(DebugOutputSink sink) { debugOutputSink = sink; }

}  // namespace ror
