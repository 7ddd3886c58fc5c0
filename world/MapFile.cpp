#include "world/MapFile.h"

#include <cstdint>
#include <vector>

#include "media/FileStream.h"
#include "world/ByteWriter.h"
#include "world/MapFormat.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"

namespace {

// The system's words for the stream's failure when it has them, else reason.
bool fail(std::string* why, const FileStream& stream, const char* reason) {
    const std::string system = stream.failureReason();
    if (why)
        *why = system.empty() ? std::string(reason) : system;
    return false;
}

}  // namespace

namespace MapFile {

bool loadWorld(const char* path, TamoMap& map, TamoSpriteObjectSet& sprites, std::string* why) {
    MapFormat::WorldRecords records;
    {
        FileStream stream(path, "rb");
        if (stream.openFailed())
            return fail(why, stream, "the file cannot be opened");
        if (!MapFormat::readWorld(stream, &records, why))
            return false;
    }
    // The sprites are already records, so once the map has taken its sectors
    // nothing can fail any more.
    if (!map.replaceSectors(std::move(records.sectors), why))
        return false;
    sprites.replaceAll(std::move(records.sprites));
    return true;
}

namespace {

using BeforePublish = std::function<bool(const WorldFileStamp&)>;

// Opens an atomic replacement of path, lets write fill it, and commits it
// only when every byte was written (and beforePublish, when given, agrees).
template <class Write>
bool replaceFile(const char* path, std::string* why, Write write,
                 const BeforePublish& beforePublish = nullptr, int64_t writeBehindBytes = 0) {
    FileStream stream(path, "wb", FileStream::ReplaceAtomically);
    stream.writeBehind(writeBehindBytes);
    if (stream.openFailed()) {
        stream.discard();
        return fail(why, stream, "the file cannot be created");
    }
    if (!write(stream)) {
        stream.discard();
        return fail(why, stream, "the file could not be written");
    }
    if (!beforePublish)
        return stream.commit() || fail(why, stream, "the file could not be written");
    if (!stream.prepare())
        return fail(why, stream, "the file could not be written");
    if (!beforePublish(WorldFileStamp::of(stream.preparedPath()))) {
        stream.discard();
        return false;
    }
    return stream.publish() || fail(why, stream, "the file could not be written");
}

}  // namespace

bool saveWorld(const char* path, const TamoMap& map, const TamoSpriteObjectSet& sprites,
               std::string* why) {
    return replaceFile(path, why, [&](FileStream& stream) {
        ByteWriter out(stream);
        map.write(out);
        sprites.write(out);
        return out.finish();
    });
}

bool snapshotWorld(const TamoMap& map, const TamoSpriteObjectSet& sprites,
                   std::vector<uint8_t>* bytes) {
    return snapshotWorld(map, sprites, map.recordOrder(), bytes);
}

bool snapshotWorld(const TamoMap& map, const TamoSpriteObjectSet& sprites,
                   MapFormat::RecordOrder order, std::vector<uint8_t>* bytes) {
    bytes->clear();  // keeps its memory
    ByteWriter out(*bytes);
    map.write(out, order);
    sprites.write(out);
    if (out.finish())
        return true;
    bytes->clear();
    return false;
}

std::vector<uint8_t> snapshotWorld(const TamoMap& map, const TamoSpriteObjectSet& sprites) {
    std::vector<uint8_t> bytes;
    snapshotWorld(map, sprites, &bytes);
    return bytes;
}

bool saveBytes(const char* path, const std::vector<uint8_t>& bytes, std::string* why) {
    return replaceFile(path, why, [&](FileStream& stream) {
        return bytes.empty() || stream.writeBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
    });
}

bool saveBytes(const char* path, const WorldBytes& bytes, std::string* why) {
    return saveBytes(path, bytes, why, nullptr, 0);
}

bool saveBytes(const char* path, const WorldBytes& bytes, std::string* why,
               const BeforePublish& beforePublish, int64_t writeBehindBytes) {
    return replaceFile(
        path, why,
        [&](FileStream& stream) {
            for (const WorldBytes::Part& part : bytes.parts)
                if (!part->empty() &&
                    !stream.writeBytes(part->data(), static_cast<int32_t>(part->size())))
                    return false;
            return true;
        },
        beforePublish, writeBehindBytes);
}

}  // namespace MapFile
