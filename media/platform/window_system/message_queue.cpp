#include "platform/window_system/message_queue.h"

#include "platform/system/clock.h"
#include "platform/system/thread_id.h"
#include "platform/window_system/virtual_keys.h"
#include "platform/window_system/window.h"
#include "platform/window_system/window_input.h"

#include <cstring>
#include <mutex>

namespace ror {

namespace {

constexpr int kQueueCapacity = 1024;
constexpr int kQueueSlots = 16;
constexpr int kTimersPerQueue = 32;

struct Timer {
    WindowHandle window;
    uintptr_t id;
    uint32_t interval;
    uint32_t due;
    TimerProcedure procedure;
    int inUse;
};

struct ThreadQueue {
    std::mutex guard;
    uint32_t thread;  // 0 while the slot is free
    int count;
    Message messages[kQueueCapacity];
    Timer timers[kTimersPerQueue];
    uintptr_t nextThreadTimerId;
};

struct QueueTable {
    std::mutex guard;
    ThreadQueue queues[kQueueSlots];
};

QueueTable Queues;

struct DispatchTime {
    int inside;
    uint32_t time;
};

thread_local DispatchTime Dispatching;

ThreadQueue* FindQueue(uint32_t thread)
{
    std::lock_guard lock(Queues.guard);
    for (ThreadQueue& queue : Queues.queues) {
        if (queue.thread == thread) return &queue;
    }
    return nullptr;
}

void FreeQueueOf(uint32_t thread)
{
    ThreadQueue* queue = FindQueue(thread);
    if (!queue) return;
    std::lock_guard lock(queue->guard);
    queue->count = 0;
    for (Timer& timer : queue->timers) timer = Timer{};
    std::lock_guard tableLock(Queues.guard);
    queue->thread = 0;
}

// Gives the slot back when its thread ends, so threads that come and go do not use up the table.
struct QueueOwner {
    uint32_t thread = 0;
    ~QueueOwner()
    {
        if (thread) FreeQueueOf(thread);
    }
};

ThreadQueue* QueueOfThread(uint32_t thread, bool create)
{
    if (ThreadQueue* queue = FindQueue(thread)) return queue;
    if (!create || thread != CurrentThreadId()) return nullptr;
    thread_local QueueOwner owner;
    std::lock_guard lock(Queues.guard);
    for (ThreadQueue& queue : Queues.queues) {
        if (queue.thread == 0) {
            queue.thread = thread;
            queue.count = 0;
            queue.nextThreadTimerId = 1;
            owner.thread = thread;
            return &queue;
        }
    }
    return nullptr;
}

bool Matches(WindowHandle messageWindow, WindowHandle filter)
{
    if (filter == nullptr) return true;
    if (filter == ThreadMessagesOnly()) return messageWindow == nullptr;
    return messageWindow == filter;
}

int Append(ThreadQueue& queue, const Message& message)
{
    std::lock_guard lock(queue.guard);
    if (message.message == WM_MOUSEMOVE && queue.count > 0) {
        Message& last = queue.messages[queue.count - 1];
        if (last.message == WM_MOUSEMOVE && last.window == message.window) {
            last = message;
            return 0;
        }
    }
    if (queue.count == kQueueCapacity) return -1;
    queue.messages[queue.count++] = message;
    return 0;
}

// Ahead of every waiting message: the next one taken.
int Prepend(ThreadQueue& queue, const Message& message)
{
    std::lock_guard lock(queue.guard);
    if (queue.count == kQueueCapacity) return -1;
    std::memmove(&queue.messages[1], &queue.messages[0], sizeof(Message) * size_t(queue.count));
    queue.messages[0] = message;
    ++queue.count;
    return 0;
}

int TakePosted(ThreadQueue& queue, Message* out, WindowHandle filter, uint32_t options)
{
    std::lock_guard lock(queue.guard);
    for (int i = 0; i < queue.count; ++i) {
        if (!Matches(queue.messages[i].window, filter)) continue;
        *out = queue.messages[i];
        if (options & PM_REMOVE) {
            std::memmove(&queue.messages[i], &queue.messages[i + 1], sizeof(Message) * (queue.count - i - 1));
            --queue.count;
        }
        return 1;
    }
    return 0;
}

int TakeDueTimer(ThreadQueue& queue, Message* out, WindowHandle filter, uint32_t options)
{
    std::lock_guard lock(queue.guard);
    uint32_t now = SystemMilliseconds();
    for (Timer& timer : queue.timers) {
        if (!timer.inUse || !Matches(timer.window, filter)) continue;
        if (static_cast<int32_t>(now - timer.due) < 0) continue;
        *out = Message{timer.window, WM_TIMER, timer.id, reinterpret_cast<LParam>(timer.procedure), now};
        if (options & PM_REMOVE) timer.due = now + timer.interval;
        return 1;
    }
    return 0;
}

// Takes out the messages that drop() picks, keeping the others in order; the caller holds the guard.
template <typename Pick>
void DropMessages(ThreadQueue& queue, Pick drop)
{
    int kept = 0;
    for (int i = 0; i < queue.count; ++i) {
        if (!drop(queue.messages[i])) queue.messages[kept++] = queue.messages[i];
    }
    queue.count = kept;
}

}  // namespace

int PeekMessage(Message* out, WindowHandle filter, uint32_t options)
{
    uint32_t thread = CurrentThreadId();
    PollWindowSystemEvents();
    ThreadQueue* queue = QueueOfThread(thread, true);
    if (queue && TakePosted(*queue, out, filter, options)) return 1;
    if (filter != ThreadMessagesOnly()) {
        WindowHandle unpainted = FindWindowNeedingPaint(thread, filter);
        if (unpainted) {
            *out = Message{unpainted, WM_PAINT, 0, 0, SystemMilliseconds()};
            return 1;
        }
    }
    return queue && TakeDueTimer(*queue, out, filter, options);
}

int PostMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam)
{
    uint32_t thread = CurrentThreadId();
    if (window != nullptr) {
        if (!IsWindow(window)) return -1;
        thread = WindowThreadId(window);
    }
    ThreadQueue* queue = QueueOfThread(thread, true);
    if (!queue) return -1;
    return Append(*queue, Message{window, message, wParam, lParam, SystemMilliseconds()});
}

