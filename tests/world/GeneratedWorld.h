#pragma once
// A world file of any size made on demand a record at a time, so that a
// reader can be handed more bytes than a test should write or hold. Block j
// of sector k follows blockAt, so the records read can be checked without
// keeping the file. Used by the large-file tests and a fuzz target.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "media/ByteSource.h"
#include "media/LittleEndian.h"
#include "world/MapFormat.h"

namespace testworld {

enum class Fault { None, Truncated, BadRotation, BadCell, CountTooLarge };

class GeneratedWorld : public ByteSource {
public:
    static constexpr int32_t BlocksPerSector = 1000;
    static constexpr int64_t SectorBytes =
        MapFormat::SectorHeaderBytes + int64_t{BlocksPerSector} * MapFormat::BlockRecordBytes;

    // sectors generated sectors and one sprite; a fault, if any, at block
    // faultBlock of sector faultSector.
    GeneratedWorld(int32_t sectors, Fault fault = Fault::None, int32_t faultSector = -1,
                   int32_t faultBlock = 0)
            : sectorCount(sectors), fault(fault), faultSector(faultSector), faultBlock(faultBlock) {
        tail = spriteSection();
        total = 4 + sectors * SectorBytes + static_cast<int64_t>(tail.size());
        if (fault == Fault::Truncated)  // ends inside the fault block's record
            total = 4 + faultSector * SectorBytes + MapFormat::SectorHeaderBytes +
                    int64_t{faultBlock} * MapFormat::BlockRecordBytes + 50;
    }
    // sectors generated sectors, then the bytes of extraSectors more sectors
    // and the sprite section as the caller gives them (which may be wrong).
    GeneratedWorld(int32_t sectors, int32_t extraSectors, std::vector<uint8_t> ending)
            : sectorCount(sectors), extraSectors(extraSectors), fault(Fault::None), faultSector(-1),
              faultBlock(0), tail(std::move(ending)) {
        total = 4 + sectors * SectorBytes + static_cast<int64_t>(tail.size());
    }

    static MapBlock blockAt(int32_t k, int32_t j) {
        MapBlock block;
        block.x = j % 20, block.y = j / 20 % 20, block.z = j / 400;
        for (int32_t f = 0; f < BlockFaceCount; ++f)
            block.faces[f] = FaceMaterial{
                100 + (k * 7 + j + f) % 50,     k % 5 - 2, j % 3, static_cast<uint8_t>((k + j) % 4),
                static_cast<int8_t>(1 + f % 3), 1};
        block.used = true;
        return block;
    }
    static Vector3 originOf(int32_t k) {
        return Vector3(40000.0f + static_cast<float>(k % 100) * 200.0f, 60000.0f,
                       40000.0f + static_cast<float>(k / 100) * 200.0f);
    }
    // True when sector k as read is the one generated.
    static bool isGenerated(const TamoSectorData& sector, int32_t k) {
        if (sector.size != 20 || !(sector.origin == originOf(k)) ||
            sector.blocks.size() != static_cast<size_t>(BlocksPerSector))
            return false;
        for (int32_t j = 0; j < BlocksPerSector; ++j) {
            const MapBlock& got = sector.blocks[static_cast<size_t>(j)];
            const MapBlock want = blockAt(k, j);
            if (got.x != want.x || got.y != want.y || got.z != want.z || !got.used ||
                !std::equal(std::begin(got.faces), std::end(got.faces), std::begin(want.faces)))
                return false;
        }
        return true;
    }

    bool readBytes(void* buffer, int32_t count) override {
        if (count <= 0 || count > remaining())
            return false;
        auto* out = static_cast<uint8_t*>(buffer);
        while (count > 0) {
            if (at == piece.size())
                makePiece();
            const int32_t n = static_cast<int32_t>(std::min<size_t>(count, piece.size() - at));
            std::copy_n(piece.data() + at, n, out);
            at += static_cast<size_t>(n), out += n, count -= n, position += n;
        }
        return true;
    }
    int64_t remaining() const override { return total - position; }

    int64_t size() const { return total; }

private:
    static void putI32(std::vector<uint8_t>& to, int32_t v) {
        to.resize(to.size() + 4);
        littleEndian::storeI32(to.data() + to.size() - 4, v);
    }
    static void putF32(std::vector<uint8_t>& to, float v) {
        to.resize(to.size() + 4);
        littleEndian::storeF32(to.data() + to.size() - 4, v);
    }
    // One sprite: id 9 at (1, 2, 3), angle 0, type 0, team 0, height 30, "far".
    static std::vector<uint8_t> spriteSection() {
        std::vector<uint8_t> bytes;
        putI32(bytes, 1);
        putI32(bytes, 9);
        for (float v : {1.0f, 2.0f, 3.0f, 0.0f})
            putF32(bytes, v);
        putI32(bytes, 0);
        putI32(bytes, 0);
        putF32(bytes, 30.0f);
        for (char c : std::string("far"))
            bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(0);
        return bytes;
    }

    // The next record: the sector count, a sector, or the ending.
    void makePiece() {
        piece.clear();
        at = 0;
        const int32_t k = nextPiece++ - 1;
        if (k < 0) {
            putI32(piece, sectorCount + extraSectors);
            return;
        }
        if (k >= sectorCount) {
            piece = tail;
            return;
        }
        const Vector3 o = originOf(k);
        int32_t count = BlocksPerSector;
        if (fault == Fault::CountTooLarge && k == faultSector)
            count = 8000;  // more than the rest of the file holds
        putI32(piece, 20);
        putF32(piece, o.x);
        putF32(piece, o.y);
        putF32(piece, o.z);
        putI32(piece, count);
        piece.resize(MapFormat::SectorHeaderBytes + BlocksPerSector * MapFormat::BlockRecordBytes);
        uint8_t* p = piece.data() + MapFormat::SectorHeaderBytes;
        for (int32_t j = 0; j < BlocksPerSector; ++j, p += MapFormat::BlockRecordBytes) {
            MapBlock block = blockAt(k, j);
            if (k == faultSector && j == faultBlock && fault == Fault::BadRotation)
                block.faces[3].rotation = 4;
            if (k == faultSector && j == faultBlock && fault == Fault::BadCell)
                block.y = 20;
            littleEndian::storeI32(p, block.x);
            littleEndian::storeI32(p + 4, block.y);
            littleEndian::storeI32(p + 8, block.z);
            uint8_t* face = p + 12;
            for (const FaceMaterial& m : block.faces) {
                littleEndian::storeI32(face, m.texture);
                littleEndian::storeI32(face + 4, m.offsetU);
                littleEndian::storeI32(face + 8, m.offsetV);
                face[12] = m.rotation;
                face[13] = static_cast<uint8_t>(m.scaleU);
                face[14] = static_cast<uint8_t>(m.scaleV);
                face += MapFormat::FaceRecordBytes;
            }
        }
    }

    int32_t sectorCount;
    int32_t extraSectors = 0;
    Fault fault;
    int32_t faultSector;
    int32_t faultBlock;
    std::vector<uint8_t> tail;
    int64_t total = 0;
    int64_t position = 0;
    int32_t nextPiece = 0;
    std::vector<uint8_t> piece;
    size_t at = 0;
};

}  // namespace testworld
