#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/ButtonGroup.h"
#include "platform/DisplayMode.h"
#include "platform/MessagePump.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/WindowMenu.h"
#include "platform/WindowMessages.h"
#include "platform/WindowRegistry.h"
#include "XWindowOf.h"

namespace {

struct Event {
    int32_t type, a, b;
    bool operator==(const Event& o) const { return type == o.type && a == o.a && b == o.b; }
};

// A window that records what reaches it.
class RecordingWindow : public Window {
public:
    explicit RecordingWindow(int* destroyed = nullptr, bool fullScreen = false)
            : Window("Tamotown test", 200, 150, true, false, nullptr, fullScreen, 32),
              destroyedCount(destroyed) {}
    ~RecordingWindow() override {
        if (destroyedCount)
            ++*destroyedCount;
    }
    void onEvent(int32_t type, int32_t a, int32_t b) override {
        events.push_back({type, a, b});
        if (deleteOnEventType == type)
            delete this;
    }
    void onMessage(uint32_t message, uintptr_t, intptr_t) override { messages.push_back(message); }
    void onPaint() override { ++paints; }

    std::vector<Event> events;
    std::vector<uint32_t> messages;
    int paints = 0;
    int* destroyedCount;
    int32_t deleteOnEventType = -1;

    bool received(const Event& e) const {
        for (const Event& seen : events)
            if (seen == e)
                return true;
        return false;
    }
    std::vector<uint32_t> messagesAmong(const std::vector<uint32_t>& wanted) const {
        std::vector<uint32_t> out;
        for (uint32_t m : messages)
            for (uint32_t w : wanted)
                if (m == w)
                    out.push_back(m);
        return out;
    }
};

// Handles everything queued, also past the pause the pump makes after each
// mouse press for a frame to see it.
void drainMessages() {
    int32_t code = 0;
    while (messageWaiting() || messageWaiting())
        ASSERT_TRUE(dispatchNextMessage(&code));
}

// Lets the X server deliver what window creation causes, then handles it.
void settle() {
    SDL_Delay(30);
    drainMessages();
}

void pushButton(uint32_t windowId, uint32_t type, uint8_t button, uint8_t clicks) {
    SDL_Event e{};
    e.type = type;
    e.button.windowID = windowId;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = clicks;
    e.button.x = 10;
    e.button.y = 20;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
}

void pushKey(uint32_t windowId, SDL_Scancode scancode, SDL_Keycode keycode,
             uint16_t modifiers = KMOD_NONE, bool repeat = false) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.repeat = repeat ? 1 : 0;
    e.key.windowID = windowId;
    e.key.state = SDL_PRESSED;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = keycode;
    e.key.keysym.mod = modifiers;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
}

void pushWindowEvent(uint32_t windowId, uint8_t what, int32_t data1 = 0, int32_t data2 = 0) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = windowId;
    e.window.event = what;
    e.window.data1 = data1;
    e.window.data2 = data2;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
}

}  // namespace

TEST(Window, OpensAnSdlWindowOfTheClientSizeAndRegistersIt) {
    auto* window = new RecordingWindow;
    auto* sdlWindow = reinterpret_cast<SDL_Window*>(window->getHandle("WindowHandler"));
    ASSERT_NE(sdlWindow, nullptr);
    EXPECT_EQ(window->getHandle("OtherName"), 0u);
    EXPECT_STREQ(SDL_GetWindowTitle(sdlWindow), "Tamotown test");
    int w = 0, h = 0;
    SDL_GetWindowSize(sdlWindow, &w, &h);
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 150);
    EXPECT_NE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_OPENGL, 0u);
    EXPECT_TRUE(window->isAlive());
    EXPECT_TRUE(window->isActive());
    EXPECT_EQ(windowFromId(window->windowId()), window);
    EXPECT_TRUE(anyWindowRegistered());
    EXPECT_TRUE(anyWindowActive());

    settle();
    int x = 0, y = 0;
    SDL_GetWindowPosition(sdlWindow, &x, &y);
    EXPECT_EQ(window->clientLeft(), x);
    EXPECT_EQ(window->clientTop(), y);

    const uint32_t id = window->windowId();
    delete window;
    EXPECT_FALSE(anyWindowRegistered());
    EXPECT_EQ(SDL_GetWindowFromID(id), nullptr);
}

