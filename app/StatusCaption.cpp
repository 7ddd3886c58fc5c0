#include "app/StatusCaption.h"

void StatusCaption::show(const char* newText, uint32_t now) {
    text = newText != nullptr ? newText : "";
    shownAt = now;
    visible = !text.empty();
}

void StatusCaption::hide() {
    visible = false;
}

const char* StatusCaption::textAt(uint32_t now) const {
    // Unsigned difference: correct across the wrap of the 32-bit tick.
    if (!visible || now - shownAt >= ShowMilliseconds)
        return nullptr;
    return text.c_str();
}
