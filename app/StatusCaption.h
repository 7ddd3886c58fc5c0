#pragma once
#include <cstdint>
#include <string>

// A short message shown on screen for a few seconds after a command failed.
class StatusCaption {
public:
    static constexpr uint32_t ShowMilliseconds = 3000;

    void show(const char* text, uint32_t now);
    void hide();
    // The text to draw at time now, or null once it has expired or when none was shown.
    const char* textAt(uint32_t now) const;

private:
    std::string text;
    uint32_t shownAt = 0;
    bool visible = false;
};
