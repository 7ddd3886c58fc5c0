#include "platform/FileSearch.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fnmatch.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/PathName.h"

namespace {

struct SplitPattern {
    std::string folder;    // "." when the pattern has no directory part
    std::string wildcard;  // matched against file names
};

SplitPattern splitPattern(const std::string& pattern) {
    const size_t slash = pattern.find_last_of('/');
    if (slash == std::string::npos)
        return {".", pattern};
    std::string folder = pattern.substr(0, slash);
    if (folder.empty())
        folder = "/";
    return {folder, pattern.substr(slash + 1)};
}

bool isRegularFile(const std::string& folder, const dirent* entry) {
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return false;
    struct stat info;
    const std::string path = folder + "/" + entry->d_name;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Collects the matching names in the directory's own order; false on a read error.
bool listMatches(const SplitPattern& split, std::vector<std::string>* names, bool* folderMissing) {
    *folderMissing = false;
    DIR* dir = opendir(split.folder.c_str());
    if (!dir) {
        *folderMissing = (errno == ENOENT || errno == ENOTDIR);
        return false;
    }
    bool ok = true;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) {
            ok = (errno == 0);
            break;
        }
        if (fnmatch(split.wildcard.c_str(), entry->d_name, FNM_PERIOD | FNM_CASEFOLD) == 0 &&
            isRegularFile(split.folder, entry))
            names->push_back(entry->d_name);
    }
    if (closedir(dir) != 0)
        ok = false;
    return ok;
}

}  // namespace

bool findFiles(char*** list, const char* pattern) {
    if (!list)
        return false;
    *list = nullptr;
    if (!pattern || !*pattern)
        return true;
    const SplitPattern split = splitPattern(nativePath(pattern));
    if (split.wildcard.empty())
        return true;

    std::vector<std::string> names;
    bool folderMissing = false;
    if (!listMatches(split, &names, &folderMissing))
        return folderMissing;
    if (names.empty())
        return true;

    char** result = static_cast<char**>(std::calloc(names.size() + 1, sizeof(char*)));
    if (!result)
        return false;
    for (size_t i = 0; i < names.size(); ++i) {
        result[i] = strdup(names[i].c_str());
        if (!result[i]) {
            freeFileList(result);
            return false;
        }
    }
    *list = result;
    return true;
}

void freeFileList(char** list) {
    if (!list)
        return;
    for (char** name = list; *name; ++name)
        std::free(*name);
    std::free(list);
}
