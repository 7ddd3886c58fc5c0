#pragma once
#include <cstdint>
#include <string>

#include "app/FileCaption.h"

// A short message shown on screen for a few seconds after a command, with an
// optional smaller second line (a file name).
class StatusCaption {
public:
    static constexpr uint32_t ShowMilliseconds = 3000;

    void show(const char* text, uint32_t now, uint32_t milliseconds = ShowMilliseconds,
              const std::string& detail = std::string());
    // Its text, second line and time.
    void show(const FileCaption& caption, uint32_t now);
    void hide();
    // The text to draw at time now, or null once it has expired or when none was shown.
    const char* textAt(uint32_t now) const;
    // The second line while the text shows, or null when it has none.
    const char* detailAt(uint32_t now) const;

private:
    std::string text;
    std::string detail;
    uint32_t shownAt = 0;
    uint32_t showFor = ShowMilliseconds;
    bool visible = false;
};
