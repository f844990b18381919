// Whether a standard stream is a terminal, for tools that show progress only to a person.
#pragma once
#include <cstddef>

namespace ror {

bool StandardErrorIsTerminal();
// Writes the bytes to standard error as they are, unbuffered, so that lines keep their order
// with the program's own.
void WriteStandardError(const char* bytes, size_t length);

}  // namespace ror
