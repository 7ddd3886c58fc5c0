#include "world/MapFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <tuple>
#include <utility>
#include <vector>

#include "media/FileStream.h"
#include "media/LittleEndian.h"
#include "world/ByteReader.h"
#include "world/ByteWriter.h"

namespace MapFormat {

namespace {

using littleEndian::loadF32;
using littleEndian::loadI32;
using littleEndian::storeI32;

// A stream's block records are read a chunk at a time (one stream call per
// chunk rather than per field).
constexpr int32_t BlocksPerChunk = 4096;

bool fail(std::string* why, const char* reason) {
    if (why)
        *why = reason;
    return false;
}

struct SectorHeader {
    int32_t size = 0;
    Vector3 origin;
    int32_t blockCount = 0;
};

// The 20-byte sector header; false for a size outside 1 to maxSectorSize, an
// origin that is not a number, or a block count that is negative or larger
// than the sector's cells.
bool parseHeader(const uint8_t* at, SectorHeader* header, std::string* why) {
    header->size = loadI32(at);
    header->origin = Vector3(loadF32(at + 4), loadF32(at + 8), loadF32(at + 12));
    header->blockCount = loadI32(at + 16);
    if (header->size < 1 || header->size > MaxSectorSize)
        return fail(why, "a sector has an impossible size");
    for (float value : {header->origin.x, header->origin.y, header->origin.z})
        if (!std::isfinite(value))
            return fail(why, "a sector has an origin that is not a number");
    if (header->blockCount < 0)
        return fail(why, "a sector's block count does not fit in the file");
    const int64_t cells = static_cast<int64_t>(header->size) * header->size * header->size;
    if (header->blockCount > cells)
        return fail(why, "a sector holds more blocks than it has cells");
    return true;
}

// The fields of one face record, unchecked.
inline void loadFace(const uint8_t* at, FaceMaterial& face) {
    face.texture = loadI32(at);
    face.offsetU = loadI32(at + 4);
    face.offsetV = loadI32(at + 8);
    face.rotation = at[12];
    face.scaleU = static_cast<int8_t>(at[13]);
    face.scaleV = static_cast<int8_t>(at[14]);
}

bool parseFace(const uint8_t* at, FaceMaterial& face, std::string* why) {
    loadFace(at, face);
    if (face.rotation > 3)
        return fail(why, "a block face has a rotation above 3");
    if (!face.scalesValid())
        return fail(why, "a block face has a texture scale of 0 or -128");
    return true;
}

// count block records laid end to end at at, appended to blocks (used).
// Each record is taken in one sweep with its checks folded together; only a
// record that fails one is gone through again to name the fault.
bool parseBlocks(const uint8_t* at, int32_t count, int32_t size, std::vector<MapBlock>& blocks,
                 std::string* why) {
    const uint32_t cells = static_cast<uint32_t>(size);
    for (int32_t i = 0; i < count; ++i, at += BlockRecordBytes) {
        MapBlock& block = blocks.emplace_back();
        block.x = loadI32(at);
        block.y = loadI32(at + 4);
        block.z = loadI32(at + 8);
        // Negative indices wrap to values above any size.
        bool bad = static_cast<uint32_t>(block.x) >= cells ||
                   static_cast<uint32_t>(block.y) >= cells ||
                   static_cast<uint32_t>(block.z) >= cells;
        const uint8_t* field = at + 12;
        for (FaceMaterial& face : block.faces) {
            loadFace(field, face);
            bad |= (face.rotation > 3) | !face.scalesValid();
            field += FaceRecordBytes;
        }
        block.used = true;
        if (bad) {
            blocks.pop_back();
            for (int32_t index : {loadI32(at), loadI32(at + 4), loadI32(at + 8)})
                if (index < 0 || index >= size)
                    return fail(why, "a block lies outside its sector");
            FaceMaterial face;
            for (int32_t f = 0; f < BlockFaceCount; ++f)
                if (!parseFace(at + 12 + FaceRecordBytes * f, face, why))
                    return false;
            return fail(why, "a block record cannot be read");
        }
    }
    return true;
}

void storeBlock(uint8_t* at, const MapBlock& block) {
    storeI32(at, block.x);
    storeI32(at + 4, block.y);
    storeI32(at + 8, block.z);
    at += 12;
    for (const FaceMaterial& face : block.faces) {
        storeI32(at, face.texture);
        storeI32(at + 4, face.offsetU);
        storeI32(at + 8, face.offsetV);
        at[12] = face.rotation;
        at[13] = static_cast<uint8_t>(face.scaleU);
        at[14] = static_cast<uint8_t>(face.scaleV);
        at += FaceRecordBytes;
    }
}

}  // namespace

bool parseSector(ByteReader& in, TamoSectorData* out, std::string* why) {
    const uint8_t* head = in.take(SectorHeaderBytes);
    if (!head)
        return fail(why, "the file ends inside a sector header");
    SectorHeader header;
    if (!parseHeader(head, &header, why))
        return false;
    if (static_cast<size_t>(header.blockCount) > in.remaining() / BlockRecordBytes)
        return fail(why, "a sector's block count does not fit in the file");
    TamoSectorData data;
    data.size = header.size;
    data.origin = header.origin;
    data.blocks.reserve(static_cast<size_t>(header.blockCount));
    const uint8_t* body = in.take(static_cast<size_t>(header.blockCount) * BlockRecordBytes);
    if (!parseBlocks(body, header.blockCount, header.size, data.blocks, why))
        return false;
    *out = std::move(data);
    return true;
}

bool parseSprite(ByteReader& in, SpriteObject* out, std::string* why) {
    SpriteObject object;
    float x = 0.0f, y = 0.0f, z = 0.0f;
    if (!in.i32(&object.id) || !in.f32(&x) || !in.f32(&y) || !in.f32(&z) ||
        !in.f32(&object.angle) || !in.i32(&object.type) || !in.i32(&object.team) ||
        !in.f32(&object.height))
        return fail(why, "the file ends inside a sprite record");
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z) ||
        !std::isfinite(object.angle) || !std::isfinite(object.height))
        return fail(why, "a sprite has a position, angle or height that is not a number");
    object.position = Vector3(x, y, z);
    if (!in.string(&object.name))
        return fail(why, "a sprite name has no end");
    *out = std::move(object);
    return true;
}

