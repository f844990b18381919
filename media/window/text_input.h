// The little of the text-input layer that the window procedure feeds: the character buffer,
// the click record and the input method's composition state. The layer itself (key-input
// buffers, clipboard, candidate windows) is not built in this system.
#pragma once
#include <cstdint>

namespace ror {

constexpr int kCharBufferSize = 256;

struct TextInputRecord {
    uint8_t chars[kCharBufferSize];  // a ring of cp932 bytes and control characters
    int32_t head;
    int32_t count;
    uint32_t clickButtons;  // buttons pressed since last read (bits 1, 2, 4)
    int32_t composing;
    char composition[1024];
    int32_t compositionCursor;  // characters of the composition before the caret
    int32_t clauseCount;
    void* candidateList;  // tracked block, or null
    int32_t candidateListSize;
    int32_t keepInputMethodOn;  // the layer keeps the input method switched on
    int32_t inputMethodWasOpen;
    int32_t reopenInputMethod;  // reopen it on the next step
    int32_t insideOpenStatus;   // the open-status row is running
    int32_t inputMethodOpen;
    uint32_t lastActivity;  // NowMilliseconds of the last input-method message
};

extern TextInputRecord TextInput;

// Start-up step 18 (logs its two fragments) and the window end.
int InitCharBuffer();
int EndCharBuffer();
int CharBufferFull();
int StoreChar(uint8_t character);  // 0, or -1 when full
int TakeChar();                    // the oldest character, -1 when empty
void RecordClick(uint32_t button);

}  // namespace ror
