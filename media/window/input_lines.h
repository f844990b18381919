// Input lines: a line of text the player edits with the character buffer, one active at a
// time. Each holds its text in UTF-8 whatever the game's text mode, so that a mode switch
// loses nothing; texts cross into the game's mode where they go in and out.
#pragma once
#include "core/handles.h"
#include "platform/window_system/messages.h"

#include <cstdint>

namespace ror {

constexpr int32_t kInputLineSlots = 256;
constexpr int32_t kInputLineMaxCharacters = 512;
constexpr int32_t kLongestUtf8Character = 4;

struct InputLineRecord {
    HandleHeader header;
    int32_t maxCharacters;
    int32_t options;  // INPUT_LINE_... bits
    int32_t state;    // INPUT_LINE_IDLE ... CANCELLED
    int32_t length;   // characters
    int32_t caret;    // characters before the caret
    int32_t bytes;    // of text, without the terminator
    char text[1];     // maxCharacters * 4 + 1 bytes follow in the same block
};

struct InputLineState {
    HandleHeader* slots[kInputLineSlots];
    HandleTable table;
    int32_t active;      // the active line's handle, or -1
    Rect candidateArea;  // last given to the input method, so it is told only of a move
};

extern InputLineState InputLines;

InputLineRecord* ResolveInputLine(int handle);
// The active line takes the characters waiting in the character buffer.
void StepActiveInputLine();
// Every line goes (shutdown).
void ReleaseInputLines();

}  // namespace ror
