// Every failure of start-up, a frame and shutdown, one at a time, at each fault site of the
// offscreen run (startup_fault_walk.h says what each run must show).
#include "core/startup_fault_walk.h"

using namespace ror;

namespace {

TEST_F(StartupFaultTest, EveryAllocation) { Walk({true, PlatformService::Count}); }
TEST_F(StartupFaultTest, EveryWindowCreation) { Walk({false, PlatformService::Window}); }
TEST_F(StartupFaultTest, EveryAudioDeviceCall) { Walk({false, PlatformService::AudioDevice}); }
TEST_F(StartupFaultTest, EveryInputDevice) { Walk({false, PlatformService::InputDevice}); }
TEST_F(StartupFaultTest, EveryFileOpen) { Walk({false, PlatformService::FileOpen}); }
TEST_F(StartupFaultTest, EveryThreadStart) { Walk({false, PlatformService::Thread}); }

}  // namespace
