// One sector record (20-byte header, 102-byte blocks) through the map format's
// parser and its stream reader. A refused record names its fault and leaves
// the output untouched; an accepted one uses exactly its header and blocks,
// holds the blocks the literal field-by-field reader finds, and writes back to
// the bytes it was read from. The stream reader agrees with the parser and
// reads no further than the record.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/ScratchFile.h"
#include "media/FileStream.h"
#include "world/ByteReader.h"
#include "world/LiteralSectorFile.h"
#include "world/MapFormat.h"

namespace {

bool sameBlock(const MapBlock& a, const MapBlock& b) {
    if (a.x != b.x || a.y != b.y || a.z != b.z || a.used != b.used)
        return false;
    for (int32_t face = 0; face < BlockFaceCount; ++face)
        if (a.faces[face] != b.faces[face])
            return false;
    return true;
}

bool sameRecord(const TamoSectorData& a, const TamoSectorData& b) {
    if (a.size != b.size || a.blocks.size() != b.blocks.size() ||
        std::memcmp(&a.origin, &b.origin, sizeof a.origin) != 0)
        return false;
    for (size_t i = 0; i < a.blocks.size(); ++i)
        if (!sameBlock(a.blocks[i], b.blocks[i]))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    TamoSectorData read;
    read.size = -7;  // marks an output nobody wrote
    std::string why;
    const bool parsed = MapFormat::parseSector(in, &read, &why);

    static const fuzz::ScratchFile input;
    input.write(data, size);
    FileStream stream(input.c_str(), "rb");
    TamoSectorData streamed;
    streamed.size = -7;
    const bool readFromStream = MapFormat::readSector(stream, &streamed);
    if (readFromStream != parsed)
        fuzz::finding("the stream reader and the parser disagree on a record");

    if (!parsed) {
        if (read.size != -7 || !read.blocks.empty() || streamed.size != -7)
            fuzz::finding("a refused record wrote the output");
        if (why.empty())
            fuzz::finding("a refused record gives no reason");
        return 0;
    }
    const size_t used =
        MapFormat::SectorHeaderBytes + read.blocks.size() * MapFormat::BlockRecordBytes;
    if (in.position() != used || stream.position() != static_cast<int64_t>(used) || used > size)
        fuzz::finding("a reader used a different number of bytes than the record holds");
    if (!sameRecord(read, streamed))
        fuzz::finding("the stream reader read a different record");

    int32_t count = 0;
    std::memcpy(&count, data + 16, 4);
    std::vector<MapBlock> literalBlocks;
    if (!literal::readBlocks(data + MapFormat::SectorHeaderBytes,
                             size - MapFormat::SectorHeaderBytes, read.size, count,
                             &literalBlocks) ||
        literalBlocks.size() != read.blocks.size())
        fuzz::finding("the literal reader does not find the same blocks");
    DynArray<MapBlock> blocks;
    for (size_t i = 0; i < literalBlocks.size(); ++i) {
        if (!sameBlock(literalBlocks[i], read.blocks[i]))
            fuzz::finding("a block differs from the literal reader's");
        blocks.append(read.blocks[i]);
    }
    if (literal::sectorRecord(read.size, read.origin, blocks) !=
        std::vector<uint8_t>(data, data + used))
        fuzz::finding("the record does not write back to its bytes");
    return 0;
}
