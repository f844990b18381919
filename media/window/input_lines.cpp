#include "window/input_lines.h"
#include "rorodiv.h"

#include "base/utf8.h"
#include "core/core_state.h"
#include "core/text_encoding.h"
#include "core/tracked_memory.h"
#include "graphics/window_link.h"
#include "platform/system/codepage.h"
#include "platform/window_system/clipboard.h"
#include "platform/window_system/ime.h"
#include "window/text_input.h"
#include "core/last_failure.h"

#include <cstring>

namespace ror {

InputLineState InputLines = {{}, {HandleKind::KeyInput, kInputLineSlots, InputLines.slots, 0}, -1, {}};

namespace {

constexpr int kLineOptions = INPUT_LINE_SINGLE_BYTE | INPUT_LINE_DIGITS | INPUT_LINE_HIDDEN;

int32_t ByteOffset(const char* text, int32_t bytes, int32_t characters)
{
    int32_t at = 0;
    for (int32_t i = 0; i < characters && at < bytes; ++i) at += Utf8CharacterLength(text + at);
    return at;
}

int32_t CountCharacters(const char* text)
{
    int32_t count = 0;
    for (const char* at = text; *at; ++count) {
        const int bytes = Utf8CharacterLength(at);
        at += bytes > 0 ? bytes : 1;
    }
    return count;
}

bool Accepts(const InputLineRecord& line, const char* character, int bytes)
{
    const auto first = static_cast<uint8_t>(character[0]);
    if (bytes == 1 && (first < 0x20 || first == 0x7F)) return false;
    if ((line.options & INPUT_LINE_DIGITS) && !(bytes == 1 && first >= '0' && first <= '9')) return false;
    if (TextEncoding.utf8) return !(line.options & INPUT_LINE_SINGLE_BYTE) || bytes == 1;
    // A cp932 game must be able to read back every character the line holds.
    char one[kLongestUtf8Character + 1];
    std::memcpy(one, character, size_t(bytes));
    one[bytes] = '\0';
    char cp932[4];
    const int length = Utf8ToCp932(one, cp932, sizeof cp932);
    return length > 0 && (!(line.options & INPUT_LINE_SINGLE_BYTE) || length == 1);
}

// One UTF-8 character at the caret: 0, or -1 when the line is full or refuses it.
int Insert(InputLineRecord& line, const char* character, int bytes)
{
    if (line.length >= line.maxCharacters || !Accepts(line, character, bytes)) return -1;
    const int32_t at = ByteOffset(line.text, line.bytes, line.caret);
    std::memmove(line.text + at + bytes, line.text + at, size_t(line.bytes - at + 1));
    std::memcpy(line.text + at, character, size_t(bytes));
    line.bytes += bytes;
    ++line.length;
    ++line.caret;
    return 0;
}

void EraseAt(InputLineRecord& line, int32_t index)
{
    if (index < 0 || index >= line.length) return;
    const int32_t at = ByteOffset(line.text, line.bytes, index);
    const int bytes = Utf8CharacterLength(line.text + at);
    std::memmove(line.text + at, line.text + at + bytes, size_t(line.bytes - at - bytes + 1));
    line.bytes -= bytes;
    --line.length;
    if (line.caret > index) --line.caret;
}

// Each character of a UTF-8 text the line accepts, up to the first line break; bytes that
// start no character are left out.
void InsertText(InputLineRecord& line, const char* text)
{
    for (const char* at = text; *at != '\0' && *at != '\n' && *at != '\r';) {
        const int bytes = Utf8CharacterLength(at);
        if (bytes == 0) {
            ++at;
            continue;
        }
        Insert(line, at, bytes);
        at += bytes;
    }
}

// The game's text in UTF-8, in tracked memory the caller frees; null when there is no room.
char* GameTextToUtf8(const char* text)
{
    const size_t length = std::strlen(text);
    // A cp932 byte never takes more than three UTF-8 bytes.
    const size_t size = (TextEncoding.utf8 ? length : length * 3) + 1;
    if (size > size_t(INT32_MAX)) return nullptr;
    auto* out = static_cast<char*>(TrackedAlloc(int32_t(size), nullptr, -1));
    if (!out) return nullptr;
    if (TextEncoding.utf8) {
        std::memcpy(out, text, size);
    } else if (Cp932ToUtf8(text, out, size) < 0) {
        out[0] = '\0';
    }
    return out;
}

void Paste(InputLineRecord& line)
{
    const int length = ReadClipboardUtf8(nullptr, 0);
    if (length <= 0) return;
    auto* text = static_cast<char*>(TrackedAlloc(length + 1, nullptr, -1));
    if (!text) return;
    if (ReadClipboardUtf8(text, size_t(length) + 1) >= 0) InsertText(line, text);
    TrackedFree(text);
}

void Deactivate(InputLineRecord& line, int32_t state)
{
    line.state = state;
    InputLines.active = -1;
    // The input method goes back to what the layer keeps when no line edits.
    SetInputMethodEnabled(TextInput.keepInputMethodOn);
}

void Control(InputLineRecord& line, uint8_t control)
{
    switch (control) {
    case TYPED_BACKSPACE: EraseAt(line, line.caret - 1); break;
    case TYPED_DELETE: EraseAt(line, line.caret); break;
    case TYPED_LEFT:
        if (line.caret > 0) --line.caret;
        break;
    case TYPED_RIGHT:
        if (line.caret < line.length) ++line.caret;
        break;
    case TYPED_HOME: line.caret = 0; break;
    case TYPED_END: line.caret = line.length; break;
    case TYPED_PASTE: Paste(line); break;
    case TYPED_ENTER: Deactivate(line, INPUT_LINE_DONE); break;
    case TYPED_ESCAPE: Deactivate(line, INPUT_LINE_CANCELLED); break;
    default: break;
    }
}

void ReleaseSlot(int32_t slot)
{
    auto* line = reinterpret_cast<InputLineRecord*>(InputLines.slots[slot]);
    if (!line) return;
    if (InputLines.active == line->header.handle) Deactivate(*line, INPUT_LINE_IDLE);
    InputLines.slots[slot] = nullptr;
    TrackedFree(line);
}

}  // namespace

InputLineRecord* ResolveInputLine(int handle)
{
    return reinterpret_cast<InputLineRecord*>(ResolveHandle(handle, InputLines.table));
}

void StepActiveInputLine()
{
    InputLineRecord* line = ResolveInputLine(InputLines.active);
    if (!line) return;
    char typed[kLongestUtf8Character + 1];
    int bytes = 0;
    // Enter or Escape ends the line; what was typed after them stays for the game.
    while (InputLines.active == line->header.handle && (bytes = TakeWholeChar(typed)) > 0) {
        if (bytes == 1 && static_cast<uint8_t>(typed[0]) < 0x20) {
            Control(*line, static_cast<uint8_t>(typed[0]));
        } else if (TextInput.utf8) {
            if (Utf8CharacterLength(typed) == bytes) Insert(*line, typed, bytes);
        } else {
            char utf8[2 * kLongestUtf8Character + 1];
            if (Cp932ToUtf8(typed, utf8, sizeof utf8) > 0) InsertText(*line, utf8);
        }
    }
}

void ReleaseInputLines()
{
    for (int32_t slot = 0; slot < kInputLineSlots; ++slot) ReleaseSlot(slot);
    InputLines.active = -1;
}

}  // namespace ror

