#pragma once
#include <cstdint>
#include <forward_list>
#include <string>

class Window;

// A group of push buttons on a window. Pressing one sends a command that
// reaches the owner as onEvent(EventPushButton, id, 0). The buttons have no native look:
// press() and pressAt() are how one gets pressed.
class ButtonGroup {
public:
    explicit ButtonGroup(Window* owner);
    ~ButtonGroup();
    ButtonGroup(const ButtonGroup&) = delete;
    ButtonGroup& operator=(const ButtonGroup&) = delete;

    int32_t kind() const { return 2; }
    Window* owner() const { return ownerWindow; }

    // Adds a button; refused (false) when a button with that id exists.
    bool addButton(int16_t left, int16_t top, int16_t right, int16_t bottom, const char* caption,
                   int16_t id);
    // Asks the owner to repaint, which redraws every button.
    void redraw();
    // Posts the command of the button with that id; false when there is none.
    bool press(int16_t id);
    // Presses the newest button whose rectangle holds the client point (x, y).
    bool pressAt(int32_t x, int32_t y);

    int32_t buttonCount() const;
    // The caption of the button with that id, or null (no such button, or no caption).
    const char* caption(int16_t id) const;

    // The group a control handle belongs to, or null for an unknown handle.
    static ButtonGroup* fromControl(uintptr_t control);

private:
    struct Button {
        uintptr_t control;
        int16_t left, top, right, bottom, id;
        bool hasCaption;
        std::string caption;
    };
    const Button* find(int16_t id) const;
    bool post(const Button& button);

    Window* ownerWindow;
    std::forward_list<Button> buttons;  // newest first
};
