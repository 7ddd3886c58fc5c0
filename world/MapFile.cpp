#include "world/MapFile.h"

#include <cmath>
#include <cstring>

#include "media/FileStream.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"

namespace {

// Bounds-checked little-endian reading from a byte block.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data(data), size(size) {}

    size_t position() const { return at; }
    size_t remaining() const { return size - at; }

    bool readInt32(int32_t* value) { return readRaw(value, 4); }
    bool readFloat(float* value) { return readRaw(value, 4); }
    bool readInt8(int8_t* value) { return readRaw(value, 1); }
    bool readUint8(uint8_t* value) { return readRaw(value, 1); }
    bool skip(size_t count) {
        if (count > remaining())
            return false;
        at += count;
        return true;
    }
    // A zero-terminated string of any length; false when no terminator
    // follows within the data.
    bool readString(std::string* text) {
        const void* end = std::memchr(data + at, 0, remaining());
        if (!end)
            return false;
        const size_t length = static_cast<const uint8_t*>(end) - (data + at);
        text->assign(reinterpret_cast<const char*>(data + at), length);
        at += length + 1;
        return true;
    }

private:
    // The file holds fields exactly as they lie in memory on a little-endian
    // machine, so bytes are copied as they are.
    bool readRaw(void* out, size_t count) {
        if (count > remaining())
            return false;
        std::memcpy(out, data + at, count);
        at += count;
        return true;
    }

    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

bool fail(std::string* why, const std::string& reason) {
    if (why)
        *why = reason;
    return false;
}

bool checkFace(ByteReader& in, std::string* why) {
    int32_t texture = 0, offsetU = 0, offsetV = 0;
    uint8_t rotation = 0;
    int8_t scaleU = 0, scaleV = 0;
    if (!in.readInt32(&texture) || !in.readInt32(&offsetU) || !in.readInt32(&offsetV) ||
        !in.readUint8(&rotation) || !in.readInt8(&scaleU) || !in.readInt8(&scaleV))
        return fail(why, "the file ends inside a block face");
    if (rotation > 3)
        return fail(why, "a block face has a rotation above 3");
    if (scaleU < 1 || scaleV < 1)
        return fail(why, "a block face has a texture scale below 1");
    return true;
}

bool checkBlock(ByteReader& in, int32_t sectorSize, std::string* why) {
    int32_t cell[3] = {0, 0, 0};
    for (int32_t& index : cell)
        if (!in.readInt32(&index))
            return fail(why, "the file ends inside a block record");
    for (int32_t index : cell)
        if (index < 0 || index >= sectorSize)
            return fail(why, "a block lies outside its sector");
    for (int face = 0; face < 6; ++face)
        if (!checkFace(in, why))
            return false;
    return true;
}

bool checkSector(ByteReader& in, std::string* why) {
    int32_t size = 0, blockCount = 0;
    float origin[3] = {0.0f, 0.0f, 0.0f};
    if (!in.readInt32(&size) || !in.readFloat(&origin[0]) || !in.readFloat(&origin[1]) ||
        !in.readFloat(&origin[2]) || !in.readInt32(&blockCount))
        return fail(why, "the file ends inside a sector header");
    if (size < 1 || size > TamoSector::maxSize)
        return fail(why, "a sector has an impossible size");
    for (float value : origin)
        if (!std::isfinite(value))
            return fail(why, "a sector has an origin that is not a number");
    if (blockCount < 0 ||
        static_cast<size_t>(blockCount) > in.remaining() / MapFile::blockRecordBytes)
        return fail(why, "a sector's block count does not fit in the file");
    for (int32_t i = 0; i < blockCount; ++i)
        if (!checkBlock(in, size, why))
            return false;
    return true;
}

bool readSprite(ByteReader& in, SpriteObject* object, std::string* why) {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    if (!in.readInt32(&object->id) || !in.readFloat(&x) || !in.readFloat(&y) || !in.readFloat(&z) ||
        !in.readFloat(&object->angle) || !in.readInt32(&object->type) ||
        !in.readInt32(&object->team) || !in.readFloat(&object->height))
        return fail(why, "the file ends inside a sprite record");
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z) ||
        !std::isfinite(object->angle) || !std::isfinite(object->height))
        return fail(why, "a sprite has a position, angle or height that is not a number");
    object->position = Vector3(x, y, z);
    if (!in.readString(&object->name))
        return fail(why, "a sprite name has no end");
    object->selected = false;
    return true;
}

}  // namespace