TEST(Window, ContextAttributesAreSetForTheGlContext) {
    auto* window = new RecordingWindow;
    auto* sdlWindow = reinterpret_cast<SDL_Window*>(window->getHandle("WindowHandler"));
    SDL_GLContext context = SDL_GL_CreateContext(sdlWindow);
    ASSERT_NE(context, nullptr) << SDL_GetError();
    int doubleBuffer = 0, depth = 0, red = 0;
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &red);
    EXPECT_EQ(doubleBuffer, 1);
    EXPECT_GE(depth, 24);
    EXPECT_EQ(red, 8);
    SDL_GL_DeleteContext(context);
    delete window;
}

TEST(Window, FullScreenSwitchesTheDisplayAndRestoresItOnDestruction) {
    auto* window = new RecordingWindow(nullptr, true);
    auto* sdlWindow = reinterpret_cast<SDL_Window*>(window->getHandle("WindowHandler"));
    ASSERT_NE(sdlWindow, nullptr);
    EXPECT_TRUE(isDisplayChanged());
    EXPECT_NE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_FULLSCREEN, 0u);
    delete window;
    EXPECT_FALSE(isDisplayChanged());
}

TEST(Window, PressDoubleClickAndReleaseLeaveBothFlagsClear) {
    RecordingWindow* window = new RecordingWindow;
    window->handleMessage(MsgLeftButtonDown, 0, 0);
    EXPECT_TRUE(window->leftButtonDown);
    window->handleMessage(MsgLeftDoubleClick, 0, 0);
    EXPECT_TRUE(window->leftDoubleClick);
    window->handleMessage(MsgLeftButtonUp, 0, 0);
    EXPECT_FALSE(window->leftButtonDown);
    EXPECT_FALSE(window->leftDoubleClick);

    window->handleMessage(MsgRightButtonDown, 0, 0);
    window->handleMessage(MsgRightDoubleClick, 0, 0);
    EXPECT_TRUE(window->rightButtonDown);
    EXPECT_TRUE(window->rightDoubleClick);
    EXPECT_FALSE(window->leftButtonDown);
    window->handleMessage(MsgRightButtonUp, 0, 0);
    EXPECT_FALSE(window->rightButtonDown);
    EXPECT_FALSE(window->rightDoubleClick);
    delete window;
}

// A press and its release that arrive together (a quick tap, a synthetic
// click) must not both be handled before a frame sees the button down.
TEST(Window, APressIsHeldUntilAFrameHadTheChanceToSeeIt) {
    auto* window = new RecordingWindow;
    settle();
    pushButton(window->windowId(), SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1);
    pushButton(window->windowId(), SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1);
    int32_t code = 0;
    while (messageWaiting())
        ASSERT_TRUE(dispatchNextMessage(&code));
    EXPECT_TRUE(window->leftButtonDown);  // what the frame between sees
    while (messageWaiting())
        ASSERT_TRUE(dispatchNextMessage(&code));
    EXPECT_FALSE(window->leftButtonDown);
    delete window;
    settle();
}

TEST(Window, MouseMovesKeepThePreviousPositionAndNegativeCoordinates) {
    RecordingWindow* window = new RecordingWindow;
    window->handleMessage(MsgMouseMove, 0, makeMessageParam(30, 40));
    window->handleMessage(MsgMouseMove, 0, makeMessageParam(-5, 470));
    EXPECT_EQ(window->previousMouseX, 30);
    EXPECT_EQ(window->previousMouseY, 40);
    // A drag that leaves the window reports positions left of it as negative,
    // not as 65531.
    EXPECT_EQ(window->mouseX, -5);
    EXPECT_EQ(window->mouseY, 470);
    delete window;
}

