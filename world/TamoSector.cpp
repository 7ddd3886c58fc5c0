#include "world/TamoSector.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/Overlay.h"
#include "engine/TamoEngineCore.h"
#include "media/FileStream.h"
#include "platform/DisplayListIds.h"
#include "platform/GLContext.h"
#include "platform/Geometry.h"
#include "world/OptimizedQuadHashTable.h"

namespace {

constexpr int64_t blockRecordBytes = 12 + 6 * 15;

bool readFace(FileStream& stream, FaceMaterial& face) {
    uint8_t rotation = 0;
    uint8_t scaleU = 0;
    uint8_t scaleV = 0;
    if (!stream.readI32(&face.texture) || !stream.readI32(&face.offsetU) ||
        !stream.readI32(&face.offsetV) || !stream.readU8(&rotation) || !stream.readU8(&scaleU) ||
        !stream.readU8(&scaleV))
        return false;
    face.rotation = rotation;
    face.scaleU = static_cast<int8_t>(scaleU);
    face.scaleV = static_cast<int8_t>(scaleV);
    return face.rotation <= 3 && face.scaleU >= 1 && face.scaleV >= 1;
}

bool readBlock(FileStream& stream, int32_t size, MapBlock& block) {
    if (!stream.readI32(&block.x) || !stream.readI32(&block.y) || !stream.readI32(&block.z))
        return false;
    for (int32_t index : {block.x, block.y, block.z})
        if (index < 0 || index >= size)
            return false;
    for (FaceMaterial& face : block.faces)
        if (!readFace(stream, face))
            return false;
    block.used = true;
    return true;
}

bool writeFace(FileStream& stream, const FaceMaterial& face) {
    return stream.writeI32(face.texture) && stream.writeI32(face.offsetU) &&
           stream.writeI32(face.offsetV) && stream.writeU8(face.rotation) &&
           stream.writeU8(static_cast<uint8_t>(face.scaleU)) &&
           stream.writeU8(static_cast<uint8_t>(face.scaleV));
}

// Index of a float cell coordinate, or -1 when it lies outside 0 to size - 1
// (checked before converting, so far-away points never overflow). The floor
// of a quotient is at least 0 exactly when the quotient is, and below size
// exactly when the quotient is, so the range is checked on the quotient and
// truncation then gives the floor; this is on the cursor ray's hot path.
int32_t cellIndexOf(float offset, float cellSize, int32_t size) {
    const float quotient = offset / cellSize;
    if (!(quotient >= 0.0f) || quotient >= static_cast<float>(size))
        return -1;
    return static_cast<int32_t>(quotient);
}

} // namespace

