#include "window/message_pump.h"
#include "rorodiv.h"

#include "core/core_state.h"
#include "core/media_lock.h"
#include "core/unbuilt_layers.h"
#include "input/input_setup.h"
#include "input/joypads.h"
#include "platform/system/clock.h"
#include "platform/window_system/message_queue.h"
#include "platform/system/thread_id.h"
#include "movie/movies.h"
#include "sound/sound_handles.h"
#include "window/text_input.h"
#include "window/window_mode.h"

namespace ror {

namespace {

constexpr int kBatch = 5;

// Takes the next message for this thread: anything queued, else a message posted to the
// thread itself, else one of the main window.
bool TakeMessage(Message* message)
{
    if (PeekMessage(message, nullptr, PM_NOREMOVE)) return PeekMessage(message, nullptr, PM_REMOVE) != 0;
    if (PeekMessage(message, ThreadMessagesOnly(), PM_REMOVE)) return true;
    return PeekMessage(message, CoreState.MainWindow, PM_REMOVE) != 0;
}

int PumpLocked()
{
    if (CoreState.hookStepGuard) return 0;
    if (!CoreState.MainWindow) return CoreState.QuitFlag ? -1 : 0;

    const bool mainThread = CurrentThreadId() == CoreState.MainThreadId;
    PumpPass pass{};
    bool previousPassEmpty = false;
    for (;;) {
        if ((CoreState.ClosePosted || CoreState.Active) && (previousPassEmpty || CoreState.QuitFlag)) break;
        if (!CoreState.Active) SystemSleep(1);
        RunPumpPass(&pass);
        if (pass.quitSeen) break;
        if (!CoreState.Active) {
            StepNetworkWindow();
            StepHttpTasks();
            StepSoundStreaming();
            StepMoviesWhileInactive();
            SystemSleep(1);
        }
        previousPassEmpty = pass.empty;
        if (CoreState.QuitFlag || !mainThread) break;
    }

    if (mainThread) RefreshFullScreenCursor();
    StepSoundStreaming();
    StepSoundStreamingSecond();
    if (mainThread) StepMovies();
    if (mainThread) StepPadConnections();
    StepPadVibration();
    StepNetworkWindow();
    StepHttpTasks();
    CoreState.hookStepGuard = 1;
    StepTextInputState();
    CoreState.hookStepGuard = 0;
    return CoreState.QuitFlag ? -1 : 0;
}

}  // namespace

void RunPumpPass(PumpPass* pass)
{
    pass->empty = 1;
    pass->quitSeen = 0;
    Message message;
    while (TakeMessage(&message)) {
        if (message.message == WM_ACTIVATEAPP && CoreState.Windowed) {
            CoreState.Active = static_cast<int32_t>(LowWord(message.wParam));
        }
        if (CoreState.QuitFlag) {
            pass->quitSeen = 1;
            return;
        }
        if (message.message == WM_QUIT) CoreState.QuitFlag = 1;
        TranslateMessage(&message);
        DispatchMessage(&message);
        if (++pass->dispatched == kBatch) {
            pass->dispatched = 0;
            return;
        }
        pass->empty = 0;
    }
}

}  // namespace ror

using namespace ror;

int PumpMessages()
{
    AcquireMediaLock();
    int result = PumpLocked();
    ReleaseMediaLock();
    return result;
}

namespace ror {

void WaitWhileInactive()
{
    if (CoreState.painting || CoreState.Active) return;
    while (PumpMessages() == 0 && !CoreState.Active) {}
}

}  // namespace ror