TEST(Window, ALargerWindowReportsTheMouseInClientPixels) {
    // Scale 2: a 400 x 300 window showing the 200 x 150 client area.
    WindowDescription description;
    description.title = "Tamotown test";
    description.width = 200;
    description.height = 150;
    description.scale = 2;
    Window* window = new Window(description);
    auto* sdlWindow = reinterpret_cast<SDL_Window*>(window->getHandle("WindowHandler"));
    ASSERT_NE(sdlWindow, nullptr);
    settle();
    int w = 0, h = 0;
    SDL_GetWindowSize(sdlWindow, &w, &h);
    ASSERT_EQ(w, 400);
    ASSERT_EQ(h, 300);
    auto moveTo = [&](int32_t x, int32_t y) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = window->windowId();
        e.motion.x = x;
        e.motion.y = y;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
        drainMessages();
    };
    moveTo(201, 101);
    EXPECT_EQ(window->mouseX, 100);
    EXPECT_EQ(window->mouseY, 50);
    moveTo(399, 299);
    EXPECT_EQ(window->mouseX, 199);
    EXPECT_EQ(window->mouseY, 149);
    pushButton(window->windowId(), SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1);
    drainMessages();
    EXPECT_TRUE(window->leftButtonDown);

    // 500 x 300, wider than the client's shape: the picture is 400 x 300
    // with bars of 50 pixels; points on the bars lie outside the client area.
    SDL_SetWindowSize(sdlWindow, 500, 300);
    settle();
    moveTo(50, 0);
    EXPECT_EQ(window->mouseX, 0);
    EXPECT_EQ(window->mouseY, 0);
    moveTo(449, 150);
    EXPECT_EQ(window->mouseX, 199);
    EXPECT_EQ(window->mouseY, 75);
    moveTo(10, 10);
    EXPECT_LT(window->mouseX, 0);
    moveTo(460, 10);
    EXPECT_GE(window->mouseX, 200);

    // Back and forth: every client pixel's centre maps to itself.
    const PictureFit fit = window->pictureFit();
    for (int32_t x = 0; x < 200; ++x)
        ASSERT_EQ(fit.toPictureX(fit.fromPictureX(x)), x);
    for (int32_t y = 0; y < 150; ++y)
        ASSERT_EQ(fit.toPictureY(fit.fromPictureY(y)), y);
    delete window;
    settle();
}

TEST(Window, MouseEventsReachOnEventOnlyWhileActive) {
    RecordingWindow* window = new RecordingWindow;
    window->handleMessage(MsgActivateApp, 0, 0);
    EXPECT_FALSE(window->isActive());
    EXPECT_TRUE(window->isAlive());
    EXPECT_FALSE(anyWindowActive());
    window->events.clear();
    window->handleMessage(MsgMouseMove, 0, makeMessageParam(7, 8));
    window->handleMessage(MsgLeftButtonDown, 0, 0);
    EXPECT_TRUE(window->events.empty());
    EXPECT_EQ(window->mouseX, 7);
    EXPECT_TRUE(window->leftButtonDown);
    // Keys still arrive: only mouse events depend on activation.
    window->handleMessage(MsgKeyDown, 'Q', 0);
    EXPECT_TRUE(window->received({2, 'Q', 0}));

    window->handleMessage(MsgActivateApp, 1, 0);
    EXPECT_TRUE(window->isActive());
    window->events.clear();
    window->handleMessage(MsgMouseMove, 0, makeMessageParam(9, 9));
    window->handleMessage(MsgLeftButtonUp, 0, 0);
    window->handleMessage(MsgLeftButtonDown, 0, 0);
    window->handleMessage(MsgRightButtonUp, 0, 0);
    window->handleMessage(MsgRightButtonDown, 0, 0);
    window->handleMessage(MsgLeftDoubleClick, 0, 0);
    window->handleMessage(MsgRightDoubleClick, 0, 0);
    const std::vector<Event> expected = {{4, 0, 0}, {4, 1, 0}, {4, 2, 0}, {4, 3, 0},
                                         {4, 4, 0}, {4, 5, 0}, {4, 6, 0}};
    EXPECT_EQ(window->events, expected);
    delete window;
}

TEST(Window, AClickOrKeyOnAnInactiveWindowActivatesTheApplicationFirst) {
    RecordingWindow* window = new RecordingWindow;
    RecordingWindow* other = new RecordingWindow;
    settle();
    window->handleMessage(MsgActivateApp, 0, 0);
    other->handleMessage(MsgActivateApp, 0, 0);
    window->events.clear();
    pushButton(window->windowId(), SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1);
    drainMessages();
    EXPECT_TRUE(window->isActive());
    EXPECT_TRUE(other->isActive());
    EXPECT_TRUE(window->received({4, 2, 0}));

    window->handleMessage(MsgActivateApp, 0, 0);
    other->handleMessage(MsgActivateApp, 0, 0);
    pushKey(other->windowId(), SDL_SCANCODE_B, SDLK_b);
    drainMessages();
    EXPECT_TRUE(window->isActive());
    EXPECT_TRUE(other->received({2, 'B', 0}));

    // A release or a move alone does not activate.
    window->handleMessage(MsgActivateApp, 0, 0);
    other->handleMessage(MsgActivateApp, 0, 0);
    pushButton(window->windowId(), SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1);
    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.windowID = window->windowId();
    move.motion.x = 3;
    move.motion.y = 4;
    SDL_PushEvent(&move);
    window->messages.clear();
    drainMessages();
    EXPECT_EQ(window->messagesAmong({MsgLeftButtonUp, MsgMouseMove}).size(), 2u);
    // Unless the X server itself moved the focus meanwhile, it stays inactive.
    if (window->messagesAmong({MsgActivateApp}).empty()) {
        EXPECT_FALSE(window->isActive());
    }
    delete window;
    delete other;
}

