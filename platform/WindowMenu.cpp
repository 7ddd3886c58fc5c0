#include "platform/WindowMenu.h"

#include "platform/Window.h"
#include "platform/WindowMessages.h"

WindowMenu::WindowMenu(Window* owner_) : owner(owner_) {
    handles.set(0, reinterpret_cast<uintptr_t>(this), "MenuHandler");
    handles.set(1, owner ? owner->getHandle("WindowHandler") : 0, "OwnerHandler");
}

int32_t WindowMenu::addPopup(const char* title, const char* const* items) {
    Popup popup;
    popup.title = title ? title : "";
    for (const char* const* text = items; text && *text; ++text)
        popup.items.push_back(Item{*text, false});
    popups.push_back(std::move(popup));
    return popupCount() - 1;
}

const WindowMenu::Item* WindowMenu::item(int32_t popupIndex, int32_t itemIndex) const {
    if (popupIndex < 0 || popupIndex >= popupCount())
        return nullptr;
    const std::vector<Item>& items = popups[static_cast<size_t>(popupIndex)].items;
    if (itemIndex < 0 || itemIndex >= static_cast<int32_t>(items.size()))
        return nullptr;
    return &items[static_cast<size_t>(itemIndex)];
}

void WindowMenu::checkMenuItem(int32_t popupIndex, int32_t itemIndex, bool checked) {
    if (item(popupIndex, itemIndex))
        popups[static_cast<size_t>(popupIndex)].items[static_cast<size_t>(itemIndex)].checked =
            checked;
}

bool WindowMenu::isItemChecked(int32_t popupIndex, int32_t itemIndex) const {
    const Item* found = item(popupIndex, itemIndex);
    return found && found->checked;
}

bool WindowMenu::choose(int32_t popupIndex, int32_t itemIndex) {
    if (!owner || !item(popupIndex, itemIndex))
        return false;
    owner->postMessage(MsgCommand, static_cast<uintptr_t>(commandId(popupIndex, itemIndex)), 0);
    return true;
}

int32_t WindowMenu::itemCount(int32_t popupIndex) const {
    if (popupIndex < 0 || popupIndex >= popupCount())
        return 0;
    return static_cast<int32_t>(popups[static_cast<size_t>(popupIndex)].items.size());
}

const char* WindowMenu::popupTitle(int32_t popupIndex) const {
    if (popupIndex < 0 || popupIndex >= popupCount())
        return nullptr;
    return popups[static_cast<size_t>(popupIndex)].title.c_str();
}

const char* WindowMenu::itemText(int32_t popupIndex, int32_t itemIndex) const {
    const Item* found = item(popupIndex, itemIndex);
    return found ? found->text.c_str() : nullptr;
}
