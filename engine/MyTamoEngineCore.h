#pragma once
#include "engine/TamoEngineCore.h"

// The engine core the program creates: builds the world from MyTamoSector
// and MyOptimizedQuadHashTable.
class MyTamoEngineCore : public TamoEngineCore {
public:
    using TamoEngineCore::TamoEngineCore;
    OptimizedQuadHashTable* createQuadTable() override;
    TamoSector* createSector(Vector3 origin, int32_t size) override;
    TamoSector* readSector(FileStream& stream) override;
    TamoSector* createSectorFromData(TamoSectorData data) override;
};
