#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/ModalOverlay.h"

class BitmapFont;
class GLContext;
struct KeyBinding;

// The key table on screen (F1): every documented row of the program's key
// table, grouped under its README section as README groups it, in half-size
// text over the world, on as many 640 x 480 pages as it takes. F1 turns to
// the next page (after the last it closes); any other key or a click closes
// it. Drawn from the table itself, so it shows whatever rows it holds.
class KeyHelp : public ModalOverlay {
public:
    struct Line {
        int32_t x, y;  // the first glyph's top left
        std::string text;
        int32_t row;  // the row's index in the table; -1 for a section's heading
    };
    using Page = std::vector<Line>;

    // The lines of every page for these rows (those without a README row
    // left out, a row that documents several keys once). Columns are
    // wrapped at blanks; a row never breaks across pages, and a section
    // that goes on over a page break shows its heading again.
    static std::vector<Page> layOut(const std::vector<KeyBinding>& bindings);
    // text as the font draws it: upper case, brackets as angle brackets,
    // double quotes as single ones, back quotes left out.
    static std::string screenText(const std::string& text);

    KeyHelp(GLContext& gl, const BitmapFont& font);

    // Shows the first page of the program's key table.
    void open();
    void close() { shown = false; }
    bool isOpen() const override { return shown; }
    void draw() override;
    void key(int32_t key, int32_t modifiers) override;
    void press(int32_t x, int32_t y, bool left) override;
    int32_t page() const { return shownPage; }
    int32_t pageCount() const { return static_cast<int32_t>(pages.size()); }

private:
    GLContext& gl;
    const BitmapFont& font;
    std::vector<Page> pages;
    int32_t shownPage = 0;
    bool shown = false;
};
