// One sector record (20-byte header, 102-byte blocks) through the sector's
// chunked reader. A refused record leaves the output untouched; an accepted
// one uses exactly its header and blocks, holds the blocks the literal
// field-by-field reader finds, and writes back to the bytes it was read from.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/ScratchFile.h"
#include "media/FileStream.h"
#include "world/LiteralSectorFile.h"
#include "world/TamoSector.h"

namespace {

bool sameBlock(const MapBlock& a, const MapBlock& b) {
    if (a.x != b.x || a.y != b.y || a.z != b.z || a.used != b.used)
        return false;
    for (int32_t face = 0; face < BlockFaceCount; ++face)
        if (a.faces[face] != b.faces[face])
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::ScratchFile input;
    input.write(data, size);
    FileStream stream(input.c_str(), "rb");
    TamoSectorData read;
    read.size = -7;  // marks an output nobody wrote
    if (!TamoSector::readSectorData(stream, read)) {
        if (read.size != -7 || !read.blocks.empty())
            fuzz::finding("a refused record wrote the output");
        return 0;
    }
    const size_t headerBytes = 20;
    const size_t used = headerBytes + read.blocks.size() * (12 + 6 * 15);
    if (stream.position() != static_cast<int64_t>(used) || used > size)
        fuzz::finding("the reader used a different number of bytes than the record holds");

    int32_t count = 0;
    std::memcpy(&count, data + 16, 4);
    std::vector<MapBlock> literalBlocks;
    if (!literal::readBlocks(data + headerBytes, size - headerBytes, read.size, count,
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
