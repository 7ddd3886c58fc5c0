#include "app/KeyHelp.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/KeyTable.h"
#include "media/BitmapFont.h"
#include "platform/GLContext.h"
#include "platform/TextureTable.h"
#include "platform/VirtualKeys.h"
#include "support/GLTestFixture.h"

namespace {

// The layout's promises for a table: every documented row once, in order,
// its two columns giving back its text; its section's heading above it on
// its page; every line on the 640 x 480 picture, clear of the others.
void expectLayout(const std::vector<KeyBinding>& table) {
    const std::vector<KeyHelp::Page> pages = KeyHelp::layOut(table);
    ASSERT_FALSE(pages.empty());
    std::map<int32_t, std::string> keys, effects;
    std::vector<int32_t> order;
    for (const KeyHelp::Page& page : pages) {
        std::string heading;
        for (size_t i = 0; i < page.size(); ++i) {
            const KeyHelp::Line& line = page[i];
            EXPECT_GE(line.x, 10);
            EXPECT_LE(line.x + 9 * static_cast<int32_t>(line.text.size()), 630) << line.text;
            EXPECT_GE(line.y, 36);
            EXPECT_LE(line.y + 8, 450) << line.text;
            for (size_t j = 0; j < i; ++j) {
                const KeyHelp::Line& other = page[j];
                const bool apart = other.y + 8 <= line.y || line.y + 8 <= other.y ||
                                   other.x + 9 * int32_t(other.text.size()) <= line.x ||
                                   line.x + 9 * int32_t(line.text.size()) <= other.x;
                EXPECT_TRUE(apart) << line.text << " / " << other.text;
            }
            if (line.row < 0) {
                heading = line.text;
                continue;
            }
            const KeyBinding& b = table[static_cast<size_t>(line.row)];
            EXPECT_EQ(heading, KeyHelp::screenText(b.section)) << line.text;
            // The keys column starts at the left, the effects' further right.
            std::string& column = line.x == 20 ? keys[line.row] : effects[line.row];
            column += (column.empty() ? "" : " ") + line.text;
            if (order.empty() || order.back() != line.row)
                order.push_back(line.row);
        }
    }
    std::vector<int32_t> documented;
    std::string last;
    for (size_t i = 0; i < table.size(); ++i) {
        if (!table[i].section)
            continue;
        const std::string row = std::string(table[i].section) + table[i].keys + table[i].effect;
        if (row != last)
            documented.push_back(static_cast<int32_t>(i));
        last = row;
    }
    EXPECT_EQ(order, documented);
    for (int32_t i : documented) {
        EXPECT_EQ(keys[i], KeyHelp::screenText(table[size_t(i)].keys));
        EXPECT_EQ(effects[i], KeyHelp::screenText(table[size_t(i)].effect));
    }
}

// The program's table, and random tables of many long rows in a few
// sections, which take several pages.
TEST(KeyHelpLayout, EveryRowOnceInItsSectionOnThePicture) {
    expectLayout(KeyTable::bindings());
    std::mt19937 rng(20261210);
    const std::vector<std::string> words = {"a",     "fill",      "selection", "Ctrl+Shift+Page",
                                            "(3D)",  "\"SAVED\"", "`.map`",    "the",
                                            "undo;", "blocks"};
    auto phrase = [&](unsigned most) {
        std::string text = words[rng() % words.size()];
        for (unsigned n = rng() % most; n > 0; --n)
            text += " " + words[rng() % words.size()];
        return text;
    };
    const char* sections[] = {"Keys", "Building faster", "More"};
    for (int round = 0; round < 20; ++round) {
        std::vector<std::string> texts;  // keys and effect of each row
        for (int row = static_cast<int>(rng() % 60); row >= 0; --row)
            texts.push_back(phrase(6)), texts.push_back(phrase(40));
        std::vector<KeyBinding> table;
        for (size_t i = 0; i + 1 < texts.size(); i += 2) {
            const char* section = sections[(i / 2) * 3 / (texts.size() / 2 + 1)];
            table.push_back(
                {0, 0, KeyCommand::Held, true, section, texts[i].c_str(), texts[i + 1].c_str()});
            if (rng() % 5 == 0)  // an alias of the row above
                table.push_back(table.back());
        }
        SCOPED_TRACE(round);
        expectLayout(table);
    }
}

class KeyHelpTest : public GLTestFixture {
protected:
    void SetUp() override {
        GLTestFixture::SetUp();
        std::vector<uint8_t> font(256 * 128 * 4, 255);  // every glyph a filled square
        ASSERT_TRUE(gl->textures->uploadTexture(font.data(), 256, 128, 2, 0));
        fontObject = std::make_unique<BitmapFont>(gl, 2);
    }
    std::unique_ptr<BitmapFont> fontObject;
};

// Drawn over the world (pixels read back): the panel's dark ground, each
// line's first glyph in its colour (headings yellow), the pages' own lines;
// F1 turns the page, then closes after the last; a modifier alone changes
// nothing, a click closes.
TEST_F(KeyHelpTest, PagesDrawTheTableAndF1TurnsThem) {
    KeyHelp help(*gl, *fontObject);
    help.open();
    ASSERT_TRUE(help.isOpen());
    const std::vector<KeyHelp::Page> pages = KeyHelp::layOut(KeyTable::bindings());
    ASSERT_EQ(help.pageCount(), static_cast<int32_t>(pages.size()));
    ASSERT_GE(help.pageCount(), 2);
    for (int32_t page = 0; page < help.pageCount(); ++page) {
        ASSERT_EQ(help.page(), page);
        glClearColor(0, 0.5f, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        help.draw();
        const Pixel ground = readPixel(15, 300);
        EXPECT_EQ(ground.r, 16);
        EXPECT_EQ(ground.g, 20);
        EXPECT_EQ(ground.b, 30);
        const Pixel world = readPixel(3, 240);
        EXPECT_NEAR(world.g, 127, 1);  // the world still shows beside the panel
        for (const KeyHelp::Line& line : pages[static_cast<size_t>(page)]) {
            const Pixel glyph = readPixel(line.x + 4, line.y + 4);
            SCOPED_TRACE(line.text);
            if (line.text[0] == ' ')
                continue;
            EXPECT_EQ(glyph.r, line.row < 0 ? 255 : 230);
            EXPECT_EQ(glyph.b, line.row < 0 ? 0 : 230);
        }
        help.key(VK_SHIFT, 0);
        EXPECT_TRUE(help.isOpen());
        help.key(VK_F1, 0);
    }
    EXPECT_FALSE(help.isOpen());
    help.open();
    help.press(100, 100, false);
    EXPECT_FALSE(help.isOpen());
}

}  // namespace
