#include "app/FirstStartMarker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/UserFolder.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace {

void setOrUnset(const char* name, const char* value) {
    value ? setenv(name, value, 1) : unsetenv(name);
}

// The data folder follows XDG_DATA_HOME (absolute only), else HOME; the
// marker is absent until written, written atomically (folders made), and a
// write that cannot happen says why and leaves nothing behind.
TEST(FirstStartMarker, FollowsTheDataFolderAndIsWrittenOnce) {
    ScratchFolder folder("tamo_first_start");
    ASSERT_TRUE(folder.made());
    const std::string root = folder.path();
    const char* keptData = std::getenv("XDG_DATA_HOME");
    const char* keptHome = std::getenv("HOME");
    const std::string data = keptData ? keptData : "", home = keptHome ? keptHome : "";

    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("HOME", (root + "/home").c_str(), 1);
    EXPECT_EQ(UserFolder::data(), root + "/data/tamotown");
    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(UserFolder::data(), root + "/home/.local/share/tamotown");
    const FirstStartMarker marker = FirstStartMarker::standard();
    EXPECT_EQ(marker.path(), root + "/home/.local/share/tamotown/started-before");
    EXPECT_FALSE(marker.present());
    std::string why;
    ASSERT_TRUE(marker.write(&why)) << why;
    EXPECT_TRUE(marker.present());

    // Below a regular file no folder can be made.
    writeFileBytes(root + "/file", {1});
    const FirstStartMarker blocked(root + "/file/tamotown/started-before");
    EXPECT_FALSE(blocked.write(&why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(blocked.present());
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    EXPECT_FALSE(FirstStartMarker::standard().present());
    EXPECT_FALSE(FirstStartMarker::standard().write(&why));

    setOrUnset("XDG_DATA_HOME", keptData ? data.c_str() : nullptr);
    setOrUnset("HOME", keptHome ? home.c_str() : nullptr);
}

}  // namespace
