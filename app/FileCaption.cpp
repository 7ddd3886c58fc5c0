#include "app/FileCaption.h"

#include <cstdlib>

namespace {

FileCaption failure(const char* text, const std::string& detail) {
    FileCaption caption;
    caption.text = text;
    caption.detail = FileCaption::fitted(detail);
    caption.milliseconds = FileCaption::FailureMilliseconds;
    return caption;
}

// path with the home folder written as "~".
std::string shortHome(const std::string& path) {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0')
        return path;
    std::string folder(home);
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder != "/" && path.compare(0, folder.size(), folder) == 0 &&
        path.size() > folder.size() && path[folder.size()] == '/')
        return "~" + path.substr(folder.size());
    return path;
}

// text cut to the detail's width: the middle gives way to "...", so that
// both the start of a path and the cause at its end stay.
std::string cutMiddle(const std::string& text) {
    if (text.size() <= FileCaption::DetailCharacters)
        return text;
    const std::string gap = "...";
    const size_t kept = FileCaption::DetailCharacters - gap.size();
    const size_t head = kept / 3;
    return text.substr(0, head) + gap + text.substr(text.size() - (kept - head));
}

}  // namespace

FileCaption FileCaption::loadFailed(const std::string& path, const std::string& why) {
    return failure("LOAD FAILED", fileName(path) + ": " + why);
}

FileCaption FileCaption::saveFailed(const std::string& path, const std::string& why) {
    return failure("SAVE FAILED", fileName(path) + ": " + why);
}

FileCaption FileCaption::saved(const std::string& path) {
    FileCaption caption;
    caption.text = "SAVED";
    caption.detail = fitted(fileName(path));
    return caption;
}

FileCaption FileCaption::afterMapFile(bool saving, bool done, const std::string& path,
                                      const std::string& why) {
    if (done)
        return saving ? saved(path) : FileCaption();
    return saving ? saveFailed(path, why) : loadFailed(path, why);
}

FileCaption FileCaption::pictureSaved(const std::string& path) {
    FileCaption caption;
    caption.text = "SAVED";
    caption.detail = fitted(shortHome(path));
    return caption;
}

FileCaption FileCaption::autosaveSetAside(const std::string& keptAsAndWhy) {
    return failure("LOAD FAILED", "autosave kept as " + keptAsAndWhy);
}

std::string FileCaption::fitted(const std::string& text) {
    if (text.size() <= DetailCharacters)
        return text;
    // Two lines, broken at the last blank that leaves a line of some length.
    const size_t blank = text.rfind(' ', DetailCharacters);
    if (blank != std::string::npos && blank >= DetailCharacters / 3)
        return text.substr(0, blank) + "\n" + cutMiddle(text.substr(blank + 1));
    return cutMiddle(text);
}

std::string FileCaption::fileName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
