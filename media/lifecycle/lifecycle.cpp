#include "lifecycle/lifecycle.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/core_state.h"
#include "core/log_display.h"
#include "core/media_lock.h"
#include "base/sjis.h"
#include "core/text_encoding.h"
#include "core/time_source.h"
#include "core/tracked_memory.h"
#include "core/unbuilt_layers.h"
#include "file/file_access.h"
#include "file/file_startup.h"
#include "graphics/device/device_state.h"
#include "graphics/graphics_setup.h"
#include "graphics/window_link.h"
#include "image/clamp_table.h"
#include "input/input_events.h"
#include "input/input_setup.h"
#include "movie/movies.h"
#include "platform/files/files.h"
#include "platform/system/clock.h"
#include "platform/system/com.h"
#include "platform/window_system/desktop.h"
#include "platform/window_system/window.h"
#include "sound/sound_device.h"
#include "window/main_window.h"
#include "window/message_pump.h"
#include "window/text_input.h"
#include "window/window_mode.h"
#include "core/last_failure.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace ror {

namespace {

// After the window end no window is left to close, and after a failed start-up there may
// never have been one: pump only while there is something to wait for.
void PumpUntilQuiet()
{
    while (PumpMessages() == 0 && !CoreState.QuitFlag && CoreState.MainWindow) {}
}

// Steps 2 to 15 of shutdown. Each step releases only what its layer still holds, so the
// body also undoes a start-up that stopped half-way.
void ShutdownBody()
{
    ReleaseLogDisplayFont();
    EndNetwork();
    ReleaseCurrentSoundObject();
    ReleaseModelTables();
    CloseAllMovies();
    ReleaseGraphics();
    ShutdownInput();
    SoundEnd();
    CloseMainWindow();
    ResetInputEvents();
    if (CoreState.ComStarted) {
        EndComLibrary();
        LogWrite("ＣＯＭを終了... 完了\n");
        CoreState.ComStarted = 0;
    }
    DeleteAllSoftImages();
    CoreState.Started = 0;
    PumpUntilQuiet();
    if (AppLogState.folder[0] != '\0') ReturnToSystemDirectory(AppLogState.folder);
    ReleaseIdleArchives();
    DumpAllocations();
}

// A failed start-up releases what it had brought up (window, class, instance lock, timer
// resolution, screen saver, COM, input, sound) before it reports the failure.
int FailStart()
{
    ShutdownBody();
    CoreState.Starting = 0;
    ReleaseMediaLock();
    return -1;
}

// Full-screen: the main window goes in front of every other window and stays there.
void BringToForeground()
{
    BringWindowToTop(CoreState.MainWindow);
    SetWindowPos(CoreState.MainWindow, WindowOrder::Topmost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
}

int StartLocked()
{
    GraphicsNotices = GraphicsNoticeTable{.waitWhileInactive = WaitWhileInactive,
                                          .pumpMessages = PumpMessages,
                                          .fitWindow = FitWindow,
                                          .graphicsRestored = ShutdownInput};
    // A full-screen size the display has no mode of starts in a window; the log says so once
    // it is open.
    int32_t width = 0, height = 0;
    RequestedScreenSize(&width, &height);
    const bool noSuchMode = !CoreState.Windowed && !DisplayHasModeOfSize(width, height);
    if (noSuchMode) ChangeWindowMode(1);
    BuildClampTable();
    ClearArchiveTables();
    InstallFileAccess(nullptr);
    // The log's folder is the system's own name of it, whatever the name holds.
    if (GetSystemWorkingFolder(AppLogState.folder, sizeof AppLogState.folder) != 0) AppLogState.folder[0] = '\0';
    LogStart();

    DisplayMode desktop;
    ReadDesktopMode(&desktop);
    if ((desktop.colorBits == 24 && CoreState.Windowed) || RequestedColorBits() == 24) {
        LogWrite("ROrodivは２４ビットカラーモードに対応していません\n");
        return FailStart();
    }
    CoreState.counterFrequency = SystemCounterFrequency();
    WriteSystemReport(ProbeHardwareAhead);
    InstallDefaultStreams();
    SetGraphicRestorer(nullptr);

    if (!CoreState.ComStarted) {
        LogWrite("ＣＯＭの初期化... ");
        if (StartComLibrary() != 0) {
            LogWrite("ＣＯＭの初期化に失敗しました\n");
            return FailStart();
        }
        LogWrite("成功しました\n");
        CoreState.ComStarted = 1;
    }

    if (noSuchMode)
        LogWriteFormat("ディスプレイに %d x %d の画面モードが無いため、ウインドウモードで起動します\n", width, height);
    ResetInputEvents();
    if (OpenMainWindow() != 0) return FailStart();
    ClearHttpTasks();
    SetupInput();
    SoundStart();
    if (SetupGraphics() < 0) return FailStart();
    InitCharBuffer();
    SetWaitPump(PumpMessages);
    CoreState.Started = 1;
    SetWaitVsync(1);
    if (!CoreState.Windowed) BringToForeground();
    PrepareLogDisplay();
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);
    SetDrawTarget(DRAW_TARGET_FRONT_SCREEN);
    BuildSineTable();
    CoreState.Starting = 0;
    ReleaseMediaLock();
    return 0;
}

}  // namespace

}  // namespace ror

using namespace ror;

int InitMediaLayer()
{
    if (CoreState.Started) return 0;
    AcquireMediaLock();
    if (CoreState.Started) {
        ReleaseMediaLock();
        return 0;
    }
    CoreState.Starting = 1;
    // The step that failed logged why; a step that refuses without a line is the device's.
    const uint32_t mark = FailureMark();
    return StartLocked() == 0 ? 0 : FailedSince(mark, FAILURE_DEVICE, __func__);
}

int EndMediaLayer()
{
    if (!CoreState.Started) return 0;
    AcquireMediaLock();
    if (!CoreState.Started) {  // another thread ended it meanwhile
        ReleaseMediaLock();
        return 0;
    }
    ShutdownBody();
    ReleaseMediaLock();
    DestroyMediaLock();
    return 0;
}

namespace ror {

void FatalExit(const char* message)
{
    LogWrite(message);
    LogWrite("\n");
    if (CoreState.Started) ShutdownBody();
    DestroyMediaLock();
    // Other threads (file workers) may still run: end without running static destructors.
    std::_Exit(-1);
}

void FatalExitFormat(const char* format, ...)
{
    char message[1024];
    va_list values;
    va_start(values, format);
    std::vsnprintf(message, sizeof message, format, values);
    va_end(values);
    // vsnprintf may have cut inside a two-byte character.
    message[SjisCutLength(message, sizeof message - 1)] = '\0';
    FatalExit(message);
}

}  // namespace ror

int SetWindowTitle(const char* title)
{
    if (title == nullptr) return FailedArgument(__func__);
    char cut[sizeof CoreState.WindowTitle];
    CallerText converted(title);
    SjisCopyCut(cut, sizeof cut, converted.get() ? converted.get() : "");
    if (CoreState.MainWindow) SetWindowText(CoreState.MainWindow, cut);
    SjisCopyCut(CoreState.WindowTitle, sizeof CoreState.WindowTitle, cut);
    return 0;
}

int SetAllowSecondCopy(int allow)
{
    if (CoreState.Started || CoreState.Starting) return FailedAfterStart(__func__);
    CoreState.allowSecondCopy = allow != 0 ? 1 : 0;
    return 0;
}
