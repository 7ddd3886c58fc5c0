// A small program for the window end-to-end test: opens a window titled
// "Tamotown" through the run loop and prints every event it receives.
// Q posts the quit message with code 7; Escape closes the window.
#include <cstdio>
#include <cstring>

#include "app/ApplicationRunner.h"
#include "platform/KeyState.h"
#include "platform/MessagePump.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/WindowMessages.h"

namespace {

bool fullScreenWanted = false;

class ProbeWindow : public Window {
public:
    ProbeWindow()
            : Window("Tamotown", fullScreenWanted ? 640 : 400, fullScreenWanted ? 480 : 300, true,
                     false, nullptr, fullScreenWanted, 32) {
        std::printf("opened client %d %d\n", clientLeft(), clientTop());
    }
    ~ProbeWindow() override { std::printf("destroyed\n"); }

    void onEvent(int32_t type, int32_t a, int32_t b) override {
        if (type == 4) {
            std::printf("mouse %d %d %d\n", a, mouseX, mouseY);
            return;
        }
        if (type == 2) {
            const bool down = isKeyDown(a);
            std::printf("key %d held=%d shift=%d\n", a, down ? 1 : 0, isKeyDown(VK_SHIFT) ? 1 : 0);
            if (a == 'Q')
                postQuitMessage(7);
            if (a == VK_ESCAPE)
                delete this;
            return;
        }
        std::printf("event %d %d %d\n", type, a, b);
    }
    void onMessage(uint32_t message, uintptr_t wParam, intptr_t) override {
        if (message == MsgActivateApp)
            std::printf("active %d\n", wParam != 0 ? 1 : 0);
    }
    void onFrame() override {
        if (frames++ == 0)
            std::printf("first frame\n");
    }

private:
    int frames = 0;
};

bool openProbeWindow() {
    new ProbeWindow;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "fullscreen") == 0)
            fullScreenWanted = true;
    const int32_t code = runApplication("", openProbeWindow, nullptr, nullptr);
    std::printf("exit %d\n", code);
    return code;
}
