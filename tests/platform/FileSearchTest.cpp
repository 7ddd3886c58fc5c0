#include "platform/FileSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "support/ScratchFolder.h"

namespace {

class FileSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.made());
        dir = scratch.path();
    }

    void touch(const std::string& name) const {
        FILE* f = std::fopen((dir + "/" + name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }

    // Runs findFiles and returns the names in sorted order, checking the list's shape.
    std::vector<std::string> search(const std::string& pattern, bool* ok) const {
        char** list = reinterpret_cast<char**>(0x1);  // must be overwritten
        *ok = findFiles(&list, pattern.c_str());
        std::vector<std::string> names;
        if (list) {
            for (char** name = list; *name; ++name) {
                EXPECT_EQ(std::string(*name).find('/'), std::string::npos) << *name;
                names.push_back(*name);
            }
            EXPECT_FALSE(names.empty()) << "a list is only returned when something matched";
        }
        freeFileList(list);
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchFolder scratch{"tamo_search"};
    std::string dir;
};

}  // namespace

TEST_F(FileSearchTest, NoMatchAndMissingFolderGiveTrueAndNullList) {
    touch("readme.txt");
    bool ok = false;
    EXPECT_TRUE(search(dir + "/*.raw", &ok).empty());
    EXPECT_TRUE(ok);
    EXPECT_TRUE(search(dir + "/nothere/*.raw", &ok).empty());
    EXPECT_TRUE(ok);
    EXPECT_TRUE(search("", &ok).empty());
    EXPECT_TRUE(ok);
    EXPECT_FALSE(findFiles(nullptr, "*.raw"));
}

TEST_F(FileSearchTest, ThreeMatchesGiveThreeNamesOnly) {
    touch("1_64_64.raw");
    touch("2_32_32.raw");
    touch("3_8_8.RAW");
    touch("notes.txt");
    touch("raw");
    touch(".hidden.raw");
    ASSERT_EQ(mkdir((dir + "/folder.raw").c_str(), 0700), 0);

    // Backslash separators as the program writes them.
    std::string pattern = dir + "\\*.raw";
    bool ok = false;
    const std::vector<std::string> names = search(pattern, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(names, (std::vector<std::string>{"1_64_64.raw", "2_32_32.raw", "3_8_8.RAW"}));

    EXPECT_EQ(search(dir + "/?_*_*.raw", &ok).size(), 3u);
    EXPECT_EQ(search(dir + "/2_*", &ok), std::vector<std::string>{"2_32_32.raw"});
}

TEST_F(FileSearchTest, RelativePatternSearchesWorkingFolder) {
    touch("a.map");
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    bool ok = false;
    const std::vector<std::string> names = search("*.map", &ok);
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_TRUE(ok);
    EXPECT_EQ(names, std::vector<std::string>{"a.map"});
}

TEST_F(FileSearchTest, UnreadableFolderIsAFailure) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    ASSERT_EQ(mkdir((dir + "/locked").c_str(), 0000), 0);
    bool ok = true;
    EXPECT_TRUE(search(dir + "/locked/*.raw", &ok).empty());
    EXPECT_FALSE(ok);
    chmod((dir + "/locked").c_str(), 0700);
}
