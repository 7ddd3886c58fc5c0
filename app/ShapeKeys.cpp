#include "app/ShapeKeys.h"

#include <cstdio>
#include <new>
#include <string>

#include "app/KeyTable.h"
#include "app/StatusCaption.h"
#include "engine/TamoEditorUserAvatar.h"
#include "engine/TamoEngineCore.h"
#include "platform/SystemClock.h"
#include "world/EditBatch.h"
#include "world/ShapeCells.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"

ShapeKeys::ShapeKeys(TamoEngineCore& core_, StatusCaption& caption_)
        : core(core_), caption(caption_) {}

bool ShapeKeys::handles(KeyCommand command) {
    switch (command) {
    case KeyCommand::ShapeLine:
    case KeyCommand::ShapeCylinder:
    case KeyCommand::ShapeTube:
    case KeyCommand::ShapeSphere:
    case KeyCommand::ShapeShell:
    case KeyCommand::ReplaceMaterial:
        return true;
    default:
        return false;
    }
}

void ShapeKeys::run(KeyCommand command) {
    const uint32_t now = getTickCount();
    if (!core.selection.active()) {
        caption.show("NO SELECTION", now);
        return;
    }
    const CellBox box = core.selection.box();
    if (!box.withinLimit()) {
        caption.show("BOX TOO LARGE", now, StatusCaption::ShowMilliseconds,
                     core.selection.sizeText());
        return;
    }
    FaceMaterial under;
    if (command == KeyCommand::ReplaceMaterial && !materialUnderPointer(&under)) {
        caption.show("NO BLOCK UNDER THE POINTER", now);
        return;
    }
    const char* done = "";
    size_t changes = 0;
    try {
        EditBatch batch(*core.map, *core.sprites, core.history);
        const FaceMaterial& m = core.material;
        if (command == KeyCommand::ShapeLine) {
            int32_t from[3], to[3];
            core.selection.dragEnds(from, to);
            batch.line(from[0], from[1], from[2], to[0], to[1], to[2], m);
            done = "LINE";
        } else if (command == KeyCommand::ShapeCylinder || command == KeyCommand::ShapeTube) {
            const bool tube = command == KeyCommand::ShapeTube;
            batch.shape(ShapeCells::cylinderInBox(box, tube), m);
            done = tube ? "TUBE" : "CYLINDER";
        } else if (command == KeyCommand::ShapeSphere || command == KeyCommand::ShapeShell) {
            const bool shell = command == KeyCommand::ShapeShell;
            batch.shape(ShapeCells::ellipsoidInBox(box, shell), m);
            done = shell ? "SHELL" : "SPHERE";
        } else {
            batch.replace(box, under, m);
            done = "REPLACED";
        }
        changes = batch.commit();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "tamotown: the shape needs more memory than there is\n");
        caption.show("NOT DONE", now, StatusCaption::ShowMilliseconds, core.selection.sizeText());
        return;
    }
    caption.show((std::string(done) + " " + std::to_string(changes)).c_str(), now);
}

bool ShapeKeys::materialUnderPointer(FaceMaterial* material) const {
    TamoMap& map = *core.map;
    if (!core.view3D) {
        int32_t cell[3];
        if (!core.avatar->planCellUnderCursor(cell))
            return false;
        const Vector3 centre =
            CellBox::cellCentre(cell[0], cell[1], cell[2], core.blockWidth, core.blockHeight);
        const int32_t index = map.findSector(centre);
        int32_t x = 0, y = 0, z = 0;
        if (index < 0 || !map.sector(index)->cellOf(centre, x, y, z))
            return false;
        const MapBlock* block = map.sector(index)->findBlock(x, y, z);
        if (!block || !block->used)
            return false;
        *material = block->faces[FaceTop];
        return true;
    }
    Ray ray;
    BlockHit hit;
    MapBlock* block = nullptr;
    int32_t face = 0;
    if (!map.cursorRay(&ray) ||
        !map.pick(ray, TamoMap::CursorRayLength, TamoMap::FaceEditStep, &hit) || hit.sector < 0 ||
        !map.sector(hit.sector)->nearestFace(hit.point, block, face))
        return false;
    *material = block->faces[face];
    return true;
}
