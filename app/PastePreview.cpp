#include "app/PastePreview.h"

#include "engine/Selection.h"
#include "engine/TamoEditorUserAvatar.h"
#include "engine/TamoEngineCore.h"
#include "world/Clipboard.h"

bool PastePreview::pasteCell(const TamoEngineCore& core, int32_t cell[3]) {
    const TamoEditorUserAvatar& avatar = *core.avatar;
    return core.view3D ? avatar.placeCellUnderCursor(cell) : avatar.planCellUnderCursor(cell);
}

bool PastePreview::pasteBox(const TamoEngineCore& core, const Clipboard& clipboard, CellBox* box) {
    int32_t cell[3];
    if (!clipboard.holdsBox() || !pasteCell(core, cell))
        return false;
    const int64_t high[3] = {int64_t{cell[0]} + clipboard.sizeX() - 1,
                             int64_t{cell[1]} + clipboard.sizeY() - 1,
                             int64_t{cell[2]} + clipboard.sizeZ() - 1};
    for (int64_t h : high)
        if (h > INT32_MAX)
            return false;
    *box = CellBox(cell[0], cell[1], cell[2], static_cast<int32_t>(high[0]),
                   static_cast<int32_t>(high[1]), static_cast<int32_t>(high[2]));
    return true;
}

void PastePreview::draw(TamoEngineCore& core, const Clipboard& clipboard) const {
    CellBox box;
    if (shown && pasteBox(core, clipboard, &box))
        Selection::drawBox(*core.glContext, core, core, box, Red, Green, Blue);
}
