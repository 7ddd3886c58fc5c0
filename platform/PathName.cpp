#include "platform/PathName.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FILE* refuse(std::string* why, const std::string& reason) {
    if (why)
        *why = reason;
    return nullptr;
}

std::string kindProblem(mode_t mode) {
    return S_ISDIR(mode) ? "it is a folder" : "it is not a regular file";
}

// The system's own words for the cause ("No such file or directory",
// "Permission denied", ...); a folder in the words used for other kinds.
std::string errnoProblem(int error) {
    if (error == EISDIR)
        return "it is a folder";
    return std::strerror(error);
}

}  // namespace

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

FILE* openFile(const char* name, const char* mode, std::string* why) {
    if (!name || !mode || !*name)
        return refuse(why, "no file name");
    const std::string path = nativePath(name);
    struct stat info;
    if (mode[0] != 'r') {
        // Writing: an existing name must be a regular file.
        if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
            return refuse(why, kindProblem(info.st_mode));
        FILE* file = std::fopen(path.c_str(), mode);
        return file ? file : refuse(why, errnoProblem(errno));
    }
    // Reading: opened without blocking, then checked on the handle itself.
    const int flags = std::strchr(mode, '+') ? O_RDWR : O_RDONLY;
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refuse(why, errnoProblem(errno));
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const std::string problem =
            fstat(fd, &info) == 0 ? kindProblem(info.st_mode) : errnoProblem(errno);
        ::close(fd);
        return refuse(why, problem);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* file = fdopen(fd, mode);
    if (!file) {
        const int error = errno;
        ::close(fd);
        return refuse(why, errnoProblem(error));
    }
    return file;
}

std::string folderOfPath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}