using namespace ror;

int CreateInputLine(int maxCharacters, int options)
{
    if (maxCharacters < 1 || maxCharacters > kInputLineMaxCharacters || (options & ~kLineOptions) != 0)
        return FailedArgument(__func__);
    int32_t slot = 0;
    while (slot < kInputLineSlots && InputLines.slots[slot]) ++slot;
    if (slot == kInputLineSlots) return -1;
    const int32_t size = int32_t(sizeof(InputLineRecord)) + maxCharacters * kLongestUtf8Character;
    auto* line = static_cast<InputLineRecord*>(TrackedAllocZeroed(size, __FILE__, __LINE__));
    if (!line) return -1;
    line->maxCharacters = maxCharacters;
    line->options = options;
    line->state = INPUT_LINE_IDLE;
    line->header.check = StampCheck(InputLines.table);
    line->header.handle = MakeHandle(HandleKind::KeyInput, slot, line->header.check);
    InputLines.slots[slot] = &line->header;
    return line->header.handle;
}

int ReleaseInputLine(int line)
{
    if (!ResolveInputLine(line)) return FailedHandle(__func__, line);
    ReleaseSlot(HandleIndex(line));
    return 0;
}

int SetActiveInputLine(int line)
{
    InputLineRecord* current = ResolveInputLine(InputLines.active);
    if (line == -1) {
        if (current) Deactivate(*current, INPUT_LINE_IDLE);
        return 0;
    }
    InputLineRecord* record = ResolveInputLine(line);
    if (!CoreState.Started) return FailedNotStarted(__func__);
    if (!record) return FailedHandle(__func__, line);
    if (record == current) return 0;
    if (current) Deactivate(*current, INPUT_LINE_IDLE);
    record->state = INPUT_LINE_EDITING;
    record->caret = record->length;
    InputLines.active = line;
    InputLines.candidateArea = {};
    // What was typed before, the key that opened the line among it, is not the line's.
    ClearCharBuffer();
    // Composition would show a password, and a line of single bytes or digits takes nothing
    // an input method makes.
    SetInputMethodEnabled(record->options == 0 ? 1 : TextInput.keepInputMethodOn);
    StartTextInput(CoreState.MainWindow);
    return 0;
}

