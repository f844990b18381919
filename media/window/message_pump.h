// The per-frame message pump.
#pragma once

// Dispatches the main window's messages (in batches of five), holds the caller while the
// window is inactive and runs the other layers' per-frame steps. 0 while the program may go
// on, -1 once QuitFlag is set. Holds MediaLock for its whole run.
int PumpMessages();
// Pumps while the window is inactive (unless a windowed WM_PAINT is drawing).
void WaitWhileInactive();
