#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/FileStream.h"
#include "platform/DynArray.h"
#include "platform/Vector3.h"
#include "world/MapBlock.h"
#include "world/SpriteObject.h"

class ByteReader;
class ByteWriter;

// A sector record as read from a map file, before any sector or GL object
// exists: header values and the stored blocks (all used).
struct TamoSectorData {
    int32_t size = 0;
    Vector3 origin;
    std::vector<MapBlock> blocks;
};

// The ".map" world file, the one home of its layout: the map section (sector
// count, then sector records of a 20-byte header and 102-byte block records
// of six 15-byte faces) followed by the sprite section (sprite count, then
// 32-byte sprite records each followed by its zero-terminated name). Every
// field little-endian, no padding, no header.
//
// Parsing checks every field against the bytes that remain and every value
// against what the editor can hold; a failed parse names the fault in *why
// (when given) and leaves its outputs alone.
namespace MapFormat {

constexpr size_t CountBytes = 4;
constexpr size_t SectorHeaderBytes = 20;
constexpr size_t FaceRecordBytes = 15;
constexpr size_t BlockRecordBytes = 12 + 6 * FaceRecordBytes;
constexpr size_t SpriteFixedBytes = 32;
// Largest sector edge accepted from a file; the editor makes sectors of 20.
constexpr int32_t MaxSectorSize = 1000;

// Everything a world file holds.
struct WorldRecords {
    std::vector<TamoSectorData> sectors;
    std::vector<SpriteObject> sprites;  // all unselected
    size_t mapSectionBytes = 0;         // where the sprite section starts
};

bool parseSector(ByteReader& in, TamoSectorData* out, std::string* why);
bool parseSprite(ByteReader& in, SpriteObject* out, std::string* why);
bool parseMapSection(ByteReader& in, std::vector<TamoSectorData>* sectors, std::string* why);
bool parseSpriteSection(ByteReader& in, std::vector<SpriteObject>* sprites, std::string* why);
// A whole world file: map section, sprite section, nothing after.
bool parseWorld(const uint8_t* data, size_t size, WorldRecords* out, std::string* why);

// A whole world file from the source's position, with the checks of
// parseWorld: the sector records are read a chunk at a time rather than the
// file's bytes held whole beside the blocks made from them, and every count
// is checked against the bytes that remain before memory is taken for it, so
// a file of any size is read in memory proportional to what it holds. The
// source is left wherever reading stopped.
bool readWorld(ByteSource& source, WorldRecords* out, std::string* why);

// One sector record from the stream's position, reading no further than the
// record; the stream is left wherever a failed read stopped.
bool readSector(ByteSource& source, TamoSectorData* out, std::string* why = nullptr);
// Bytes read from a file. The storage is not cleared before the read fills
// it: for a world of a million blocks that is 100 MB written once, not twice.
struct FileContents {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
    const uint8_t* data() const { return bytes.get(); }
};

// Everything from the stream's position to its end (the position is put back
// where it was); false when the stream cannot be read or is not one of ours.
bool readRest(FileStream& stream, FileContents* contents);

// The order records are written in. AsKept: sectors and blocks in the order
// the world keeps them (a single person's file, byte for byte as it always
// was). Canonical: an order that depends only on what the world holds, so
// that worlds holding the same sectors, cells and figures write the same
// bytes however their records came about (a shared city): sectors by
// origin (height, then x, then z) and size, a sector's blocks by cell
// (level, then x, then z). Removed blocks are written in neither.
enum class RecordOrder { AsKept, Canonical };

// Whether sector a comes before sector b in the canonical order (a total
// order: equal values of different bits, 0 and -0, are told apart).
bool canonicalSectorBefore(int32_t sizeA, const Vector3& originA, int32_t sizeB,
                           const Vector3& originB);

void writeCount(ByteWriter& out, int32_t count);
// A sector record holding the used blocks among blocks, in their order or
// in the canonical one (records of one cell keep their order).
void writeSector(ByteWriter& out, int32_t size, const Vector3& origin,
                 const DynArray<MapBlock>& blocks, RecordOrder order = RecordOrder::AsKept);
void writeSprite(ByteWriter& out, const SpriteObject& object);

}  // namespace MapFormat
