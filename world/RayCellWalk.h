#pragma once
#include <cstdint>
#include <vector>

#include "platform/DynArray.h"
#include "platform/Vector3.h"

class SampleSequence;
class SectorGrid;
class TamoSector;

// The fixed-step march of a ray through the sectors without visiting every
// sample. The samples are start + k advance, each sum rounded to float as a
// loop adding advance gives them, for k = 0, 1, ... while k steps (added
// likewise) come to at most the length. Every coordinate only grows, only
// shrinks or stays along the samples, and so does the cell of every sector
// holding it; the walk finds the samples where a sector's cell changes and
// asks only there whether the cell holds a used block. The first such
// sample, with the first sector in list order that has a block there, is
// the one the march meets.
class RayCellWalk {
public:
    // With a grid of the sectors, only those it lists near the samples are
    // cut with them.
    RayCellWalk(const DynArray<TamoSector*>& sectors, float blockWidth, float blockHeight,
                const SectorGrid* grid = nullptr);

    // True when a sample lies in a used block: hit becomes that sample and
    // sectorIndex its sector. A step so small that the distance stops
    // growing short of length leaves the samples without end: every one of
    // them counts, and the walk still ends.
    bool walk(const Vector3& start, const Vector3& advance, float step, float length, Vector3* hit,
              int32_t* sectorIndex);

private:
    // A sector's record cells, and the box in world units around them.
    struct Reach {
        int32_t low[3];
        int32_t high[3];
        double box[2][3];
    };
    // A sector the samples may meet, and where they are in it.
    struct Candidate {
        int32_t index;
        int64_t first;  // the samples that may lie in its record box
        int64_t last;
        bool entered;
        float cell[3];      // the current sample's cell coordinate, floored
        int64_t change[3];  // the next sample where that changes
        Reach reach;
    };
    // A sector whose record box reaches the box of all samples.
    struct Held {
        int32_t index;
        int32_t slot;  // its candidate, or -1
        Reach reach;
    };

    void findCandidates(SampleSequence* axes, int64_t count);
    void widen(Held& held, int64_t first, int64_t last);
    int64_t nextChange(SampleSequence& axis, int32_t a, const Candidate& c, int64_t k,
                       int64_t count) const;

    const DynArray<TamoSector*>& sectors;
    const float cellSize[3];
    const SectorGrid* grid;
    std::vector<Candidate> candidates;
};
