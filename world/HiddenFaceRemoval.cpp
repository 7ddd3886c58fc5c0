#include "world/HiddenFaceRemoval.h"

#include <algorithm>
#include <vector>

#include "world/OptimizedQuadHashTable.h"
#include "world/PointIndex.h"
#include "world/QuadScratch.h"

namespace {

// The plane and the smallest in-plane corner of a quad, as one point (the
// smallest corner with the plane's coordinate): two quads of one axis
// coincide (given opposite orientations) exactly when these points are equal.
bool squarePoint(const QuadRecord& quad, Vector3* point) {
    switch (quad.axis) {
    case 0:
        *point = {quad.min.x, quad.q[0].y, quad.min.z};
        break;
    case 1:
        *point = {quad.q[0].x, quad.min.y, quad.min.z};
        break;
    default:
        *point = {quad.min.x, quad.min.y, quad.q[0].z};
        break;
    }
    return isComparablePoint(*point);
}

}  // namespace

HiddenFaceRemoval::HiddenFaceRemoval(const OptimizedQuadHashTable& table_, const BlockGrid& grid_,
                                     QuadScratch& scratch_)
        : table(table_), grid(grid_), scratch(scratch_) {}

void HiddenFaceRemoval::removeFrom(QuadRecord* records, int32_t count) {
    if (removeOnGrid(records, count))
        return;
    bool oneAxis = true;
    for (int32_t i = 1; i < count && oneAxis; ++i)
        oneAxis = records[i].axis == records[0].axis;
    if (count > 0 && oneAxis && records[0].axis <= 2)
        removeIndexed(records, count);
    else
        removePairwise(records, count);
}

// The usual bucket: faces of one axis on the block grid, facing one of two
// ways. Walking the records in order, each live record pairs with the
// earliest unpaired earlier record of its square that faces the other way.
// With two orientations the unpaired records of a square always face one
// way, so this pairs exactly as each record taking the first later record
// facing the other way does. False, with nothing changed, for any other
// bucket.
bool HiddenFaceRemoval::removeOnGrid(QuadRecord* records, int32_t count) {
    if (count == 0 || records[0].axis > 2 || !grid.usable())
        return false;
    std::vector<int32_t>& indices = scratch.gridIndices;
    indices.resize(static_cast<size_t>(count) * 3);
    int32_t high[3] = {0, 0, 0};
    const uint8_t axis = records[0].axis;
    for (int32_t i = 0; i < count; ++i) {
        const QuadRecord& quad = records[i];
        if (quad.axis != axis || quad.orientation > 1)
            return false;
        int32_t* index = &indices[static_cast<size_t>(i) * 3];
        Vector3 square;
        if (!quad.alive) {
            index[0] = -1;
            continue;
        }
        if (!squarePoint(quad, &square) || !grid.place(square, index, high))
            return false;
    }
    // Only the box the squares occupy: a small bucket fills a small table.
    int32_t low[3] = {high[0], high[1], high[2]};
    for (int32_t i = 0; i < count; ++i) {
        const int32_t* index = &indices[static_cast<size_t>(i) * 3];
        if (index[0] >= 0)
            for (int axis = 0; axis < 3; ++axis)
                low[axis] = std::min(low[axis], index[axis]);
    }
    const int64_t extent[3] = {high[0] - low[0] + 1LL, high[1] - low[1] + 1LL,
                               high[2] - low[2] + 1LL};
    const int64_t squares = extent[0] * extent[1] * extent[2];
    if (!BlockGrid::worthDense(squares, count))
        return false;

    // Per square the unpaired records, earliest first, as a linked queue.
    std::vector<int32_t>& head = scratch.ids;
    std::vector<int32_t>& tail = scratch.tails;
    std::vector<int32_t>& next = scratch.nexts;
    head.assign(static_cast<size_t>(squares), -1);
    tail.resize(static_cast<size_t>(squares));
    next.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const int32_t* index = &indices[static_cast<size_t>(i) * 3];
        if (index[0] < 0)
            continue;
        const size_t g = static_cast<size_t>(
            ((index[0] - low[0]) * extent[1] + index[1] - low[1]) * extent[2] + index[2] - low[2]);
        const int32_t first = head[g];
        next[static_cast<size_t>(i)] = -1;
        if (first < 0) {
            head[g] = tail[g] = i;
        } else if (records[first].orientation != records[i].orientation &&
                   table.coincide(records[first], records[i])) {
            records[first].alive = 0;
            records[i].alive = 0;
            head[g] = next[static_cast<size_t>(first)];
        } else {
            next[static_cast<size_t>(tail[g])] = i;
            tail[g] = i;
        }
    }
    return true;
}

