// The message queue of each thread: messages posted to its windows or to the thread itself,
// the quit message, painting and timers. The thread that created the windows also feeds its
// queue from the window system's events whenever it looks at the queue.
#pragma once
#include "platform/window_system/messages.h"

namespace ror {

// The filter that selects only messages posted to the thread itself (not to a window).
inline WindowHandle ThreadMessagesOnly() { return reinterpret_cast<WindowHandle>(static_cast<intptr_t>(-1)); }

// Looks for a message of the calling thread. filter: null = any message of the thread, a
// window = that window's, ThreadMessagesOnly() = the thread's own. Posted messages come
// first in the order posted, then a window that needs painting (WM_PAINT, until painted),
// then a due timer (WM_TIMER). With PM_REMOVE the message is taken out.
// 1 when a message was copied into *out, 0 when there is none.
int PeekMessage(Message* out, WindowHandle filter, uint32_t options);

// Queues a message for the window's thread; a null window posts to the calling thread.
// WM_MOUSEMOVE replaces a WM_MOUSEMOVE of the same window still last in the queue.
// 0, or -1 for a window that does not exist or a full queue.
int PostMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
// Posts WM_QUIT with the exit code to the calling thread.
void PostQuitMessage(int exitCode);

// Adds the character messages a key press makes (WM_CHAR for Backspace, Tab, Return,
// Escape and Ctrl+letter; the text of other keys arrives as WM_CHAR from text input), ahead
// of the messages waiting, so that it keeps its place among them. 1 when a character was
// posted, 0 otherwise.
int TranslateMessage(const Message* message);
// Calls the window's procedure (or the timer's procedure) for the message; its result.
MessageResult DispatchMessage(const Message* message);
// The time of the message the calling thread is dispatching (when it was queued, on the
// clock of SystemMilliseconds); the time now outside a dispatch.
uint32_t DispatchedMessageTime();
// Calls the window's procedure at once, on the calling thread; 0 for no window.
MessageResult SendMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

// A timer of the window (or, for a null window, of the calling thread) that puts WM_TIMER in
// the queue every interval milliseconds; dispatching it calls procedure when one is given,
// else the window procedure. Setting an existing id restarts it. Returns the id, 0 on failure.
uintptr_t SetTimer(WindowHandle window, uintptr_t timerId, uint32_t interval, TimerProcedure procedure);
int KillTimer(WindowHandle window, uintptr_t timerId);  // 0, or -1 when there is no such timer

// Drops every queued message and timer of a window (it is being destroyed).
void DiscardWindowMessages(WindowHandle window);
// Drops the quit messages waiting in the calling thread's queue.
void DiscardQuitMessages();
// Number of messages waiting in the calling thread's queue (tests and diagnostics).
int QueuedMessageCount();
// How many more messages the calling thread's queue takes before a post fails.
int MessageRoom();

}  // namespace ror
