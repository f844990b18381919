#include "window/text_input.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/text_encoding.h"
#include "core/tracked_memory.h"
#include "base/sjis.h"
#include "platform/window_system/ime.h"
#include "window/input_lines.h"

namespace ror {

TextInputRecord TextInput;

namespace {

// Bytes that follow a character's first byte in the ring's text mode.
int FollowingBytes(uint8_t first)
{
    if (!TextInput.utf8) return IsSjisLeadByte(first) ? 1 : 0;
    if (first >= 0xC2 && first <= 0xDF) return 1;
    if (first >= 0xE0 && first <= 0xEF) return 2;
    if (first >= 0xF0 && first <= 0xF4) return 3;
    return 0;
}

void Unstore(int32_t bytes)
{
    TextInput.count -= bytes < TextInput.count ? bytes : TextInput.count;
    TextInput.partial = 0;
}

}  // namespace

int InitCharBuffer()
{
    LogWrite("文字コードバッファの初期化を行います... ");
    ClearCharBuffer();
    TextInput.utf8 = TextEncoding.utf8;
    SetTextMessagesUtf8(TextEncoding.utf8);
    LogWrite("完了しました\n");
    return 0;
}

int EndCharBuffer()
{
    ClearCharBuffer();
    ReleaseInputLines();
    if (TextInput.candidateList) TrackedFree(TextInput.candidateList);
    TextInput.candidateList = nullptr;
    TextInput.candidateListSize = 0;
    return 0;
}

void ClearCharBuffer()
{
    TextInput.head = 0;
    TextInput.count = 0;
    TextInput.pending = 0;
    TextInput.partial = 0;
    TextInput.refusing = 0;
}

void FollowTextMode()
{
    if (TextInput.utf8 == TextEncoding.utf8) return;
    ClearCharBuffer();
    TextInput.utf8 = TextEncoding.utf8;
}

int CharBufferFull() { return TextInput.count == kCharBufferSize; }

int StoreChar(uint8_t character)
{
    FollowTextMode();
    if (TextInput.pending > 0) {
        if (TextInput.utf8 && (character & 0xC0) != 0x80) {
            // A UTF-8 sequence broken off: take back what it stored, the byte starts anew.
            if (!TextInput.refusing) Unstore(TextInput.partial);
            TextInput.pending = 0;
        } else {
            --TextInput.pending;
            if (TextInput.refusing) return -1;
            if (CharBufferFull()) {
                Unstore(TextInput.partial);
                TextInput.refusing = 1;
                return -1;
            }
            TextInput.chars[(TextInput.head + TextInput.count) % kCharBufferSize] = character;
            ++TextInput.count;
            ++TextInput.partial;
            return 0;
        }
    }
    TextInput.pending = FollowingBytes(character);
    TextInput.partial = 0;
    TextInput.refusing = 0;
    if (CharBufferFull()) {
        TextInput.refusing = 1;
        return -1;
    }
    TextInput.chars[(TextInput.head + TextInput.count) % kCharBufferSize] = character;
    ++TextInput.count;
    TextInput.partial = 1;
    return 0;
}

int TakeChar()
{
    if (TextInput.count == 0) return -1;
    int character = TextInput.chars[TextInput.head];
    TextInput.head = (TextInput.head + 1) % kCharBufferSize;
    --TextInput.count;
    if (TextInput.partial > TextInput.count) TextInput.partial = TextInput.count;
    return character;
}

int TakeWholeChar(char* out)
{
    FollowTextMode();
    if (TextInput.count == 0) return 0;
    const uint8_t first = TextInput.chars[TextInput.head];
    const int length = 1 + FollowingBytes(first);
    if (length > TextInput.count) {
        // The last character may still wait for its other bytes; one that never gets them
        // is dropped rather than read as part of the next.
        if (TextInput.pending == 0) ClearCharBuffer();
        return 0;
    }
    for (int i = 0; i < length; ++i) out[i] = static_cast<char>(TakeChar());
    out[length] = '\0';
    return length;
}

void RecordClick(uint32_t button) { TextInput.clickButtons |= button; }

void StepTextInputState() { StepActiveInputLine(); }

}  // namespace ror

using namespace ror;

int ReadTypedCharacter(char* buffer, int size)
{
    if (!buffer || size < 5) return -1;
    return TakeWholeChar(buffer);
}

int ClearTypedCharacters()
{
    ClearCharBuffer();
    return 0;
}
