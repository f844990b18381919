// The on-screen copy of the log: its line store and its own font, prepared at start-up.
// Nothing in this system switches it on, so neither step does anything yet.
#pragma once

namespace ror {

int PrepareLogDisplay();
int ReleaseLogDisplayFont();

}  // namespace ror
