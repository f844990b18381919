#include "core/last_failure.h"
#include "rorodiv.h"

#include "base/log_texts.h"
#include "base/sjis.h"
#include "core/text_encoding.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace ror {

thread_local FailureRecord LastFailure;

namespace {

// The line without the tabs an indented log puts before it and the line end after it.
void CopyLine(char* out, size_t size, const char* line)
{
    while (*line == '\t' || *line == ' ') ++line;
    size_t length = SjisCopyCut(out, size, line);
    while (length > 0 && (out[length - 1] == '\n' || out[length - 1] == '\r' || out[length - 1] == ' '))
        out[--length] = '\0';
}

int FailedWith(int kind, const char* format, ...) __attribute__((format(printf, 2, 3)));

int FailedWith(int kind, const char* format, ...)
{
    char line[sizeof LastFailure.text];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    return NoteFailure(kind, line);
}

}  // namespace

int NoteFailure(int kind, const char* line)
{
    FailureRecord& r = LastFailure;
    if (line == nullptr) return -1;
    r.count += 1;
    if (kind != kContinuesFailure) {
        r.kind = kind;
        CopyLine(r.text, sizeof r.text, line);
        return -1;
    }
    if (r.kind == FAILURE_NONE) return -1;
    // A detail joins the line it belongs to: "Could not create the window: <reason>".
    const size_t used = std::strlen(r.text);
    if (used + 2 >= sizeof r.text) return -1;
    std::memcpy(r.text + used, ": ", 3);
    CopyLine(r.text + used + 2, sizeof r.text - used - 2, line);
    return -1;
}

// The operation's name is ASCII; the texts come from the log's table in its language.
int FailedArgument(const char* operation)
{
    return FailedWith(FAILURE_BAD_ARGUMENT, PickLogText("%s: 引数が範囲外です"), operation);
}

int FailedHandle(const char* operation, int handle)
{
    return FailedWith(FAILURE_BAD_ARGUMENT, PickLogText("%s: ハンドル %d は使えるものを指していません"), operation,
                      handle);
}

int FailedNotStarted(const char* operation)
{
    return FailedWith(FAILURE_NOT_STARTED, PickLogText("%s: ROrodiv が起動していません"), operation);
}

int FailedAfterStart(const char* operation)
{
    return FailedWith(FAILURE_NOT_STARTED, PickLogText("%s: 起動前にだけ設定できます"), operation);
}

int FailedNoMusic(const char* operation)
{
    return FailedWith(FAILURE_NOT_STARTED, PickLogText("%s: 曲が読み込まれていません"), operation);
}

uint32_t FailureMark() { return LastFailure.count; }

int FailedSince(uint32_t mark, int kind, const char* operation)
{
    if (LastFailure.count != mark) return -1;
    static constexpr const char* kByKind[] = {
        "%s: 引数が範囲外です",
        "%s: 引数が範囲外です",
        "%s: ROrodiv が起動していません",
        "%s: ファイルが無いか開けません",
        "%s: データが壊れているか読めない形式です",
        "%s: メモリが足りません",
        "%s: デバイスが要求を受け付けませんでした",
    };
    const int row = kind >= 0 && kind < int(std::size(kByKind)) ? kind : FAILURE_BAD_ARGUMENT;
    return FailedWith(kind, PickLogText(kByKind[row]), operation);
}

int FailedFile(uint32_t mark, const char* path)
{
    if (LastFailure.count != mark && LastFailure.kind != FAILURE_NO_SUCH_FILE) return -1;
    return FailedWith(FAILURE_NO_SUCH_FILE, PickLogText("ファイル %s が無いか開けません"), path != nullptr ? path : "");
}

void ClearLastFailure() { LastFailure = FailureRecord{}; }

}  // namespace ror

using namespace ror;

int GetLastFailure(char* text, int size)
{
    const FailureRecord& r = LastFailure;
    if (text != nullptr && size >= 1) {
        SjisCopyCut(text, size_t(size), r.text);
        TextToCaller(text, size_t(size));
    }
    return r.kind;
}
