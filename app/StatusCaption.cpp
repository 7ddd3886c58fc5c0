#include "app/StatusCaption.h"

void StatusCaption::show(const char* newText, uint32_t now, uint32_t milliseconds,
                         const std::string& newDetail) {
    text = newText != nullptr ? newText : "";
    detail = newDetail;
    shownAt = now;
    showFor = milliseconds;
    visible = !text.empty();
}

void StatusCaption::show(const FileCaption& caption, uint32_t now) {
    show(caption.text.c_str(), now, caption.milliseconds, caption.detail);
}

void StatusCaption::hide() {
    visible = false;
}

const char* StatusCaption::textAt(uint32_t now) const {
    // Unsigned difference: correct across the wrap of the 32-bit tick.
    if (!visible || now - shownAt >= showFor)
        return nullptr;
    return text.c_str();
}

const char* StatusCaption::detailAt(uint32_t now) const {
    if (textAt(now) == nullptr || detail.empty())
        return nullptr;
    return detail.c_str();
}