TEST(Window, SdlDoubleClickArrivesInsteadOfThePress) {
    RecordingWindow* window = new RecordingWindow;
    settle();
    window->messages.clear();
    const uint32_t id = window->windowId();
    pushButton(id, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1);
    pushButton(id, SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1);
    pushButton(id, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2);
    pushButton(id, SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 2);
    pushButton(id, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1);
    pushButton(id, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 2);
    drainMessages();
    const std::vector<uint32_t> expected = {MsgLeftButtonDown,  MsgLeftButtonUp,
                                            MsgLeftDoubleClick, MsgLeftButtonUp,
                                            MsgRightButtonDown, MsgRightDoubleClick};
    EXPECT_EQ(window->messagesAmong({MsgLeftButtonDown, MsgLeftButtonUp, MsgLeftDoubleClick,
                                     MsgRightButtonDown, MsgRightDoubleClick}),
              expected);
    EXPECT_FALSE(window->leftButtonDown);
    EXPECT_FALSE(window->leftDoubleClick);
    EXPECT_TRUE(window->rightButtonDown);
    EXPECT_TRUE(window->rightDoubleClick);
    delete window;
}

// What a dialog leaves queued when it closes: the pointer's moves still reach
// the window (a click without moving then acts where the pointer is), the
// presses, keys and typed text do not, and a release still clears its button.
TEST(Window, DiscardingInputAfterADialogKeepsWhereThePointerWent) {
    RecordingWindow* window = new RecordingWindow;
    settle();
    const uint32_t id = window->windowId();
    window->handleMessage(MsgLeftButtonDown, 0, 0);
    window->handleMessage(MsgMouseMove, 0, makeMessageParam(5, 6));
    window->events.clear();
    window->messages.clear();
    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.windowID = id;
    move.motion.x = 150;
    move.motion.y = 120;
    pushKey(id, SDL_SCANCODE_A, SDLK_a);
    ASSERT_EQ(SDL_PushEvent(&move), 1);
    pushButton(id, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1);
    pushButton(id, SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1);
    pushButton(id, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = id;
    ASSERT_EQ(SDL_PushEvent(&text), 1);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = id;
    ASSERT_EQ(SDL_PushEvent(&wheel), 1);
    move.motion.x = 160;
    ASSERT_EQ(SDL_PushEvent(&move), 1);
    pushWindowEvent(id, SDL_WINDOWEVENT_SIZE_CHANGED, 200, 150);

    discardQueuedInput();
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_TEXTINPUT), 0);
    drainMessages();
    EXPECT_EQ(window->messagesAmong({MsgMouseMove, MsgLeftButtonUp, MsgLeftButtonDown,
                                     MsgLeftDoubleClick, MsgRightButtonDown, MsgKeyDown, MsgSize}),
              (std::vector<uint32_t>{MsgMouseMove, MsgLeftButtonUp, MsgMouseMove, MsgSize}));
    EXPECT_EQ(window->mouseX, 160);
    EXPECT_EQ(window->mouseY, 120);
    EXPECT_EQ(window->previousMouseX, 150);
    EXPECT_FALSE(window->leftButtonDown);
    EXPECT_FALSE(window->leftDoubleClick);
    EXPECT_FALSE(window->rightButtonDown);
    delete window;
    settle();
}

