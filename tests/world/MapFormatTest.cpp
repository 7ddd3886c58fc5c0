#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media/FileStream.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"
#include "world/ByteWriter.h"
#include "world/MapFormat.h"

namespace {

// Every field of a small world written and parsed against bytes spelled out
// one by one rather than copied from memory, so the layout is checked as the
// file holds it, not as this machine happens to; a name longer than the
// writer's buffer goes through whole.
TEST(MapFormatTest, EveryFieldIsLittleEndianBothWays) {
    MapBlock block;
    block.x = 1, block.y = 0, block.z = 1, block.used = true;
    for (FaceMaterial& face : block.faces)
        face = FaceMaterial{0x01020304, -2, 0x100, 3, 1, 127};
    MapBlock removed = block;
    removed.used = false;
    DynArray<MapBlock> blocks;
    blocks.append(removed);
    blocks.append(block);
    SpriteObject sprite;
    sprite.id = 0x0A0B0C0D;
    sprite.position = Vector3(1.5f, -2.0f, 256.0f);
    sprite.angle = 1.5f;
    sprite.type = 2;
    sprite.team = -1;
    sprite.height = 256.0f;
    sprite.name = "ab";

    const std::vector<uint8_t> f15 = {0x00, 0x00, 0xC0, 0x3F}, fm2 = {0x00, 0x00, 0x00, 0xC0},
                               f256 = {0x00, 0x00, 0x80, 0x43};
    std::vector<uint8_t> expected = {1, 0, 0, 0, 2, 0, 0, 0};  // sector count, size
    for (const auto* f : {&f15, &fm2, &f256})
        expected.insert(expected.end(), f->begin(), f->end());
    expected.insert(expected.end(), {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0});
    for (int face = 0; face < 6; ++face)
        expected.insert(expected.end(), {0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x01,
                                         0x00, 0x00, 3, 1, 127});
    expected.insert(expected.end(), {1, 0, 0, 0, 0x0D, 0x0C, 0x0B, 0x0A});
    for (const auto* f : {&f15, &fm2, &f256, &f15})
        expected.insert(expected.end(), f->begin(), f->end());
    expected.insert(expected.end(), {2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});
    expected.insert(expected.end(), f256.begin(), f256.end());
    expected.insert(expected.end(), {'a', 'b', 0});

    ScratchFolder folder("tamo-format");
    const std::string path = folder.path("le.map");
    {
        FileStream stream(path.c_str(), "wb");
        ByteWriter out(stream);
        MapFormat::writeCount(out, 1);
        MapFormat::writeSector(out, 2, sprite.position, blocks);
        MapFormat::writeCount(out, 1);
        MapFormat::writeSprite(out, sprite);
        ASSERT_TRUE(out.finish());
    }
    EXPECT_EQ(readFileBytes(path), expected);

    MapFormat::WorldRecords records;
    std::string why;
    ASSERT_TRUE(MapFormat::parseWorld(expected.data(), expected.size(), &records, &why)) << why;
    ASSERT_EQ(records.sectors.size(), 1u);
    EXPECT_EQ(records.mapSectionBytes, 4u + 20 + 102);
    EXPECT_EQ(records.sectors[0].size, 2);
    EXPECT_EQ(records.sectors[0].origin, sprite.position);
    ASSERT_EQ(records.sectors[0].blocks.size(), 1u);
    EXPECT_EQ(records.sectors[0].blocks[0].z, 1);
    EXPECT_EQ(records.sectors[0].blocks[0].faces[5], block.faces[5]);
    ASSERT_EQ(records.sprites.size(), 1u);
    EXPECT_EQ(records.sprites[0].id, sprite.id);
    EXPECT_EQ(records.sprites[0].position, sprite.position);
    EXPECT_EQ(records.sprites[0].team, -1);
    EXPECT_EQ(records.sprites[0].name, "ab");

    sprite.name.assign(ByteWriter::BufferBytes + 1000, 'N');
    {
        FileStream stream(path.c_str(), "wb");
        ByteWriter out(stream);
        MapFormat::writeCount(out, 0);
        MapFormat::writeCount(out, 1);
        MapFormat::writeSprite(out, sprite);
        ASSERT_TRUE(out.finish());
    }
    const std::vector<uint8_t> bytes = readFileBytes(path);
    ASSERT_TRUE(MapFormat::parseWorld(bytes.data(), bytes.size(), &records, &why)) << why;
    ASSERT_EQ(records.sprites.size(), 1u);
    EXPECT_EQ(records.sprites[0].name, sprite.name);
}

// A fault in any field of any block record is named, and the records already
// parsed are left alone.
TEST(MapFormatTest, EachFaultyBlockFieldIsNamed) {
    DynArray<MapBlock> blocks;
    for (int32_t i = 0; i < 5; ++i) {
        MapBlock block;
        block.x = i, block.y = 4 - i, block.z = 2, block.used = true;
        blocks.append(block);
    }
    std::vector<uint8_t> good;
    {
        ByteWriter out(good);
        MapFormat::writeCount(out, 1);
        MapFormat::writeSector(out, 5, Vector3(), blocks);
        MapFormat::writeCount(out, 0);
        ASSERT_TRUE(out.finish());
    }
    struct Fault {
        size_t offset;  // within a block record
        uint8_t value;
        const char* why;
    };
    const Fault faults[] = {
        {0, 5, "a block lies outside its sector"},
        {7, 0x80, "a block lies outside its sector"},
        {8, 9, "a block lies outside its sector"},
        {12 + 15 * 5 + 12, 4, "a block face has a rotation above 3"},
        {12 + 13, 0, "a block face has a texture scale of 0 or -128"},
        {12 + 15 * 3 + 14, 0x80, "a block face has a texture scale of 0 or -128"}};
    for (size_t block = 0; block < 5; block += 2) {
        for (const Fault& fault : faults) {
            std::vector<uint8_t> bytes = good;
            bytes[4 + 20 + block * 102 + fault.offset] = fault.value;
            MapFormat::WorldRecords records;
            records.mapSectionBytes = 77;
            std::string why;
            EXPECT_FALSE(MapFormat::parseWorld(bytes.data(), bytes.size(), &records, &why));
            EXPECT_EQ(why, fault.why) << "block " << block << " offset " << fault.offset;
            EXPECT_EQ(records.mapSectionBytes, 77u);
        }
    }
    // Every other scale byte loads and keeps its value, negative ones mirrored.
    for (const bool alongU : {true, false})
        for (int32_t value = 0; value < 256; ++value) {
            const int8_t scale = static_cast<int8_t>(value);
            if (scale == 0 || scale == -128)
                continue;
            std::vector<uint8_t> bytes = good;
            bytes[4 + 20 + 102 + 12 + (alongU ? 15 * 2 + 13 : 15 * 5 + 14)] =
                static_cast<uint8_t>(value);
            MapFormat::WorldRecords records;
            std::string why;
            ASSERT_TRUE(MapFormat::parseWorld(bytes.data(), bytes.size(), &records, &why))
                << "scale " << int(scale) << ": " << why;
            const FaceMaterial& face = records.sectors[0].blocks[1].faces[alongU ? 2 : 5];
            EXPECT_EQ(alongU ? face.scaleU : face.scaleV, scale);
        }
}

}  // namespace
