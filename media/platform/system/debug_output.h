// The debugger output channel the log mirrors its text to. Linux has none: by default the
// text goes nowhere; with ROR_DEBUG_OUTPUT set (non-empty, not "0") it goes to stderr.
#pragma once
#include <cstddef>

namespace ror {

using DebugOutputSink = void (*)(const char* bytes, size_t length);

// Sends the bytes as they are (cp932, no re-encoding) to the current channel.
void WriteDebugOutput(const char* bytes, size_t length);

// Replaces the channel; null returns to the default. For tools and tests.
void SetDebugOutputSink(DebugOutputSink sink);

}  // namespace ror
