#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace {

// The words handed out, checking the null pointer that follows them.
std::vector<std::string> wordsOf(const char* commandLine) {
    splitCommandLine(commandLine);
    int32_t count = -1;
    const char* const* words = nullptr;
    getCommandLineArgs(&count, &words);
    std::vector<std::string> out;
    if (!words)
        return out;
    for (int32_t i = 0; i < count; ++i)
        out.emplace_back(words[i]);
    EXPECT_EQ(words[count], nullptr);
    return out;
}

}  // namespace

TEST(CommandLine, EmptyOrBlankLinesGiveOnlyTheProgramWord) {
    const std::vector<std::string> only = {"Win32App"};
    EXPECT_EQ(wordsOf(""), only);
    EXPECT_EQ(wordsOf(" \t \n "), only);
    EXPECT_EQ(wordsOf(nullptr), only);
    releaseCommandLine();
}

TEST(CommandLine, QuotesAreOrdinaryCharacters) {
    const std::vector<std::string> expected = {"Win32App", "p", "\"q", "r\""};
    EXPECT_EQ(wordsOf("p  \"q r\""), expected);
    releaseCommandLine();
}

TEST(CommandLine, WordsAreSplitAtAnyWhiteSpace) {
    const std::vector<std::string> expected = {"Win32App", "one", "two", "three", "4"};
    EXPECT_EQ(wordsOf("\tone\ntwo   three\v4\r"), expected);
    // Splitting again replaces the earlier words.
    const std::vector<std::string> again = {"Win32App", "x"};
    EXPECT_EQ(wordsOf("x"), again);
}

TEST(CommandLine, ReleasingLeavesNoWords) {
    splitCommandLine("a b");
    releaseCommandLine();
    int32_t count = -1;
    const char* const* words = reinterpret_cast<const char* const*>(&count);
    getCommandLineArgs(&count, &words);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(words, nullptr);
    releaseCommandLine();
}