TEST(Window, KeysArriveAsVirtualKeyCodes) {
    RecordingWindow* window = new RecordingWindow;
    settle();
    window->events.clear();
    const uint32_t id = window->windowId();
    pushKey(id, SDL_SCANCODE_A, SDLK_a);
    pushKey(id, SDL_SCANCODE_7, SDLK_7);
    pushKey(id, SDL_SCANCODE_KP_3, SDLK_KP_3, KMOD_NUM);
    pushKey(id, SDL_SCANCODE_KP_8, SDLK_KP_8);
    pushKey(id, SDL_SCANCODE_F5, SDLK_F5);
    pushKey(id, SDL_SCANCODE_LEFT, SDLK_LEFT);
    pushKey(id, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE);
    pushKey(id, SDL_SCANCODE_DELETE, SDLK_DELETE);
    pushKey(id, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
    pushKey(id, SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN);
    pushKey(id, SDL_SCANCODE_V, SDLK_v, KMOD_RCTRL | KMOD_LSHIFT, true);
    drainMessages();
    std::vector<Event> keys;
    for (const Event& e : window->events)
        if (e.type == 2)
            keys.push_back(e);
    // The keypad gives digits with Num Lock on and navigation keys with it off.
    const std::vector<Event> expected = {
        {2, 'A', 0},
        {2, '7', 0},
        {2, VK_NUMPAD0 + 3, 0},
        {2, VK_UP, 0},
        {2, VK_F1 + 4, 0},
        {2, VK_LEFT, 0},
        {2, VK_BACK, 0},
        {2, VK_DELETE, 0},
        {2, VK_SHIFT, 0},
        {2, 'V', KeyModifierControl | KeyModifierShift | KeyModifierRepeat}};
    EXPECT_EQ(keys, expected);
    delete window;
}

TEST(Window, SizeAndPaintReachTheWindow) {
    RecordingWindow* window = new RecordingWindow;
    settle();
    window->events.clear();
    pushWindowEvent(window->windowId(), SDL_WINDOWEVENT_SIZE_CHANGED, 320, 240);
    drainMessages();
    EXPECT_TRUE(window->received({3, 320, 240}));
    const int paintsBefore = window->paints;
    window->repaint();
    drainMessages();
    EXPECT_EQ(window->paints, paintsBefore + 1);
    delete window;
}

TEST(Window, ClosingThroughTheOsDestroysTheObjectOnce) {
    int destroyed = 0;
    RecordingWindow* window = new RecordingWindow(&destroyed);
    const uint32_t id = window->windowId();
    settle();
    pushWindowEvent(id, SDL_WINDOWEVENT_CLOSE);
    pushWindowEvent(id, SDL_WINDOWEVENT_CLOSE);
    pushKey(id, SDL_SCANCODE_A, SDLK_a);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    drainMessages();
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(anyWindowRegistered());
    EXPECT_EQ(windowFromId(id), nullptr);
}

TEST(Window, SessionQuitClosesEveryWindow) {
    int destroyed = 0;
    new RecordingWindow(&destroyed);
    new RecordingWindow(&destroyed);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    drainMessages();
    EXPECT_EQ(destroyed, 2);
    EXPECT_FALSE(anyWindowRegistered());
}

TEST(Window, AWindowDeletedByItsOwnEventHandlerIsNotTouchedAgain) {
    int destroyed = 0;
    RecordingWindow* window = new RecordingWindow(&destroyed);
    window->deleteOnEventType = 4;
    window->handleMessage(MsgMouseMove, 0, makeMessageParam(1, 1));
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(anyWindowRegistered());
}

TEST(Window, MenuCommandsArriveAsPopupAndItem) {
    RecordingWindow* window = new RecordingWindow;
    window->handleMessage(MsgCommand, 203, 0);
    EXPECT_TRUE(window->received({1, 2, 3}));

    const char* const file[] = {"Open", "Save", nullptr};
    const char* const view[] = {"Plan", "3D", "Sky", nullptr};
    window->addMenu("File", file);
    window->addMenu("View", view);
    WindowMenu* menu = window->windowMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->kind(), 1);
    EXPECT_EQ(menu->popupCount(), 2);
    EXPECT_EQ(menu->itemCount(1), 3);
    EXPECT_STREQ(menu->itemText(1, 2), "Sky");
    EXPECT_STREQ(menu->popupTitle(0), "File");
    EXPECT_EQ(WindowMenu::commandId(1, 2), 102);
    EXPECT_EQ(menu->getHandle("OwnerHandler"), window->getHandle("WindowHandler"));
    EXPECT_NE(menu->getHandle("MenuHandler"), 0u);
    menu->checkMenuItem(1, 1, true);
    EXPECT_TRUE(menu->isItemChecked(1, 1));
    EXPECT_FALSE(menu->isItemChecked(1, 0));
    menu->checkMenuItem(1, 1, false);
    EXPECT_FALSE(menu->isItemChecked(1, 1));

    window->events.clear();
    EXPECT_TRUE(menu->choose(1, 2));
    EXPECT_FALSE(menu->choose(1, 3));
    EXPECT_FALSE(menu->choose(2, 0));
    drainMessages();
    EXPECT_TRUE(window->received({1, 1, 2}));
    delete window;
}

