// The colour formats read the screen's settings; the fuzzer has no screen.
#include "graphics/screen_mode.h"

namespace ror {

ScreenSettingsRecord ScreenSettings;

}  // namespace ror
