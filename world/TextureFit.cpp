#include "world/TextureFit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "world/CellWriter.h"
#include "world/ChangeLog.h"
#include "world/FlatRegion.h"
#include "world/MapBlock.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/WorldHistory.h"
#include "world/WorldSettings.h"

namespace {

// Directions in a face's plane: 1 or -1 along its axis a, 2 or -2 along b.
// s grows to the right of the picture, t down it.
struct Lay {
    int32_t s, t;
};

// How s and t grow under each rotation of the quad table's planar mapping,
// on horizontal faces and on vertical ones: rotation 1 gives s = (b + ov) /
// sv and t = (ou - a) / su on a floor, and so on.
constexpr Lay RotationLays[2][4] = {
    {{1, 2}, {2, -1}, {-1, -2}, {-2, 1}},
    {{1, 2}, {-2, 1}, {-1, -2}, {2, -1}},
};

// Right and down of an upright picture seen from outside each face. A wall
// stands with y up; floors and roofs show the picture as the plan view does
// (its top towards -z), so seen from below +x lies on the left.
constexpr Lay Upright[BlockFaceCount] = {
    {-1, 2},   // bottom
    {1, 2},    // top
    {1, -2},   // x = 0 side, looking towards -x: +z on the right
    {-1, -2},  // x = 1 side
    {-1, -2},  // z = 0 side, looking towards -z: +x on the left
    {1, -2},   // z = 1 side
};

bool vertical(int32_t face) {
    return face >= FaceLeftX;
}

// The rotation whose lay is wanted, or -1.
int32_t rotationFor(int32_t face, Lay wanted) {
    for (int32_t r = 0; r < 4; ++r) {
        const Lay lay = RotationLays[vertical(face)][r];
        if (lay.s == wanted.s && lay.t == wanted.t)
            return r;
    }
    return -1;
}

// The picture turned clockwise by turns quarters over a rectangle whose
// right and down are those of upright.
Lay turned(Lay upright, int32_t turns) {
    const int32_t right = upright.s, down = upright.t;
    switch (turns & 3) {
    case 1:
        return {down, -right};
    case 2:
        return {-right, -down};
    case 3:
        return {-down, right};
    default:
        return {right, down};
    }
}

// How fit lays a picture on a face: the rotation, and which scale (1: u,
// 2: v, 0: neither) is negative.
struct Laying {
    int32_t rotation = 0;
    int32_t mirrorAxis = 0;
};

// The laying that shows the picture upright and turned on face, unmirrored
// from outside. On half the faces no rotation alone does (the planar mapping
// has the other handedness there); the rotation that lays it mirrored, with
// a negative scale along the axis of the picture's right, mirrors it back.
Laying layingOf(int32_t face, int32_t turns) {
    const Lay upright = Upright[face];
    Laying laying;
    laying.rotation = rotationFor(face, turned(upright, turns));
    if (laying.rotation < 0) {
        laying.rotation = rotationFor(face, turned({-upright.s, upright.t}, turns));
        laying.mirrorAxis = std::abs(upright.s);
    }
    return laying;
}

// Whether coordinates grow with axis (1: a, 2: b) under a rotation's lay,
// before the sign of the scale.
int32_t signAlong(Lay lay, int32_t axis) {
    const int32_t along = std::abs(lay.s) == axis ? lay.s : lay.t;
    return along > 0 ? 1 : -1;
}

// The offset that puts a coordinate's 0 at the low edge of an axis, when the
// coordinate grows with the axis, or else at its high edge: (sign * x +
// offset) / scale is 0 there. sign is the axis's under the rotation.
int64_t offsetFrom(int32_t sign, bool grows, int64_t low, int64_t high) {
    const int64_t edge = grows ? low : high;
    return sign > 0 ? -edge : edge;
}

bool fitsInt32(int64_t value) {
    return value >= INT32_MIN && value <= INT32_MAX;
}

// The cell's offset from world cells to its sector's cells along axis.
int64_t sectorShift(const FlatRegion::Face& f, int32_t axis) {
    return int64_t{f.cell[axis]} - f.local[axis];
}

}  // namespace

