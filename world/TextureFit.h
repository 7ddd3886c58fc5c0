#pragma once
#include <cstdint>
#include <string>

#include "world/CellBox.h"
#include "world/FaceMaterial.h"
#include "world/Ray.h"

class TamoMap;
class WorldHistory;

// Lays a texture over a flat region of block faces (FlatRegion) as one
// undoable action: fit stretches a picture once over the region's bounding
// rectangle, continueFrom runs the texture of one face on over the rest of
// its region without a seam. Knows nothing of keys or the mouse. Both go
// through the quad table's planar mapping: a face's texture coordinates
// follow from its material and its place in its own sector, so faces in
// different sectors get different offsets for one picture.
class TextureFit {
public:
    struct Result {
        // False: refused (why says why) and nothing changed, or memory ran
        // out part way and what was done stays as one undoable action.
        bool done = false;
        std::string why;
        int64_t faces = 0;  // faces of the region
        CellBox box;        // the region's cells
    };

    // Works on map, reporting through history (may be null); both must
    // outlive it.
    TextureFit(TamoMap& map, WorldHistory* history);

    // The world cell of the used block ray hit and the face it entered by
    // (of the faces that look towards the ray, the one whose plane lies
    // nearest the hit point); false when the hit names no used block.
    bool faceAt(const BlockHit& hit, const Ray& ray, int32_t cell[3], int32_t* face) const;

    // Every face of the region of face `face` of the block in world cell
    // `cell` gets material's texture, laid so that the picture covers the
    // region's bounding rectangle once, upright and unmirrored seen from
    // outside (floors and roofs as the plan view shows them), then turned
    // material.rotation quarter turns clockwise. On the faces where the
    // planar mapping would show it mirrored (walls facing -x or +z, faces
    // seen from below) the scale across is negative. Refused when the
    // rectangle is wider than FlatRegion::MaxBlocks.
    Result fit(const int32_t cell[3], int32_t face, const FaceMaterial& material);
    // Every face of the region takes the start face's texture, turn and
    // scales, with offsets that continue its picture without a seam.
    Result continueFrom(const int32_t cell[3], int32_t face);

    // The material that stretches texture once over blocks aLow to aHigh
    // and bLow to bHigh of a face's in-plane axes (FlatRegion::Axes, in its
    // sector's coordinates), turned as fit turns it; false when a side is
    // not 1 to MaxBlocks blocks or an offset does not fit.
    static bool stretched(int32_t face, int32_t texture, int32_t turns, int64_t aLow, int64_t aHigh,
                          int64_t bLow, int64_t bHigh, FaceMaterial* out);
    // The material that shows material's picture on a face whose sector's
    // coordinates lie shiftA and shiftB blocks behind those of the face it
    // came from (a world point at a there is at a - shiftA here); false when
    // an offset does not fit.
    static bool shifted(const FaceMaterial& material, int32_t face, int64_t shiftA, int64_t shiftB,
                        FaceMaterial* out);

private:
    template <class Laying>
    Result run(const int32_t cell[3], int32_t face, Laying lay);

    TamoMap& map;
    WorldHistory* history;
};
