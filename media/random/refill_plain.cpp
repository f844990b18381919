// The reference refill, one word at a time.
#include "random/random_state.h"
#include "random/random_twist.h"

namespace ror {

void RefillRandomPlain(RandomState& random)
{
    uint32_t* s = random.state;
    constexpr int32_t firstRunEnd = kRandomStateWords - kRandomMiddleDistance;  // 227
    for (int32_t kk = 0; kk < firstRunEnd; ++kk) {
        s[kk] = TwistRandomWord(s[kk], s[kk + 1], s[kk + kRandomMiddleDistance]);
    }
    s[kRandomStateWords] = s[0];  // the last word's successor is the new word 0
    for (int32_t kk = firstRunEnd; kk < kRandomStateWords; ++kk) {
        s[kk] = TwistRandomWord(s[kk], s[kk + 1], s[kk - firstRunEnd]);
    }
    for (int32_t i = 0; i < kRandomStateWords; ++i) {
        random.output[i] = TemperRandomWord(s[i]);
    }
    random.index = 0;
}

}  // namespace ror
