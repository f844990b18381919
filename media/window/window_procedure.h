// The window procedure of the main window class.
#pragma once
#include "platform/window_system/messages.h"

namespace ror {

MessageResult MainWindowProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

// The sizing rule of a windowed drag: keeps the screen mode's aspect ratio. Rewrites the
// proposed outer rectangle for the dragged edge (WMSZ_*) and returns the new window scale.
// frameX and frameY are the window's frame widths, modeWidth x modeHeight the screen mode.
double ApplySizingRule(WParam edge, Rect* proposed, int32_t frameX, int32_t frameY, int32_t modeWidth,
                       int32_t modeHeight);

enum class DisplayChangeVerdict { Same, Keep, Close };
// What a new desktop (colour bits and size) means for a windowed program in a screen mode.
DisplayChangeVerdict JudgeDisplayChange(int32_t newBits, int32_t newWidth, int32_t newHeight, int32_t modeBits,
                                        int32_t modeWidth, int32_t modeHeight);

// The character a key press stores in the character buffer (0 for none).
uint8_t KeyDownCharacter(WParam virtualKey);
// Whether WM_CHAR's character is stored, and as what (0 for dropped).
uint8_t StoredCharacter(WParam character);

}  // namespace ror
