// The sound device: brought up at start-up with its capability report, taken down at shutdown.
#pragma once

namespace ror {

// 0, or -1 when the device cannot be set up or is already set up. Start-up goes on either way.
int SoundStart();
// 0, or -1 when sound is not running.
int SoundEnd();

}  // namespace ror
