#include "window/window_procedure.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/core_state.h"
#include "base/sjis.h"
#include "core/time_source.h"
#include "core/tracked_memory.h"
#include "core/unbuilt_layers.h"
#include "graphics/graphics_setup.h"
#include "graphics/window_link.h"
#include "input/input_events.h"
#include "input/input_setup.h"
#include "platform/window_system/cursor.h"
#include "platform/window_system/ime.h"
#include "platform/window_system/message_queue.h"
#include "platform/window_system/screen_surface.h"
#include "platform/window_system/virtual_keys.h"
#include "platform/window_system/window.h"
#include "window/message_pump.h"
#include "window/text_input.h"
#include "window/window_mode.h"

#include <cstring>

namespace ror {

namespace {

void HandleActivation(uint32_t state, uint32_t minimized)
{
    CoreState.Active = state != 0;
    if (CoreState.creating) return;
    if (state) {
        if (TextInput.keepInputMethodOn && TextInput.inputMethodWasOpen) TextInput.reopenInputMethod = 1;
        if (!CoreState.Windowed && CoreState.Started) {
            if (!minimized) RestoreGraphics();
        }
        ResumeMovies();
        ReacquireInputDevices();
    } else {
        if (!CoreState.Windowed) {
            if (!HardwarePathInUse()) {
                RestoreDesktopDisplayMode();
                ShowWindow(CoreState.MainWindow, SW_MINIMIZE);
            }
            if (GraphicsDeviceExists()) PauseMovies();
        }
        if (CoreState.Windowed || !GraphicsDeviceExists()) {
            PauseMovies();
            ReacquireInputDevices();
        }
    }
    ApplyPadVibration();
}

void Paint(WindowHandle window)
{
    ValidateWindow(window);
    if (!CoreState.Windowed) return;
    CoreState.painting = 1;
    if (!CoreState.Started) {
        // Before start-up there is no frame yet: the window shows black, not what lay beneath.
        FillWindowBlack(window);
    } else if (CurrentDrawTarget() == DRAW_TARGET_BACK_SCREEN) {
        const int waitVsync = WaitVsyncSetting();
        SetWaitVsync(0);
        PresentScreen();
        SetWaitVsync(waitVsync);
    }
    CoreState.painting = 0;
}

void NoteMove(LParam lParam)
{
    if (!CoreState.Windowed || CoreState.modeChangeInProgress) return;
    Rect client{};
    GetClientRect(CoreState.MainWindow, &client);
    const int32_t x = SignedLowWord(static_cast<uintptr_t>(lParam));
    const int32_t y = SignedHighWord(static_cast<uintptr_t>(lParam));
    CoreState.ClientRectOnScreen = Rect{x, y, x + client.right, y + client.bottom};
    NoteWindowMoved();
}

void Sizing(WindowHandle window, WParam edge, Rect* proposed)
{
    Rect outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const int32_t frameX = (outer.right - outer.left) - (client.right - client.left);
    const int32_t frameY = (outer.bottom - outer.top) - (client.bottom - client.top);
    int32_t width, height;
    RequestedScreenSize(&width, &height);
    CoreState.windowScale = ApplySizingRule(edge, proposed, frameX, frameY, width, height);
}

void DisplayChanged(WParam bits, LParam size)
{
    if (CoreState.Windowed && !CoreState.modeChangeInProgress) {
        int32_t width, height;
        RequestedScreenSize(&width, &height);
        DisplayChangeVerdict verdict =
            JudgeDisplayChange(static_cast<int32_t>(bits), static_cast<int32_t>(LowWord(static_cast<uintptr_t>(size))),
                               static_cast<int32_t>(HighWord(static_cast<uintptr_t>(size))), RequestedColorBits(),
                               width, height);
        if (verdict == DisplayChangeVerdict::Close) {
            LogWrite("復元関数が登録されていないためか画面が２４ビットカラーに変更されたため終了します\n");
            LogWrite("またはスクリーンが小さすぎるためか色ビット数の違いが大きいためか終了します\n");
            if (!CoreState.ClosePosted) {
                CoreState.ClosePosted = 1;
                PostMessage(CoreState.MainWindow, WM_CLOSE, 0, 0);
            }
            return;
        }
        if (verdict == DisplayChangeVerdict::Keep) ReleaseMovieSurfacesAndResume();
    }
    CoreState.displayChangeSeen = 1;
}

// Hides the cursor on mouse messages while it is meant to be hidden.
void HideCursorIfHidden()
{
    if (CoreState.cursorRequest == 1) return;
    SetCursor(CursorShape::None);
    while (CursorDisplayCount() >= 0) ShowCursor(0);
}

void SetCursorForHitTest(LParam lParam)
{
    static int dialogBoxMode = 0;
    if (!HardwarePathInUse() || CoreState.Windowed) return;
    const uint32_t hitTest = LowWord(static_cast<uintptr_t>(lParam));
    const bool overMenu = hitTest == HTMENU || hitTest == HTCAPTION;
    if (overMenu && !dialogBoxMode) {
        dialogBoxMode = 1;
        SetGraphicsDialogBoxMode(1);
        SetCursorVisibility(CoreState.cursorRequest);
    } else if (!overMenu && dialogBoxMode) {
        dialogBoxMode = 0;
        SetGraphicsDialogBoxMode(0);
    }
}

void NoteInputMethodActivity() { TextInput.lastActivity = static_cast<uint32_t>(NowMilliseconds()); }

void ReadCandidateList(WindowHandle window)
{
    // The window system here offers no candidate list: its size is always 0.
    LogWriteFormat("漢字変換候補のデータサイズが０でした  DefHWND:%x IMC:%x\n",
                   static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)), 0u);
}

