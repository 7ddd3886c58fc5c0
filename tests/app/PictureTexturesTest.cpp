#include "app/PictureTextures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "app/TextureShelf.h"
#include "support/ScratchFolder.h"
#include "support/TestPictures.h"
#include "world/CityPictureFolder.h"

namespace fs = std::filesystem;

namespace {

// A media folder's Textures/ and a user's own folder, and the pictures a
// shelf hands on.
class PictureTexturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.made());
        fs::create_directories(media());
        fs::create_directories(user());
    }
    std::string media() const { return folder.path("media/Textures"); }
    std::string user() const { return folder.path("data/tamotown/Textures"); }

    ScratchFolder folder;
    std::map<int32_t, Picture> made;
    int32_t sinkCalls = 0;
    TextureShelf shelf{[this](int32_t id, const Picture& picture) {
        made[id] = picture;
        ++sinkCalls;
    }};
};

TEST_F(PictureTexturesTest, NamesGiveTextureNumbersAndTheUserFolderFollowsTheEnvironment) {
    int32_t id = 0;
    EXPECT_TRUE(PictureTextures::parseName("150_brick.png", &id));
    EXPECT_EQ(id, 250);
    EXPECT_TRUE(PictureTextures::parseName("7.JPEG", &id));
    EXPECT_EQ(id, 107);
    for (const char* refused :
         {"brick.png", "150_brick.gif", "150.png.txt", "99999999999.png", ".png"})
        EXPECT_FALSE(PictureTextures::parseName(refused, &id)) << refused;
    const char* data = std::getenv("XDG_DATA_HOME");
    const std::string kept = data ? data : "";
    setenv("XDG_DATA_HOME", "/somewhere", 1);
    EXPECT_EQ(PictureTextures::userFolder(), "/somewhere/tamotown/Textures");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/ann", 1);
    EXPECT_EQ(PictureTextures::userFolder(), "/home/ann/.local/share/tamotown/Textures");
    if (data)
        setenv("XDG_DATA_HOME", kept.c_str(), 1);
}

TEST_F(PictureTexturesTest, PicturesLoadFirstFoundWinsAndBadOnesAreNamedAndSkipped) {
    TestPictures::writeFile(media() + "/20_stone.png",
                            TestPictures::png(TestPictures::filled(64, 64, 9, 9, 9)));
    TestPictures::writeFile(user() + "/150_brick.png",
                            TestPictures::png(TestPictures::random(300, 200, 1, false)));
    TestPictures::writeFile(user() + "/150_other.jpg",
                            TestPictures::jpeg(TestPictures::filled(8, 8, 1, 2, 3)));
    TestPictures::writeFile(user() + "/20_mine.png",
                            TestPictures::png(TestPictures::filled(8, 8, 1, 1, 1)));
    TestPictures::writeFile(user() + "/5_raw.png",
                            TestPictures::png(TestPictures::filled(8, 8, 1, 1, 1)));
    TestPictures::writeFile(user() + "/31_photo.jpg",
                            TestPictures::jpeg(TestPictures::filled(1500, 700, 90, 80, 70)));
    TestPictures::writeFile(user() + "/32_broken.png",
                            {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0});
    TestPictures::writeFile(user() + "/33_huge.png", TestPictures::pngClaiming(100000, 100000));
    TestPictures::writeFile(user() + "/unnumbered.png",
                            TestPictures::png(TestPictures::filled(2, 2, 1, 1, 1)));
    shelf.setRawTextures({{105, "Textures/5_64_64.raw"}});

    const TextureShelf::Report report = shelf.loadFolders(media(), user());
    EXPECT_EQ(report.loaded, 3);
    ASSERT_EQ(made.count(250), 1u);
    EXPECT_EQ(made[250].width, 256);  // 300 x 200 at powers of two
    EXPECT_EQ(made[250].height, 256);
    EXPECT_FALSE(made[250].opaque());
    EXPECT_EQ(made[120].rgba[0], 9);  // the media's picture, not the user's
    EXPECT_EQ(made[131].width, 1024);
    EXPECT_EQ(made[131].height, 512);
    EXPECT_EQ(made.count(105), 0u);  // the raw file keeps its number
    EXPECT_TRUE(shelf.isOwnMedia(120));
    EXPECT_FALSE(shelf.isOwnMedia(250));
    std::string said;
    for (const TextureShelf::Problem& problem : report.problems)
        said += problem.caption + ": " + problem.detail + "\n";
    for (const char* named : {"150_other.jpg skipped", "150_brick.png kept", "20_mine.png skipped",
                              "5_raw.png skipped, Textures/5_64_64.raw kept", "32_broken.png: ",
                              "33_huge.png: the picture is too large", "unnumbered.png: "})
        EXPECT_NE(said.find(named), std::string::npos) << named << " in\n" << said;
    EXPECT_EQ(report.problems.size(), 6u) << said;
}

TEST_F(PictureTexturesTest, ReloadReplacesChangedPicturesKeepsVanishedOnesAndCitiesComeAfter) {
    const std::string brick = user() + "/150_brick.png";
    TestPictures::writeFile(brick, TestPictures::png(TestPictures::filled(4, 4, 10, 10, 10)));
    shelf.loadFolders(media(), user());
    EXPECT_EQ(shelf.loadFolders(media(), user()).loaded, 0);  // unchanged: not read again
    EXPECT_EQ(sinkCalls, 1);
    TestPictures::writeFile(brick, TestPictures::png(TestPictures::filled(8, 8, 20, 20, 20)));
    fs::last_write_time(brick, fs::last_write_time(brick) + std::chrono::seconds(2));
    EXPECT_EQ(shelf.loadFolders(media(), user()).loaded, 1);
    EXPECT_EQ(made[250].rgba[0], 20);
    fs::remove(brick);
    shelf.loadFolders(media(), user());
    EXPECT_EQ(made[250].rgba[0], 20);  // still shown, still saved with a city

    // A city's pictures fill the textures that have none; the user's stay.
    CityPictures carried;
    carried.put(250, std::make_shared<std::vector<uint8_t>>(
                         TestPictures::png(TestPictures::filled(2, 2, 99, 0, 0))));
    carried.put(260, std::make_shared<std::vector<uint8_t>>(
                         TestPictures::png(TestPictures::filled(2, 2, 77, 0, 0))));
    carried.put(101, std::make_shared<std::vector<uint8_t>>(
                         TestPictures::png(TestPictures::filled(2, 2, 66, 0, 0))));
    carried.put(5, carried.find(101)->png);  // the sheet's texture: never a city's
    std::string why;
    ASSERT_TRUE(CityPictureFolder::write(folder.path("town.map"), carried, &why)) << why;
    shelf.setRawTextures({{101, "Textures/1_64_64.raw"}});
    const TextureShelf::Report report = shelf.loadCity(folder.path("town.map"));
    EXPECT_EQ(report.loaded, 1);
    EXPECT_EQ(made[260].rgba[0], 77);
    EXPECT_EQ(made[250].rgba[0], 20);
    EXPECT_EQ(made.count(101) + made.count(5), 0u);
    EXPECT_EQ(report.problems.size(), 3u);
    EXPECT_FALSE(shelf.putShared(5, carried.find(101)->png, made[260]));
    EXPECT_EQ(made.count(5), 0u);
    // What a save writes: the pictures of the textures the city uses.
    const CityPictures saved = shelf.cityPictures({101, 250, 260, 300});
    EXPECT_EQ(saved.entries().size(), 2u);
    EXPECT_EQ(*saved.find(260)->png, *carried.find(260)->png);
}

}  // namespace
