#include "engine/MyTamoEngineCore.h"

#include <utility>

#include "world/MyOptimizedQuadHashTable.h"
#include "world/MyTamoSector.h"

OptimizedQuadHashTable* MyTamoEngineCore::createQuadTable() {
    return new MyOptimizedQuadHashTable(blockWidth, blockHeight, quadScratch);
}

TamoSector* MyTamoEngineCore::createSector(Vector3 origin, int32_t size) {
    return new MyTamoSector(origin, size, this);
}

// The base reader parses the record and builds through createSectorFromData,
// which makes the concrete sector here.
TamoSector* MyTamoEngineCore::readSector(FileStream& stream) {
    return TamoEngineCore::readSector(stream);
}

TamoSector* MyTamoEngineCore::createSectorFromData(TamoSectorData data) {
    return new MyTamoSector(std::move(data), this);
}