bool parseMapSection(ByteReader& in, std::vector<TamoSectorData>* sectors, std::string* why) {
    int32_t count = 0;
    if (!in.i32(&count))
        return fail(why, "the file is too short to hold a sector count");
    if (count < 0 || static_cast<size_t>(count) > in.remaining() / SectorHeaderBytes)
        return fail(why, "the sector count does not fit in the file");
    std::vector<TamoSectorData> parsed(static_cast<size_t>(count));
    for (TamoSectorData& record : parsed)
        if (!parseSector(in, &record, why))
            return false;
    sectors->swap(parsed);
    return true;
}

bool parseSpriteSection(ByteReader& in, std::vector<SpriteObject>* sprites, std::string* why) {
    int32_t count = 0;
    if (!in.i32(&count))
        return fail(why, "the file ends before the sprite count");
    if (count < 0 || static_cast<size_t>(count) > in.remaining() / (SpriteFixedBytes + 1))
        return fail(why, "the sprite count does not fit in the file");
    std::vector<SpriteObject> parsed(static_cast<size_t>(count));
    for (SpriteObject& object : parsed)
        if (!parseSprite(in, &object, why))
            return false;
    sprites->swap(parsed);
    return true;
}

bool parseWorld(const uint8_t* data, size_t size, WorldRecords* out, std::string* why) {
    ByteReader in(data, size);
    WorldRecords records;
    try {
        if (!parseMapSection(in, &records.sectors, why))
            return false;
        records.mapSectionBytes = in.position();
        if (!parseSpriteSection(in, &records.sprites, why))
            return false;
    } catch (const std::bad_alloc&) {
        return fail(why, "there is not enough memory for the world");
    }
    if (in.remaining() != 0)
        return fail(why, "the file holds unexpected bytes after the sprite section");
    *out = std::move(records);
    return true;
}

