#include "world/WorldFileStamp.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace {

// The absolute path of path's folder joined with its file name; path itself
// when the folder cannot be resolved.
std::string canonicalName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    char resolved[PATH_MAX];
    if (!realpath(folder.c_str(), resolved))
        return path;
    return std::string(resolved) + "/" + base;
}

}  // namespace

WorldFileStamp WorldFileStamp::of(const std::string& name) {
    WorldFileStamp stamp;
    stamp.name = name;
    struct stat info;
    if (name.empty() || stat(name.c_str(), &info) != 0)
        return stamp;
    stamp.known = true;
    stamp.device = static_cast<uint64_t>(info.st_dev);
    stamp.inode = static_cast<uint64_t>(info.st_ino);
    stamp.size = static_cast<int64_t>(info.st_size);
    stamp.modifiedSeconds = static_cast<int64_t>(info.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = static_cast<int64_t>(info.st_mtim.tv_nsec);
    return stamp;
}

bool WorldFileStamp::names(const std::string& path) const {
    return !name.empty() && !path.empty() &&
           (path == name || canonicalName(path) == canonicalName(name));
}

bool WorldFileStamp::changedOnDisk() const {
    if (!known)
        return false;
    const WorldFileStamp now = of(name);
    if (!now.known)
        return false;
    return now.device != device || now.inode != inode || now.size != size ||
           now.modifiedSeconds != modifiedSeconds || now.modifiedNanoseconds != modifiedNanoseconds;
}
