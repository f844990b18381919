#include "core/app_log.h"
#include "rorodiv.h"

#include "base/log_texts.h"
#include "base/sjis.h"
#include "core/core_state.h"
#include "core/last_failure.h"
#include "core/text_encoding.h"
#include "core/tracked_memory.h"
#include "platform/system/clock.h"
#include "platform/system/codepage.h"
#include "platform/system/debug_output.h"
#include "platform/system/terminal.h"
#include "platform/files/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace ror {

LogState AppLogState;

static constexpr char kLogFileName[] = "Log.txt";
// Texts up to this length are converted in the caller's frame; the buffer holds the
// worst case, every byte a line feed that becomes two.
static constexpr size_t kShortText = 255;
static constexpr size_t kMaxTabs = 511;
static constexpr size_t kFormatBuffer = 1024;

struct LineFeedConversion {
    bool stopped;            // a line feed with its carriage return was met: copy the rest as it is
    unsigned char previous;  // the byte before the next one, across pieces
};

// Line feeds become CR LF until the first one that already has its CR. `text` must not
// end inside a two-byte character unless that is the end of the whole text; `out` holds
// twice `length` bytes.
static size_t ConvertLineFeeds(const char* text, size_t length, LineFeedConversion& state, char* out)
{
    size_t written = 0;
    size_t i = 0;
    while (i < length) {
        if (state.stopped) {
            std::memcpy(out + written, text + i, length - i);
            return written + (length - i);
        }
        unsigned char byte = static_cast<unsigned char>(text[i]);
        if (IsSjisLeadByte(byte) && i + 1 < length) {
            out[written++] = text[i];
            out[written++] = text[i + 1];
            state.previous = static_cast<unsigned char>(text[i + 1]);
            i += 2;
            continue;
        }
        if (byte == '\n') {
            if (state.previous == '\r') {
                state.stopped = true;
                continue;
            }
            out[written++] = '\r';
        }
        out[written++] = text[i];
        state.previous = byte;
        ++i;
    }
    return written;
}

static const char* LogFileName()
{
    const LogState& s = AppLogState;
    return s.fileName[0] != '\0' ? s.fileName : kLogFileName;
}

// The bytes as they are to each place the log goes.
static void WriteOut(SystemFile file, const char* bytes, size_t length)
{
    if (file != kNoSystemFile) {
        WriteSystemFile(file, bytes, length);
        WriteDebugOutput(bytes, length);
    }
    if (AppLogState.toStderr == 1) WriteStandardError(bytes, length);
}

// cp932 bytes, whose line feeds were converted already; in UTF-8 when asked, converted in
// pieces cut at characters (a one-byte kana takes three bytes in UTF-8).
static void WriteToLog(SystemFile file, const char* bytes, size_t length)
{
    if (AppLogState.utf8 != 1) return WriteOut(file, bytes, length);
    char piece[kShortText + 1];
    char converted[3 * kShortText + 1];
    for (size_t done = 0; done < length;) {
        size_t cut = SjisCutLength(bytes + done, std::min(length - done, kShortText));
        if (cut == 0) cut = 1;  // a zero byte inside the text: kept as it is
        std::memcpy(piece, bytes + done, cut);
        piece[cut] = '\0';
        const int written = Cp932ToUtf8(piece, converted, sizeof converted);
        if (written > 0) WriteOut(file, converted, size_t(written));
        done += cut;
    }
}

// The time stamp goes to the file only; the tabs to both.
static void WriteLinePrefix(SystemFile file)
{
    const LogState& s = AppLogState;
    char stamp[16];
    int stampLength =
        std::snprintf(stamp, sizeof stamp, "%d:", static_cast<int32_t>(SystemMilliseconds() - s.startTime));
    if (file != kNoSystemFile) WriteSystemFile(file, stamp, size_t(stampLength));
    char tabs[kMaxTabs];
    size_t depth = std::min(size_t(std::max(s.depth, 0)), kMaxTabs);
    std::memset(tabs, '\t', depth);
    WriteToLog(file, tabs, depth);
}

static SystemFile OpenLogFile()
{
    const LogState& s = AppLogState;
    if (s.off == 1 || s.folder[0] == '\0') return kNoSystemFile;
    // The folder is the system's own, kept as it is: joined, not converted.
    return OpenSystemFileInFolder(s.folder, LogFileName(), FileOpenMode::Append, true);
}

// Without a buffer for the whole text, the text is converted and written in pieces
// through the frame's buffer: nothing is lost.
static void WriteInPieces(SystemFile file, const char* text, size_t length, char* buffer)
{
    LineFeedConversion conversion{};
    char last = '\0';
    for (size_t done = 0; done < length;) {
        size_t piece = SjisCutLength(text + done, kShortText);
        size_t converted = ConvertLineFeeds(text + done, piece, conversion, buffer);
        WriteToLog(file, buffer, converted);
        last = buffer[converted - 1];
        done += piece;
    }
    AppLogState.lineOpen = length == 0 || last != '\n';
}

}  // namespace ror

using namespace ror;

int SetLogEnabled(int enable)
{
    AppLogState.off = enable == 0 ? 1 : 0;
    return 0;
}

