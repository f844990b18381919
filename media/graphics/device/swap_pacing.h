// Whether the GL's swap really waits for the vertical blank. Some drivers and X servers (Xvfb)
// accept the swap interval and ignore it; the frames then come as fast as they are drawn. The
// present watches the time between swaps while it asks for the wait, and once the swaps come
// clearly faster than the display refreshes, frame after frame, it paces by the display's
// refresh itself, as the software path does.
#pragma once
#include <cstdint>

namespace ror {

struct SwapPacingRecord {
    int64_t lastSwap;  // clock of the last swap made with the wait asked for, 0 for none
    int32_t shortRun;  // swaps in a row that came well before a refresh period had passed
    int32_t ignored;   // 1: the swap interval is known not to wait
};

// Swaps in a row that must come early: a swap chain with a queue of frames may hand back a
// few swaps at once after a stall, a swap that ignores the interval does so every frame.
constexpr int32_t kShortSwapsToDecide = 8;

// A swap made with the wait asked for, `now` and `period` in nanoseconds (period of the
// display's refresh). Gives `ignored`.
int NoteWaitedSwap(SwapPacingRecord* pacing, int64_t now, int64_t period);

// The wait was not asked for (or the watch must start over): the next interval is not one.
void ForgetSwapTiming(SwapPacingRecord* pacing);

}  // namespace ror
