// The fatal-error exit, for any layer. Its body lives with start-up and shutdown, which it
// runs, so that lower layers need not include the lifecycle.
#pragma once

namespace ror {

// Logs the message and a line end, runs the shutdown body when the layer runs, destroys
// MediaLock and ends the process with exit code -1.
[[noreturn]] void FatalExit(const char* message);
// The same with a printf-style message, formatted into 1024 bytes (cut, never overrun).
[[noreturn]] void FatalExitFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace ror
