// The application log "Log.txt": the layer's one diagnostic channel.
// Every write returns -1 so that a failure path can log and fail in one step.
#pragma once
#include "rorodiv.h"

#include "base/log_texts.h"

#include <cstdint>

namespace ror {

struct LogState {
    int32_t off;         // 1 when switched off
    char folder[260];    // the current directory captured at start-up; empty before
    char fileName[16];   // "Log.txt" once started
    int32_t depth;       // tabs at the start of a line
    int32_t lineOpen;    // the last text did not end in a line feed
    uint32_t startTime;  // millisecond clock at LogStart
    int32_t utf8;        // 1: the lines are written in UTF-8 instead of cp932
    int32_t toStderr;    // 1: the lines are also written to standard error, file or no file
};

extern LogState AppLogState;

int LogStart();
// The layer's own writes, in cp932, each text a row of the table in base/log_texts.h (a text
// passed as an argument goes through PickLogText). A row's failure becomes the thread's last. The game's LogWrite and LogWriteFormat (rorodiv.h) take
// its texts across the UTF-8 boundary first; inside the layer the names mean these.
int LayerLogWrite(const char* text);
int LayerLogWriteFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
#define LogWrite(...) LayerLogWrite(__VA_ARGS__)
#define LogWriteFormat(...) LayerLogWriteFormat(__VA_ARGS__)
int LogNetworkError(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace ror