TextureFit::TextureFit(TamoMap& map_, WorldHistory* history_) : map(map_), history(history_) {}

bool TextureFit::faceAt(const BlockHit& hit, const Ray& ray, int32_t cell[3], int32_t* face) const {
    if (hit.sector < 0 || hit.sector >= map.sectorCount())
        return false;
    const TamoSector& sector = *map.sector(hit.sector);
    int32_t x = 0, y = 0, z = 0;
    if (!sector.cellOf(hit.point, x, y, z))
        return false;
    const MapBlock* block = sector.findBlock(x, y, z);
    if (!block || !block->used)
        return false;
    const WorldSettings& settings = map.worldSettings();
    const float w = static_cast<float>(settings.blockWidth);
    const float h = static_cast<float>(settings.blockHeight);
    const Vector3 low =
        sector.getOrigin() +
        Vector3(static_cast<float>(x) * w, static_cast<float>(y) * h, static_cast<float>(z) * w);
    // The planes of faces 0 to 5, the hit point's coordinate across each and
    // whether the face looks towards the ray. The face nearest the block's
    // centre would do for a cube, not for a block taller than wide.
    const float planes[BlockFaceCount] = {low.y, low.y + h, low.x, low.x + w, low.z, low.z + w};
    const float at[BlockFaceCount] = {hit.point.y, hit.point.y, hit.point.x,
                                      hit.point.x, hit.point.z, hit.point.z};
    const float along[BlockFaceCount] = {ray.direction.y,  -ray.direction.y, ray.direction.x,
                                         -ray.direction.x, ray.direction.z,  -ray.direction.z};
    float best = 0.0f;
    *face = -1;
    for (int32_t f = 0; f < BlockFaceCount; ++f) {
        const float distance = std::fabs(at[f] - planes[f]);
        if (along[f] > 0.0f && (*face < 0 || distance < best))
            *face = f, best = distance;
    }
    if (*face < 0)
        return false;
    const Vector3 centre = low + Vector3(w * 0.5f, h * 0.5f, w * 0.5f);
    CellBox::cellOf(centre, settings.blockWidth, settings.blockHeight, &cell[0], &cell[1],
                    &cell[2]);
    return true;
}

bool TextureFit::stretched(int32_t face, int32_t texture, int32_t turns, int64_t aLow,
                           int64_t aHigh, int64_t bLow, int64_t bHigh, FaceMaterial* out) {
    face = std::clamp(face, 0, BlockFaceCount - 1);
    const int64_t across = aHigh - aLow, up = bHigh - bLow;
    if (across < 1 || across > FlatRegion::MaxBlocks || up < 1 || up > FlatRegion::MaxBlocks)
        return false;
    const Laying laying = layingOf(face, turns);
    const Lay lay = RotationLays[vertical(face)][laying.rotation];
    const int32_t signU = laying.mirrorAxis == 1 ? -1 : 1;
    const int32_t signV = laying.mirrorAxis == 2 ? -1 : 1;
    const int32_t alongA = signAlong(lay, 1), alongB = signAlong(lay, 2);
    const int64_t offsetU = offsetFrom(alongA, alongA * signU > 0, aLow, aHigh);
    const int64_t offsetV = offsetFrom(alongB, alongB * signV > 0, bLow, bHigh);
    if (!fitsInt32(offsetU) || !fitsInt32(offsetV))
        return false;
    out->texture = texture;
    out->offsetU = static_cast<int32_t>(offsetU);
    out->offsetV = static_cast<int32_t>(offsetV);
    out->rotation = static_cast<uint8_t>(laying.rotation);
    out->scaleU = static_cast<int8_t>(signU * across);
    out->scaleV = static_cast<int8_t>(signV * up);
    return true;
}

