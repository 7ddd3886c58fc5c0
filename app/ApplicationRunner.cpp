#include "app/ApplicationRunner.h"

#include <cstdlib>
#include <ctime>

#include "app/ExecutableList.h"
#include "app/MotionAxis.h"
#include "platform/KeyState.h"
#include "platform/MessagePump.h"
#include "platform/PlatformInit.h"
#include "platform/SystemClock.h"
#include "platform/WindowRegistry.h"

namespace {

// Queries every key once so that presses made before start-up do not show
// as pressed-since-the-last-query in the first frame.
void forgetEarlierKeyPresses() {
    for (int32_t key = 0; key < 256; ++key)
        isKeyDown(key);
}

int32_t firstFrameTime(uint32_t startStamp) {
    if (getTickCount() - startStamp < 11)
        return 10;
    return static_cast<int32_t>(getTickCount() - startStamp);
}

void endNormally(ExitCallback exit) {
    if (exit)
        exit();
    taskList().clear();
    releaseCommandLine();
}

bool framesWhileInactive = false;
bool nextFrameAtOnce = false;
void (*inactiveWait)(uint32_t) = waitForMessageFor;

}  // namespace

void frameAgainAtOnce() {
    nextFrameAtOnce = true;
}

void setInactiveWait(void (*wait)(uint32_t milliseconds)) {
    inactiveWait = wait ? wait : waitForMessageFor;
}

void keepFramesWhileInactive(bool on) {
    framesWhileInactive = on;
}

int32_t runApplication(const char* commandLine, InitCallback init, ExitCallback exit,
                       FrameCallback frame) {
    uint32_t startStamp = getTickCount();
    splitCommandLine(commandLine);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    initPlatform();
    forgetEarlierKeyPresses();

    if (init && !init()) {
        if (exit)
            exit();
        releaseCommandLine();
        return 0;
    }
    setFrameTime(firstFrameTime(startStamp));

    for (;;) {
        while (messageWaiting()) {
            int32_t quitCode = 0;
            if (!dispatchNextMessage(&quitCode)) {
                // Ends at once; what is left is released when the process ends.
                return quitCode;
            }
        }
        if (!anyWindowActive()) {
            if (!anyWindowRegistered())
                break;
            if (!framesWhileInactive) {
                waitForMessage();
                continue;
            }
            if (nextFrameAtOnce) {
                nextFrameAtOnce = false;
            } else {
                inactiveWait(InactiveFrameMilliseconds);
                if (messageWaiting())
                    continue;
            }
        }
        stepAllMotionAxes();
        taskList().step();
        frameAllWindows();
        if (frame && !frame())
            break;
        setFrameTime(static_cast<int32_t>(getTickCount() - startStamp));
        startStamp = getTickCount();
    }
    endNormally(exit);
    return 0;
}
