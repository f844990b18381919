// The calling thread's last failure, for GetLastFailure: the log's line for it (in the log's
// language, cp932 inside) and its kind. A success never clears it.
#pragma once
#include "rorodiv.h"

#include <cstdint>

namespace ror {

struct FailureRecord {
    int32_t kind;    // a FAILURE_ code; FAILURE_NONE until the thread's first failure
    uint32_t count;  // failures noted so far, for FailureMark
    char text[512];  // the line without its tabs and line end, cut on a character boundary
};

extern thread_local FailureRecord LastFailure;

// Notes `line` (a cp932 log line) as the thread's failure of `kind`; kContinuesFailure adds it
// to the failure noted before. -1.
int NoteFailure(int kind, const char* line);
// A failing call the log does not note: `operation` is the public operation's name.
int FailedArgument(const char* operation);
int FailedHandle(const char* operation, int handle);
int FailedNotStarted(const char* operation);
int FailedAfterStart(const char* operation);  // a setting for before start-up, made after it
int FailedNoMusic(const char* operation);
// For a call whose failure may or may not have been noted on its way (a decoder that refuses
// quietly, a file layer that logs): the mark before the work, and, after it failed, a note of
// `kind` naming the operation unless something was noted since the mark. -1.
uint32_t FailureMark();
int FailedSince(uint32_t mark, int kind, const char* operation);
// A file the game named could not be opened: replaces a note of the same kind that lacked the
// name, keeps one of another kind (memory, a thread). -1.
int FailedFile(uint32_t mark, const char* path);
// Forgets the thread's failure. For tests.
void ClearLastFailure();

}  // namespace ror
