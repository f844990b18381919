#include "platform/window_system/cursor.h"

#include "platform/window_system/window_record.h"

#include <SDL.h>

namespace ror {

namespace {

struct CursorState {
    int displayCount;
    CursorShape shape = CursorShape::Arrow;
};

CursorState Cursor;

void ApplyCursor()
{
    if (VideoStarted()) SDL_ShowCursor(CursorVisible() ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace

int ShowCursor(int show)
{
    Cursor.displayCount += show ? 1 : -1;
    ApplyCursor();
    return Cursor.displayCount;
}

int CursorDisplayCount() { return Cursor.displayCount; }

void SetCursor(CursorShape shape)
{
    Cursor.shape = shape;
    ApplyCursor();
}

CursorShape CurrentCursor() { return Cursor.shape; }

int CursorVisible() { return Cursor.displayCount >= 0 && Cursor.shape != CursorShape::None; }

void ReleaseCursorSystem()
{
    if (VideoStarted()) SDL_ShowCursor(SDL_ENABLE);
}

}  // namespace ror
