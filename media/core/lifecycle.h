// Start-up and shutdown of the media layer, its settings and the fatal-error exit.
#pragma once

int InitMediaLayer();
int EndMediaLayer();

// Logs the message and a line end, runs the shutdown body when the layer runs, destroys
// MediaLock and ends the process with exit code -1.
[[noreturn]] void FatalExit(const char* message);
// The same with a printf-style message, formatted into 1024 bytes (cut, never overrun).
[[noreturn]] void FatalExitFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The caption of the main window (cp932). Cut to 255 bytes on a character boundary. 0.
int SetWindowTitle(const char* title);
