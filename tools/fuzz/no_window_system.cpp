// The text encoding tells the window system which form typed text takes; the fuzzers have no
// window system.
#include "platform/window_system/ime.h"

namespace ror {

void SetTextMessagesUtf8(int) {}

}  // namespace ror
