#include "world/CityPictureFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/ScratchFolder.h"
#include "media/PictureDecoder.h"
#include "support/TestPictures.h"

namespace fs = std::filesystem;

namespace {

CityPictures::Bytes bytesOf(const Picture& picture) {
    return std::make_shared<const std::vector<uint8_t>>(TestPictures::png(picture));
}

TEST(CityPictureFolderTest, PicturesGoBesideTheMapComeBackAndStaleOnesGoOnlyWhenAsked) {
    EXPECT_EQ(CityPictureFolder::folderOf("a/town.map"), "a/town.textures");
    EXPECT_EQ(CityPictureFolder::folderOf("town.MAP"), "town.textures");
    EXPECT_EQ(CityPictureFolder::folderOf("town"), "town.textures");
    ScratchFolder folder;
    const std::string map = folder.path("town.map");
    CityPictures pictures;
    pictures.put(250, bytesOf(TestPictures::random(16, 8, 1, false)));
    pictures.put(260, bytesOf(TestPictures::filled(4, 4, 1, 2, 3)));
    std::string why;
    ASSERT_TRUE(CityPictureFolder::write(map, pictures, &why)) << why;
    const std::string textures = folder.path("town.textures");
    TestPictures::writeFile(textures + "/270.png", {1, 2, 3});
    TestPictures::writeFile(textures + "/280.png",
                            TestPictures::png(TestPictures::filled(300, 200, 5, 5, 5)));
    TestPictures::writeFile(textures + "/notes.txt", {'h', 'i'});
    TestPictures::writeFile(textures + "/0250.png", {1});

    std::vector<std::string> failures;
    const std::vector<CityPictureFolder::Loaded> loaded = CityPictureFolder::read(map, &failures);
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(loaded[0].id, 250);
    EXPECT_EQ(*loaded[0].png, *pictures.find(250)->png);  // at texture size: as written
    EXPECT_EQ(loaded[1].id, 260);
    EXPECT_EQ(loaded[2].id, 280);
    EXPECT_EQ(loaded[2].picture.width, 256);  // resized, and its bytes those of the resized one
    Picture again;
    ASSERT_TRUE(PictureDecoder::decode(loaded[2].png->data(), loaded[2].png->size(),
                                       PictureDecoder::Limits(), &again, &why));
    EXPECT_EQ(again.width, 256);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].rfind("270.png: ", 0), 0u) << failures[0];

    CityPictureFolder::prune(map, {250, 270});
    EXPECT_TRUE(fs::exists(textures + "/250.png"));
    EXPECT_TRUE(fs::exists(textures + "/270.png"));  // used: kept even when damaged
    EXPECT_FALSE(fs::exists(textures + "/260.png"));
    EXPECT_FALSE(fs::exists(textures + "/280.png"));
    EXPECT_TRUE(fs::exists(textures + "/notes.txt"));

    // A picture folder that cannot be made fails the write, naming why.
    TestPictures::writeFile(folder.path("blocked.textures"), {0});
    EXPECT_FALSE(CityPictureFolder::write(folder.path("blocked.map"), pictures, &why));
    EXPECT_NE(why.find("blocked.textures"), std::string::npos) << why;
}

}  // namespace