// The log's form is chosen before start-up, so that one file never mixes two.
int SetLogInUtf8(int enable)
{
    if (CoreState.Started || CoreState.Starting) return FailedAfterStart(__func__);
    AppLogState.utf8 = enable != 0 ? 1 : 0;
    return 0;
}

int SetLogInEnglish(int enable)
{
    if (CoreState.Started || CoreState.Starting) return FailedAfterStart(__func__);
    LogTextSettings.english = enable != 0 ? 1 : 0;
    return 0;
}

int SetLogToStandardError(int enable)
{
    if (CoreState.Started || CoreState.Starting) return FailedAfterStart(__func__);
    AppLogState.toStderr = enable != 0 ? 1 : 0;
    return 0;
}

namespace ror {

int LogStart()
{
    LogState& s = AppLogState;
    if (s.off == 1) return 1;
    std::snprintf(s.fileName, sizeof s.fileName, "%s", kLogFileName);
    DeleteSystemFileInFolder(s.folder, LogFileName());
    CloseSystemFile(OpenSystemFileInFolder(s.folder, LogFileName(), FileOpenMode::CreateEmpty, true));
    s.depth = 0;
    s.lineOpen = 0;
    s.startTime = SystemMilliseconds();
    return 1;
}

// Writes a text as it is: the game's, or the layer's after the table.
static int WriteLogText(const char* text)
{
    if (text == nullptr) return -1;
    LogState& s = AppLogState;
    size_t length = std::strlen(text);
    char local[2 * kShortText + 1];
    char* buffer = local;
    if (length > kShortText) {
        bool fits = length <= (size_t(INT32_MAX) - 1) / 2;
        buffer = fits ? static_cast<char*>(TrackedAlloc(static_cast<int32_t>(2 * length + 1), nullptr, -1)) : nullptr;
    }
    size_t converted = 0;
    if (buffer != nullptr) {
        LineFeedConversion conversion{};
        converted = ConvertLineFeeds(text, length, conversion, buffer);
        buffer[converted] = '\0';
    }

    SystemFile file = OpenLogFile();
    if (file != kNoSystemFile || s.toStderr == 1) {
        if (s.lineOpen == 0) WriteLinePrefix(file);
        if (buffer != nullptr) {
            WriteToLog(file, buffer, converted);
            // An empty text still wrote the line's time stamp, so the line counts as open.
            s.lineOpen = converted == 0 || buffer[converted - 1] != '\n';
        } else {
            WriteInPieces(file, text, length, local);
        }
        if (file != kNoSystemFile) CloseSystemFile(file);
    }
    if (buffer != local) TrackedFree(buffer);
    return -1;
}

// The layer's texts pass through the table: it gives the text in the log's language and says
// whether the line reports a failure, which becomes the thread's last one.
int LayerLogWrite(const char* text)
{
    const LogTextRow* row = FindLogTextRow(text);
    const char* line = row != nullptr && LogTextSettings.english == 1 ? row->english : text;
    if (row != nullptr && row->kind != 0) NoteFailure(row->kind, line);
    return WriteLogText(line);
}

// Formats into the 1024-byte buffer, leaving room for the line feed. A longer text is
// cut, on a character boundary.
static void FormatLine(char (&line)[kFormatBuffer + 1], const char* format, va_list arguments)
{
    int length = std::vsnprintf(line, sizeof line, format, arguments);
    if (length < 0) {
        length = 0;
        line[0] = '\0';
    }
    size_t kept = std::min(size_t(length), SjisCutLength(line, kFormatBuffer - 2));
    line[kept] = '\n';
    line[kept + 1] = '\0';
}

int LayerLogWriteFormat(const char* format, ...)
{
    const LogTextRow* row = FindLogTextRow(format);
    char line[kFormatBuffer + 1];
    va_list arguments;
    va_start(arguments, format);
    FormatLine(line, row != nullptr && LogTextSettings.english == 1 ? row->english : format, arguments);
    va_end(arguments);
    if (row != nullptr && row->kind != 0) NoteFailure(row->kind, line);
    return WriteLogText(line);
}

}  // namespace ror

// The game's writes (the parentheses keep the names from meaning the layer's writes).
int(LogWrite)(const char* text)
{
    if (text == nullptr) return FailedArgument("LogWrite");
    CallerText converted(text);
    return WriteLogText(converted.get());
}

int(LogWriteFormat)(const char* format, ...)
{
    if (format == nullptr) return FailedArgument("LogWriteFormat");
    char line[kFormatBuffer + 1];
    va_list arguments;
    va_start(arguments, format);
    FormatLine(line, format, arguments);
    va_end(arguments);
    return (LogWrite)(line);
}

int LogIndent()
{
    if (AppLogState.depth < INT32_MAX) AppLogState.depth += 1;
    return 0;
}

int LogUnindent()
{
    if (AppLogState.depth != 0) AppLogState.depth -= 1;
    return 0;
}

namespace ror {

int LogNetworkError(const char* format, ...)
{
    // The socket layer reports its errors through errno; read it before anything can change it.
    int error = errno;
    char message[kFormatBuffer + 1];
    va_list arguments;
    va_start(arguments, format);
    int length = std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    message[SjisCutLength(message, std::min(size_t(std::max(length, 0)), kFormatBuffer - 1))] = '\0';
    LogWriteFormat("ネットワークログ。%s[%d]", message, error);
    return -1;
}

}  // namespace ror