void PostQuitMessage(int exitCode) { PostMessage(nullptr, WM_QUIT, static_cast<WParam>(exitCode), 0); }

int TranslateMessage(const Message* message)
{
    if (message->message != WM_KEYDOWN) return 0;
    uint8_t keys[256];
    GetKeyboardState(keys);
    WParam key = message->wParam;
    uint8_t character = 0;
    if (key == VK_BACK || key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE) {
        character = static_cast<uint8_t>(key);
    } else if ((keys[VK_CONTROL] & 0x80) && key >= 'A' && key <= 'Z') {
        character = static_cast<uint8_t>(key - 'A' + 1);
    }
    if (character == 0) return 0;
    // The character follows its key at once: the messages of later keys and typed text may
    // already wait behind it.
    if (message->window && !IsWindow(message->window)) return 0;
    ThreadQueue* queue = QueueOfThread(message->window ? WindowThreadId(message->window) : CurrentThreadId(), true);
    if (!queue) return 0;
    Prepend(*queue, Message{message->window, WM_CHAR, character, message->lParam, SystemMilliseconds()});
    return 1;
}

MessageResult DispatchMessage(const Message* message)
{
    if (message->message == WM_TIMER && message->lParam != 0) {
        auto procedure = reinterpret_cast<TimerProcedure>(message->lParam);
        procedure(message->window, WM_TIMER, message->wParam, message->time);
        return 0;
    }
    if (message->window == nullptr) return 0;
    // A procedure may pump and dispatch again: the outer message's time comes back after.
    const DispatchTime outer = Dispatching;
    Dispatching = DispatchTime{1, message->time};
    const MessageResult result = SendMessage(message->window, message->message, message->wParam, message->lParam);
    Dispatching = outer;
    return result;
}

uint32_t DispatchedMessageTime() { return Dispatching.inside ? Dispatching.time : SystemMilliseconds(); }

MessageResult SendMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam)
{
    WindowProcedure procedure = WindowProcedureOf(window);
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}

uintptr_t SetTimer(WindowHandle window, uintptr_t timerId, uint32_t interval, TimerProcedure procedure)
{
    uint32_t thread = CurrentThreadId();
    if (window != nullptr) {
        if (!IsWindow(window)) return 0;
        thread = WindowThreadId(window);
    }
    ThreadQueue* queue = QueueOfThread(thread, true);
    if (!queue) return 0;
    std::lock_guard lock(queue->guard);
    if (window == nullptr && timerId == 0) timerId = queue->nextThreadTimerId++;
    if (interval == 0) interval = 1;
    Timer* slot = nullptr;
    for (Timer& timer : queue->timers) {
        if (timer.inUse && timer.window == window && timer.id == timerId) {
            slot = &timer;
            break;
        }
        if (!timer.inUse && !slot) slot = &timer;
    }
    if (!slot) return 0;
    *slot = Timer{window, timerId, interval, SystemMilliseconds() + interval, procedure, 1};
    return timerId;
}

int KillTimer(WindowHandle window, uintptr_t timerId)
{
    uint32_t thread = window ? WindowThreadId(window) : CurrentThreadId();
    ThreadQueue* queue = QueueOfThread(thread, false);
    if (!queue) return -1;
    std::lock_guard lock(queue->guard);
    for (Timer& timer : queue->timers) {
        if (timer.inUse && timer.window == window && timer.id == timerId) {
            timer = Timer{};
            return 0;
        }
    }
    return -1;
}

void DiscardWindowMessages(WindowHandle window)
{
    ThreadQueue* queue = QueueOfThread(WindowThreadId(window), false);
    if (!queue) return;
    std::lock_guard lock(queue->guard);
    DropMessages(*queue, [window](const Message& message) { return message.window == window; });
    for (Timer& timer : queue->timers) {
        if (timer.inUse && timer.window == window) timer = Timer{};
    }
}

void DiscardQuitMessages()
{
    ThreadQueue* queue = QueueOfThread(CurrentThreadId(), false);
    if (!queue) return;
    std::lock_guard lock(queue->guard);
    DropMessages(*queue, [](const Message& message) { return message.message == WM_QUIT; });
}

int QueuedMessageCount()
{
    ThreadQueue* queue = QueueOfThread(CurrentThreadId(), false);
    if (!queue) return 0;
    std::lock_guard lock(queue->guard);
    return queue->count;
}

int MessageRoom()
{
    ThreadQueue* queue = QueueOfThread(CurrentThreadId(), false);
    if (!queue) return kQueueCapacity;
    std::lock_guard lock(queue->guard);
    return kQueueCapacity - queue->count;
}

}  // namespace ror