TEST(Window, ButtonGroupRefusesDuplicateIdsAndReportsPresses) {
    RecordingWindow* window = new RecordingWindow;
    {
        ButtonGroup group(window);
        EXPECT_EQ(group.kind(), 2);
        EXPECT_TRUE(group.addButton(10, 10, 60, 30, "Go", 7));
        EXPECT_TRUE(group.addButton(70, 30, 120, 10, nullptr, 8));
        EXPECT_FALSE(group.addButton(0, 0, 5, 5, "Again", 7));
        EXPECT_EQ(group.buttonCount(), 2);
        EXPECT_STREQ(group.caption(7), "Go");
        EXPECT_EQ(group.caption(8), nullptr);

        window->events.clear();
        EXPECT_TRUE(group.press(7));
        EXPECT_FALSE(group.press(9));
        EXPECT_TRUE(group.pressAt(100, 20));  // rectangle given bottom-up
        EXPECT_FALSE(group.pressAt(65, 20));
        drainMessages();
        const std::vector<Event> expected = {{0, 7, 0}, {0, 8, 0}};
        std::vector<Event> buttons;
        for (const Event& e : window->events)
            if (e.type == 0)
                buttons.push_back(e);
        EXPECT_EQ(buttons, expected);

        // A press still queued when the group goes away is dropped.
        EXPECT_TRUE(group.press(8));
    }
    window->events.clear();
    drainMessages();
    for (const Event& e : window->events)
        EXPECT_NE(e.type, 0);
    // An unknown control handle is ignored.
    window->handleMessage(MsgCommand, 5, 12345);
    for (const Event& e : window->events)
        EXPECT_NE(e.type, 0);
    delete window;
}

TEST(Window, MessagesPostedToADestroyedWindowAreDropped) {
    RecordingWindow* first = new RecordingWindow;
    first->postMessage(MsgKeyDown, 'Z', 0);
    delete first;
    RecordingWindow* second = new RecordingWindow;
    second->postMessage(MsgKeyDown, 'Y', 0);
    settle();
    EXPECT_FALSE(second->received({2, 'Z', 0}));
    EXPECT_TRUE(second->received({2, 'Y', 0}));
    delete second;
}

std::string commandOutput(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char line[256];
        while (fgets(line, sizeof line, pipe))
            output += line;
        pclose(pipe);
    }
    return output;
}

TEST(Window, AnOwnedWindowIsTransientForItsParent) {
    Window* owner = new Window("Owner of a test window", 120, 90, true, false, nullptr, false, 32);
    Window* owned = new Window("Owned test window", 60, 40, true, false, owner, false, 32);
    settle();
    // The ids come from SDL: searching the server's window tree by name races
    // with tests in other processes that close their windows meanwhile.
    const unsigned long ownerId = xWindowOf(owner->getHandle("WindowHandler"));
    const unsigned long ownedId = xWindowOf(owned->getHandle("WindowHandler"));
    ASSERT_NE(ownerId, 0u);
    ASSERT_NE(ownedId, 0u);
    const std::string transientFor =
        commandOutput("xprop -id " + std::to_string(ownedId) + " WM_TRANSIENT_FOR");
    char expected[32];
    std::snprintf(expected, sizeof expected, "0x%lx", ownerId);
    EXPECT_NE(transientFor.find(expected), std::string::npos) << transientFor;
    delete owned;
    delete owner;
}

TEST(Window, AWindowTheSystemCannotOpenIsClosedByTheLoop) {
    int destroyed = 0;
    class Oversized : public Window {
    public:
        explicit Oversized(int* counter)
                : Window("Too large", 20000, 20000, true, false, nullptr, false, 32),
                  count(counter) {}
        ~Oversized() override { ++*count; }
        int* count;
    };
    Window* window = new Oversized(&destroyed);
    EXPECT_EQ(window->getHandle("WindowHandler"), 0u);
    EXPECT_FALSE(window->isAlive());
    EXPECT_FALSE(anyWindowActive());
    EXPECT_TRUE(anyWindowRegistered());
    // Nothing to draw on or to close by hand: the queued close deletes it.
    drainMessages();
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(anyWindowRegistered());
}
