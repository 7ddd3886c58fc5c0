#pragma once
#include <cstdint>

#include "world/CellBox.h"

class Clipboard;
class TamoEngineCore;

// The wire box of the clipboard's size that follows the pointer at the cell
// where Ctrl+V would paste it, from a copy, a cut or a stamp opened until
// the paste or Esc; it turns and mirrors with the clipboard.
class PastePreview {
public:
    // Wire colour: yellow, apart from the selection's magenta.
    static constexpr uint8_t Red = 255;
    static constexpr uint8_t Green = 220;
    static constexpr uint8_t Blue = 0;

    void start() { shown = true; }
    void stop() { shown = false; }
    bool active() const { return shown; }

    // The cell a paste puts the clipboard's lowest corner at: the cell a
    // click would place a block into (3D view), or the cell under the
    // pointer on the current level (plan view). False when there is none.
    static bool pasteCell(const TamoEngineCore& core, int32_t cell[3]);
    // The box a paste would fill now; false when there is no place.
    static bool pasteBox(const TamoEngineCore& core, const Clipboard& clipboard, CellBox* box);
    // Draws the box while active and a paste has a place.
    void draw(TamoEngineCore& core, const Clipboard& clipboard) const;

private:
    bool shown = false;
};