const TamoSector::FaceCorners TamoSector::faceTable[BlockFaceCount] = {
    {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 1.0f}, 1},
    {{0.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, 0},
    {{0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, 0},
    {{1.0f, 1.0f, 1.0f}, {1.0f, 0.0f, 0.0f}, 1},
    {{0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, 0},
    {{1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 1.0f}, 1},
};

TamoSector::TamoSector(Vector3 origin_, int32_t size_, TamoEngineCore* core_)
    : size(size_), origin(origin_), quadTable(core_->createQuadTable()), core(core_) {
    displayList = nextDisplayListId();
    needsRebuild = true;
    TamoSector::rebuild();
}

TamoSector::TamoSector(const TamoSectorData& data, TamoEngineCore* core_)
    : size(data.size), origin(data.origin), quadTable(core_->createQuadTable()), core(core_) {
    for (MapBlock block : data.blocks) {
        block.used = true;
        if (!blocks.append(block))
            break;  // the factory sees the short block count and drops the sector
    }
    displayList = nextDisplayListId();
    needsRebuild = true;
    TamoSector::rebuild();
}

TamoSector::~TamoSector() {
    if (displayList > 0 && glIsList(static_cast<GLuint>(displayList)))
        glDeleteLists(static_cast<GLuint>(displayList), 1);
}

bool TamoSector::readSectorData(FileStream& stream, TamoSectorData& out) {
    TamoSectorData data;
    int32_t blockCount = 0;
    if (!stream.readI32(&data.size) || !stream.readF32(&data.origin.x) ||
        !stream.readF32(&data.origin.y) || !stream.readF32(&data.origin.z) ||
        !stream.readI32(&blockCount))
        return false;
    if (data.size < 1 || data.size > maxSize)
        return false;
    if (!std::isfinite(data.origin.x) || !std::isfinite(data.origin.y) ||
        !std::isfinite(data.origin.z))
        return false;
    const int64_t cells = static_cast<int64_t>(data.size) * data.size * data.size;
    if (blockCount < 0 || blockCount > cells)
        return false;
    const int64_t remaining = stream.remaining();
    if (remaining >= 0 && blockCount > remaining / blockRecordBytes)
        return false;
    // Blocks are stored as they are read, never reserved from the count, so
    // a lying count costs no more memory than the bytes actually present.
    for (int32_t i = 0; i < blockCount; ++i) {
        MapBlock block;
        if (!readBlock(stream, data.size, block))
            return false;
        try {
            data.blocks.push_back(block);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    out = std::move(data);
    return true;
}

bool TamoSector::saveSector(FileStream& stream) {
    int32_t usedCount = 0;
    for (const MapBlock& block : blocks)
        usedCount += block.used ? 1 : 0;
    bool written = stream.writeI32(size) && stream.writeF32(origin.x) &&
                   stream.writeF32(origin.y) && stream.writeF32(origin.z) &&
                   stream.writeI32(usedCount);
    for (const MapBlock& block : blocks) {
        if (!written)
            break;
        if (!block.used)
            continue;
        written = stream.writeI32(block.x) && stream.writeI32(block.y) && stream.writeI32(block.z);
        for (const FaceMaterial& face : block.faces)
            written = written && writeFace(stream, face);
    }
    return written;
}

bool TamoSector::containsPoint(const Vector3& p) const {
    const float w = static_cast<float>(size * core->blockWidth);
    const float h = static_cast<float>(size * core->blockHeight);
    return origin.x <= p.x && p.x <= origin.x + w && origin.y <= p.y && p.y <= origin.y + h &&
           origin.z <= p.z && p.z <= origin.z + w;
}

bool TamoSector::hasBlockAt(const Vector3& p) {
    int32_t x = 0, y = 0, z = 0;
    if (!cellOf(p, x, y, z))
        return false;
    const MapBlock* block = findBlock(x, y, z);
    return block && block->used;
}

void TamoSector::setBlockAt(const Vector3& p, bool place) {
    int32_t x = 0, y = 0, z = 0;
    if (cellOf(p, x, y, z))
        setBlock(x, y, z, place);
}

bool TamoSector::setBlock(int32_t x, int32_t y, int32_t z, bool place) {
    if (x < 0 || x >= size || y < 0 || y >= size || z < 0 || z >= size)
        return false;
    MapBlock* block = findBlock(x, y, z);
    if (!place) {
        if (block)
            block->used = false;
    } else if (block) {
        block->used = true;
        std::fill(std::begin(block->faces), std::end(block->faces), core->material);
    } else {
        MapBlock fresh;
        fresh.x = x;
        fresh.y = y;
        fresh.z = z;
        std::fill(std::begin(fresh.faces), std::end(fresh.faces), core->material);
        fresh.used = true;
        if (!blocks.append(fresh))
            return false;
    }
    needsRebuild = true;
    return true;
}

void TamoSector::paintFaceAt(const Vector3& p) {
    MapBlock* block = nullptr;
    int32_t face = 0;
    if (!nearestFace(p, block, face))
        return;
    // Painting a face with the material it already has changes nothing and
    // must not drop a rebuild that an earlier edit asked for.
    if (block->faces[face] != core->material) {
        block->faces[face] = core->material;
        needsRebuild = true;
    }
}

void TamoSector::pickMaterialAt(const Vector3& p) {
    MapBlock* block = nullptr;
    int32_t face = 0;
    if (!nearestFace(p, block, face))
        return;
    core->material = block->faces[face];
    core->touchMaterial();
}

Vector3 TamoSector::getOrigin() const { return origin; }

bool TamoSector::cellOf(const Vector3& p, int32_t& x, int32_t& y, int32_t& z) const {
    const float w = static_cast<float>(core->blockWidth);
    const float h = static_cast<float>(core->blockHeight);
    x = cellIndexOf(p.x - origin.x, w, size);
    y = cellIndexOf(p.y - origin.y, h, size);
    z = cellIndexOf(p.z - origin.z, w, size);
    return x >= 0 && y >= 0 && z >= 0;
}

MapBlock* TamoSector::findBlock(int32_t x, int32_t y, int32_t z) {
    const int32_t index = cellIndex.find(blocks, x, y, z);
    return index < 0 ? nullptr : &blocks[index];
}

bool TamoSector::recordCellBounds(int32_t low[3], int32_t high[3]) {
    if (blocks.count() < boundedCount)
        boundedCount = 0;
    for (; boundedCount < blocks.count(); ++boundedCount) {
        const MapBlock& block = blocks[boundedCount];
        const int32_t cell[3] = {block.x, block.y, block.z};
        for (int axis = 0; axis < 3; ++axis) {
            if (boundedCount == 0 || cell[axis] < boundLow[axis])
                boundLow[axis] = cell[axis];
            if (boundedCount == 0 || cell[axis] > boundHigh[axis])
                boundHigh[axis] = cell[axis];
        }
    }
    if (boundedCount == 0)
        return false;
    std::copy(boundLow, boundLow + 3, low);
    std::copy(boundHigh, boundHigh + 3, high);
    return true;
}

Vector3 TamoSector::faceCentre(const MapBlock& block, int32_t face) const {
    const FaceCorners& corners = faceTable[face];
    const float w = static_cast<float>(core->blockWidth);
    const float h = static_cast<float>(core->blockHeight);
    return origin + Vector3((block.x + corners.p1.x + block.x + corners.p2.x) * w / 2.0f,
                            (block.y + corners.p1.y + block.y + corners.p2.y) * h / 2.0f,
                            (block.z + corners.p1.z + block.z + corners.p2.z) * w / 2.0f);
}

bool TamoSector::nearestFace(const Vector3& p, MapBlock*& block, int32_t& face) {
    int32_t x = 0, y = 0, z = 0;
    if (!cellOf(p, x, y, z))
        return false;
    MapBlock* found = findBlock(x, y, z);
    if (!found || !found->used)
        return false;
    float best = 999999.0f;
    int32_t bestFace = 0;
    for (int32_t f = 0; f < BlockFaceCount; ++f) {
        const float d = distance(faceCentre(*found, f), p);
        if (d < best) {
            best = d;
            bestFace = f;
        }
    }
    block = found;
    face = bestFace;
    return true;
}

void TamoSector::drawSector() {
    if (!core->view3D) {
        drawPlan();
        return;
    }
    rebuild();
    glPushMatrix();
    glTranslatef(origin.x, origin.y, origin.z);
    glCallList(static_cast<GLuint>(displayList));
    glPopMatrix();
}

void TamoSector::rebuild() {
    if (!needsRebuild)
        return;
    needsRebuild = false;
    quadTable->clear();
    bool complete = true;
    for (const MapBlock& block : blocks) {
        if (!block.used)
            continue;
        const Vector3 cell(static_cast<float>(block.x), static_cast<float>(block.y),
                           static_cast<float>(block.z));
        for (int32_t f = 0; f < BlockFaceCount; ++f) {
            const FaceCorners& corners = faceTable[f];
            const FaceMaterial& m = block.faces[f];
            complete = quadTable->addFace(corners.p1 + cell, corners.p2 + cell,
                                          corners.orientation, m.texture, m.offsetU, m.offsetV,
                                          m.rotation, m.scaleU, m.scaleV) &&
                       complete;
        }
    }
    compileDisplayList();
    // Out of memory part way: draw what fitted and try again next time.
    if (!complete)
        needsRebuild = true;
}

void TamoSector::compileDisplayList() {
    const GLuint list = static_cast<GLuint>(displayList);
    if (glIsList(list))
        glDeleteLists(list, 1);
    glNewList(list, GL_COMPILE);
    quadTable->compile();
    glEndList();
}

void TamoSector::drawPlan() {
    std::stable_sort(blocks.begin(), blocks.end(),
                     [](const MapBlock& a, const MapBlock& b) { return a.y < b.y; });
    cellIndex.invalidate();
    const float w = static_cast<float>(core->blockWidth);
    const float h = static_cast<float>(core->blockHeight);
    const float p = static_cast<float>(core->planCellSize);
    const float levelLocal = static_cast<float>(core->currentLevel) - origin.y / h;
    const float sx0 = p * std::floor(origin.x / w) - core->planScrollX;
    const float sy0 = p * std::floor(origin.z / w) - core->planScrollY;
    for (int32_t i = 0; i < blocks.count(); ++i) {
        const MapBlock& block = blocks[i];
        if (!block.used)
            continue;
        if (static_cast<float>(block.y) > levelLocal)
            break;
        drawPlanCell(i, levelLocal, sx0, sy0);
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void TamoSector::drawPlanCell(int32_t blockIndex, float level, float screenX, float screenY) {
    if (blockIndex < 0 || blockIndex >= blocks.count() || !core->glContext)
        return;
    const MapBlock& block = blocks[blockIndex];
    const int32_t p = core->planCellSize;
    const int32_t px = static_cast<int32_t>(std::floor(block.x * static_cast<float>(p) + screenX));
    const int32_t py = static_cast<int32_t>(std::floor(block.z * static_cast<float>(p) + screenY));
    if (px + p < 0 || py + p < 0 || px >= core->glContext->width || py >= core->glContext->height)
        return;
    const int32_t tile =
        static_cast<float>(block.y) == level ? core->planTileCurrent : core->planTileOther;
    // A texture without a recorded colour shows neutral grey rather than
    // whatever colour the previous cell left behind.
    int32_t red = 128, green = 128, blue = 128;
    core->getTextureColour(block.faces[FaceBottom].texture, red, green, blue);
    glColor3ub(static_cast<GLubyte>(red), static_cast<GLubyte>(green), static_cast<GLubyte>(blue));
    fillRectWithTexture(px, py, px + p, py + p, tile, false, 1.0f);
}
