// Every text the layer writes to its log, in Japanese (what the code writes, byte for byte)
// and in English beside it, with the kind of failure a line reports. The code keeps writing
// its Japanese texts; the log looks each one up here, so a new text needs a row (a test reads
// the sources for texts the table lacks).
#pragma once
#include "rorodiv.h"

#include <cstddef>
#include <cstdint>

namespace ror {

// A row's kind: a FAILURE_ code, 0 for a line that reports no failure, or this for a line that
// adds a detail to the failure the line before it reported.
constexpr int kContinuesFailure = -1;

struct LogTextRow {
    const char* japanese;  // cp932, as the code writes it
    const char* english;   // ASCII; the same printf conversions in the same order
    int kind;
};

extern const LogTextRow LogTextRows[];
extern const size_t LogTextRowCount;

struct LogTextState {
    int32_t english;  // 1: the log writes the English texts
};
extern LogTextState LogTextSettings;

// The row whose Japanese text is `text`, or null for a text the table does not hold.
const LogTextRow* FindLogTextRow(const char* text);
// `text` in the log's language: the English beside it while English is on, else `text` itself
// (also for a text the table does not hold).
const char* PickLogText(const char* text);

}  // namespace ror
