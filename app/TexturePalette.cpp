#include "app/TexturePalette.h"

#include <GL/gl.h>

#include <algorithm>
#include <string>

#include "engine/TamoEngineCore.h"
#include "media/BitmapFont.h"
#include "platform/GLContext.h"
#include "platform/ScreenOverlay.h"
#include "platform/TextureTable.h"
#include "platform/VirtualKeys.h"

namespace {

// The panel nearly fills the 640 x 480 picture: a title row, four rows of
// eight 64-pixel pictures with their numbers below, and the page arrows.
constexpr ScreenRect Panel = {12, 8, 627, 471};
constexpr int32_t GridLeft = 28, GridTop = 40;
constexpr int32_t PictureSize = 64;
constexpr int32_t CellWidth = 74, CellHeight = 94;
constexpr int32_t ArrowTop = 424, ArrowBottom = 460, ArrowWidth = 90;

bool inside(const ScreenRect& r, int32_t x, int32_t y) {
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

// A flat rectangle, bounds inclusive, in the current colour.
void fill(const ScreenRect& r) {
    glBegin(GL_QUADS);
    glVertex2i(r.left, r.top);
    glVertex2i(r.right + 1, r.top);
    glVertex2i(r.right + 1, r.bottom + 1);
    glVertex2i(r.left, r.bottom + 1);
    glEnd();
}

}  // namespace

TexturePalette::TexturePalette(TamoEngineCore& core_) : core(core_) {}

void TexturePalette::open() {
    listed.clear();
    const TextureTable& table = *core.glContext->textures;
    for (int32_t i = 0; i < table.recordCount(); ++i)
        if (table.record(i).id >= core.firstTextureId)
            listed.push_back(table.record(i).id);
    std::sort(listed.begin(), listed.end());
    listed.erase(std::unique(listed.begin(), listed.end()), listed.end());
    const auto current = std::find(listed.begin(), listed.end(), core.material.texture);
    shownPage =
        current == listed.end() ? 0 : static_cast<int32_t>(current - listed.begin()) / PerPage;
    shown = true;
}

int32_t TexturePalette::pageCount() const {
    return std::max<int32_t>(1, (static_cast<int32_t>(listed.size()) + PerPage - 1) / PerPage);
}

void TexturePalette::showPage(int32_t page) {
    shownPage = std::clamp(page, 0, pageCount() - 1);
}

std::vector<TexturePalette::Cell> TexturePalette::cells() const {
    std::vector<Cell> page;
    const size_t first = static_cast<size_t>(shownPage) * PerPage;
    for (size_t i = first; i < listed.size() && i < first + PerPage; ++i) {
        const int32_t k = static_cast<int32_t>(i - first);
        const int32_t x = GridLeft + (k % Columns) * CellWidth;
        const int32_t y = GridTop + (k / Columns) * CellHeight;
        page.push_back({listed[i], {x, y, x + PictureSize - 1, y + PictureSize - 1}});
    }
    return page;
}

ScreenRect TexturePalette::previousArrow() {
    return {GridLeft, ArrowTop, GridLeft + ArrowWidth - 1, ArrowBottom};
}

ScreenRect TexturePalette::nextArrow() {
    const int32_t right = GridLeft + Columns * CellWidth - (CellWidth - PictureSize) - 1;
    return {right - ArrowWidth + 1, ArrowTop, right, ArrowBottom};
}

void TexturePalette::key(int32_t key, int32_t) {
    if (key == VK_ESCAPE || key == VK_F1 + 1)
        close();
    else if (key == VK_PRIOR || key == VK_LEFT)
        showPage(shownPage - 1);
    else if (key == VK_NEXT || key == VK_RIGHT)
        showPage(shownPage + 1);
}

void TexturePalette::press(int32_t x, int32_t y, bool left) {
    if (!left) {
        close();
        return;
    }
    if (inside(previousArrow(), x, y))
        return showPage(shownPage - 1);
    if (inside(nextArrow(), x, y))
        return showPage(shownPage + 1);
    for (const Cell& cell : cells())
        if (inside(cell.picture.grownBy(3), x, y)) {
            core.material.texture = cell.texture;
            core.touchMaterial();
            close();
            return;
        }
}

void TexturePalette::draw() {
    if (!shown)
        return;
    const BitmapFont& font = *core.font;
    {
        ScreenOverlay overlay(*core.glContext);
        overlay.untextured();
        glColor3ub(96, 104, 124);
        fill(Panel);
        glColor3ub(22, 26, 36);
        fill(Panel.grownBy(-2));
        for (const Cell& cell : cells()) {
            // The current texture is framed; transparent parts show grey.
            if (cell.texture == core.material.texture) {
                glColor3ub(255, 220, 0);
                fill(cell.picture.grownBy(3));
            }
            glColor3ub(70, 74, 84);
            fill(cell.picture);
        }
        glColor3ub(255, 255, 255);
    }
    for (const Cell& cell : cells()) {
        const ScreenRect& r = cell.picture;
        fillRectWithTexture(r.left, r.top, r.right + 1, r.bottom + 1, cell.texture, false, 1.0f);
        font.drawNumber((r.left + r.right + 1) / 2, r.bottom + 14, cell.texture, 255, 255, 255,
                        true, 1.0f, false);
    }
    font.drawText(GridLeft, 16, listed.empty() ? "NO TEXTURES LOADED" : "TEXTURES", 255, 220, 0,
                  false, 1.0f, false);
    const std::string pages =
        "PAGE " + std::to_string(shownPage + 1) + " OF " + std::to_string(pageCount());
    font.drawText(nextArrow().right - static_cast<int32_t>(pages.size()) * 18 + 2, 16,
                  pages.c_str(), 200, 200, 200, false, 1.0f, false);
    drawArrow(previousArrow(), "<", shownPage > 0);
    drawArrow(nextArrow(), ">", shownPage + 1 < pageCount());
    font.drawText(320, ArrowTop + 10, "CLICK: CHOOSE", 200, 200, 200, true, 0.5f, false);
    font.drawText(320, ArrowTop + 24, "ESC: CLOSE", 200, 200, 200, true, 0.5f, false);
}

void TexturePalette::drawArrow(const ScreenRect& r, const char* label, bool active) const {
    {
        ScreenOverlay overlay(*core.glContext);
        overlay.untextured();
        const uint8_t face = active ? 96 : 44;
        glColor3ub(face, face, static_cast<uint8_t>(face + 30));
        fill(r);
        glColor3ub(255, 255, 255);
    }
    core.font->drawText((r.left + r.right) / 2, (r.top + r.bottom) / 2, label, 255, 255, 255, true,
                        1.0f, false);
}
