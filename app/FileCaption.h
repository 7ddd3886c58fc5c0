#pragma once
#include <cstdint>
#include <string>

// The caption after a file command: what happened on the first line; the
// file and, after a failure, its cause in plain words on the second, short
// enough to fit across the screen.
struct FileCaption {
    // Long enough to read a cause of a few words.
    static constexpr uint32_t FailureMilliseconds = 4000;
    static constexpr uint32_t SuccessMilliseconds = 2000;
    // Characters of the second line that fit across 640 pixels at half size.
    static constexpr size_t DetailCharacters = 68;

    std::string text;
    std::string detail;
    uint32_t milliseconds = SuccessMilliseconds;

    // "LOAD FAILED" / "SAVE FAILED" with "<file name>: <why>".
    static FileCaption loadFailed(const std::string& path, const std::string& why);
    static FileCaption saveFailed(const std::string& path, const std::string& why);
    // "SAVED" with the file name.
    static FileCaption saved(const std::string& path);
    // After saving or loading the world: one of the above, or none (which
    // clears the caption) after a load that worked.
    static FileCaption afterMapFile(bool saving, bool done, const std::string& path,
                                    const std::string& why);
    // "SAVED" with the folder and the name (the home folder as "~"), so that
    // the picture can be found.
    static FileCaption pictureSaved(const std::string& path);
    // "LOAD FAILED" with "autosave kept as <name>: <why>": the autosave
    // that could not be recovered was set aside under that name.
    static FileCaption autosaveSetAside(const std::string& keptAsAndWhy);

    // text as at most two lines of DetailCharacters, broken at a blank; what
    // is still too long loses its middle to "...", so that both the start of
    // a path and the cause at its end stay.
    static std::string fitted(const std::string& text);
    // The last part of a path.
    static std::string fileName(const std::string& path);
};
