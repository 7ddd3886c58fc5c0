#include "app/KeyHelp.h"

#include <GL/gl.h>

#include <cctype>

#include "app/KeyTable.h"
#include "media/BitmapFont.h"
#include "platform/GLContext.h"
#include "platform/ScreenOverlay.h"
#include "platform/VirtualKeys.h"

namespace {

// Half-size text: 8-pixel glyphs 9 pixels apart, a line every 11 pixels.
constexpr float TextScale = 0.5f;
constexpr int32_t Advance = 9, LineStep = 11, RowGap = 3;
constexpr int32_t Left = 20, TextTop = 40, TextBottom = 446;
constexpr int32_t KeyColumnChars = 22;
constexpr int32_t EffectLeft = Left + (KeyColumnChars + 2) * Advance;
constexpr int32_t EffectChars = (620 - EffectLeft) / Advance;

// Words of text in lines of at most width characters (a longer word is cut).
std::vector<std::string> wrap(const std::string& text, size_t width) {
    std::vector<std::string> lines(1);
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find(' ', at);
        std::string word = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        while (!word.empty()) {
            std::string& line = lines.back();
            const size_t room = line.empty() ? width : width - std::min(width, line.size() + 1);
            if (word.size() <= room) {
                line += (line.empty() ? "" : " ") + word;
                word.clear();
            } else if (line.empty()) {
                line = word.substr(0, width);
                word.erase(0, width);
                lines.emplace_back();
            } else {
                lines.emplace_back();
            }
        }
    }
    if (lines.back().empty() && lines.size() > 1)
        lines.pop_back();
    return lines;
}

bool modifierOnly(int32_t key) {
    return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU || key == VK_LSHIFT ||
           key == VK_RSHIFT || key == VK_LCONTROL || key == VK_RCONTROL || key == VK_LMENU ||
           key == VK_RMENU || key == VK_CAPITAL;
}

}  // namespace

std::string KeyHelp::screenText(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        if (c == '`')
            continue;
        shown += c == '('   ? '<'
                 : c == ')' ? '>'
                 : c == '"' ? '\''
                            : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return shown;
}

std::vector<KeyHelp::Page> KeyHelp::layOut(const std::vector<KeyBinding>& bindings) {
    std::vector<Page> pages(1);
    int32_t y = TextTop;
    std::string section, lastRow;
    for (size_t index = 0; index < bindings.size(); ++index) {
        const KeyBinding& binding = bindings[index];
        const int32_t rowIndex = static_cast<int32_t>(index);
        if (binding.section == nullptr || binding.keys == nullptr || binding.effect == nullptr)
            continue;
        const std::string row = std::string(binding.section) + binding.keys + binding.effect;
        if (row == lastRow)
            continue;  // several keys of one row
        lastRow = row;
        const std::vector<std::string> keys = wrap(screenText(binding.keys), KeyColumnChars);
        const std::vector<std::string> effect = wrap(screenText(binding.effect), EffectChars);
        const int32_t height =
            static_cast<int32_t>(std::max(keys.size(), effect.size())) * LineStep + RowGap;
        const bool newSection = section != binding.section;
        // A heading, with a blank line before it unless it tops the page.
        const int32_t headingRoom = newSection ? (y > TextTop ? 2 : 1) * LineStep : 0;
        if (y + headingRoom + height > TextBottom && y > TextTop) {
            pages.emplace_back();
            y = TextTop;
        }
        if (newSection || y == TextTop) {
            if (y > TextTop)
                y += LineStep;
            pages.back().push_back({Left, y, screenText(binding.section), -1});
            y += LineStep;
            section = binding.section;
        }
        for (size_t i = 0; i < keys.size(); ++i)
            pages.back().push_back(
                {Left, y + static_cast<int32_t>(i) * LineStep, keys[i], rowIndex});
        for (size_t i = 0; i < effect.size(); ++i)
            pages.back().push_back(
                {EffectLeft, y + static_cast<int32_t>(i) * LineStep, effect[i], rowIndex});
        y += height;
    }
    return pages;
}

KeyHelp::KeyHelp(GLContext& gl_, const BitmapFont& font_) : gl(gl_), font(font_) {}

void KeyHelp::open() {
    pages = layOut(KeyTable::bindings());
    shownPage = 0;
    shown = true;
}

void KeyHelp::key(int32_t key, int32_t) {
    if (modifierOnly(key))
        return;  // the first half of a key with modifiers
    if (key == VK_F1 && shownPage + 1 < pageCount())
        ++shownPage;
    else
        close();
}

void KeyHelp::press(int32_t, int32_t, bool) {
    close();
}

void KeyHelp::draw() {
    if (!shown)
        return;
    {
        ScreenOverlay overlay(gl);
        overlay.untextured();
        glColor3ub(96, 104, 124);
        glRecti(8, 6, 632, 474);
        glColor3ub(16, 20, 30);
        glRecti(10, 8, 630, 472);
        glColor3ub(255, 255, 255);
    }
    font.drawText(Left, 16, "KEYS", 255, 220, 0, false, 1.0f, false);
    const std::string pageText =
        "PAGE " + std::to_string(shownPage + 1) + " OF " + std::to_string(pageCount());
    font.drawText(620 - static_cast<int32_t>(pageText.size()) * 18, 16, pageText.c_str(), 200, 200,
                  200, false, 1.0f, false);
    for (const Line& line : pages[static_cast<size_t>(shownPage)]) {
        const bool heading = line.row < 0;
        font.drawText(line.x, line.y, line.text.c_str(), heading ? 255 : 230, heading ? 220 : 230,
                      heading ? 0 : 230, false, TextScale, false);
    }
    const char* footer = shownPage + 1 < pageCount()
                             ? "F1: NEXT PAGE    ANY OTHER KEY OR A CLICK: BACK"
                             : "ANY KEY OR A CLICK: BACK";
    font.drawText(320, 458, footer, 200, 200, 200, true, TextScale, false);
}
