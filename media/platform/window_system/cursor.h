// The mouse cursor: a display count (shown while it is 0 or more) and a shape.
#pragma once

namespace ror {

enum class CursorShape { None, Arrow };

// Raises (show != 0) or lowers the display count by one; returns the new count.
int ShowCursor(int show);
int CursorDisplayCount();
// The shape over the layer's windows; None hides the cursor whatever the count.
void SetCursor(CursorShape shape);
CursorShape CurrentCursor();
// 1 when the cursor is really shown now.
int CursorVisible();

// Forgets the window system's cursor state when the video system ends.
void ReleaseCursorSystem();

}  // namespace ror
