#include "media/Archive.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace {

// Each test works in its own folder, since member names are relative paths.
class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.enter());
        clearArchiveEntries();
        setArchiveFile("TamoData.arc");
    }
    void TearDown() override { clearArchiveEntries(); }

    // Bytes 0, 1, 2, ... (mod 251) so that every offset shows in the content.
    static std::vector<uint8_t> counting(size_t size) {
        std::vector<uint8_t> bytes(size);
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<uint8_t>(i % 251);
        return bytes;
    }

    static std::vector<uint8_t> loaded(const char* name, int32_t size) {
        uint8_t* buffer = loadArchiveEntry(name);
        if (!buffer)
            return {};
        std::vector<uint8_t> bytes(buffer, buffer + size);
        delete[] buffer;
        return bytes;
    }

    static std::vector<uint8_t> slice(const std::vector<uint8_t>& all, size_t from, size_t size) {
        return std::vector<uint8_t>(all.begin() + from, all.begin() + from + size);
    }

    ScratchFolder scratch{"tamo_archive"};
};

}  // namespace

TEST_F(ArchiveTest, MembersLieAtTheSumOfEarlierSizes) {
    addArchiveEntry("Media\\Block0_8.raw", 192);
    addArchiveEntry("Media\\Block1_16.raw", 768);
    addArchiveEntry("Media\\Font16x16_256128.raw", 98304);
    addArchiveEntry("Media\\Sky51232.raw", 49152);
    addArchiveEntry("Media\\Sprites512.raw", 786432);
    addArchiveEntry("Media\\InterfaceSprites512256.raw", 393216);
    const std::vector<uint8_t> all = counting(1328064);
    writeFileBytes("TamoData.arc", all);

    EXPECT_EQ(loaded("Media\\InterfaceSprites512256.raw", 393216), slice(all, 934848, 393216));
    EXPECT_TRUE(lastArchiveLoadError().empty());
    EXPECT_EQ(loaded("Media\\Sky51232.raw", 49152), slice(all, 99264, 49152));
    EXPECT_EQ(loaded("Media\\Block1_16.raw", 768), slice(all, 192, 768));
    EXPECT_EQ(loaded("Media\\Block0_8.raw", 192), slice(all, 0, 192));
    EXPECT_EQ(archiveEntrySize("media\\sprites512.raw"), 786432);
    EXPECT_EQ(archiveEntrySize("Media\\Nothing.raw"), -1);
}

TEST_F(ArchiveTest, LookupIgnoresCaseAndTheFirstDuplicateWins) {
    addArchiveEntry("Media\\Block0_8.raw", 4);
    addArchiveEntry("Media\\Dup.raw", 3);
    addArchiveEntry("MEDIA\\DUP.RAW", 5);
    addArchiveEntry("Media\\Last.raw", 2);
    writeFileBytes("TamoData.arc", counting(14));

    EXPECT_EQ(loaded("media\\block0_8.raw", 4), (std::vector<uint8_t>{0, 1, 2, 3}));
    EXPECT_EQ(loaded("media\\dup.raw", 3), (std::vector<uint8_t>{4, 5, 6}));
    EXPECT_EQ(archiveEntrySize("Media\\DUP.raw"), 3);
    // Both declarations of the duplicate count towards the last member's offset.
    EXPECT_EQ(loaded("Media\\Last.raw", 2), (std::vector<uint8_t>{12, 13}));
    // A prefix or a longer name is a different name.
    EXPECT_EQ(loadArchiveEntry("Media\\Block0_8"), nullptr);
    EXPECT_EQ(loadArchiveEntry("Media\\Block0_8.raw2"), nullptr);
}