bool readWorld(ByteSource& source, WorldRecords* out, std::string* why) {
    const int64_t size = source.remaining();
    if (size < 0)
        return fail(why, "the file cannot be read");
    WorldRecords records;
    try {
        uint8_t field[CountBytes];
        if (size < static_cast<int64_t>(CountBytes) || !source.readBytes(field, CountBytes))
            return fail(why, "the file is too short to hold a sector count");
        const int32_t count = loadI32(field);
        if (count < 0 || count > (size - static_cast<int64_t>(CountBytes)) /
                                     static_cast<int64_t>(SectorHeaderBytes))
            return fail(why, "the sector count does not fit in the file");
        // Grown as records arrive rather than sized by the count, so memory
        // follows the bytes actually read.
        for (int32_t i = 0; i < count; ++i) {
            records.sectors.emplace_back();
            if (!readSector(source, &records.sectors.back(), why))
                return false;
        }
        const int64_t rest = source.remaining();
        if (rest < 0)
            return fail(why, "the file cannot be read");
        records.mapSectionBytes = static_cast<size_t>(size - rest);
        std::vector<uint8_t> bytes(static_cast<size_t>(rest));
        for (int64_t done = 0; done < rest;) {
            const int32_t piece = static_cast<int32_t>(std::min<int64_t>(rest - done, 1 << 30));
            if (!source.readBytes(bytes.data() + done, piece))
                return fail(why, "the file cannot be read");
            done += piece;
        }
        ByteReader in(bytes.data(), bytes.size());
        if (!parseSpriteSection(in, &records.sprites, why))
            return false;
        if (in.remaining() != 0)
            return fail(why, "the file holds unexpected bytes after the sprite section");
    } catch (const std::bad_alloc&) {
        return fail(why, "there is not enough memory for the world");
    }
    *out = std::move(records);
    return true;
}

bool readSector(ByteSource& source, TamoSectorData* out, std::string* why) {
    uint8_t head[SectorHeaderBytes];
    if (!source.readBytes(head, static_cast<int32_t>(SectorHeaderBytes)))
        return fail(why, "the file ends inside a sector header");
    SectorHeader header;
    if (!parseHeader(head, &header, why))
        return false;
    const int64_t remaining = source.remaining();
    if (remaining >= 0 && header.blockCount > remaining / static_cast<int64_t>(BlockRecordBytes))
        return fail(why, "a sector's block count does not fit in the file");
    // Room is reserved only for blocks whose bytes the file holds, so a lying
    // count costs no more memory than the bytes actually present.
    TamoSectorData data;
    data.size = header.size;
    data.origin = header.origin;
    try {
        if (remaining >= 0)
            data.blocks.reserve(static_cast<size_t>(header.blockCount));
        std::vector<uint8_t> chunk;
        for (int32_t done = 0; done < header.blockCount;) {
            const int32_t count = std::min(BlocksPerChunk, header.blockCount - done);
            chunk.resize(static_cast<size_t>(count) * BlockRecordBytes);
            if (!source.readBytes(chunk.data(), static_cast<int32_t>(chunk.size())))
                return fail(why, "the file ends inside a block record");
            if (!parseBlocks(chunk.data(), count, header.size, data.blocks, why))
                return false;
            done += count;
        }
    } catch (const std::bad_alloc&) {
        return fail(why, "there is not enough memory for the world");
    }
    *out = std::move(data);
    return true;
}