namespace MapFile {

bool checkMapSection(const uint8_t* data, size_t size, size_t* used, std::string* why) {
    ByteReader in(data, size);
    int32_t sectorCount = 0;
    if (!in.readInt32(&sectorCount))
        return fail(why, "the file is too short to hold a sector count");
    if (sectorCount < 0 || static_cast<size_t>(sectorCount) > in.remaining() / sectorHeaderBytes)
        return fail(why, "the sector count does not fit in the file");
    for (int32_t i = 0; i < sectorCount; ++i)
        if (!checkSector(in, why))
            return false;
    if (used)
        *used = in.position();
    return true;
}

bool parseSpriteSection(const uint8_t* data, size_t size, std::vector<SpriteObject>* objects,
                        size_t* used, std::string* why) {
    ByteReader in(data, size);
    int32_t spriteCount = 0;
    if (!in.readInt32(&spriteCount))
        return fail(why, "the file ends before the sprite count");
    if (spriteCount < 0 ||
        static_cast<size_t>(spriteCount) > in.remaining() / (spriteFixedBytes + 1))
        return fail(why, "the sprite count does not fit in the file");
    std::vector<SpriteObject> parsed;
    parsed.reserve(static_cast<size_t>(spriteCount));
    for (int32_t i = 0; i < spriteCount; ++i) {
        SpriteObject object;
        if (!readSprite(in, &object, why))
            return false;
        parsed.push_back(std::move(object));
    }
    if (objects)
        objects->swap(parsed);
    if (used)
        *used = in.position();
    return true;
}

}  // namespace MapFile

namespace MapFile {

// World files are small (a full sector is under a megabyte); anything larger
// than this is not one of ours and is refused before it is read into memory.
constexpr int64_t largestReadableFile = 256 * 1024 * 1024;

bool readRest(FileStream& stream, std::vector<uint8_t>* bytes) {
    const int64_t start = stream.position();
    const int64_t count = stream.remaining();
    if (start < 0 || count < 0 || count > largestReadableFile)
        return false;
    std::vector<uint8_t> data(static_cast<size_t>(count));
    if (count > 0) {
        if (!stream.readBytes(data.data(), static_cast<int32_t>(count))) {
            stream.seek(static_cast<int32_t>(start), 0);
            return false;
        }
        if (!stream.seek(static_cast<int32_t>(start), 0))
            return false;
    }
    bytes->swap(data);
    return true;
}

namespace {

bool checkWorldBytes(const std::vector<uint8_t>& bytes, std::vector<SpriteObject>* sprites,
                     std::string* why) {
    size_t mapBytes = 0;
    size_t spriteBytes = 0;
    if (!checkMapSection(bytes.data(), bytes.size(), &mapBytes, why))
        return false;
    if (!parseSpriteSection(bytes.data() + mapBytes, bytes.size() - mapBytes, sprites, &spriteBytes,
                            why))
        return false;
    if (mapBytes + spriteBytes != bytes.size())
        return fail(why, "the file holds unexpected bytes after the sprite section");
    return true;
}

}  // namespace

bool checkWorld(FileStream& stream, std::string* why) {
    std::vector<uint8_t> bytes;
    if (!readRest(stream, &bytes))
        return fail(why, "the file cannot be read");
    return checkWorldBytes(bytes, nullptr, why);
}

bool loadWorld(const char* path, TamoMap& map, TamoSpriteObjectSet& sprites, std::string* why) {
    FileStream stream(path, "rb");
    if (stream.openFailed())
        return fail(why, "the file cannot be opened");
    std::vector<uint8_t> bytes;
    if (!readRest(stream, &bytes))
        return fail(why, "the file cannot be read");
    std::vector<SpriteObject> loadedSprites;
    if (!checkWorldBytes(bytes, &loadedSprites, why))
        return false;
    // The sprites are already in memory, so once the map has taken its
    // sectors nothing can fail any more.
    if (!map.load(stream, why))
        return false;
    sprites.replaceAll(std::move(loadedSprites));
    return true;
}

bool saveWorld(const char* path, TamoMap& map, TamoSpriteObjectSet& sprites, std::string* why) {
    FileStream stream(path, "wb", FileStream::ReplaceAtomically);
    if (stream.openFailed()) {
        stream.discard();
        return fail(why, "the file cannot be created");
    }
    const bool mapWritten = map.save(stream);
    const bool spritesWritten = sprites.save(stream);
    if (!mapWritten || !spritesWritten) {
        stream.discard();
        return fail(why, "the file could not be written");
    }
    if (!stream.commit())
        return fail(why, "the file could not be written");
    return true;
}

}  // namespace MapFile
