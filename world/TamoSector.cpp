#include "world/TamoSector.h"

#include <GL/gl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <numeric>
#include <type_traits>
#include <new>
#include <optional>

#include "platform/DisplayListIds.h"
#include "platform/GLContext.h"
#include "platform/Geometry.h"
#include "platform/ScreenOverlay.h"
#include "world/BlockGrid.h"
#include "world/ByteWriter.h"
#include "world/EditChoices.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/WorldHost.h"
#include "world/WorldSettings.h"

namespace {

// Index of a float cell coordinate, or -1 when it lies outside 0 to size - 1
// (checked before converting, so far-away points never overflow). The floor
// of a quotient is at least 0 exactly when the quotient is, and below size
// exactly when the quotient is, so the range is checked on the quotient and
// truncation then gives the floor; this is on the cursor ray's hot path.
int32_t cellIndexOf(float offset, float cellSize, int32_t size) {
    const float quotient = TamoSector::cellCoordinate(offset, cellSize);
    if (!(quotient >= 0.0f) || quotient >= static_cast<float>(size))
        return -1;
    return static_cast<int32_t>(quotient);
}

// Stamps of record states, unique among all sectors of the program: a sector
// made where a deleted one lay never takes over its stamp.
uint64_t newRecordsStamp() {
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

// Working storage of a sector's rebuild, kept from one rebuild to the next:
// sectors are rebuilt one after another on the program's one thread.
std::vector<int32_t>& usedCellScratch() {
    static std::vector<int32_t> cells;
    return cells;
}

// Faces as small material numbers: the distinct materials in order of first
// appearance, each used block's six numbers, and the bucket made for each
// material and axis. Record i's numbers are ofFace[(i + 1) x 6 + face]; the
// six before them, -1, stand for an empty cell, whose faces equal none.
struct FaceNumbers {
    std::vector<FaceMaterial> materials;
    std::vector<int32_t> ofFace;
    std::vector<int32_t> bucketOf;        // material x 3 + axis; -1 before its first face
    std::vector<uint8_t> allBucketsMade;  // per material: those of all three axes exist
    std::vector<uint8_t> visibleOf;       // per record: bit f set when face f shows
    std::vector<int32_t> facesOfBucket;   // visible faces per bucket
};

// The vertices of a sector's quad buffer on their way to the driver.
std::vector<float>& vertexScratch() {
    static std::vector<float> vertices;
    return vertices;
}

FaceNumbers& faceNumberScratch() {
    static FaceNumbers numbers;
    return numbers;
}

// Materials compare as their 15 stored bytes: one comparison instead of six.
static_assert(std::is_standard_layout<FaceMaterial>::value &&
                  offsetof(FaceMaterial, offsetV) == 8 && offsetof(FaceMaterial, rotation) == 12 &&
                  offsetof(FaceMaterial, scaleV) == 14,
              "FaceMaterial's fields lie in 15 bytes in stored order");
bool sameMaterial(const FaceMaterial& a, const FaceMaterial& b) {
    return std::memcmp(&a, &b, 15) == 0;
}

// Numbers the faces of the used blocks; false when there was no memory for it.
bool numberFaces(const DynArray<MapBlock>& blocks, FaceNumbers& numbers) {
    try {
        numbers.materials.clear();
        numbers.ofFace.resize(static_cast<size_t>(blocks.count() + 1) * BlockFaceCount);
        std::fill_n(numbers.ofFace.begin(), BlockFaceCount, -1);
        int32_t last = -1;
        const auto numberOf = [&](const FaceMaterial& m) {
            if (last >= 0 && sameMaterial(numbers.materials[static_cast<size_t>(last)], m))
                return last;
            for (size_t k = 0; k < numbers.materials.size(); ++k)
                if (sameMaterial(numbers.materials[k], m))
                    return last = static_cast<int32_t>(k);
            numbers.materials.push_back(m);
            return last = static_cast<int32_t>(numbers.materials.size()) - 1;
        };
        int32_t* number = numbers.ofFace.data() + BlockFaceCount;
        const MapBlock* previous = nullptr;
        const int32_t* previousNumbers = nullptr;
        for (const MapBlock& block : blocks) {
            if (block.used) {
                // Neighbouring records mostly look alike: a block whose faces
                // are byte for byte the previous block's takes its numbers.
                if (previous && std::memcmp(block.faces, previous->faces, sizeof block.faces) == 0)
                    std::copy(previousNumbers, previousNumbers + BlockFaceCount, number);
                else
                    for (int32_t f = 0; f < BlockFaceCount; ++f)
                        number[f] = numberOf(block.faces[f]);
                previous = &block;
                previousNumbers = number;
            }
            number += BlockFaceCount;
        }
        numbers.bucketOf.assign(numbers.materials.size() * 3, -1);
        numbers.allBucketsMade.assign(numbers.materials.size(), 0);
        numbers.visibleOf.assign(static_cast<size_t>(blocks.count()), 0);
        numbers.facesOfBucket.clear();
        numbers.facesOfBucket.reserve(numbers.materials.size() * 3);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace

const TamoSector::FaceCorners TamoSector::FaceTable[BlockFaceCount] = {
    {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 1.0f}, 1}, {{0.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, 0},
    {{0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, 0}, {{1.0f, 1.0f, 1.0f}, {1.0f, 0.0f, 0.0f}, 1},
    {{0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, 0}, {{1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 1.0f}, 1},
};

TamoSector::TamoSector(Vector3 origin_, int32_t size_, WorldHost* host)
        : size(size_), origin(origin_), quadTable(host->createQuadTable()),
          settings(&host->worldSettings()), host(host), stamp(newRecordsStamp()) {
    displayList = nextDisplayListId();
    needsRebuild = true;
    TamoSector::rebuild();
}

TamoSector::TamoSector(TamoSectorData data, WorldHost* host)
        : size(data.size), origin(data.origin), quadTable(host->createQuadTable()),
          settings(&host->worldSettings()), host(host), stamp(newRecordsStamp()) {
    for (MapBlock& block : data.blocks)
        block.used = true;
    blocks.assign(std::move(data.blocks));
    displayList = nextDisplayListId();
    needsRebuild = true;
    TamoSector::rebuild();
}

TamoSector::~TamoSector() {
    if (displayList > 0 && glIsList(static_cast<GLuint>(displayList)))
        glDeleteLists(static_cast<GLuint>(displayList), 1);
}

bool TamoSector::saveSector(FileStream& stream) const {
    ByteWriter out(stream);
    writeRecord(out, MapFormat::RecordOrder::AsKept);
    return out.finish();
}

void TamoSector::writeRecord(ByteWriter& out, MapFormat::RecordOrder order) const {
    MapFormat::writeSector(out, size, origin, blocks, order);
}

bool TamoSector::containsPoint(const Vector3& p) const {
    const float w = static_cast<float>(size * settings->blockWidth);
    const float h = static_cast<float>(size * settings->blockHeight);
    return origin.x <= p.x && p.x <= origin.x + w && origin.y <= p.y && p.y <= origin.y + h &&
           origin.z <= p.z && p.z <= origin.z + w;
}

bool TamoSector::hasBlockAt(const Vector3& p) const {
    int32_t x = 0, y = 0, z = 0;
    if (!cellOf(p, x, y, z))
        return false;
    const MapBlock* block = findBlock(x, y, z);
    return block && block->used;
}

void TamoSector::setBlockAt(const Vector3& p, bool place) {
    setBlockAt(p, place, host->editChoices().material);
}

void TamoSector::setBlockAt(const Vector3& p, bool place, const FaceMaterial& material) {
    int32_t x = 0, y = 0, z = 0;
    if (cellOf(p, x, y, z))
        setBlock(x, y, z, place, material);
}

bool TamoSector::setBlock(int32_t x, int32_t y, int32_t z, bool place) {
    return setBlock(x, y, z, place, host->editChoices().material);
}

bool TamoSector::setBlock(int32_t x, int32_t y, int32_t z, bool place,
                          const FaceMaterial& material) {
    if (x < 0 || x >= size || y < 0 || y >= size || z < 0 || z >= size)
        return false;
    MapBlock* block = findBlock(x, y, z);
    if (!place) {
        if (block)
            block->used = false;
    } else if (block) {
        block->used = true;
        std::fill(std::begin(block->faces), std::end(block->faces), material);
    } else {
        MapBlock fresh;
        fresh.x = x;
        fresh.y = y;
        fresh.z = z;
        std::fill(std::begin(fresh.faces), std::end(fresh.faces), material);
        fresh.used = true;
        if (!appendRecord(fresh))
            return false;
    }
    recordsChanged();
    return true;
}

void TamoSector::restoreCell(int32_t x, int32_t y, int32_t z, const MapBlock* state) {
    MapBlock before;
    writeCell(x, y, z, state, false, &before);
}

bool TamoSector::writeCell(int32_t x, int32_t y, int32_t z, const MapBlock* state, bool knownEmpty,
                           MapBlock* before) {
    if (x < 0 || x >= size || y < 0 || y >= size || z < 0 || z >= size)
        return false;
    MapBlock* block = knownEmpty ? nullptr : findBlock(x, y, z);
    if (block)
        *before = *block;
    const bool had = block != nullptr;
    if (!state) {
        if (block)
            block->used = false;
    } else if (block) {
        block->used = state->used;
        std::copy(std::begin(state->faces), std::end(state->faces), std::begin(block->faces));
    } else {
        MapBlock fresh = *state;
        fresh.x = x;
        fresh.y = y;
        fresh.z = z;
        if (!appendRecord(fresh))
            return had;
    }
    recordsChanged();
    return had;
}

void TamoSector::paintFaceAt(const Vector3& p) {
    paintFaceAt(p, host->editChoices().material);
}

void TamoSector::paintFaceAt(const Vector3& p, const FaceMaterial& material) {
    MapBlock* block = nullptr;
    int32_t face = 0;
    if (!nearestFace(p, block, face))
        return;
    // Painting a face with the material it already has changes nothing and
    // must not drop a rebuild that an earlier edit asked for.
    if (block->faces[face] != material) {
        block->faces[face] = material;
        recordsChanged();
    }
}

std::optional<FaceMaterial> TamoSector::materialAt(const Vector3& p) const {
    int32_t face = 0;
    const MapBlock* block = nearestFaceOf(p, &face);
    return block ? std::optional<FaceMaterial>(block->faces[face]) : std::nullopt;
}

void TamoSector::pickMaterialAt(const Vector3& p) {
    if (const std::optional<FaceMaterial> found = materialAt(p))
        host->materialPicked(*found);
}

Vector3 TamoSector::getOrigin() const {
    return origin;
}

bool TamoSector::cellOf(const Vector3& p, int32_t& x, int32_t& y, int32_t& z) const {
    const float w = static_cast<float>(settings->blockWidth);
    const float h = static_cast<float>(settings->blockHeight);
    x = cellIndexOf(p.x - origin.x, w, size);
    y = cellIndexOf(p.y - origin.y, h, size);
    z = cellIndexOf(p.z - origin.z, w, size);
    return x >= 0 && y >= 0 && z >= 0;
}

MapBlock* TamoSector::findBlock(int32_t x, int32_t y, int32_t z) {
    const int32_t index = cellIndex.find(blocks, x, y, z);
    return index < 0 ? nullptr : &blocks[index];
}

const MapBlock* TamoSector::findBlock(int32_t x, int32_t y, int32_t z) const {
    const int32_t index = cellIndex.find(blocks, x, y, z);
    return index < 0 ? nullptr : &blocks[index];
}

// The bounds are a property of the set of records, not of their order: they
// grow as records join (appendRecord), and when the records counted differ
// from those present (something appended past appendRecord) they are
// recounted over every record. Reordering the records leaves them true.
bool TamoSector::recordCellBounds(int32_t low[3], int32_t high[3]) const {
    if (boundedCount != blocks.count()) {
        boundedCount = 0;
        for (const MapBlock& block : blocks)
            widenBounds(block);
    }
    if (boundedCount == 0)
        return false;
    std::copy(boundLow, boundLow + 3, low);
    std::copy(boundHigh, boundHigh + 3, high);
    return true;
}

bool TamoSector::drawnBounds(Vector3* low, Vector3* high) const {
    int32_t cellLow[3], cellHigh[3];
    if (!recordCellBounds(cellLow, cellHigh))
        return false;
    const float w = static_cast<float>(settings->blockWidth);
    const float h = static_cast<float>(settings->blockHeight);
    const auto at = [&](const int32_t cell[3], int32_t add) {
        return origin + Vector3(static_cast<float>(cell[0] + add) * w,
                                static_cast<float>(cell[1] + add) * h,
                                static_cast<float>(cell[2] + add) * w);
    };
    // Block sizes of either sign: the box runs from the smaller corner.
    const Vector3 a = at(cellLow, 0), b = at(cellHigh, 1);
    *low = componentMin(a, b);
    *high = componentMax(a, b);
    return true;
}

void TamoSector::widenBounds(const MapBlock& block) const {
    const int32_t cell[3] = {block.x, block.y, block.z};
    for (int axis = 0; axis < 3; ++axis) {
        if (boundedCount == 0 || cell[axis] < boundLow[axis])
            boundLow[axis] = cell[axis];
        if (boundedCount == 0 || cell[axis] > boundHigh[axis])
            boundHigh[axis] = cell[axis];
    }
    ++boundedCount;
}

bool TamoSector::appendRecord(const MapBlock& block) {
    const bool boundsCurrent = boundedCount == blocks.count();
    if (!blocks.append(block))
        return false;
    if (boundsCurrent)
        widenBounds(block);
    return true;
}

void TamoSector::recordsChanged() {
    stamp = newRecordsStamp();
    needsRebuild = true;
}

Vector3 TamoSector::faceCentre(const MapBlock& block, int32_t face) const {
    const FaceCorners& corners = FaceTable[face];
    const float w = static_cast<float>(settings->blockWidth);
    const float h = static_cast<float>(settings->blockHeight);
    return origin + Vector3((block.x + corners.p1.x + block.x + corners.p2.x) * w / 2.0f,
                            (block.y + corners.p1.y + block.y + corners.p2.y) * h / 2.0f,
                            (block.z + corners.p1.z + block.z + corners.p2.z) * w / 2.0f);
}

bool TamoSector::nearestFace(const Vector3& p, MapBlock*& block, int32_t& face) {
    const MapBlock* found = nearestFaceOf(p, &face);
    if (!found)
        return false;
    block = const_cast<MapBlock*>(found);  // one of this sector's own records
    return true;
}

const MapBlock* TamoSector::nearestFaceOf(const Vector3& p, int32_t* face) const {
    int32_t x = 0, y = 0, z = 0;
    if (!cellOf(p, x, y, z))
        return nullptr;
    const MapBlock* found = findBlock(x, y, z);
    if (!found || !found->used)
        return nullptr;
    float best = 999999.0f;
    int32_t bestFace = 0;
    for (int32_t f = 0; f < BlockFaceCount; ++f) {
        const float d = distance(faceCentre(*found, f), p);
        if (d < best) {
            best = d;
            bestFace = f;
        }
    }
    *face = bestFace;
    return found;
}

void TamoSector::drawSector() {
    const EditChoices& choices = host->editChoices();
    drawSector(choices.view3D, choices.planView());
}

void TamoSector::drawSector(bool view3D, const PlanView& plan) {
    if (!view3D) {
        drawPlan(plan);
        return;
    }
    rebuild();
    glPushMatrix();
    glTranslatef(origin.x, origin.y, origin.z);
    if (quadBuffer.holdsQuads())
        quadBuffer.draw(*settings->glContext);
    else
        glCallList(static_cast<GLuint>(displayList));
    glPopMatrix();
}

void TamoSector::rebuild() {
    if (!needsRebuild)
        return;
    needsRebuild = false;
    if (!settings->glContext) {
        // Nothing to compile into: a world opened without a window (export,
        // information) keeps no faces, and what draws it fills the table.
        quadTable->clear();
        compiledQuads = 0;
        return;
    }
    const bool complete = fillQuadTable();
    compileDisplayList();
    // Out of memory part way: draw what fitted and try again next time.
    if (!complete)
        needsRebuild = true;
}

bool TamoSector::fillQuadTable() {
    quadTable->clear();
    std::vector<int32_t>& cells = usedCellScratch();
    // Without room for the working storage every face goes to the table.
    if (mapUsedCells(cells) && numberFaces(blocks, faceNumberScratch()))
        return addVisibleFaces(cells);
    return addEveryFace();
}

// Every face of every used block, in block order and face order.
bool TamoSector::addEveryFace() {
    bool complete = true;
    for (const MapBlock& block : blocks) {
        if (!block.used)
            continue;
        const Vector3 cell(static_cast<float>(block.x), static_cast<float>(block.y),
                           static_cast<float>(block.z));
        for (int32_t f = 0; f < BlockFaceCount; ++f) {
            const FaceCorners& corners = FaceTable[f];
            const FaceMaterial& m = block.faces[f];
            complete = quadTable->addFace(corners.p1 + cell, corners.p2 + cell, corners.orientation,
                                          m.texture, m.offsetU, m.offsetV, m.rotation, m.scaleU,
                                          m.scaleV) &&
                       complete;
        }
    }
    return complete;
}

// Whether the faces may be handed over without the hidden ones, and if so
// which used block lies in each cell, in cells.
//
// The table drops a face and the first later face of its bucket on the same
// square facing the other way. When no two used blocks share a cell, a
// square holds at most two faces, those of the blocks on either side, and
// they are in one bucket exactly when their materials are equal; so the
// table would drop precisely the faces whose neighbour's touching face has
// an equal material. The table says whether that holds for it (face corners
// that compare equal exactly when they are the same grid point, faces stored
// as the table itself stores them).
//
// cells is the sector's box with a border of empty cells around it, so that
// every block has six neighbours to look at: each holds the record index of
// its used block plus one, 0 when empty.
bool TamoSector::mapUsedCells(std::vector<int32_t>& cells) const {
    if (!quadTable->acceptsVisibleFacesOnly(size))
        return false;
    const int64_t side = static_cast<int64_t>(size) + 2;
    const int64_t cellCount = side * side * side;
    if (!BlockGrid::worthDense(cellCount, blocks.count()) || cellCount > INT32_MAX)
        return false;  // a sparse, wide sector: every face costs less than the grid
    try {
        cells.assign(static_cast<size_t>(cellCount), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int32_t i = 0; i < blocks.count(); ++i) {
        const MapBlock& block = blocks[i];
        if (!block.used)
            continue;
        if (block.x < 0 || block.x >= size || block.y < 0 || block.y >= size || block.z < 0 ||
            block.z >= size)
            return false;
        int32_t& cell = cells[static_cast<size_t>(paddedCell(block))];
        if (cell > 0)
            return false;  // two used blocks in one cell pair up as the table walks them
        cell = i + 1;
    }
    return true;
}

int32_t TamoSector::paddedCell(const MapBlock& block) const {
    const int32_t side = size + 2;
    return ((block.x + 1) * side + block.y + 1) * side + block.z + 1;
}

// The faces of the used blocks in block and face order, leaving out each face
// that touches a used neighbour's face of equal material. Buckets are made in
// the order their material first appears among all faces, hidden ones
// included, as adding every face would make them; a bucket whose faces are
// all hidden stays empty. The faces' materials are numbered beforehand, so
// that the many comparisons of neighbouring faces compare numbers.
bool TamoSector::addVisibleFaces(const std::vector<int32_t>& cells) {
    FaceNumbers& numbers = faceNumberScratch();
    const int32_t* ofFace = numbers.ofFace.data();
    int32_t* bucketOf = numbers.bucketOf.data();
    int32_t bucketCount = 0;
    // Materials whose buckets of all three axes exist.
    std::vector<uint8_t>& made = numbers.allBucketsMade;
    // Per record the faces that show, and per bucket how many: the buckets
    // get their room at once before the faces go in. numberFaces made room.
    std::vector<uint8_t>& visibleOf = numbers.visibleOf;
    std::vector<int32_t>& facesOf = numbers.facesOfBucket;

    const int32_t side = size + 2;
    const int32_t step[BlockFaceCount] = {-side, side, -side * side, side * side, -1, 1};
    for (int32_t i = 0; i < blocks.count(); ++i) {
        const MapBlock& block = blocks[i];
        if (!block.used)
            continue;
        const int32_t* at = cells.data() + paddedCell(block);
        const int32_t* material = ofFace + static_cast<size_t>(i + 1) * BlockFaceCount;
        const bool uniform = std::all_of(material + 1, material + BlockFaceCount,
                                         [&](int32_t m) { return m == material[0]; });
        if (!uniform || !made[static_cast<size_t>(material[0])]) {
            for (int32_t f = 0; f < BlockFaceCount; ++f) {
                int32_t& bucket = bucketOf[material[f] * 3 + f / 2];
                if (bucket >= 0)
                    continue;
                if (!quadTable->addBucket())
                    return false;  // later faces would land in the wrong buckets
                bucket = bucketCount++;
                facesOf.push_back(0);
            }
            if (uniform)
                made[static_cast<size_t>(material[0])] = 1;
        }
        // A face shows unless the neighbour's touching face has its material;
        // an empty neighbour's numbers are -1, equal to none.
        const auto shows = [&](int32_t f) {
            return static_cast<uint32_t>(
                       ofFace[static_cast<size_t>(at[step[f]]) * BlockFaceCount + (f ^ 1)] !=
                       material[f])
                   << f;
        };
        const uint32_t visible = shows(0) | shows(1) | shows(2) | shows(3) | shows(4) | shows(5);
        visibleOf[static_cast<size_t>(i)] = static_cast<uint8_t>(visible);
        for (uint32_t left = visible; left != 0; left &= left - 1) {
            const int32_t f = __builtin_ctz(left);
            ++facesOf[static_cast<size_t>(bucketOf[material[f] * 3 + f / 2])];
        }
    }
    // Without room the faces still go in, the buckets growing as they fill.
    for (int32_t b = 0; b < bucketCount; ++b)
        quadTable->reserveInBucket(b, facesOf[static_cast<size_t>(b)]);

    bool complete = true;
    for (int32_t i = 0; i < blocks.count(); ++i) {
        uint32_t visible = visibleOf[static_cast<size_t>(i)];
        if (visible == 0)
            continue;
        const MapBlock& block = blocks[i];
        const int32_t* material = ofFace + static_cast<size_t>(i + 1) * BlockFaceCount;
        const Vector3 cell(static_cast<float>(block.x), static_cast<float>(block.y),
                           static_cast<float>(block.z));
        for (; visible != 0; visible &= visible - 1) {
            const int32_t f = __builtin_ctz(visible);
            const FaceCorners& corners = FaceTable[f];
            const FaceMaterial& m = block.faces[f];
            QuadRecord quad;
            complete = quadTable->faceQuad(corners.p1 + cell, corners.p2 + cell,
                                           corners.orientation, m.texture, m.offsetU, m.offsetV,
                                           m.rotation, m.scaleU, m.scaleV, quad) &&
                       quadTable->appendToBucket(quad, bucketOf[material[f] * 3 + f / 2]) &&
                       complete;
        }
    }
    // Each face left out took its twin on the neighbour with it, so no two
    // faces left coincide.
    quadTable->markNoHiddenPairs();
    return complete;
}

void TamoSector::compileDisplayList() {
    // Without a context there is nothing to compile into.
    GLContext* gl = settings->glContext;
    if (!gl)
        return;
    const GLuint list = static_cast<GLuint>(displayList);
    if (glIsList(list))
        glDeleteLists(list, 1);
    quadBuffer.clear();
    if (gl->vertexBuffers() && quadTable->drawsAsQuadArrays()) {
        quadTable->mergeFaces();
        std::vector<float>& vertices = vertexScratch();
        std::vector<QuadRange> ranges;
        const bool inBuffer = quadTable->quadArrays(vertices, ranges) &&
                              quadBuffer.upload(*gl, vertices, std::move(ranges));
        // The list stays, empty beside the buffer; without room for the
        // buffer it takes the quads merged above.
        glNewList(list, GL_COMPILE);
        if (!inBuffer)
            quadTable->drawQuads(*gl);
        glEndList();
    } else {
        glNewList(list, GL_COMPILE);
        quadTable->compile(*gl);
        glEndList();
    }
    compiledQuads = quadTable->liveQuadCount();
}

void TamoSector::drawPlan() {
    drawPlan(host->editChoices().planView());
}

// The plan: the used blocks at and below the plan's level, lowest first, so a
// block's cell covers those of the blocks below it. The records are drawn in
// an order of their own, kept by level, and the cells in one 2D batch,
// binding a tile only when it changes; drawPlanCell draws one cell the same
// way on its own.
void TamoSector::drawPlan(const PlanView& plan) {
    const float w = static_cast<float>(settings->blockWidth);
    const float h = static_cast<float>(settings->blockHeight);
    const float p = static_cast<float>(settings->planCellSize);
    const float levelLocal = static_cast<float>(plan.level) - origin.y / h;
    const float sx0 = p * std::floor(origin.x / w) - plan.scrollX;
    const float sy0 = p * std::floor(origin.z / w) - plan.scrollY;
    const std::vector<int32_t>* order = planMayShow(sx0, sy0) ? recordsByLevel() : nullptr;
    if (order) {
        // In level order, the cells drawn are a prefix of the records.
        const auto end = std::upper_bound(order->begin(), order->end(), levelLocal,
                                          [this](float level, int32_t record) {
                                              return level < static_cast<float>(blocks[record].y);
                                          });
        drawPlanCells(order->data(), static_cast<int32_t>(end - order->begin()), levelLocal, sx0,
                      sy0);
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

const std::vector<int32_t>* TamoSector::recordsByLevel() {
    const size_t count = static_cast<size_t>(blocks.count());
    if (levelOrder.size() > count)
        levelOrder.clear();
    if (levelOrder.size() == count)
        return &levelOrder;
    // Records only ever join at the end: the new ones are ordered and merged
    // in after those ordered before, which keeps equal levels in record order.
    const auto lower = [this](int32_t a, int32_t b) { return blocks[a].y < blocks[b].y; };
    const size_t ordered = levelOrder.size();
    try {
        levelOrder.resize(count);
    } catch (const std::bad_alloc&) {
        return nullptr;  // no plan of this sector this frame
    }
    std::iota(levelOrder.begin() + static_cast<std::ptrdiff_t>(ordered), levelOrder.end(),
              static_cast<int32_t>(ordered));
    const auto middle = levelOrder.begin() + static_cast<std::ptrdiff_t>(ordered);
    std::stable_sort(middle, levelOrder.end(), lower);
    std::inplace_merge(levelOrder.begin(), middle, levelOrder.end(), lower);
    return &levelOrder;
}

// False when every record's cell lies off the viewport: a cell's screen
// position grows with its cell index, so the extreme records decide.
bool TamoSector::planMayShow(float screenX, float screenY) {
    int32_t low[3], high[3];
    if (!settings->glContext || !recordCellBounds(low, high))
        return false;
    MapBlock first, last;
    first.x = low[0], first.z = low[2];
    last.x = high[0], last.z = high[2];
    int32_t px0 = 0, py0 = 0, px1 = 0, py1 = 0;
    planCellRect(first, screenX, screenY, &px0, &py0);
    planCellRect(last, screenX, screenY, &px1, &py1);
    const int32_t p = settings->planCellSize;
    return !(px1 + p < 0 || py1 + p < 0 || px0 >= settings->glContext->width ||
             py0 >= settings->glContext->height);
}

// The screen square of a block's cell, or false when it lies off the viewport.
bool TamoSector::planCellRect(const MapBlock& block, float screenX, float screenY, int32_t* px,
                              int32_t* py) const {
    const int32_t p = settings->planCellSize;
    *px = static_cast<int32_t>(std::floor(block.x * static_cast<float>(p) + screenX));
    *py = static_cast<int32_t>(std::floor(block.z * static_cast<float>(p) + screenY));
    return !(*px + p < 0 || *py + p < 0 || *px >= settings->glContext->width ||
             *py >= settings->glContext->height);
}

void TamoSector::drawPlanCells(const int32_t* records, int32_t count, float level, float screenX,
                               float screenY) {
    GLContext* gl = settings->glContext;
    if (!gl || !currentGLContext)
        return;
    const int32_t p = settings->planCellSize;
    // The tint of the last texture asked for; textures repeat from cell to cell.
    int32_t tintTexture = 0, red = 128, green = 128, blue = 128;
    bool tintKnown = false;
    // Entered at the first cell that shows, as drawing each cell on its own
    // through fillRectWithTexture would.
    std::optional<ScreenOverlay> overlay;
    int32_t boundTile = 0;
    for (int32_t i = 0; i < count; ++i) {
        const MapBlock& block = blocks[records[i]];
        int32_t px = 0, py = 0;
        if (!block.used || !planCellRect(block, screenX, screenY, &px, &py))
            continue;
        const int32_t tile = static_cast<float>(block.y) == level ? settings->planTileCurrent
                                                                  : settings->planTileOther;
        if (!overlay) {
            overlay.emplace(*currentGLContext);
            overlay->bindTexture(tile);
            glBegin(GL_QUADS);
            boundTile = tile;
        } else if (tile != boundTile) {
            glEnd();
            overlay->bindTexture(tile);
            glBegin(GL_QUADS);
            boundTile = tile;
        }
        const int32_t texture = block.faces[FaceBottom].texture;
        if (!tintKnown || texture != tintTexture) {
            // A texture without a recorded colour shows neutral grey.
            red = green = blue = 128;
            settings->getTextureColour(texture, red, green, blue);
            tintTexture = texture;
            tintKnown = true;
        }
        glColor3ub(static_cast<GLubyte>(red), static_cast<GLubyte>(green),
                   static_cast<GLubyte>(blue));
        glTexCoord2f(0.0f, 0.0f);
        glVertex2i(px, py);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2i(px + p, py);
        glTexCoord2f(1.0f, 1.0f);
        glVertex2i(px + p, py + p);
        glTexCoord2f(0.0f, 1.0f);
        glVertex2i(px, py + p);
    }
    if (overlay)
        glEnd();
}

void TamoSector::drawPlanCell(int32_t blockIndex, float level, float screenX, float screenY) {
    if (blockIndex < 0 || blockIndex >= blocks.count() || !settings->glContext)
        return;
    const MapBlock& block = blocks[blockIndex];
    const int32_t p = settings->planCellSize;
    int32_t px = 0, py = 0;
    if (!planCellRect(block, screenX, screenY, &px, &py))
        return;
    const int32_t tile =
        static_cast<float>(block.y) == level ? settings->planTileCurrent : settings->planTileOther;
    // A texture without a recorded colour shows neutral grey rather than
    // whatever colour the previous cell left behind.
    int32_t red = 128, green = 128, blue = 128;
    settings->getTextureColour(block.faces[FaceBottom].texture, red, green, blue);
    glColor3ub(static_cast<GLubyte>(red), static_cast<GLubyte>(green), static_cast<GLubyte>(blue));
    fillRectWithTexture(px, py, px + p, py + p, tile, false, 1.0f);
}
