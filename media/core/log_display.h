// The on-screen copy of the log: its line store and its own font, prepared at start-up.
// Nothing in this system switches it on; placeholder bodies live in log_display_stub.cpp.
#pragma once

int PrepareLogDisplay();
int ReleaseLogDisplayFont();
