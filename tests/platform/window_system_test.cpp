// The platform layer's window system on SDL's offscreen driver: the queue's order and
// filters, destroying, the instance lock and the key table.
#include "platform/instance_lock.h"
#include "platform/message_queue.h"
#include "platform/virtual_keys.h"
#include "platform/window.h"
#include "platform/window_input.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<uint32_t> Received;

std::string UniqueSuffix()
{
    std::random_device random;
    return std::to_string(random());
}

MessageResult RecordingProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam)
{
    Received.push_back(message);
    return DefWindowProc(window, message, wParam, lParam);
}

class WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("XDG_RUNTIME_DIR", std::filesystem::temp_directory_path().c_str(), 1);
        ASSERT_EQ(RegisterWindowClass(className.c_str(), RecordingProcedure), 0);
        window = CreateWindowOfClass(className.c_str(), "テスト", WS_POPUP, 0, 10, 10, 320, 240);
        ASSERT_NE(window, nullptr);
        Received.clear();
    }

    void TearDown() override
    {
        if (IsWindow(window)) DestroyWindow(window);
        UnregisterWindowClass(className.c_str());
        ReleaseWindowSystem();
    }

    std::string className = "window system test " + UniqueSuffix();
    WindowHandle window = nullptr;
};

TEST_F(WindowSystemTest, FiltersSelectWindowOrThreadMessages)
{
    PostMessage(nullptr, 0x401, 1, 0);  // to the thread
    PostMessage(window, 0x402, 2, 0);
    Message message{};
    ASSERT_EQ(PeekMessage(&message, window, PM_REMOVE), 1);
    EXPECT_EQ(message.message, 0x402u);
    ASSERT_EQ(PeekMessage(&message, window, PM_REMOVE), 0);
    ASSERT_EQ(PeekMessage(&message, ThreadMessagesOnly(), PM_NOREMOVE), 1);
    EXPECT_EQ(message.message, 0x401u);
    EXPECT_EQ(message.window, nullptr);
    ASSERT_EQ(PeekMessage(&message, nullptr, PM_REMOVE), 1);
    EXPECT_EQ(message.message, 0x401u);
    EXPECT_EQ(PeekMessage(&message, nullptr, PM_REMOVE), 0);
}

TEST_F(WindowSystemTest, PaintIsAskedForUntilTheWindowIsPainted)
{
    ShowWindow(window, SW_SHOW);
    Message message{};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(PeekMessage(&message, nullptr, PM_REMOVE), 1);
        if (message.message == WM_PAINT) break;
        DispatchMessage(&message);
    }
    EXPECT_EQ(message.message, uint32_t(WM_PAINT));
    DispatchMessage(&message);  // the default processing paints
    while (PeekMessage(&message, nullptr, PM_REMOVE)) EXPECT_NE(message.message, uint32_t(WM_PAINT));
}

TEST_F(WindowSystemTest, PointerMotionIsMergedWhileWaiting)
{
    PostMessage(window, WM_MOUSEMOVE, 0, MakeLParam(1, 1));
    PostMessage(window, WM_MOUSEMOVE, 0, MakeLParam(2, 2));
    EXPECT_EQ(QueuedMessageCount(), 1);
    PostMessage(window, WM_KEYDOWN, 'A', 0);
    PostMessage(window, WM_MOUSEMOVE, 0, MakeLParam(3, 3));
    EXPECT_EQ(QueuedMessageCount(), 3);
}

TEST_F(WindowSystemTest, DestroyingSendsDestroyAndDropsWhatWaits)
{
    PostMessage(window, 0x400, 0, 0);
    SetTimer(window, 1, 1, nullptr);
    ASSERT_EQ(DestroyWindow(window), 0);
    EXPECT_EQ(Received, (std::vector<uint32_t>{WM_DESTROY}));
    EXPECT_EQ(IsWindow(window), 0);
    EXPECT_EQ(QueuedMessageCount(), 0);
    EXPECT_EQ(PostMessage(window, 0x400, 0, 0), -1);
    EXPECT_EQ(DestroyWindow(window), -1);
    EXPECT_EQ(FindWindowOfClass(className.c_str()), 0);
}

TEST_F(WindowSystemTest, CloseByDefaultDestroysAndAltF4Closes)
{
    EXPECT_EQ(FindWindowOfClass(className.c_str()), 1);
    SendMessage(window, WM_SYSKEYDOWN, VK_F1 + 3, 0);
    EXPECT_EQ(Received, (std::vector<uint32_t>{WM_SYSKEYDOWN, WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}));
    EXPECT_EQ(IsWindow(window), 0);
}

TEST_F(WindowSystemTest, ClassWithWindowsCannotBeUnregistered)
{
    EXPECT_EQ(RegisterWindowClass(className.c_str(), RecordingProcedure), -1);
    EXPECT_EQ(UnregisterWindowClass(className.c_str()), -1);
    EXPECT_EQ(RegisterWindowClass(std::string(256, 'c').c_str(), RecordingProcedure), -1);
    EXPECT_EQ(RegisterWindowClass("", RecordingProcedure), -1);
}

TEST(InstanceLockTest, FallsBackToAPrivateTmpFolder)
{
    setenv("XDG_RUNTIME_DIR", "/nonexistent/runtime", 1);
    EXPECT_EQ(std::string(InstanceLockFolder()).rfind("/tmp/rorodiv-", 0), 0u);

    const std::string name = "lock test ＼{}/" + UniqueSuffix();
    EXPECT_EQ(IsInstanceLockHeld(name.c_str()), 0);
    InstanceLock lock;
    ASSERT_EQ(AcquireInstanceLock(name.c_str(), &lock), 0);
    EXPECT_EQ(IsInstanceLockHeld(name.c_str()), 1);
    InstanceLock second;
    EXPECT_EQ(AcquireInstanceLock(name.c_str(), &second), -1);
    ReleaseInstanceLock(&lock);
    EXPECT_EQ(IsInstanceLockHeld(name.c_str()), 0);
}

TEST(KeyTableTest, EveryKeyHasOneScanCode)
{
    std::set<int> sdlCodes, scanCodes;
    for (const KeyMapping& key : KeyMappings()) {
        EXPECT_TRUE(sdlCodes.insert(key.sdlScancode).second) << "SDL scan code " << key.sdlScancode;
        EXPECT_TRUE(scanCodes.insert(key.scanCode).second) << "scan code " << int(key.scanCode);
        EXPECT_EQ(FindKeyMapping(key.sdlScancode), &key);
    }
    EXPECT_EQ(FindKeyMapping(-1), nullptr);
    EXPECT_EQ(FindKeyMapping(100000), nullptr);
}

}  // namespace
