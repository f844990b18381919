#include "core/core_state.h"

#include <cstring>

namespace ror {

CoreStateRecord CoreState;

void ClearCoreStateForWindowStep()
{
    const CoreStateRecord kept = CoreState;
    CoreState = CoreStateRecord{};
    CoreState.Windowed = kept.Windowed;
    std::memcpy(CoreState.WindowTitle, kept.WindowTitle, sizeof kept.WindowTitle);
    std::memcpy(CoreState.ClassName, kept.ClassName, sizeof kept.ClassName);
    CoreState.MainWindow = kept.MainWindow;
    CoreState.windowScale = kept.windowScale;
    CoreState.allowSecondCopy = kept.allowSecondCopy;
    CoreState.resizable = kept.resizable;
    CoreState.screenFit = kept.screenFit;
    CoreState.desktopFullScreen = kept.desktopFullScreen;
    CoreState.highDpi = kept.highDpi;
    CoreState.Starting = kept.Starting;
    CoreState.ComStarted = kept.ComStarted;
    std::memcpy(CoreState.osText, kept.osText, sizeof kept.osText);
    std::memcpy(CoreState.cpuName, kept.cpuName, sizeof kept.cpuName);
    CoreState.mmxUsable = kept.mmxUsable;
    // The clock choice is measured again by the probe, but NowMicroseconds must stay valid
    // until then.
    CoreState.useCounter = kept.useCounter;
    CoreState.counterFrequency = kept.counterFrequency;
}

}  // namespace ror
