#pragma once

class StatusCaption;
class TamoEngineCore;
struct FaceMaterial;
enum class KeyCommand;

// The shape keys on the selection, each one undoable action whose caption
// gives the cells it changed: a line from the cell where the selection's
// drag began to the one where it ended, the cylinder standing in the box and
// its tube, the ellipsoid in the box and its shell, and the replacement of
// the material under the pointer by the current one. The cells follow the
// same rules as the city scripts' calls (world/ShapeCells).
class ShapeKeys {
public:
    ShapeKeys(TamoEngineCore& core, StatusCaption& caption);

    static bool handles(KeyCommand command);
    void run(KeyCommand command);

private:
    // The material of the face under the pointer (3D view), or of the top of
    // the block in the plan cell under it on the current level.
    bool materialUnderPointer(FaceMaterial* material) const;

    TamoEngineCore& core;
    StatusCaption& caption;
};
