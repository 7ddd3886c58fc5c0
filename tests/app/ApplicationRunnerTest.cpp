#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "app/ApplicationRunner.h"
#include "app/Executable.h"
#include "app/ExecutableList.h"
#include "platform/KeyState.h"
#include "platform/MessagePump.h"
#include "platform/SystemClock.h"
#include "platform/Window.h"
#include "platform/WindowMessages.h"
#include "platform/WindowRegistry.h"
#include "support/FakeTicks.h"

namespace {

// A window whose activity the test decides, whatever focus the X server
// gives it (other test programs may share the display).
class RunnerWindow : public Window {
public:
    explicit RunnerWindow(bool startActive = true)
            : Window("Runner test", 64, 48, true, false, nullptr, false, 32) {
        active = startActive;
        ++created;
    }
    ~RunnerWindow() override { ++destroyed; }
    void handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        if (message != MsgActivateApp)
            Window::handleMessage(message, wParam, lParam);
    }
    void onFrame() override {
        ++frames;
        frameTimes.push_back(getFrameTime());
        fakeNow += advancePerFrame;
        if (deleteAfterFrames > 0 && frames >= deleteAfterFrames)
            delete this;
    }

    static int created;
    static int destroyed;
    static int frames;
    static std::vector<int32_t> frameTimes;
    static uint32_t advancePerFrame;
    static int deleteAfterFrames;
};
int RunnerWindow::created = 0;
int RunnerWindow::destroyed = 0;
int RunnerWindow::frames = 0;
std::vector<int32_t> RunnerWindow::frameTimes;
uint32_t RunnerWindow::advancePerFrame = 0;
int RunnerWindow::deleteAfterFrames = 0;

uint32_t startUpTime = 0;
int exitCalls = 0;
int framesWanted = 1;
int frameCalls = 0;

bool openWindowTaking() {
    new RunnerWindow;
    fakeNow += startUpTime;
    return true;
}

void countExit() {
    ++exitCalls;
}

bool stopAfterWantedFrames() {
    return ++frameCalls < framesWanted;
}

void closeAllWindows() {
    for (int32_t i = 0; i < windowRegistryCapacity(); ++i)
        delete windowRegistrySlot(i);
}

class Runner : public ::testing::Test {
protected:
    void SetUp() override {
        fakeNow = 5000;
        setTickSource(fakeTicks);
        RunnerWindow::created = RunnerWindow::destroyed = RunnerWindow::frames = 0;
        RunnerWindow::frameTimes.clear();
        RunnerWindow::advancePerFrame = 0;
        RunnerWindow::deleteAfterFrames = 0;
        startUpTime = 0;
        exitCalls = 0;
        framesWanted = 1;
        frameCalls = 0;
    }
    void TearDown() override {
        closeAllWindows();
        setTickSource(nullptr);
        int32_t code = 0;
        while (messageWaiting() || messageWaiting())  // also past a press's pause
            dispatchNextMessage(&code);
    }
};

}  // namespace

TEST_F(Runner, AShortStartUpGivesTheFirstFrameTenMilliseconds) {
    startUpTime = 5;
    EXPECT_EQ(runApplication("", openWindowTaking, countExit, stopAfterWantedFrames), 0);
    ASSERT_EQ(RunnerWindow::frameTimes.size(), 1u);
    EXPECT_EQ(RunnerWindow::frameTimes[0], 10);
    EXPECT_EQ(exitCalls, 1);
}

TEST_F(Runner, ALongStartUpIsTheFirstFrameTime) {
    startUpTime = 2000;
    runApplication("", openWindowTaking, nullptr, stopAfterWantedFrames);
    ASSERT_EQ(RunnerWindow::frameTimes.size(), 1u);
    EXPECT_EQ(RunnerWindow::frameTimes[0], 2000);

    TearDown();
    SetUp();
    startUpTime = 11;
    runApplication("", openWindowTaking, nullptr, stopAfterWantedFrames);
    ASSERT_EQ(RunnerWindow::frameTimes.size(), 1u);
    EXPECT_EQ(RunnerWindow::frameTimes[0], 11);
}

TEST_F(Runner, LaterFramesMeasureTheWholeIterationEvenWhenZero) {
    framesWanted = 4;
    RunnerWindow::advancePerFrame = 7;
    runApplication("", openWindowTaking, nullptr, stopAfterWantedFrames);
    EXPECT_EQ(RunnerWindow::frameTimes, (std::vector<int32_t>{10, 7, 7, 7}));

    TearDown();
    SetUp();
    framesWanted = 3;
    runApplication("", openWindowTaking, nullptr, stopAfterWantedFrames);
    // Two frames within one tick: the second measures 0.
    EXPECT_EQ(RunnerWindow::frameTimes, (std::vector<int32_t>{10, 0, 0}));
}