// A bucket of one axis off the block grid: records grouped by square point.
void HiddenFaceRemoval::removeIndexed(QuadRecord* records, int32_t count) {
    std::vector<PointEntry>& squareOfRecord = scratch.points;
    squareOfRecord.clear();
    for (int32_t i = 0; i < count; ++i) {
        Vector3 point;
        if (records[i].alive && squarePoint(records[i], &point))
            squareOfRecord.push_back({point, 0, i});
    }
    PointIndex squares(grid, scratch.gridIndices);
    squares.assign(squareOfRecord, scratch.ids);
    RecordGroups& groups = scratch.squares;
    groups.build(squareOfRecord, scratch.ids, squares.count());

    for (int32_t g = 0; g < squares.count(); ++g) {
        const int32_t* first = groups.begin(g);
        const int32_t* last = groups.end(g);
        if (last - first < 2)
            continue;
        if (last - first == 2) {
            if (table.coincide(records[first[0]], records[first[1]]))
                records[first[0]].alive = records[first[1]].alive = 0;
            continue;
        }
        pairWithinSquare(records, first, last);
    }
}

// Many faces on one square (repeated blocks): each live record in order takes
// the first later live one of another orientation. The records of each
// orientation wait in their own queue, whose head only moves forward, so the
// group costs its size times the number of orientations in it.
void HiddenFaceRemoval::pairWithinSquare(QuadRecord* records, const int32_t* first,
                                         const int32_t* last) {
    struct Queue {
        uint8_t orientation;
        std::vector<int32_t> members;
        size_t head = 0;
    };
    std::vector<Queue> queues;
    for (const int32_t* i = first; i != last; ++i) {
        const uint8_t orientation = records[*i].orientation;
        auto queue = std::find_if(queues.begin(), queues.end(),
                                  [&](const Queue& q) { return q.orientation == orientation; });
        if (queue == queues.end())
            queue = queues.insert(queues.end(), Queue{orientation, {}, 0});
        queue->members.push_back(*i);
    }
    for (const int32_t* i = first; i != last; ++i) {
        if (!records[*i].alive)
            continue;
        Queue* partner = nullptr;
        for (Queue& queue : queues) {
            if (queue.orientation == records[*i].orientation)
                continue;
            while (queue.head < queue.members.size() &&
                   (queue.members[queue.head] <= *i || !records[queue.members[queue.head]].alive))
                ++queue.head;
            if (queue.head < queue.members.size() &&
                (!partner || queue.members[queue.head] < partner->members[partner->head]))
                partner = &queue;
        }
        if (partner && table.coincide(records[*i], records[partner->members[partner->head]])) {
            records[*i].alive = 0;
            records[partner->members[partner->head]].alive = 0;
        }
    }
}

// A bucket whose records do not all lie on one axis (filled record by record
// by a caller): every later record compared.
void HiddenFaceRemoval::removePairwise(QuadRecord* records, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        if (!records[i].alive)
            continue;
        for (int32_t j = i + 1; j < count; ++j) {
            if (records[j].alive && table.coincide(records[i], records[j])) {
                records[i].alive = 0;
                records[j].alive = 0;
                break;
            }
        }
    }
}
