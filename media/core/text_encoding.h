// The encoding of the texts a game passes and receives. Inside, texts are cp932; with UTF-8
// texts on, each public operation converts once where a text crosses in or out.
#pragma once
#include "rorodiv.h"

#include <cstddef>
#include <cstdint>

namespace ror {

struct TextEncodingState {
    int32_t utf8;  // 1: the game's texts are UTF-8
};
extern TextEncodingState TextEncoding;

// How a game's text is taken: a text to show loses what does not convert; a path must name
// exactly the file the game named, so one that does not convert whole is refused.
enum class CallerTextUse { Show, Path };

// A text the game gave, in cp932 for the inside: the text itself while UTF-8 texts are off.
// Short texts convert into the record, longer ones into tracked memory it gives back. A
// refused path gives null.
class CallerText {
public:
    explicit CallerText(const char* text, CallerTextUse use = CallerTextUse::Show);
    ~CallerText();
    CallerText(const CallerText&) = delete;
    CallerText& operator=(const CallerText&) = delete;
    const char* get() const { return text_; }

private:
    const char* text_;
    char* heap_ = nullptr;
    char local_[256];
};

// A cp932 text in a buffer of `size` bytes that goes back to the game: made UTF-8 in place
// while UTF-8 texts are on, cut at a character boundary when it no longer fits.
void TextToCaller(char* text, size_t size);
// The same for a path or a file's name, which is never cut or changed: 0, or -1 (the text
// then "") when it has no exact UTF-8 form or that does not fit.
int PathToCaller(char* text, size_t size);

}  // namespace ror
