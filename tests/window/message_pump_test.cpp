// The message pump with a real (offscreen) main window.
#include "window/media_layer_fixture.h"

#include "graphics/drawing_paths.h"

#include "platform/system/clock.h"
#include "platform/window_system/message_queue.h"
#include "platform/window_system/window.h"
#include "window/message_pump.h"
#include "window/text_input.h"

#include <atomic>
#include <thread>

using namespace ror;

namespace {

constexpr uint32_t kTestMessage = 0x0400;  // a message the procedure passes to its default

class MessagePumpTest : public OnBothPaths<MediaLayerTest> {
protected:
    void SetUp() override
    {
        OnBothPaths<MediaLayerTest>::SetUp();
        ASSERT_EQ(Start(), 0);
        ASSERT_TRUE(PathInUse());
        while (QueuedMessageCount() > 0) PumpMessages();
    }
};

TEST_P(MessagePumpTest, NoWindowBeforeStartUp)
{
    EndMediaLayer();
    EXPECT_EQ(PumpMessages(), -1);  // the window went: QuitFlag stays until the next start
    CoreState.QuitFlag = 0;
    EXPECT_EQ(PumpMessages(), 0);
}

TEST_P(MessagePumpTest, EightMessagesAreDispatchedFiveThenThree)
{
    for (int i = 0; i < 8; ++i) ASSERT_EQ(PostMessage(CoreState.MainWindow, kTestMessage, i, 0), 0);
    PumpPass pass{};
    RunPumpPass(&pass);
    EXPECT_EQ(QueuedMessageCount(), 3);
    EXPECT_EQ(pass.empty, 0);
    RunPumpPass(&pass);
    EXPECT_EQ(QueuedMessageCount(), 0);
    EXPECT_EQ(pass.empty, 0);
    EXPECT_EQ(pass.dispatched, 3);
    RunPumpPass(&pass);
    EXPECT_EQ(pass.empty, 1);

    for (int i = 0; i < 8; ++i) PostMessage(CoreState.MainWindow, kTestMessage, i, 0);
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_EQ(QueuedMessageCount(), 0);
}

TEST_P(MessagePumpTest, InactiveWindowHoldsTheCallerUntilActivated)
{
    PostMessage(CoreState.MainWindow, WM_ACTIVATEAPP, 0, 0);
    std::atomic<bool> activationPosted{false};
    std::thread activator([&] {
        SystemSleep(100);
        activationPosted = true;
        PostMessage(CoreState.MainWindow, WM_ACTIVATEAPP, 1, 0);
    });
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_TRUE(activationPosted);
    EXPECT_EQ(CoreState.Active, 1);
    activator.join();
}

TEST_P(MessagePumpTest, WaitWhileInactiveReturnsOnActivation)
{
    CoreState.Active = 0;
    std::thread activator([&] {
        SystemSleep(50);
        PostMessage(CoreState.MainWindow, WM_ACTIVATEAPP, 1, 0);
    });
    WaitWhileInactive();
    EXPECT_EQ(CoreState.Active, 1);
    activator.join();
}

TEST_P(MessagePumpTest, AnotherThreadLeavesAfterOnePassEvenWhileInactive)
{
    CoreState.Active = 0;
    int result = 1;
    std::thread other([&] { result = PumpMessages(); });
    other.join();  // would hang if the other thread were held like the main thread
    EXPECT_EQ(result, 0);
    CoreState.Active = 1;
}

TEST_P(MessagePumpTest, CloseEndsTheLoopAndEveryLaterCallFails)
{
    PostMessage(CoreState.MainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(PumpMessages(), -1);
    EXPECT_EQ(CoreState.QuitFlag, 1);
    EXPECT_FALSE(IsWindow(CoreState.MainWindow));
    EXPECT_EQ(PumpMessages(), -1);
    EXPECT_TRUE(
        FollowPattern(LogLines(), {"...", "T:ウインドウを閉じようとしています",
                                   "T:ウインドウが破棄されようとしています", "T:ソフトを終了する準備が整いました"}));
    // Shutdown after the window went: no second close, the rest of the shutdown runs.
    EXPECT_EQ(EndMediaLayer(), 0);
    int closes = 0;
    for (const std::string& line : LogLines()) closes += line == "T:ウインドウを閉じようとしています";
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(
        FollowPattern(LogLines(), {"...", "T:ソフトを終了する準備が整いました", "...", "T:ＣＯＭを終了... 完了"}));
}

TEST_P(MessagePumpTest, WindowSystemCloseRequestEndsTheLoop)
{
    ASSERT_EQ(RequestWindowClose(CoreState.MainWindow), 0);
    int frames = 0;
    while (PumpMessages() == 0 && frames < 1000) ++frames;
    EXPECT_EQ(CoreState.QuitFlag, 1);
    EXPECT_LT(frames, 1000);
}

// A run that the user ended by closing the window leaves nothing for the next run of the
// same process, also when the close came as the last message of a full pass (the quit
// message it posted was not taken then): the next run's frames pump.
TEST_P(MessagePumpTest, ClosedWindowLeavesNoQuitForTheNextRun)
{
    struct Case {
        const char* name;
        bool userCloses;
        int messagesBefore;
    };
    const Case cases[] = {
        {"closed through the window system", true, 0},
        {"closed as the fifth message of a pass", true, 4},
        {"closed by shutdown", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < c.messagesBefore; ++i) ASSERT_EQ(PostMessage(CoreState.MainWindow, kTestMessage, i, 0), 0);
        if (c.userCloses) {
            ASSERT_EQ(RequestWindowClose(CoreState.MainWindow), 0);
            int frames = 0;
            while (PumpMessages() == 0 && frames < 1000) ++frames;
            ASSERT_EQ(CoreState.QuitFlag, 1);
        }
        EXPECT_EQ(EndMediaLayer(), 0);
        EXPECT_EQ(QueuedMessageCount(), 0);
        ASSERT_EQ(Start(), 0);
        for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(PumpMessages(), 0) << "frame " << frame;
    }
}

TEST_P(MessagePumpTest, MessagesTakenAfterQuitAreDropped)
{
    CoreState.QuitFlag = 1;
    PostMessage(CoreState.MainWindow, WM_CHAR, 'a', 0);
    EXPECT_EQ(PumpMessages(), -1);
    EXPECT_EQ(TakeChar(), -1);
    CoreState.QuitFlag = 0;  // the window is still there: shutdown closes it
}

TEST_P(MessagePumpTest, CallFromTheTextInputStepDoesNothing)
{
    PostMessage(CoreState.MainWindow, kTestMessage, 0, 0);
    CoreState.hookStepGuard = 1;
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_EQ(QueuedMessageCount(), 1);
    CoreState.hookStepGuard = 0;
}

TEST_P(MessagePumpTest, TimersAreDeliveredByTheMainThreadsPump)
{
    static std::atomic<int> fired{0};
    static std::atomic<bool> onMainThread{true};
    static std::thread::id mainThread;
    mainThread = std::this_thread::get_id();
    ASSERT_NE(SetTimer(CoreState.MainWindow, 7, 5,
                       [](WindowHandle, uint32_t, uintptr_t id, uint32_t) {
                           if (id == 7) ++fired;
                           if (std::this_thread::get_id() != mainThread) onMainThread = false;
                       }),
              0u);
    for (int i = 0; i < 2000 && fired < 3; ++i) {
        PumpMessages();
        SystemSleep(1);
    }
    EXPECT_GE(fired.load(), 3);
    EXPECT_TRUE(onMainThread);
    EXPECT_EQ(KillTimer(CoreState.MainWindow, 7), 0);
    EXPECT_EQ(KillTimer(CoreState.MainWindow, 7), -1);
}

INSTANTIATE_ON_BOTH_PATHS(MessagePumpTest);

}  // namespace
