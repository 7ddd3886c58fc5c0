#include "app/CommandLine.h"

#include <cctype>
#include <string>
#include <vector>

namespace {

const char* const ProgramWord = "Win32App";

// The words' own text and the array handed out (ending in a null pointer).
std::vector<std::string> wordText;
std::vector<const char*> wordArray;

bool isBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

void splitCommandLine(const char* commandLine) {
    releaseCommandLine();
    const char* p = commandLine ? commandLine : "";
    while (*p) {
        while (*p && isBlank(*p))
            ++p;
        const char* start = p;
        while (*p && !isBlank(*p))
            ++p;
        if (p > start)
            wordText.emplace_back(start, p);
    }
    wordArray.push_back(ProgramWord);
    for (const std::string& word : wordText)
        wordArray.push_back(word.c_str());
    wordArray.push_back(nullptr);
}

void releaseCommandLine() {
    std::vector<const char*>().swap(wordArray);
    std::vector<std::string>().swap(wordText);
}

void getCommandLineArgs(int32_t* count, const char* const** words) {
    if (count)
        *count = wordArray.empty() ? 0 : static_cast<int32_t>(wordArray.size()) - 1;
    if (words)
        *words = wordArray.empty() ? nullptr : wordArray.data();
}
