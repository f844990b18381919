#include "graphics/device/swap_pacing.h"

namespace ror {

int NoteWaitedSwap(SwapPacingRecord* pacing, int64_t now, int64_t period)
{
    SwapPacingRecord& p = *pacing;
    if (p.ignored) return 1;
    const int64_t last = p.lastSwap;
    p.lastSwap = now;
    if (last == 0 || now <= last || period <= 0) return 0;
    const int64_t since = now - last;
    // A swap that waited lands on a refresh boundary; scheduling moves it by far less than a
    // quarter of a period.
    if (since * 4 < period * 3) {
        if (++p.shortRun >= kShortSwapsToDecide) p.ignored = 1;
    } else {
        p.shortRun = 0;
    }
    return p.ignored;
}

void ForgetSwapTiming(SwapPacingRecord* pacing)
{
    pacing->lastSwap = 0;
    pacing->shortRun = 0;
}

}  // namespace ror