void FreeCandidateList()
{
    if (TextInput.candidateList) TrackedFree(TextInput.candidateList);
    TextInput.candidateList = nullptr;
    TextInput.candidateListSize = 0;
}

void ReadComposition(LParam parts)
{
    if (parts & GCS_COMPSTR) ReadCompositionString(TextInput.composition, sizeof TextInput.composition);
    if (parts & GCS_CURSORPOS) {
        // Characters before the caret's byte offset, a two-byte character counting once.
        const int caret = CompositionCursor();
        const int length = static_cast<int>(std::strlen(TextInput.composition));
        int characters = 0;
        for (int i = 0; i < caret && i < length; ++characters) {
            const unsigned char byte = static_cast<unsigned char>(TextInput.composition[i]);
            i += (IsSjisLeadByte(byte) && TextInput.composition[i + 1] != '\0') ? 2 : 1;
        }
        TextInput.compositionCursor = characters;
    }
    if (parts & GCS_COMPCLAUSE) TextInput.clauseCount = 0;
}

MessageResult InputMethodMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam)
{
    NoteInputMethodActivity();
    switch (message) {
    case WM_IME_STARTCOMPOSITION:
        TextInput.composing = 1;
        TextInput.compositionCursor = 0;
        return 0;
    case WM_IME_ENDCOMPOSITION:
        std::memset(TextInput.composition, 0, sizeof TextInput.composition);
        TextInput.composing = 0;
        return 0;
    case WM_IME_COMPOSITION: ReadComposition(lParam); return 0;
    case WM_IME_SETCONTEXT: return DefWindowProc(window, message, wParam, 0);
    default: break;  // WM_IME_NOTIFY
    }
    switch (wParam) {
    case IMN_OPENCANDIDATE:
    case IMN_CHANGECANDIDATE:
    case IMN_SETCANDIDATEPOS: ReadCandidateList(window); return 0;
    case IMN_CLOSECANDIDATE: FreeCandidateList(); return 0;
    case IMN_SETOPENSTATUS:
        if (!TextInput.insideOpenStatus) {
            TextInput.insideOpenStatus = 1;
            DefWindowProc(window, message, wParam, lParam);
            const uint64_t start = NowMicroseconds();
            while (PumpMessages() == 0 && NowMicroseconds() - start < 2000) {}
            TextInput.insideOpenStatus = 0;
            TextInput.inputMethodOpen = InputMethodOpen();
        }
        return 0;
    default: return DefWindowProc(window, message, wParam, lParam);
    }
}

}  // namespace

double ApplySizingRule(WParam edge, Rect* proposed, int32_t frameX, int32_t frameY, int32_t modeWidth,
                       int32_t modeHeight)
{
    const int32_t clientWidth = (proposed->right - proposed->left) - frameX;
    const int32_t clientHeight = (proposed->bottom - proposed->top) - frameY;
    auto followWidth = [&] {
        proposed->bottom = proposed->top + clientWidth * modeHeight / modeWidth + frameY;
        return static_cast<double>(clientWidth) / modeWidth;
    };
    auto followHeight = [&] {
        const int32_t width = clientHeight * modeWidth / modeHeight;
        proposed->right = proposed->left + width + frameX;
        return static_cast<double>(width) / modeWidth;
    };
    switch (edge) {
    case WMSZ_LEFT:
    case WMSZ_RIGHT: return followWidth();
    case WMSZ_TOP:
    case WMSZ_BOTTOM: return followHeight();
    case WMSZ_TOPLEFT:
    case WMSZ_TOPRIGHT:
    case WMSZ_BOTTOMLEFT:
    case WMSZ_BOTTOMRIGHT:
        if (static_cast<double>(clientHeight) / modeHeight < static_cast<double>(clientWidth) / modeWidth) {
            return followWidth();
        }
        return followHeight();
    default: return static_cast<double>(clientWidth) / modeWidth;
    }
}

