#include "app/FileCaption.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

namespace {

// Random details as they come: words, long paths without blanks, or both.
std::string randomText(std::mt19937& random) {
    std::string text;
    const int parts = 1 + static_cast<int>(random() % 12);
    for (int i = 0; i < parts; ++i) {
        if (i > 0)
            text += random() % 3 == 0 ? "/" : " ";
        const int length = 1 + static_cast<int>(random() % (random() % 4 == 0 ? 60 : 12));
        for (int c = 0; c < length; ++c)
            text += static_cast<char>('a' + random() % 26);
    }
    return text;
}

}  // namespace

// A detail fits the screen: at most two lines of DetailCharacters, broken at
// a blank; it keeps its start and its end (the cause) and, when it fits on
// one line, all of it.
TEST(FileCaption, DetailsFitTwoLinesAndKeepTheirStartAndEnd) {
    std::mt19937 random(5);
    for (int round = 0; round < 2000; ++round) {
        const std::string text = randomText(random);
        const std::string shown = FileCaption::fitted(text);
        if (text.size() <= FileCaption::DetailCharacters) {
            EXPECT_EQ(shown, text);
            continue;
        }
        std::istringstream lines(shown);
        int count = 0;
        std::string joined;
        for (std::string line; std::getline(lines, line); ++count) {
            EXPECT_LE(line.size(), FileCaption::DetailCharacters) << shown;
            EXPECT_FALSE(line.empty()) << shown;
            joined += (count > 0 ? " " : "") + line;
        }
        EXPECT_LE(count, 2) << shown;
        const size_t ends = 10;
        EXPECT_EQ(joined.substr(0, ends), text.substr(0, ends)) << text << "\n" << shown;
        EXPECT_EQ(joined.substr(joined.size() - ends), text.substr(text.size() - ends))
            << text << "\n"
            << shown;
        // Only what did not fit is left out.
        if (joined.size() == text.size())
            EXPECT_EQ(joined, text);
        else
            EXPECT_NE(joined.find("..."), std::string::npos) << shown;
    }
}

TEST(FileCaption, APictureUnderTheHomeFolderShowsItAsTilde) {
    const char* home = std::getenv("HOME");
    const std::string kept = home != nullptr ? home : "";
    setenv("HOME", "/home/ada/", 1);
    EXPECT_EQ(FileCaption::pictureSaved("/home/ada/Pictures/t.png").detail, "~/Pictures/t.png");
    EXPECT_EQ(FileCaption::pictureSaved("/home/adam/t.png").detail, "/home/adam/t.png");
    home != nullptr ? setenv("HOME", kept.c_str(), 1) : unsetenv("HOME");
}
