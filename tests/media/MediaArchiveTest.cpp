#include "media/MediaArchive.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "media/Archive.h"
#include "support/ScratchFolder.h"

namespace {

struct Member {
    const char* name;
    int32_t size;
};

const Member ExpectedMembers[] = {
    {"Media\\Block0_8.raw", 192},           {"Media\\Block1_16.raw", 768},
    {"Media\\Font16x16_256128.raw", 98304}, {"Media\\Sky51232.raw", 49152},
    {"Media\\Sprites512.raw", 786432},      {"Media\\InterfaceSprites512256.raw", 393216},
};

}  // namespace

// The members are declared with their sizes and in their archive order: an
// archive whose member i is filled with byte i + 1 gives each member back.
TEST(MediaArchive, ArchiveHoldsTheSixMembersInOrder) {
    ScratchFolder scratch("tamo_media_archive");
    ASSERT_TRUE(scratch.enter());
    {
        std::ofstream archive("TamoData.arc", std::ios::binary);
        for (size_t i = 0; i < std::size(ExpectedMembers); ++i)
            archive << std::string(static_cast<size_t>(ExpectedMembers[i].size),
                                   static_cast<char>(i + 1));
    }
    clearArchiveEntries();
    declareMediaArchive();
    for (size_t i = 0; i < std::size(ExpectedMembers); ++i) {
        const Member& member = ExpectedMembers[i];
        EXPECT_EQ(archiveEntrySize(member.name), member.size) << member.name;
        uint8_t* bytes = loadArchiveEntry(member.name);
        ASSERT_NE(bytes, nullptr) << member.name;
        EXPECT_EQ(bytes[0], i + 1) << member.name;
        EXPECT_EQ(bytes[member.size - 1], i + 1) << member.name;
        delete[] bytes;
    }
    EXPECT_EQ(archiveEntrySize("Media\\Other.raw"), -1);
    clearArchiveEntries();
}
