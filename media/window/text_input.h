// The text-input layer's state that the window procedure feeds: the character buffer, the
// click record and the input method's composition state. Input lines are in input_lines.h.
#pragma once
#include <cstdint>

namespace ror {

constexpr int kCharBufferSize = 256;

struct TextInputRecord {
    uint8_t chars[kCharBufferSize];  // a ring of text bytes (cp932 or UTF-8) and control characters
    int32_t head;
    int32_t count;
    int32_t utf8;           // the text mode the ring's bytes are in
    int32_t pending;        // bytes the character stored last still needs
    int32_t partial;        // bytes of that character stored so far
    int32_t refusing;       // that character did not fit: its remaining bytes are refused too
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
// A byte of a character, or a control character: 0, or -1 when the buffer is full. A character
// of several bytes that does not fit whole is taken back whole, so that none is stored cut.
int StoreChar(uint8_t character);
int TakeChar();  // the oldest byte, -1 when empty
// The oldest whole character (1 to 4 bytes) into out, terminated: its length, 0 when the
// buffer holds none. out has room for 5 bytes.
int TakeWholeChar(char* out);
// Empties the buffer when the game's text mode changed since its bytes were stored.
void FollowTextMode();
void ClearCharBuffer();
void RecordClick(uint32_t button);
// The step at the end of each round of messages: the active input line takes the characters.
void StepTextInputState();

}  // namespace ror
