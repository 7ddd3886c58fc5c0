#include "app/FramePicture.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

// Sets an environment variable for the length of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name(name) {
        if (const char* old = std::getenv(name))
            previous = old, hadValue = true;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (hadValue)
            setenv(name, previous.c_str(), 1);
        else
            unsetenv(name);
    }

private:
    const char* name;
    std::string previous;
    bool hadValue = false;
};

}  // namespace

TEST(FramePicture, PicturesGoToTheFirstFolderThatExistsUnderAFreeTimeStampedName) {
    ScratchFolder folderForTest("tamo-pictures");
    ASSERT_TRUE(folderForTest.made());
    const fs::path scratch = folderForTest.path();
    fs::create_directories(scratch / "home" / "Pictures");
    fs::create_directories(scratch / "xdg");
    {
        ScopedEnv home("HOME", (scratch / "home").c_str());
        ScopedEnv xdg("XDG_PICTURES_DIR", (scratch / "xdg").c_str());
        EXPECT_EQ(FramePicture::folder(), (scratch / "xdg").string());
        ScopedEnv missing("XDG_PICTURES_DIR", (scratch / "gone").c_str());
        EXPECT_EQ(FramePicture::folder(), (scratch / "home" / "Pictures").string());
        ScopedEnv unset("XDG_PICTURES_DIR", nullptr);
        ScopedEnv noPictures("HOME", (scratch / "xdg").c_str());
        EXPECT_EQ(FramePicture::folder(), ".");
    }
    {
        ScopedEnv utc("TZ", "UTC");
        tzset();
        EXPECT_EQ(FramePicture::nameFor(1704164645), "tamotown-20240102-030405.png");
    }
    tzset();

    // A name already taken gets a number; nothing is overwritten.
    const std::string folder = (scratch / "xdg").string();
    const std::string name = "tamotown-20240102-030405.png";
    EXPECT_EQ(FramePicture::freePath(folder, name), folder + "/" + name);
    std::ofstream(folder + "/" + name) << "first";
    EXPECT_EQ(FramePicture::freePath(folder, name), folder + "/tamotown-20240102-030405-2.png");
    std::ofstream(folder + "/tamotown-20240102-030405-2.png") << "second";
    EXPECT_EQ(FramePicture::freePath(folder, name), folder + "/tamotown-20240102-030405-3.png");

    // Saving writes a PNG there; a folder that cannot take it says so.
    const std::vector<uint8_t> rgb(4 * 3 * 3, 200);
    std::string path;
    {
        ScopedEnv xdg("XDG_PICTURES_DIR", folder.c_str());
        ASSERT_TRUE(FramePicture::save(rgb.data(), 4, 3, std::time(nullptr), &path));
    }
    EXPECT_EQ(path.rfind(folder + "/tamotown-", 0), 0u) << path;
    std::ifstream written(path, std::ios::binary);
    std::string signature(8, '\0');
    written.read(&signature[0], 8);
    EXPECT_EQ(signature, "\x89PNG\r\n\x1a\n");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    if (access(folder.c_str(), W_OK) != 0) {  // root may write anyway
        ScopedEnv xdg("XDG_PICTURES_DIR", folder.c_str());
        EXPECT_FALSE(FramePicture::save(rgb.data(), 4, 3, std::time(nullptr), &path));
    }
    fs::permissions(folder, fs::perms::owner_all);
}
