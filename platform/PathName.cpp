#include "platform/PathName.h"

std::string nativePath(const char* name) {
    if (!name)
        return std::string();
    std::string path(name);
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    return path;
}

FILE* openFile(const char* name, const char* mode) {
    if (!name || !mode || !*name)
        return nullptr;
    return std::fopen(nativePath(name).c_str(), mode);
}

std::string folderOfPath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}
