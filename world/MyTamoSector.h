#pragma once
#include "world/TamoSector.h"

// The program's sectors: before each rebuild, a block carrying a
// building-side texture (101 to 106) gets the matching roof texture (t + 6)
// on its bottom and top.
class MyTamoSector : public TamoSector {
public:
    MyTamoSector(Vector3 origin, int32_t size, WorldHost* host);
    MyTamoSector(TamoSectorData data, WorldHost* host);
    void rebuild() override;
};