TEST_F(Runner, TheQuitMessageEndsTheLoopWithItsParameter) {
    auto openAndQuit = []() {
        new RunnerWindow;
        postQuitMessage(42);
        return true;
    };
    EXPECT_EQ(runApplication("", openAndQuit, countExit, nullptr), 42);
    EXPECT_EQ(exitCalls, 0);
    EXPECT_EQ(RunnerWindow::frames, 0);
    EXPECT_EQ(RunnerWindow::destroyed, 0);  // the window is left to its owner
}

TEST_F(Runner, AFailingStartUpEndsAtOnce) {
    auto refuse = []() {
        new RunnerWindow;
        return false;
    };
    EXPECT_EQ(runApplication("a b", refuse, countExit, nullptr), 0);
    EXPECT_EQ(exitCalls, 1);
    EXPECT_EQ(RunnerWindow::frames, 0);
    int32_t count = -1;
    const char* const* words = nullptr;
    getCommandLineArgs(&count, &words);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(words, nullptr);
}

TEST_F(Runner, TheLoopEndsWhenTheLastWindowIsGone) {
    RunnerWindow::deleteAfterFrames = 3;
    EXPECT_EQ(runApplication("", openWindowTaking, countExit, nullptr), 0);
    EXPECT_EQ(RunnerWindow::frames, 3);
    EXPECT_EQ(RunnerWindow::destroyed, 1);
    EXPECT_EQ(exitCalls, 1);
    EXPECT_FALSE(anyWindowRegistered());
}

TEST_F(Runner, TheCommandLineIsSplitBeforeStartUp) {
    static std::vector<std::string> seen;
    seen.clear();
    auto record = []() {
        int32_t count = 0;
        const char* const* words = nullptr;
        getCommandLineArgs(&count, &words);
        for (int32_t i = 0; i < count; ++i)
            seen.emplace_back(words[i]);
        return false;
    };
    runApplication("  map.map  -x ", record, nullptr, nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"Win32App", "map.map", "-x"}));
}

TEST_F(Runner, KeyPressesBeforeStartUpAreForgotten) {
    static bool seenInStartUp = true;
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.scancode = SDL_SCANCODE_K;
    key.key.keysym.sym = SDLK_k;
    SDL_PushEvent(&key);
    auto check = []() {
        seenInStartUp = isKeyDown('K');
        return false;
    };
    runApplication("", check, nullptr, nullptr);
    EXPECT_FALSE(seenInStartUp);
}

TEST_F(Runner, NoFrameRunsWhileNoWindowIsActive) {
    setTickSource(nullptr);
    static RunnerWindow* window = nullptr;
    auto openInactive = []() {
        window = new RunnerWindow(false);
        // Wakes the waiting loop later, from the timer's own thread.
        SDL_AddTimer(
            150,
            [](Uint32, void* target) -> Uint32 {
                static_cast<RunnerWindow*>(target)->postMessage(MsgClose, 0, 0);
                return 0;
            },
            window);
        return true;
    };
    const uint32_t before = SDL_GetTicks();
    EXPECT_EQ(runApplication("", openInactive, countExit, nullptr), 0);
    EXPECT_GE(SDL_GetTicks() - before, 140u);
    EXPECT_EQ(RunnerWindow::frames, 0);
    EXPECT_EQ(RunnerWindow::destroyed, 1);
    EXPECT_EQ(exitCalls, 1);
}

TEST_F(Runner, TasksRunEachFrameAndAreDeletedAtTheEnd) {
    static int runs = 0;
    static int deleted = 0;
    runs = deleted = 0;
    class CountingTask : public Executable {
    public:
        CountingTask() : Executable(&taskList()) {}
        ~CountingTask() override { ++deleted; }
        void execute() override { ++runs; }
    };
    auto openWithTask = []() {
        new RunnerWindow;
        new CountingTask;
        return true;
    };
    framesWanted = 3;
    runApplication("", openWithTask, nullptr, stopAfterWantedFrames);
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(taskList().capacity(), 10);
    EXPECT_EQ(taskList().slot(0), nullptr);
}

// While frames go on behind other windows, a frame that asks for the next at
// once skips the wait before it; the others wait as before.
TEST_F(Runner, InactiveFramesWaitUnlessTheLastAskedForTheNextAtOnce) {
    static int frames = 0;
    static std::vector<int> waitedBefore;  // the frames run at each wait
    static RunnerWindow* window = nullptr;
    frames = 0;
    waitedBefore.clear();
    setInactiveWait([](uint32_t milliseconds) {
        EXPECT_EQ(milliseconds, InactiveFrameMilliseconds);
        waitedBefore.push_back(frames);
    });
    keepFramesWhileInactive(true);
    auto openInactive = []() {
        window = new RunnerWindow(false);
        return true;
    };
    auto frame = []() {
        if (++frames <= 3)
            frameAgainAtOnce();  // the first three frames ask
        return frames < 6;
    };
    EXPECT_EQ(runApplication("", openInactive, countExit, frame), 0);
    keepFramesWhileInactive(false);
    setInactiveWait(nullptr);
    delete window;
    EXPECT_EQ(frames, 6);
    EXPECT_EQ(waitedBefore, (std::vector<int>{0, 4, 5}));
}
