#include "platform/PathName.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "support/ScratchFolder.h"

TEST(PathName, BackslashesBecomeSlashesAndOtherCharactersStay) {
    EXPECT_EQ(nativePath("Textures\\1_64_64.raw"), "Textures/1_64_64.raw");
    EXPECT_EQ(nativePath("Media\\Sub\\Block0_8.raw"), "Media/Sub/Block0_8.raw");
    EXPECT_EQ(nativePath("/tmp/a b/c.map"), "/tmp/a b/c.map");
    EXPECT_EQ(nativePath(""), "");
    EXPECT_EQ(nativePath(nullptr), "");
}

TEST(PathName, FolderOfPathKeepsEverythingBeforeTheLastSlash) {
    EXPECT_EQ(folderOfPath("/tmp/a b/c.map"), "/tmp/a b");
    EXPECT_EQ(folderOfPath("Media/Sub/x.raw"), "Media/Sub");
    EXPECT_EQ(folderOfPath("/c.map"), "/");
    EXPECT_EQ(folderOfPath("c.map"), ".");
    EXPECT_EQ(folderOfPath(""), ".");
    EXPECT_EQ(folderOfPath("/tmp/dir/"), "/tmp/dir");
}

TEST(PathName, OpenFileFindsBackslashNamedFileAndRejectsBadArguments) {
    const ScratchFolder scratch("tamo_path");
    ASSERT_TRUE(scratch.made());
    const std::string& dir = scratch.path();
    ASSERT_EQ(mkdir((dir + "/Media").c_str(), 0700), 0);
    FILE* made = std::fopen((dir + "/Media/x.raw").c_str(), "wb");
    ASSERT_NE(made, nullptr);
    std::fputs("abc", made);
    std::fclose(made);

    const std::string backslashed = dir + "\\Media\\x.raw";
    FILE* opened = openFile(backslashed.c_str(), "rb");
    ASSERT_NE(opened, nullptr);
    char text[4] = {};
    EXPECT_EQ(std::fread(text, 1, 3, opened), 3u);
    EXPECT_STREQ(text, "abc");
    std::fclose(opened);

    EXPECT_EQ(openFile(nullptr, "rb"), nullptr);
    EXPECT_EQ(openFile(backslashed.c_str(), nullptr), nullptr);
    EXPECT_EQ(openFile("", "rb"), nullptr);
    EXPECT_EQ(openFile((dir + "\\Media\\missing.raw").c_str(), "rb"), nullptr);
}

// Only regular files open: a pipe nobody writes to is refused at once
// instead of blocking for ever, a folder is named as one, for reading and
// writing alike.
TEST(PathName, OpenFileRefusesFoldersPipesAndDevicesWithoutWaiting) {
    const ScratchFolder scratch("tamo_path");
    ASSERT_TRUE(scratch.made());
    const std::string pipe = scratch.path("pipe.map");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const char* mode : {"rb", "wb", "r+b"}) {
        std::string why;
        EXPECT_EQ(openFile(pipe.c_str(), mode, &why), nullptr) << mode;
        EXPECT_EQ(why, "it is not a regular file") << mode;
        EXPECT_EQ(openFile(scratch.path().c_str(), mode, &why), nullptr) << mode;
        EXPECT_EQ(why, "it is a folder") << mode;
        EXPECT_EQ(openFile("/dev/null", mode, &why), nullptr) << mode;
        EXPECT_EQ(why, "it is not a regular file") << mode;
    }
    std::string why;
    EXPECT_EQ(openFile(scratch.path("missing.map").c_str(), "rb", &why), nullptr);
    EXPECT_EQ(why, std::strerror(ENOENT));
}
