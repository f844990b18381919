/// @file
/// Typing: the characters the player types, input lines that edit a text with them (names,
/// chat lines, passwords), the input method's composition and the clipboard. Texts go in and
/// out in the text mode in force (cp932, or UTF-8 after SetUseUtf8Texts(1)). All of these run
/// on the thread that pumps the messages.
#pragma once
#include <cstdint>

#include "rorodiv_api.h"

/// @{
/// The character buffer. Characters typed in the window come from the window system's text
/// input, so keyboard layouts, dead keys and the input method's results arrive as the
/// characters they make; they wait in a buffer of 256 bytes, filled while messages are
/// pumped, in the text mode in force (switching the mode empties it). A character that does
/// not fit whole is left out whole. Editing keys arrive among them as these control
/// characters (one byte each, as ReadTypedCharacter gives them):
constexpr int TYPED_BACKSPACE = 0x08;
constexpr int TYPED_TAB = 0x09;
constexpr int TYPED_ENTER = 0x0D;
constexpr int TYPED_ESCAPE = 0x1B;
constexpr int TYPED_DELETE = 0x10;
constexpr int TYPED_LEFT = 0x1D;
constexpr int TYPED_RIGHT = 0x1C;
constexpr int TYPED_UP = 0x1E;
constexpr int TYPED_DOWN = 0x1F;
constexpr int TYPED_HOME = 0x1A;
constexpr int TYPED_END = 0x19;
constexpr int TYPED_PAGE_UP = 0x17;
constexpr int TYPED_PAGE_DOWN = 0x15;
constexpr int TYPED_SELECT_ALL = 0x01;  ///< Ctrl+A
constexpr int TYPED_COPY = 0x03;        ///< Ctrl+C
constexpr int TYPED_PASTE = 0x16;       ///< Ctrl+V
constexpr int TYPED_CUT = 0x18;         ///< Ctrl+X
/// @}
/// Takes the oldest typed character into buffer (size at least 5 bytes: the longest character
/// and its terminating zero): its length in bytes (1 for a control character, 1-2 in cp932,
/// 1-4 in UTF-8), 0 when none waits, -1 for a null buffer or size below 5. While an input line
/// is active it takes the characters first. Before or after start-up.
ROR_API int ReadTypedCharacter(char* buffer, int size);
/// Empties the character buffer. 0.
ROR_API int ClearTypedCharacters();

/// @{
/// Options of an input line (a bit set).
constexpr int INPUT_LINE_SINGLE_BYTE =
    1;  ///< only characters of one byte in the text mode (ASCII; in cp932 also half-width kana)
constexpr int INPUT_LINE_DIGITS = 2;  ///< only the digits 0-9
constexpr int INPUT_LINE_HIDDEN = 4;  ///< drawn as one '*' a character (a password)
/// @}
/// @{
/// States of an input line, as GetInputLineState gives them.
constexpr int INPUT_LINE_IDLE = 0;       ///< not active: made, or switched off by the game
constexpr int INPUT_LINE_EDITING = 1;    ///< active: typed characters edit it
constexpr int INPUT_LINE_DONE = 2;       ///< ended with Enter
constexpr int INPUT_LINE_CANCELLED = 3;  ///< ended with Escape (its text stays as it was edited)
/// @}
/// Input lines. A line holds up to a number of characters; while it is active, every pump of
/// messages hands it the typed characters: a character goes in at the caret (one the options
/// or the length refuse is left out), Backspace and Delete remove the character before and
/// after the caret, Left, Right, Home and End move the caret, Ctrl+V pastes the clipboard's
/// first line, Enter ends it as done and Escape as cancelled (either leaves it inactive).
/// Characters are always kept whole: no edit, cut or paste splits a two-byte cp932 character
/// or a UTF-8 sequence. One line is active at a time; the input method is switched on while
/// one is.
///
/// A new line of at most maxCharacters characters (1..512) with options (INPUT_LINE_... bits),
/// empty and idle. Before or after start-up; shutdown releases every line. The line's handle,
/// or -1 for a length out of range, an unknown option bit or when 256 lines exist.
ROR_API int CreateInputLine(int maxCharacters, int options);
/// Releases the line (it stops being active). 0; -1 for an invalid handle.
ROR_API int ReleaseInputLine(int line);
/// Makes the line the active one, its caret at its end and its state INPUT_LINE_EDITING, and
/// empties the character buffer (the key that opened the line is not typed into it); the
/// line active before becomes idle. The line already active stays as it is, so a game may
/// call this every frame. line -1 makes no line active. After start-up. 0; -1 for an invalid
/// handle, or before start-up.
ROR_API int SetActiveInputLine(int line);
/// The active line's handle, or -1 when none is active.
ROR_API int GetActiveInputLine();
/// The line's state (INPUT_LINE_...), or -1 for an invalid handle.
ROR_API int GetInputLineState(int line);
/// The line's text into buffer with its terminating zero, cut at a character's end to
/// size - 1 bytes. 0; -1 for an invalid handle, a null buffer or size below 1.
ROR_API int GetInputLineText(int line, char* buffer, int size);
/// Replaces the line's text with text, leaving out the characters its options refuse and
/// those past its length (and, in cp932, bytes that are no character), and puts the caret at
/// its end. The state stays. 0; -1 for an invalid handle or a null text.
ROR_API int SetInputLineText(int line, const char* text);
/// Draws the line with its top-left at (x, y) in color (a PackColor value) in the font
/// fontHandle (-1: the default font), as PrintTextWithFont draws, on both drawing paths. An
/// active line shows its caret (a bar 2 pixels wide and a line high) and, while the input
/// method composes, the composition at the caret underlined, the clause being converted
/// underlined twice as thick; the input method's candidate window is placed beside the
/// caret. 0; -1 for an invalid line or font handle, or before start-up.
ROR_API int DrawInputLine(int line, int x, int y, uint32_t color, int fontHandle);

/// The clipboard's text into buffer, in the text mode in force (characters cp932 has no form
/// for are left out there), with its terminating zero, cut at a character's end to size - 1
/// bytes; buffer may be null when size is 0, to learn the size. The bytes the whole text
/// needs with its terminating zero, or -1 when the clipboard holds no text, before start-up,
/// or for a null buffer with size above 0 or a negative size.
ROR_API int ReadClipboardText(char* buffer, int size);
/// Puts text (in the text mode in force) on the clipboard. 0; -1 for a null text, before
/// start-up, or when the window system refuses it.
ROR_API int WriteClipboardText(const char* text);