int GetActiveInputLine() { return ResolveInputLine(InputLines.active) ? InputLines.active : -1; }

int GetInputLineState(int line)
{
    const InputLineRecord* record = ResolveInputLine(line);
    return record ? record->state : -1;
}

int GetInputLineText(int line, char* buffer, int size)
{
    const InputLineRecord* record = ResolveInputLine(line);
    if (!record) return FailedHandle(__func__, line);
    if (!buffer || size < 1) return FailedArgument(__func__);
    if (!TextEncoding.utf8) {
        // Every character the line holds has a cp932 form (Accepts); the cut falls between two.
        if (Utf8ToCp932(record->text, buffer, size_t(size)) < 0) buffer[0] = '\0';
        return 0;
    }
    int32_t cut = 0;
    while (cut < record->bytes) {
        const int bytes = Utf8CharacterLength(record->text + cut);
        if (cut + bytes > size - 1) break;
        cut += bytes;
    }
    std::memcpy(buffer, record->text, size_t(cut));
    buffer[cut] = '\0';
    return 0;
}

int SetInputLineText(int line, const char* text)
{
    InputLineRecord* record = ResolveInputLine(line);
    if (!record) return FailedHandle(__func__, line);
    if (!text) return FailedArgument(__func__);
    char* utf8 = GameTextToUtf8(text);
    if (!utf8) return -1;
    record->text[0] = '\0';
    record->bytes = 0;
    record->length = 0;
    record->caret = 0;
    InsertText(*record, utf8);
    TrackedFree(utf8);
    return 0;
}

int DrawInputLine(int line, int x, int y, uint32_t color, int fontHandle)
{
    const InputLineRecord* record = ResolveInputLine(line);
    int lineHeight = 0;
    if (!record || !CoreState.Started || GetFontLineMetrics(fontHandle, &lineHeight, nullptr) != 0) return -1;
    const bool active = InputLines.active == line;

    // The line as shown: stars for a hidden one, the input method's composition at the caret.
    char composition[256];
    int compositionCaret = 0, marked = 0;
    if (!active || ReadCompositionUtf8(composition, sizeof composition, &compositionCaret, &marked) <= 0) {
        composition[0] = '\0';
    }
    const int32_t compositionLength = CountCharacters(composition);
    static char shown[kInputLineMaxCharacters * kLongestUtf8Character + sizeof composition];
    int32_t caretByte = record->caret;
    if (record->options & INPUT_LINE_HIDDEN) {
        std::memset(shown, '*', size_t(record->length));
        shown[record->length] = '\0';
    } else {
        std::memcpy(shown, record->text, size_t(record->bytes) + 1);
        caretByte = ByteOffset(record->text, record->bytes, record->caret);
    }
    const size_t shownBytes = std::strlen(shown);
    const size_t compositionBytes = std::strlen(composition);
    std::memmove(shown + caretByte + compositionBytes, shown + caretByte, shownBytes - size_t(caretByte) + 1);
    std::memcpy(shown + caretByte, composition, compositionBytes);
    if (!TextEncoding.utf8) {
        static char cp932[sizeof shown];
        if (Utf8ToCp932(shown, cp932, sizeof cp932) < 0) cp932[0] = '\0';
        std::memcpy(shown, cp932, sizeof shown);
    }

    const int drawn =
        fontHandle == -1 ? PrintText(x, y, shown, color) : PrintTextWithFont(x, y, shown, color, fontHandle);
    if (drawn != 0 || !active) return drawn;

    auto widthUpTo = [&](int32_t characters) {
        int width = 0;
        GetTextWidthUpTo(shown, characters, fontHandle, &width);
        return x + width;
    };
    const int caretX = widthUpTo(record->caret + compositionCaret);
    const int bottom = y + lineHeight;
    if (compositionLength > 0) {
        // The composition underlined, the clause being converted twice as thick.
        DrawRect(widthUpTo(record->caret), bottom - 1, widthUpTo(record->caret + compositionLength), bottom, color, 1);
        if (marked > 0)
            DrawRect(caretX, bottom - 2, widthUpTo(record->caret + compositionCaret + marked), bottom, color, 1);
    }
    DrawRect(caretX, y, caretX + 2, bottom, color, 1);

    // The candidate window beside the caret, in the window's pixels.
    const double scale = WindowScaleInEffect();
    const Rect area{int32_t(caretX * scale), int32_t(y * scale), int32_t((caretX + 2) * scale),
                    int32_t(bottom * scale)};
    if (std::memcmp(&area, &InputLines.candidateArea, sizeof area) != 0) {
        InputLines.candidateArea = area;
        SetCandidateWindowArea(CoreState.MainWindow, area.left, area.top, area.right - area.left,
                               area.bottom - area.top);
    }
    return 0;
}