bool readRest(FileStream& stream, FileContents* contents) {
    const int64_t start = stream.position();
    const int64_t count = stream.remaining();
    if (start < 0 || count < 0 || static_cast<uint64_t>(count) > SIZE_MAX)
        return false;
    FileContents read;
    read.bytes.reset(new (std::nothrow) uint8_t[static_cast<size_t>(count)]);
    if (!read.bytes)
        return false;
    read.size = static_cast<size_t>(count);
    for (int64_t done = 0; done < count;) {
        const int32_t piece = static_cast<int32_t>(std::min<int64_t>(count - done, 1 << 30));
        if (!stream.readBytes(read.bytes.get() + done, piece)) {
            stream.seek(start, 0);
            return false;
        }
        done += piece;
    }
    if (count > 0 && !stream.seek(start, 0))
        return false;
    *contents = std::move(read);
    return true;
}

void writeCount(ByteWriter& out, int32_t count) {
    out.i32(count);
}

namespace {

// Float keys compared by value, equal values by their bits.
int compareKey(float a, float b) {
    if (a < b)
        return -1;
    if (b < a)
        return 1;
    int32_t bitsA = 0, bitsB = 0;
    std::memcpy(&bitsA, &a, sizeof bitsA);
    std::memcpy(&bitsB, &b, sizeof bitsB);
    return bitsA < bitsB ? -1 : bitsA > bitsB ? 1 : 0;
}

// The used blocks' indices in cell order; empty (the caller then keeps the
// array order, still a sound record) when there is no memory for them.
std::vector<int32_t> canonicalBlocks(const DynArray<MapBlock>& blocks) {
    std::vector<int32_t> order;
    try {
        order.reserve(static_cast<size_t>(blocks.count()));
    } catch (const std::bad_alloc&) {
        return order;
    }
    for (int32_t i = 0; i < blocks.count(); ++i)
        if (blocks[i].used)
            order.push_back(i);
    const auto key = [&](int32_t i) {
        const MapBlock& block = blocks[i];
        return std::make_tuple(block.y, block.x, block.z, i);
    };
    std::sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return key(a) < key(b); });
    return order;
}

}  // namespace

bool canonicalSectorBefore(int32_t sizeA, const Vector3& originA, int32_t sizeB,
                           const Vector3& originB) {
    for (const auto& [a, b] :
         {std::make_pair(originA.y, originB.y), std::make_pair(originA.x, originB.x),
          std::make_pair(originA.z, originB.z)})
        if (const int order = compareKey(a, b))
            return order < 0;
    return sizeA < sizeB;
}

void writeSector(ByteWriter& out, int32_t size, const Vector3& origin,
                 const DynArray<MapBlock>& blocks, RecordOrder order) {
    int32_t usedCount = 0;
    for (const MapBlock& block : blocks)
        usedCount += block.used ? 1 : 0;
    out.i32(size);
    out.f32(origin.x);
    out.f32(origin.y);
    out.f32(origin.z);
    out.i32(usedCount);
    const auto store = [&](const MapBlock& block) {
        uint8_t* at = out.reserve(BlockRecordBytes);
        if (!at)
            return false;  // the writer has failed and reports it
        storeBlock(at, block);
        return true;
    };
    const std::vector<int32_t> sorted = order == RecordOrder::Canonical && usedCount > 0
                                            ? canonicalBlocks(blocks)
                                            : std::vector<int32_t>();
    if (!sorted.empty()) {
        for (int32_t i : sorted)
            if (!store(blocks[i]))
                return;
        return;
    }
    for (const MapBlock& block : blocks)
        if (block.used && !store(block))
            return;
}

void writeSprite(ByteWriter& out, const SpriteObject& object) {
    out.i32(object.id);
    out.f32(object.position.x);
    out.f32(object.position.y);
    out.f32(object.position.z);
    out.f32(object.angle);
    out.i32(object.type);
    out.i32(object.team);
    out.f32(object.height);
    out.bytes(object.name.c_str(), object.name.size() + 1);
}

}  // namespace MapFormat
