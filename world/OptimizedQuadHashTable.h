#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/QuadBuffer.h"
#include "platform/Vector2.h"
#include "platform/Vector3.h"
#include "world/BlockGrid.h"
#include "world/QuadBucket.h"
#include "world/QuadRecord.h"

class GLContext;
struct QuadScratch;

// The shortcuts a quad table takes, each valid only while the table adds,
// pairs, merges and draws faces as OptimizedQuadHashTable does: a subclass
// that changes any of that is made with the shortcut off (none() for a table
// that should take the plain way everywhere).
struct QuadTableShortcuts {
    // The sector may hand it only the faces it keeps (acceptsVisibleFacesOnly).
    bool visibleFacesOnly = true;
    // Merging may find a quad's partners by its corners (mergesByCorners).
    bool mergeByCorners = true;
    // Vertex arrays draw what drawQuads draws (drawsAsQuadArrays).
    bool quadArrays = true;
    static QuadTableShortcuts none() { return {false, false, false}; }
};

// Turns the faces of a sector's blocks into few textured quads: faces are
// bucketed by material key (axis, texture, offsets, rotation, scales), the
// hidden faces between touching blocks of equal material are dropped
// (HiddenFaceRemoval), faces of equal material that share an edge are merged
// into larger rectangles (QuadMerge), and what is left is drawn with one
// texture binding per bucket. Scratch storage between a sector's rebuilds.
class OptimizedQuadHashTable {
public:
    using Shortcuts = QuadTableShortcuts;

    // A block is blockWidth across and blockHeight up, in world units.
    // scratch: working storage shared with other tables (one thread), or
    // null for storage of the table's own.
    OptimizedQuadHashTable(int32_t blockWidth, int32_t blockHeight,
                           std::shared_ptr<QuadScratch> scratch = nullptr,
                           Shortcuts shortcuts = Shortcuts());
    virtual ~OptimizedQuadHashTable();
    OptimizedQuadHashTable(const OptimizedQuadHashTable&) = delete;
    OptimizedQuadHashTable& operator=(const OptimizedQuadHashTable&) = delete;

    virtual void clear();
    // p1 and p2: opposite corners of a unit face in block units relative to
    // the sector origin, agreeing in exactly one coordinate. False (table
    // unchanged) when storage could not grow or the corners describe no face.
    virtual bool addFace(const Vector3& p1, const Vector3& p2, int32_t orientation, int32_t texture,
                         int32_t offsetU, int32_t offsetV, int32_t rotation, int32_t scaleU,
                         int32_t scaleV);
    // The record addFace would store for these arguments, without storing
    // it; false when the corners describe no face.
    bool faceQuad(const Vector3& p1, const Vector3& p2, int32_t orientation, int32_t texture,
                  int32_t offsetU, int32_t offsetV, int32_t rotation, int32_t scaleU,
                  int32_t scaleV, QuadRecord& quad) const;
    // Drops hidden pairs, merges and draws through gl; called inside a
    // display list.
    virtual void compile(GLContext& gl);
    // The part of compile that needs no GL: drops hidden pairs and merges,
    // leaving the quads compile would draw (liveQuads, texCoord). Once per
    // filling of the table: merged quads are not faces to pair again.
    void mergeFaces();
    // The caller vouches that no two faces of a bucket coincide (a sector
    // that left out the faces its neighbours hide), so removeHiddenPairs has
    // nothing to drop. Adding a record or clearing withdraws it.
    void markNoHiddenPairs() { noHiddenPairs = true; }
    virtual bool addBucket();
    // Room for records more records in a bucket; false (bucket unchanged)
    // without memory. Saves the bucket growing step by step.
    bool reserveInBucket(int32_t bucket, int32_t records);
    // A bucket index equal to bucketCount() first adds a bucket.
    virtual bool appendToBucket(const QuadRecord& quad, int32_t bucket);
    virtual bool addQuad(const QuadRecord& quad);
    virtual bool sameKey(const QuadRecord& a, const QuadRecord& b) const;
    // Does nothing after markNoHiddenPairs.
    virtual void removeHiddenPairs();
    virtual bool coincide(const QuadRecord& a, const QuadRecord& b) const;
    virtual void mergeQuads();
    virtual bool canMerge(const QuadRecord& a, const QuadRecord& b) const;
    virtual void drawQuads(GLContext& gl);
    // The vertices drawQuads would give, for a QuadBuffer: per bucket a
    // range of its live quads that face up their axis, one of those that
    // face down it and one of those without area (each left out when empty),
    // four vertices of (s, t, x, y, z) a quad. False without memory for them.
    bool quadArrays(std::vector<float>& vertices, std::vector<QuadRange>& ranges) const;
    // +1 when the quad's counter-clockwise side looks up its axis, -1 down.
    static int32_t quadFacing(const QuadRecord& quad);
    // Whether quadArrays draws the picture drawQuads draws (the shortcut's).
    bool drawsAsQuadArrays() const { return shortcuts.quadArrays; }
    // The texture coordinate drawQuads gives vertex 0 to 3 of a quad: the
    // planar mapping, one repeat per block divided by the scale (a negative
    // one runs the picture the other way along its axis: mirrored), turned
    // by the rotation.
    virtual Vector2 texCoord(const QuadRecord& quad, int32_t vertex) const;

    // Whether a sector of cells x cells x cells may hand this table only the
    // faces it would keep (through faceQuad and appendToBucket), leaving out
    // each face that touches an equal face of a used neighbour, and so get
    // the quads that every face through addFace gives. That needs every face
    // corner to be an exact float (faces then coincide exactly on one
    // square) and faces stored and paired as this class does (the
    // shortcut's).
    bool acceptsVisibleFacesOnly(int32_t cells) const {
        return shortcuts.visibleFacesOnly && cornersExact(cells);
    }
    // Whether canMerge is this class's own (same orientation, two corners
    // shared), so that merging may find a quad's partners by its corners
    // (the shortcut's).
    bool mergesByCorners() const { return shortcuts.mergeByCorners; }

    // Inspection of the buckets: records of a bucket in storage order, live
    // and dead.
    int32_t bucketCount() const { return static_cast<int32_t>(buckets.size()); }
    int32_t bucketSize(int32_t bucket) const { return buckets[bucket].count(); }
    int32_t bucketCapacity(int32_t bucket) const { return buckets[bucket].capacity(); }
    const QuadRecord& record(int32_t bucket, int32_t index) const {
        return buckets[bucket].records()[index];
    }
    // Every live quad, bucket by bucket, in storage order, and their number.
    std::vector<QuadRecord> liveQuads() const;
    int32_t liveQuadCount() const;

protected:
    // Whether the corners of every face of such a sector are exact floats.
    bool cornersExact(int32_t cells) const;

    const int32_t blockWidth;
    const int32_t blockHeight;

private:
    const BlockGrid grid;
    std::shared_ptr<QuadScratch> scratch;
    std::vector<QuadBucket> buckets;
    bool noHiddenPairs = false;
    const Shortcuts shortcuts;
};
