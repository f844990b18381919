// The platform layer's window system on SDL's offscreen driver: the queue's order and
// filters, destroying, the instance lock and the key table.
#include "platform/system/instance_lock.h"
#include "platform/window_system/message_queue.h"
#include "platform/window_system/virtual_keys.h"
#include "platform/window_system/window.h"
#include "platform/window_system/window_input.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

using namespace ror;

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
        ASSERT_EQ(RegisterWindowClass(className.c_str(), RecordingProcedure, ClassLockRule::Exclusive), 0);
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
    EXPECT_EQ(RegisterWindowClass(className.c_str(), RecordingProcedure, ClassLockRule::Exclusive), -1);
    EXPECT_EQ(UnregisterWindowClass(className.c_str()), -1);
    EXPECT_EQ(RegisterWindowClass(std::string(256, 'c').c_str(), RecordingProcedure, ClassLockRule::Exclusive), -1);
    EXPECT_EQ(RegisterWindowClass("", RecordingProcedure, ClassLockRule::Exclusive), -1);
}

// The lock folders come from the environment: each test gets a scratch folder, and the
// variables go back as they were.
class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (Saved& variable : saved) {
            const char* value = std::getenv(variable.name);
            variable.set = value != nullptr;
            if (value) variable.value = value;
        }
        scratch = std::filesystem::temp_directory_path() / ("ror_lock_test_" + UniqueSuffix());
        std::filesystem::create_directories(scratch);
    }

    void TearDown() override
    {
        for (const Saved& variable : saved) {
            if (variable.set)
                setenv(variable.name, variable.value.c_str(), 1);
            else
                unsetenv(variable.name);
        }
        std::error_code ignored;
        std::filesystem::remove_all(scratch, ignored);
    }

    // A folder only this user may write to.
    std::string PrivateFolder(const char* leaf)
    {
        const std::filesystem::path path = scratch / leaf;
        std::filesystem::create_directories(path);
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path.string();
    }

    // A folder where the name's lock file cannot be opened: a folder stands in its place.
    static void BlockLockFile(const std::string& folder, const std::string& name)
    {
        std::filesystem::create_directories(LockFile(folder, name));
    }

    static std::string LockFile(const std::string& folder, const std::string& name)
    {
        char path[600];
        EXPECT_EQ(InstanceLockFilePath(folder.c_str(), name.c_str(), path, sizeof path), 0);
        return path;
    }

    struct Saved {
        const char* name;
        bool set;
        std::string value;
    };
    Saved saved[2] = {{"XDG_RUNTIME_DIR", false, {}}, {"TMPDIR", false, {}}};
    std::filesystem::path scratch;
};

TEST_F(InstanceLockTest, FolderThatCannotHoldTheLockSendsItToTheNextOrSaysNoneCouldBeMade)
{
    enum class Runtime { Private, Unset, NotAFolder, LockFileBlocked, ReadOnly };
    enum class Fallback { Usable, CannotBeMade, LockFileBlocked };
    enum class Where { Runtime, Fallback, Nowhere };
    struct Case {
        const char* name;
        Runtime runtime;
        Fallback fallback;
        Where where;
    };
    const Case cases[] = {
        {"private runtime folder", Runtime::Private, Fallback::Usable, Where::Runtime},
        {"no runtime folder", Runtime::Unset, Fallback::Usable, Where::Fallback},
        {"runtime folder is a file", Runtime::NotAFolder, Fallback::Usable, Where::Fallback},
        {"lock file cannot be opened in the runtime folder", Runtime::LockFileBlocked, Fallback::Usable,
         Where::Fallback},
        {"runtime folder cannot be written", Runtime::ReadOnly, Fallback::Usable, Where::Fallback},
        {"runtime blocked, fallback cannot be made", Runtime::LockFileBlocked, Fallback::CannotBeMade, Where::Nowhere},
        {"runtime blocked, fallback blocked", Runtime::LockFileBlocked, Fallback::LockFileBlocked, Where::Nowhere},
        {"no runtime folder, fallback cannot be made", Runtime::Unset, Fallback::CannotBeMade, Where::Nowhere},
    };
    int caseNumber = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The superuser writes to any folder.
        if (c.runtime == Runtime::ReadOnly && geteuid() == 0) continue;
        const std::string name = "lock test ＼{}/" + UniqueSuffix();
        const std::string runtime = PrivateFolder(("runtime" + std::to_string(++caseNumber)).c_str());
        const std::string temporary = PrivateFolder(("tmp" + std::to_string(caseNumber)).c_str());
        const std::string fallback = temporary + "/rorodiv-" + std::to_string(getuid());
        switch (c.runtime) {
        case Runtime::Private: setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1); break;
        case Runtime::Unset: unsetenv("XDG_RUNTIME_DIR"); break;
        case Runtime::NotAFolder: {
            const std::string file = runtime + "/file";
            std::ofstream(file).put('x');
            setenv("XDG_RUNTIME_DIR", file.c_str(), 1);
            break;
        }
        case Runtime::LockFileBlocked:
            BlockLockFile(runtime, name);
            setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            break;
        case Runtime::ReadOnly:
            std::filesystem::permissions(runtime,
                                         std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
            setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            break;
        }
        switch (c.fallback) {
        case Fallback::Usable: setenv("TMPDIR", temporary.c_str(), 1); break;
        case Fallback::CannotBeMade: {
            const std::string file = temporary + "/file";
            std::ofstream(file).put('x');
            setenv("TMPDIR", file.c_str(), 1);  // the fallback folder would lie inside a file
            break;
        }
        case Fallback::LockFileBlocked:
            std::filesystem::create_directories(fallback);
            std::filesystem::permissions(fallback, std::filesystem::perms::owner_all);
            BlockLockFile(fallback, name);
            setenv("TMPDIR", temporary.c_str(), 1);
            break;
        }

        EXPECT_EQ(IsInstanceLockHeld(name.c_str()), 0);
        InstanceLock lock;
        if (c.where == Where::Nowhere) {
            EXPECT_EQ(AcquireInstanceLock(name.c_str(), &lock), kInstanceLockUnavailable);
            EXPECT_EQ(lock.file, -1);
            EXPECT_EQ(IsInstanceLockHeld(name.c_str()), 0);
            continue;
        }
        ASSERT_EQ(AcquireInstanceLock(name.c_str(), &lock), 0);
        EXPECT_TRUE(std::filesystem::is_regular_file(LockFile(c.where == Where::Runtime ? runtime : fallback, name)));
        EXPECT_EQ(IsInstanceLockHeld(name.c_str()), 1);
        InstanceLock second;
        EXPECT_EQ(AcquireInstanceLock(name.c_str(), &second), -1);
        ReleaseInstanceLock(&lock);
        EXPECT_EQ(IsInstanceLockHeld(name.c_str()), 0);
    }
}

// A holder that had to use the fallback is found by a copy whose runtime folder works.
TEST_F(InstanceLockTest, ProbeLooksInEveryFolder)
{
    const std::string name = "probe test " + UniqueSuffix();
    const std::string runtime = PrivateFolder("runtime");
    setenv("TMPDIR", PrivateFolder("tmp").c_str(), 1);
    BlockLockFile(runtime, name);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    InstanceLock lock;
    ASSERT_EQ(AcquireInstanceLock(name.c_str(), &lock), 0);
    // The runtime folder could hold the lock file now; the holder is still found.
    std::filesystem::remove(LockFile(runtime, name));
    EXPECT_EQ(IsInstanceLockHeld(name.c_str()), 1);
    ReleaseInstanceLock(&lock);
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
