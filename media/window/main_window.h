// The main window's start and end: the window step of start-up and the window end of shutdown.
#pragma once

namespace ror {

// Clears the core state for a fresh run, measures the machine, refuses a second copy,
// registers the class, creates, shows and fits the main window. 0, or -1 on failure.
int OpenMainWindow();
// Closes and destroys the window, unregisters its class and restores what the window step
// changed (screen saver, cursor, input method, timer resolution). Also undoes a failed
// window step. 0.
int CloseMainWindow();

}  // namespace ror
