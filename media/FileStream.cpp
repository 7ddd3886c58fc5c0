#include "media/FileStream.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <ctime>
#include <dirent.h>
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

// Replacing a symbolic link replaces the file it points to, not the link;
// a link to a file not there yet (dangling) makes that file.
std::string resolvedTarget(const std::string& path) {
    std::string target = path;
    struct stat info;
    for (int hops = 0; hops < 40 && lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
         ++hops) {
        char resolved[PATH_MAX];
        if (realpath(target.c_str(), resolved))
            return resolved;
        const ssize_t length = readlink(target.c_str(), resolved, sizeof resolved - 1);
        if (length <= 0)
            return target;
        const std::string link(resolved, static_cast<size_t>(length));
        target = link[0] == '/' ? link : folderOfPath(target) + "/" + link;
    }
    return target;
}

// Read once, before any thread starts: reading the mask means setting it, and
// a file made meanwhile on another thread would get mask 0.
const mode_t StartUmask = [] {
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}();

mode_t modeForNewFile(const std::string& target) {
    struct stat info;
    if (stat(target.c_str(), &info) == 0)
        return info.st_mode & 07777;
    return 0666 & ~StartUmask;
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
    if (failedToOpen)
        noteError(errno);
}

FileStream::~FileStream() {
    close();
}

void FileStream::openDirect(const char* mode) {
    handle = openFile(targetPath.c_str(), mode, &problem);
}

