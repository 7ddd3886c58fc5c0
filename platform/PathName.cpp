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
