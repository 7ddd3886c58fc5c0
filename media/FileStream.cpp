#include "media/FileStream.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "media/LittleEndian.h"
#include "platform/PathName.h"

namespace {

std::string baseNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Replacing a symbolic link replaces the file it points to, not the link.
std::string resolvedTarget(const std::string& path) {
    char resolved[PATH_MAX];
    struct stat info;
    if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) &&
        realpath(path.c_str(), resolved))
        return resolved;
    return path;
}

mode_t modeForNewFile(const std::string& target) {
    struct stat info;
    if (stat(target.c_str(), &info) == 0)
        return info.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

FileStream::FileStream(const char* path, const char* mode, OpenKind openKind)
        : kind(openKind), targetPath(nativePath(path)) {
    if (!path || !*path || !mode) {
        failedToOpen = true;
        return;
    }
    if (kind == ReplaceAtomically)
        openReplacement(mode);
    else
        openDirect(mode);
    failedToOpen = (handle == nullptr);
}

FileStream::~FileStream() {
    close();
}

void FileStream::openDirect(const char* mode) {
    handle = openFile(targetPath.c_str(), mode);
}

void FileStream::openReplacement(const char* mode) {
    if (std::strchr(mode, 'w') == nullptr || std::strchr(mode, '+') != nullptr)
        return;  // only plain writing makes sense for a file built from scratch
    targetPath = resolvedTarget(targetPath);
    struct stat info;
    if (stat(targetPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return;  // never rename over a folder or a device
    std::string pattern = folderOfPath(targetPath) + "/." + baseNameOf(targetPath) + ".XXXXXX";
    const int fd = mkstemp(&pattern[0]);
    if (fd < 0)
        return;
    fchmod(fd, modeForNewFile(targetPath));
    handle = fdopen(fd, "wb");
    if (!handle) {
        ::close(fd);
        unlink(pattern.c_str());
        return;
    }
    temporaryPath = pattern;
}

bool FileStream::transferFailed() {
    anyFailure = true;
    return false;
}

bool FileStream::seek(int64_t offset, int32_t origin) {
    if (!handle || closed)
        return false;
    if (origin != 0 && origin != 1)
        return false;
    // fseeko's offset is 64 bits wide: files past 2 GiB seek as any other.
    if (fseeko(handle, static_cast<off_t>(offset), origin == 0 ? SEEK_SET : SEEK_CUR) != 0)
        return transferFailed();
    return true;
}

bool FileStream::readBytes(void* buffer, int32_t count) {
    if (!handle || closed || !buffer || count <= 0)
        return false;
    if (std::fread(buffer, static_cast<size_t>(count), 1, handle) != 1)
        return transferFailed();
    return true;
}

bool FileStream::writeBytes(const void* buffer, int32_t count) {
    if (!handle || closed || !buffer || count <= 0)
        return false;
    if (std::fwrite(buffer, static_cast<size_t>(count), 1, handle) != 1)
        return transferFailed();
    return true;
}

bool FileStream::readU8(uint8_t* value) {
    return readBytes(value, 1);
}

bool FileStream::readU32(uint32_t* value) {
    uint8_t bytes[4];
    if (!readBytes(bytes, 4))
        return false;
    *value = littleEndian::loadU32(bytes);
    return true;
}

bool FileStream::readI32(int32_t* value) {
    uint8_t bytes[4];
    if (!readBytes(bytes, 4))
        return false;
    *value = littleEndian::loadI32(bytes);
    return true;
}

bool FileStream::readF32(float* value) {
    uint8_t bytes[4];
    if (!readBytes(bytes, 4))
        return false;
    *value = littleEndian::loadF32(bytes);
    return true;
}

bool FileStream::writeU8(uint8_t value) {
    return writeBytes(&value, 1);
}

bool FileStream::writeU32(uint32_t value) {
    uint8_t bytes[4];
    littleEndian::storeU32(bytes, value);
    return writeBytes(bytes, 4);
}

bool FileStream::writeI32(int32_t value) {
    uint8_t bytes[4];
    littleEndian::storeI32(bytes, value);
    return writeBytes(bytes, 4);
}

bool FileStream::writeF32(float value) {
    uint8_t bytes[4];
    littleEndian::storeF32(bytes, value);
    return writeBytes(bytes, 4);
}

int64_t FileStream::position() const {
    if (!handle || closed)
        return -1;
    return static_cast<int64_t>(ftello(handle));
}

int64_t FileStream::size() const {
    if (!handle || closed)
        return -1;
    if (std::fflush(handle) != 0)
        return -1;
    struct stat info;
    if (fstat(fileno(handle), &info) != 0)
        return -1;
    return static_cast<int64_t>(info.st_size);
}

int64_t FileStream::remaining() const {
    const int64_t total = size();
    const int64_t at = position();
    if (total < 0 || at < 0)
        return -1;
    return at >= total ? 0 : total - at;
}

bool FileStream::finishReplacement() {
    bool ok = !anyFailure;
    ok = (std::fflush(handle) == 0) && ok;
    ok = ok && fsync(fileno(handle)) == 0;
    ok = (std::fclose(handle) == 0) && ok;
    handle = nullptr;
    if (ok && std::rename(temporaryPath.c_str(), targetPath.c_str()) == 0) {
        syncFolder(folderOfPath(targetPath));
        temporaryPath.clear();
        return true;
    }
    unlink(temporaryPath.c_str());
    temporaryPath.clear();
    return false;
}

bool FileStream::close() {
    if (closed)
        return closeResult;
    closed = true;
    if (!handle) {
        closeResult = false;
        return closeResult;
    }
    if (kind == ReplaceAtomically) {
        closeResult = finishReplacement();
    } else {
        const bool closedCleanly = std::fclose(handle) == 0;
        handle = nullptr;
        closeResult = closedCleanly && !anyFailure;
    }
    if (!closeResult)
        anyFailure = true;
    return closeResult;
}

void FileStream::discard() {
    if (closed)
        return;
    if (kind == ReplaceAtomically)
        anyFailure = true;  // makes close drop the temporary file
    close();
}
