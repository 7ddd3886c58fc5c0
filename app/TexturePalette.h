#pragma once
#include <cstdint>
#include <vector>

#include "app/ModalOverlay.h"
#include "media/InterfaceLayout.h"

class TamoEngineCore;

// The texture palette: every loaded block texture as a picture with its
// number, in a grid of pages over the world. A click on a picture makes
// that texture the current material's (its turn, scales and offsets stay)
// and closes the palette; the arrows below the grid, Page Up and Page Down
// (or the Left and Right keys) turn the pages; Esc, F2 or a right click
// close it unchanged. Opened by F2 and by a click on the block panel's
// material preview, in either view and edit mode.
class TexturePalette : public ModalOverlay {
public:
    static constexpr int32_t Columns = 8;
    static constexpr int32_t Rows = 4;
    static constexpr int32_t PerPage = Columns * Rows;

    struct Cell {
        int32_t texture;
        ScreenRect picture;
    };

    explicit TexturePalette(TamoEngineCore& core);

    // Lists the textures loaded now and shows the page of the current one.
    void open();
    void close() { shown = false; }
    bool isOpen() const override { return shown; }
    void draw() override;
    void key(int32_t key, int32_t modifiers) override;
    void press(int32_t x, int32_t y, bool left) override;

    // Every texture id from the first block texture up that the texture
    // table holds, ascending, each once (as listed at open).
    const std::vector<int32_t>& textures() const { return listed; }
    int32_t page() const { return shownPage; }
    int32_t pageCount() const;
    // Shows page (clamped to the pages there are).
    void showPage(int32_t page);
    // The pictures of the page shown, in reading order.
    std::vector<Cell> cells() const;
    // Where the page arrows lie.
    static ScreenRect previousArrow();
    static ScreenRect nextArrow();

private:
    void drawArrow(const ScreenRect& r, const char* label, bool active) const;

    TamoEngineCore& core;
    std::vector<int32_t> listed;
    int32_t shownPage = 0;
    bool shown = false;
};
