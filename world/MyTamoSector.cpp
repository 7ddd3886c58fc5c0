#include "world/MyTamoSector.h"

#include <utility>

#include "world/BuildingTextures.h"

MyTamoSector::MyTamoSector(Vector3 origin, int32_t size, WorldHost* host)
        : TamoSector(origin, size, host) {}

MyTamoSector::MyTamoSector(TamoSectorData data, WorldHost* host)
        : TamoSector(std::move(data), host) {}

void MyTamoSector::rebuild() {
    if (!needsRebuild)
        return;
    bool roofed = false;
    for (MapBlock& block : blocks) {
        if (!block.used)
            continue;
        for (const FaceMaterial& face : block.faces) {
            if (isBuildingSide(face.texture)) {
                const int32_t roof = roofForBuildingSide(face.texture);
                roofed = roofed || block.faces[FaceBottom].texture != roof ||
                         block.faces[FaceTop].texture != roof;
                block.faces[FaceBottom].texture = roof;
                block.faces[FaceTop].texture = roof;
                break;
            }
        }
    }
    // The roofs are saved with the blocks.
    if (roofed)
        recordsChanged();
    TamoSector::rebuild();
}