DisplayChangeVerdict JudgeDisplayChange(int32_t newBits, int32_t newWidth, int32_t newHeight, int32_t modeBits,
                                        int32_t modeWidth, int32_t modeHeight)
{
    if (newBits == modeBits && newWidth == modeWidth && newHeight == modeHeight) return DisplayChangeVerdict::Same;
    if (newBits == 24 || (newBits != modeBits && newBits == 8) || newWidth < modeWidth || newHeight < modeHeight) {
        return DisplayChangeVerdict::Close;
    }
    return DisplayChangeVerdict::Keep;
}

uint8_t KeyDownCharacter(WParam virtualKey)
{
    switch (virtualKey) {
    case VK_DELETE: return 0x10;
    case VK_LEFT: return 0x1D;
    case VK_RIGHT: return 0x1C;
    case VK_UP: return 0x1E;
    case VK_DOWN: return 0x1F;
    case VK_HOME: return 0x1A;
    case VK_END: return 0x19;
    case VK_PRIOR: return 0x17;
    case VK_NEXT: return 0x15;
    default: return 0;
    }
}

uint8_t StoredCharacter(WParam character)
{
    const uint8_t byte = static_cast<uint8_t>(character);
    if (byte == 10) return 13;
    if (byte >= 32) return byte;
    switch (byte) {
    case 1:
    case 3:
    case 8:
    case 9:
    case 13:
    case 16:
    case 22:
    case 24:
    case 27: return byte;
    default: return 0;
    }
}

MessageResult MainWindowProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam)
{
    RecordInputMessage(message, wParam, lParam);
    switch (message) {
    case WM_CLOSE:
        LogWrite("ウインドウを閉じようとしています\n");
        DestroyWindow(CoreState.MainWindow);
        return 0;
    case WM_DESTROY:
        LogWrite("ウインドウが破棄されようとしています\n");
        LogWrite("ソフトを終了する準備が整いました\n");
        PostQuitMessage(0);
        CoreState.QuitFlag = 1;
        break;
    case WM_ACTIVATE: HandleActivation(LowWord(wParam), HighWord(wParam)); break;
    case WM_ACTIVATEAPP:
        if (wParam == 0) HandleActivation(0, 0);
        break;
    case WM_PAINT: Paint(window); break;
    case WM_MOVE: NoteMove(lParam); break;
    case WM_SIZE:
        // A window the screen is fitted into keeps the size it was given.
        if (ScreenFittedIntoWindow())
            ReadClientRectOnScreen();
        else if (wParam != SIZE_MAXIMIZED)
            FitWindow();
        break;
    case WM_SIZING:
        if (CoreState.Windowed && lParam) Sizing(window, wParam, reinterpret_cast<Rect*>(lParam));
        break;
    case WM_MOVING:
        if (!CoreState.Windowed && lParam) GetWindowRect(window, reinterpret_cast<Rect*>(lParam));
        break;
    case WM_DISPLAYCHANGE: DisplayChanged(wParam, lParam); break;
    case WM_NCHITTEST:
        if (HardwarePathInUse() && !CoreState.Windowed && HighWord(static_cast<uintptr_t>(lParam)) < 8) return HTMENU;
        break;
    case WM_SETCURSOR:
        SetCursorForHitTest(lParam);
        HideCursorIfHidden();
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: HideCursorIfHidden(); break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        RecordClick(message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4);
        HideCursorIfHidden();
        break;
    case WM_CHAR:
        if (uint8_t character = StoredCharacter(wParam)) StoreChar(character);
        break;
    case WM_KEYDOWN:
        if (!CharBufferFull()) {
            if (uint8_t character = KeyDownCharacter(wParam)) StoreChar(character);
        }
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER) return 1;
        break;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_IME_COMPOSITION:
    case WM_IME_SETCONTEXT:
    case WM_IME_NOTIFY: return InputMethodMessage(window, message, wParam, lParam);
    case MM_MCINOTIFY: NotifySoundLayer(); break;
    case WM_NETWORK_SOCKET: return 0;
    default: break;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

}  // namespace ror
