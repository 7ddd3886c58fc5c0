#include "world/MyTamoSector.h"

namespace {

// 101 to 106 are building sides; t + 6 is the roof that goes with side t.
bool isBuildingSide(int32_t texture) { return texture > 100 && texture < 107; }

} // namespace

MyTamoSector::MyTamoSector(Vector3 origin, int32_t size, TamoEngineCore* core)
    : TamoSector(origin, size, core) {}

MyTamoSector::MyTamoSector(const TamoSectorData& data, TamoEngineCore* core)
    : TamoSector(data, core) {}

void MyTamoSector::rebuild() {
    if (!needsRebuild)
        return;
    for (MapBlock& block : blocks) {
        if (!block.used)
            continue;
        for (const FaceMaterial& face : block.faces) {
            if (isBuildingSide(face.texture)) {
                const int32_t roof = face.texture + 6;
                block.faces[FaceBottom].texture = roof;
                block.faces[FaceTop].texture = roof;
                break;
            }
        }
    }
    TamoSector::rebuild();
}
