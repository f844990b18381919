#include "window/text_input.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/tracked_memory.h"

namespace ror {

TextInputRecord TextInput;

int InitCharBuffer()
{
    LogWrite("文字コードバッファの初期化を行います... ");
    TextInput.head = 0;
    TextInput.count = 0;
    LogWrite("完了しました\n");
    return 0;
}

int EndCharBuffer()
{
    TextInput.head = 0;
    TextInput.count = 0;
    if (TextInput.candidateList) TrackedFree(TextInput.candidateList);
    TextInput.candidateList = nullptr;
    TextInput.candidateListSize = 0;
    return 0;
}

int CharBufferFull() { return TextInput.count == kCharBufferSize; }

int StoreChar(uint8_t character)
{
    if (CharBufferFull()) return -1;
    TextInput.chars[(TextInput.head + TextInput.count) % kCharBufferSize] = character;
    ++TextInput.count;
    return 0;
}

int TakeChar()
{
    if (TextInput.count == 0) return -1;
    int character = TextInput.chars[TextInput.head];
    TextInput.head = (TextInput.head + 1) % kCharBufferSize;
    --TextInput.count;
    return character;
}

void RecordClick(uint32_t button) { TextInput.clickButtons |= button; }

}  // namespace ror