bool TextureFit::shifted(const FaceMaterial& material, int32_t face, int64_t shiftA, int64_t shiftB,
                         FaceMaterial* out) {
    face = std::clamp(face, 0, BlockFaceCount - 1);
    // The quad table reads any rotation above 3 as 0. The sign of a scale
    // does not matter here: a point keeps its coordinate whatever divides it.
    const Lay lay = RotationLays[vertical(face)][material.rotation <= 3 ? material.rotation : 0];
    const int64_t offsetU = material.offsetU + signAlong(lay, 1) * shiftA;
    const int64_t offsetV = material.offsetV + signAlong(lay, 2) * shiftB;
    if (!fitsInt32(offsetU) || !fitsInt32(offsetV))
        return false;
    *out = material;
    out->offsetU = static_cast<int32_t>(offsetU);
    out->offsetV = static_cast<int32_t>(offsetV);
    return true;
}

// Finds the region, works out every face's material (lay: region, index of
// the face, in order -> its material, or false) before anything changes,
// then writes the cells as one action.
template <class Laying>
TextureFit::Result TextureFit::run(const int32_t cell[3], int32_t face, Laying lay) {
    Result result;
    try {
        ChangeLog log;
        CellWriter writer(map, FlatRegion::searchBox(cell, face), log);
        FlatRegion region;
        if (!region.find(writer, cell, face, &result.why))
            return result;
        std::vector<FaceMaterial> laid(region.faces().size());
        for (size_t i = 0; i < laid.size(); ++i)
            if (!lay(region, i, &laid[i])) {
                result.why = "the texture offsets would leave their range";
                return result;
            }
        if (history)
            history->closeAction();
        result.faces = static_cast<int64_t>(laid.size());
        result.box = region.box();
        for (size_t i = 0; i < laid.size(); ++i) {
            const FlatRegion::Face& f = region.faces()[i];
            MapBlock block = *writer.blockAt(f.cell[0], f.cell[1], f.cell[2]);
            block.faces[region.face()] = laid[i];
            writer.place(f.cell[0], f.cell[1], f.cell[2], block.faces);
        }
        if (log.pending())
            map.reportCells(log.take());
        result.done = true;
    } catch (const std::bad_alloc&) {
        result.done = false;
        result.why = "there is not enough memory for the region";
    }
    if (history)
        history->closeAction();
    return result;
}

TextureFit::Result TextureFit::fit(const int32_t cell[3], int32_t face,
                                   const FaceMaterial& material) {
    return run(cell, face, [&](const FlatRegion& region, size_t i, FaceMaterial* out) {
        const FlatRegion::Face& f = region.faces()[i];
        const FlatRegion::Axes axes = FlatRegion::axesOf(region.face());
        const int64_t da = sectorShift(f, axes.a), db = sectorShift(f, axes.b);
        return stretched(region.face(), material.texture, material.rotation,
                         region.low(axes.a) - da, int64_t{region.high(axes.a)} + 1 - da,
                         region.low(axes.b) - db, int64_t{region.high(axes.b)} + 1 - db, out);
    });
}

TextureFit::Result TextureFit::continueFrom(const int32_t cell[3], int32_t face) {
    FaceMaterial start;
    return run(cell, face, [&](const FlatRegion& region, size_t i, FaceMaterial* out) {
        const FlatRegion::Face& first = region.faces().front();
        if (i == 0) {
            // The start face comes first: its material sets the picture.
            const TamoSector& sector = *map.sector(first.sector);
            start = sector.findBlock(first.local[0], first.local[1], first.local[2])
                        ->faces[region.face()];
            *out = start;
            return true;
        }
        const FlatRegion::Face& f = region.faces()[i];
        const FlatRegion::Axes axes = FlatRegion::axesOf(region.face());
        return shifted(start, region.face(), sectorShift(f, axes.a) - sectorShift(first, axes.a),
                       sectorShift(f, axes.b) - sectorShift(first, axes.b), out);
    });
}
