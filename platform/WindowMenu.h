#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/NamedHandleTable.h"

class Window;

// A window's menu bar: pop-ups of items. Item i of pop-up p sends the command
// id 100 * p + i to the owner, which arrives as onEvent(EventMenuItem, p, i). The bar has
// no native look; choose() is how an item gets picked.
class WindowMenu {
public:
    explicit WindowMenu(Window* owner);

    int32_t kind() const { return 1; }
    // Appends a pop-up titled title with the items of the null-terminated
    // array items; returns its index.
    int32_t addPopup(const char* title, const char* const* items);
    void checkMenuItem(int32_t popupIndex, int32_t itemIndex, bool checked);
    bool isItemChecked(int32_t popupIndex, int32_t itemIndex) const;
    // Posts the item's command to the owner window; false for a missing item.
    bool choose(int32_t popupIndex, int32_t itemIndex);

    int32_t popupCount() const { return static_cast<int32_t>(popups.size()); }
    int32_t itemCount(int32_t popupIndex) const;
    const char* popupTitle(int32_t popupIndex) const;
    const char* itemText(int32_t popupIndex, int32_t itemIndex) const;
    static int32_t commandId(int32_t popupIndex, int32_t itemIndex) {
        return itemIndex + 100 * popupIndex;
    }
    // "MenuHandler" (this bar) and "OwnerHandler" (the owner's OS window).
    uintptr_t getHandle(const char* name) const { return handles.find(name); }

private:
    struct Item {
        std::string text;
        bool checked = false;
    };
    struct Popup {
        std::string title;
        std::vector<Item> items;
    };
    const Item* item(int32_t popupIndex, int32_t itemIndex) const;

    Window* owner;
    NamedHandleTable handles{2};
    std::vector<Popup> popups;
};