TEST_F(ArchiveTest, UndeclaredNamesGiveNullWithoutTouchingTheFile) {
    EXPECT_EQ(loadArchiveEntry("Media\\Block0_8.raw"), nullptr);  // empty registry
    EXPECT_EQ(loadArchiveEntry(nullptr), nullptr);
    addArchiveEntry("Media\\Block0_8.raw", 8);
    // No archive file exists at all; an undeclared name still just gives null.
    EXPECT_EQ(loadArchiveEntry("Media\\Other.raw"), nullptr);
    EXPECT_FALSE(lastArchiveLoadError().empty());
    EXPECT_FALSE(addArchiveEntry(nullptr, 4));
    EXPECT_FALSE(addArchiveEntry("Media\\Negative.raw", -1));
    EXPECT_EQ(archiveEntrySize("Media\\Negative.raw"), -1);
}

TEST_F(ArchiveTest, MissingOrShortArchiveZeroFillsAndIsReported) {
    addArchiveEntry("Media\\A.raw", 6);
    addArchiveEntry("Media\\B.raw", 6);
    addArchiveEntry("Media\\Empty.raw", 0);

    // No archive: a full-size buffer of zeros, and a message naming the archive.
    EXPECT_EQ(loaded("Media\\B.raw", 6), std::vector<uint8_t>(6, 0));
    EXPECT_NE(lastArchiveLoadError().find("TamoData.arc"), std::string::npos);

    // The archive ends inside member B: its readable part, then zeros.
    writeFileBytes("TamoData.arc", {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(loaded("Media\\B.raw", 6), (std::vector<uint8_t>{7, 8, 0, 0, 0, 0}));
    EXPECT_NE(lastArchiveLoadError().find("Media\\B.raw"), std::string::npos);
    EXPECT_EQ(loaded("Media\\A.raw", 6), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(lastArchiveLoadError().empty());

    // The archive ends before member B starts.
    writeFileBytes("TamoData.arc", {9, 9, 9});
    EXPECT_EQ(loaded("Media\\B.raw", 6), std::vector<uint8_t>(6, 0));
    EXPECT_FALSE(lastArchiveLoadError().empty());

    // A member of size 0 still gives a buffer to release.
    uint8_t* empty = loadArchiveEntry("Media\\Empty.raw");
    EXPECT_NE(empty, nullptr);
    delete[] empty;
}

TEST_F(ArchiveTest, BuildLaysMembersEndToEndAndKeepsSlotsOfMissingFiles) {
    ASSERT_EQ(mkdir("Media", 0700), 0);
    writeFileBytes("Media/One.raw", {1, 1, 1});
    writeFileBytes("Media/Three.raw", {3, 3, 3, 3, 3, 3});  // longer than declared: only 4 taken
    writeFileBytes("Media/Short.raw", {5});
    addArchiveEntry("Media\\One.raw", 3);
    addArchiveEntry("Media\\Two.raw", 2);  // no loose file
    addArchiveEntry("Media\\Three.raw", 4);
    addArchiveEntry("Media\\Short.raw", 3);

    EXPECT_FALSE(buildArchive());  // incomplete members are reported
    const std::vector<uint8_t> expected{1, 1, 1, 0, 0, 3, 3, 3, 3, 5, 0, 0};
    EXPECT_EQ(readFileBytes("TamoData.arc"), expected);
    EXPECT_EQ(loaded("media\\three.raw", 4), (std::vector<uint8_t>{3, 3, 3, 3}));

    writeFileBytes("Media/Two.raw", {2, 2});
    writeFileBytes("Media/Short.raw", {5, 5, 5});
    EXPECT_TRUE(buildArchive());
    EXPECT_EQ(readFileBytes("TamoData.arc"),
              (std::vector<uint8_t>{1, 1, 1, 2, 2, 3, 3, 3, 3, 5, 5, 5}));
}

TEST_F(ArchiveTest, BuildIntoUnwritablePlaceFailsAndLeavesOldArchive) {
    writeFileBytes("TamoData.arc", {42});
    setArchiveFile("no-such-folder/TamoData.arc");
    addArchiveEntry("Media\\One.raw", 1);
    EXPECT_FALSE(buildArchive());
    setArchiveFile("TamoData.arc");
    EXPECT_EQ(readFileBytes("TamoData.arc"), (std::vector<uint8_t>{42}));
}
