#pragma once
// The cursor ray's fixed-step march exactly as first written: at every point,
// every sector in list order, each finding its block by scanning its records.
// The oracle the indexed march is compared with.
#include <cstdint>

#include "platform/Vector3.h"

class TamoMap;
class TamoSector;

namespace literal {

// The cell of p in sector (floor of the offset over the block size), or
// false when p lies in no cell of it.
bool cellOf(const TamoSector& sector, float w, float h, const Vector3& p, int32_t cell[3]);
// True when the cell of p holds a used record (the first record of the cell).
bool hasBlockAt(const TamoSector& sector, float w, float h, const Vector3& p);
void marchRay(const TamoMap& map, float w, float h, const Vector3& start, const Vector3& end,
              float step, Vector3* hit, int32_t* sectorIndex);

}  // namespace literal
