#include "engine/MyTamoEngineCore.h"

#include <memory>

#include "world/MyOptimizedQuadHashTable.h"
#include "world/MyTamoSector.h"

OptimizedQuadHashTable* MyTamoEngineCore::createQuadTable() {
    return new MyOptimizedQuadHashTable(this);
}

TamoSector* MyTamoEngineCore::createSector(Vector3 origin, int32_t size) {
    return new MyTamoSector(origin, size, this);
}

// The base reader parses the record and builds through createSectorFromData,
// which makes the concrete sector here.
TamoSector* MyTamoEngineCore::readSector(FileStream& stream) {
    return TamoEngineCore::readSector(stream);
}

TamoSector* MyTamoEngineCore::createSectorFromData(const TamoSectorData& data) {
    std::unique_ptr<TamoSector> sector(new MyTamoSector(data, this));
    if (sector->blocks.count() != static_cast<int32_t>(data.blocks.size()))
        return nullptr;
    return sector.release();
}