void FileStream::openReplacement(const char* mode) {
    if (std::strchr(mode, 'w') == nullptr || std::strchr(mode, '+') != nullptr) {
        errno = EINVAL;
        return;  // only plain writing makes sense for a file built from scratch
    }
    targetPath = resolvedTarget(targetPath);
    struct stat info;
    if (stat(targetPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        problem = S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file";
        return;  // never rename over a folder or a device
    }
    std::string pattern = folderOfPath(targetPath) + "/." + baseNameOf(targetPath) + ".XXXXXX";
    const int fd = mkstemp(&pattern[0]);
    if (fd < 0) {
        return;  // errno names the cause
    }
    fchmod(fd, modeForNewFile(targetPath));
    handle = fdopen(fd, "wb");
    if (!handle) {
        const int error = errno;
        ::close(fd);
        unlink(pattern.c_str());
        errno = error;
        return;
    }
    temporaryPath = pattern;
}

bool FileStream::transferFailed() {
    // A short read at the end of the file is no system error: errno then
    // holds something older.
    if (std::ferror(handle))
        noteError(errno);
    anyFailure = true;
    return false;
}

void FileStream::noteError(int code) {
    if (firstError == 0)
        firstError = code;
}

std::string FileStream::failureReason() const {
    if (!problem.empty())
        return problem;
    return firstError != 0 ? std::strerror(firstError) : std::string();
}

bool FileStream::seek(int64_t offset, int32_t origin) {
    if (!handle || closed)
        return false;
    if (origin != 0 && origin != 1)
        return false;
    // fseeko's offset is 64 bits wide: files past 2 GiB seek as any other.
    if (fseeko(handle, static_cast<off_t>(offset), origin == 0 ? SEEK_SET : SEEK_CUR) != 0) {
        noteError(errno);
        return transferFailed();
    }
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
    if (behindStretch > 0)
        writeStretchBehind();
    return true;
}

void FileStream::writeStretchBehind() {
    const int64_t at = static_cast<int64_t>(ftello(handle));
    if (at - behindWritten < behindStretch)
        return;
    // Only a hint: a failure here shows again when the file is synced.
    if (std::fflush(handle) != 0)
        return;
    const int fd = fileno(handle);
    if (behindWritten > behindStarted)
        sync_file_range(fd, behindStarted, behindWritten - behindStarted,
                        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                            SYNC_FILE_RANGE_WAIT_AFTER);
    sync_file_range(fd, behindWritten, at - behindWritten, SYNC_FILE_RANGE_WRITE);
    behindStarted = behindWritten;
    behindWritten = at;
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

bool FileStream::flushAndClose() {
    // Each step's errno is kept as the cause: a full disk often shows only
    // when the buffered bytes are flushed or synced.
    const auto step = [this](bool done) {
        if (!done)
            noteError(errno);
        return done;
    };
    bool ok = !anyFailure;
    ok = step(std::fflush(handle) == 0) && ok;
    ok = ok && step(fsync(fileno(handle)) == 0);
    ok = step(std::fclose(handle) == 0) && ok;
    handle = nullptr;
    return ok;
}

bool FileStream::finishReplacement() {
    bool ok = flushAndClose();
    if (ok && std::rename(temporaryPath.c_str(), targetPath.c_str()) != 0) {
        noteError(errno);
        ok = false;
    }
    if (ok) {
        syncFolder(folderOfPath(targetPath));
        temporaryPath.clear();
        removeStaleTemporaries(targetPath, StaleTemporarySeconds);
        return true;
    }
    unlink(temporaryPath.c_str());
    temporaryPath.clear();
    return false;
}

bool FileStream::prepare() {
    if (kind != ReplaceAtomically || closed || prepared || !handle)
        return false;
    const bool ok = flushAndClose();
    prepared = true;
    if (!ok) {
        anyFailure = true;
        close();
    }
    return ok;
}

bool FileStream::publish() {
    if (!prepared || closed)
        return false;
    closed = true;
    closeResult = std::rename(temporaryPath.c_str(), targetPath.c_str()) == 0;
    if (!closeResult) {
        noteError(errno);
        anyFailure = true;
        unlink(temporaryPath.c_str());
    } else {
        syncFolder(folderOfPath(targetPath));
    }
    temporaryPath.clear();
    return closeResult;
}

bool FileStream::close() {
    if (closed)
        return closeResult;
    closed = true;
    if (!handle) {
        if (prepared)
            unlink(temporaryPath.c_str());  // prepared, never published
        closeResult = false;
        return closeResult;
    }
    if (kind == ReplaceAtomically) {
        closeResult = finishReplacement();
    } else {
        const bool closedCleanly = std::fclose(handle) == 0;
        if (!closedCleanly)
            noteError(errno);
        handle = nullptr;
        closeResult = closedCleanly && !anyFailure;
    }
    if (!closeResult)
        anyFailure = true;
    return closeResult;
}

bool FileStream::syncFolderOf(const std::string& path) {
    return syncFolder(folderOfPath(path));
}

void FileStream::removeStaleTemporaries(const std::string& target, int64_t minimumAgeSeconds) {
    const std::string folder = folderOfPath(target);
    const std::string prefix = "." + baseNameOf(target) + ".";
    DIR* listing = opendir(folder.c_str());
    if (!listing)
        return;
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    while (const dirent* entry = readdir(listing)) {
        // mkstemp's names: the prefix and six letters or digits.
        const std::string name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        bool ours = true;
        for (size_t i = prefix.size(); i < name.size(); ++i)
            ours = ours && std::isalnum(static_cast<unsigned char>(name[i]));
        const std::string path = folder + "/" + name;
        struct stat info;
        if (ours && lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            now - static_cast<int64_t>(info.st_mtime) >= minimumAgeSeconds)
            unlink(path.c_str());
    }
    closedir(listing);
}

void FileStream::discard() {
    if (closed)
        return;
    if (kind == ReplaceAtomically)
        anyFailure = true;  // makes close drop the temporary file
    close();
}

bool FileStream::readAll(const std::string& path, size_t maxBytes, std::vector<uint8_t>* bytes,
                         std::string* why) {
    FileStream in(path.c_str(), "rb");
    const int64_t size = in.size();
    if (!in.isOpen() || size < 0) {
        *why = in.openProblem().empty() ? "it cannot be read" : in.openProblem();
        return false;
    }
    if (static_cast<uint64_t>(size) > maxBytes || size > INT32_MAX) {
        *why = "the file is too large";
        return false;
    }
    try {
        bytes->resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        *why = "there is not enough memory for the file";
        return false;
    }
    if (size > 0 && !in.readBytes(bytes->data(), static_cast<int32_t>(size))) {
        *why = in.failureReason().empty() ? "it cannot be read" : in.failureReason();
        return false;
    }
    return true;
}
