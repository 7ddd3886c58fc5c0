#include "platform/ButtonGroup.h"

#include <algorithm>
#include <unordered_map>

#include "platform/Window.h"
#include "platform/WindowMessages.h"

namespace {

// Every live button's control handle, pointing back at its group.
std::unordered_map<uintptr_t, ButtonGroup*>& controls() {
    static std::unordered_map<uintptr_t, ButtonGroup*> table;
    return table;
}

uintptr_t nextControl = 1;

}  // namespace

ButtonGroup::ButtonGroup(Window* owner) : ownerWindow(owner) {}

ButtonGroup::~ButtonGroup() {
    for (const Button& button : buttons)
        controls().erase(button.control);
}

bool ButtonGroup::addButton(int16_t left, int16_t top, int16_t right, int16_t bottom,
                            const char* caption, int16_t id) {
    if (find(id))
        return false;
    Button button{nextControl++,         left, top, right, bottom, id, caption != nullptr,
                  caption ? caption : ""};
    controls()[button.control] = this;
    buttons.push_front(std::move(button));
    return true;
}

void ButtonGroup::redraw() {
    if (isLiveWindow(ownerWindow))
        ownerWindow->repaint();
}

bool ButtonGroup::press(int16_t id) {
    const Button* button = find(id);
    return button && post(*button);
}

bool ButtonGroup::pressAt(int32_t x, int32_t y) {
    for (const Button& button : buttons) {
        const int32_t left = std::min(button.left, button.right);
        const int32_t right = std::max(button.left, button.right);
        const int32_t top = std::min(button.top, button.bottom);
        const int32_t bottom = std::max(button.top, button.bottom);
        if (x >= left && x < right && y >= top && y < bottom)
            return post(button);
    }
    return false;
}

int32_t ButtonGroup::buttonCount() const {
    return static_cast<int32_t>(std::distance(buttons.begin(), buttons.end()));
}

const char* ButtonGroup::caption(int16_t id) const {
    const Button* button = find(id);
    return button && button->hasCaption ? button->caption.c_str() : nullptr;
}

ButtonGroup* ButtonGroup::fromControl(uintptr_t control) {
    const auto found = controls().find(control);
    return found == controls().end() ? nullptr : found->second;
}

const ButtonGroup::Button* ButtonGroup::find(int16_t id) const {
    for (const Button& button : buttons)
        if (button.id == id)
            return &button;
    return nullptr;
}

bool ButtonGroup::post(const Button& button) {
    if (!isLiveWindow(ownerWindow))
        return false;
    ownerWindow->postMessage(MsgCommand, static_cast<uint16_t>(button.id),
                             static_cast<intptr_t>(button.control));
    return true;
}
