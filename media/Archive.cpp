#include "media/Archive.h"

#include <cctype>
#include <cstring>
#include <new>

#include "media/FileStream.h"
#include "platform/DynArray.h"

namespace {

DynArray<ArchiveEntry>& registry() {
    static DynArray<ArchiveEntry> entries;
    return entries;
}

std::string& archivePath() {
    static std::string path;
    return path;
}

std::string& lastError() {
    static std::string message;
    return message;
}

bool sameNameIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const int ca = std::tolower(static_cast<unsigned char>(*a));
        const int cb = std::tolower(static_cast<unsigned char>(*b));
        if (ca != cb)
            return false;
        if (ca == 0)
            return true;
    }
}

int32_t findEntry(const char* name) {
    if (!name)
        return -1;
    const DynArray<ArchiveEntry>& entries = registry();
    for (int32_t i = 0; i < entries.count(); ++i) {
        if (sameNameIgnoringCase(entries[i].name, name))
            return i;
    }
    return -1;
}

int64_t offsetOf(int32_t index) {
    int64_t offset = 0;
    for (int32_t i = 0; i < index; ++i)
        offset += registry()[i].size;
    return offset;
}

// Reads exactly size bytes at offset into buffer, zero-filling whatever could
// not be read. Returns how many bytes came from the file.
int64_t readPart(FileStream& stream, int64_t offset, uint8_t* buffer, int32_t size) {
    std::memset(buffer, 0, static_cast<size_t>(size));
    if (size == 0 || !stream.isOpen())
        return 0;
    const int64_t fileSize = stream.size();
    if (fileSize < 0 || offset >= fileSize || offset > INT32_MAX ||
        !stream.seek(static_cast<int32_t>(offset), 0))
        return 0;
    const int64_t available = fileSize - offset;
    const int32_t wanted = available < size ? static_cast<int32_t>(available) : size;
    if (!stream.readBytes(buffer, wanted)) {
        std::memset(buffer, 0, static_cast<size_t>(size));
        return 0;
    }
    return wanted;
}

}  // namespace

bool setArchiveFile(const char* fileName) {
    if (!fileName)
        return false;
    archivePath() = fileName;
    return true;
}

bool addArchiveEntry(const char* name, int32_t size) {
    if (!name || size < 0)
        return false;
    return registry().append(ArchiveEntry{name, size});
}

int32_t archiveEntrySize(const char* name) {
    const int32_t index = findEntry(name);
    return index < 0 ? -1 : registry()[index].size;
}

uint8_t* loadArchiveEntry(const char* name) {
    const int32_t index = findEntry(name);
    if (index < 0) {
        lastError() =
            std::string("\"") + (name ? name : "(null)") + "\" is not a member of the archive";
        return nullptr;
    }
    const ArchiveEntry entry = registry()[index];
    uint8_t* buffer = new (std::nothrow) uint8_t[entry.size > 0 ? entry.size : 1];
    if (!buffer) {
        lastError() = std::string("out of memory loading \"") + entry.name + "\"";
        return nullptr;
    }
    FileStream stream(archivePath().c_str(), "rb");
    const int64_t got = readPart(stream, offsetOf(index), buffer, entry.size);
    if (got == entry.size) {
        lastError().clear();
    } else if (stream.openFailed()) {
        lastError() =
            "cannot open archive \"" + archivePath() + "\" to read \"" + entry.name + "\"";
    } else {
        lastError() = "archive \"" + archivePath() + "\" is too short: \"" + entry.name +
                      "\" got " + std::to_string(got) + " of " + std::to_string(entry.size) +
                      " bytes";
    }
    return buffer;
}

const std::string& lastArchiveLoadError() {
    return lastError();
}

bool buildArchive() {
    FileStream archive(archivePath().c_str(), "wb", FileStream::ReplaceAtomically);
    if (archive.openFailed())
        return false;
    bool complete = true;
    const DynArray<ArchiveEntry>& entries = registry();
    for (int32_t i = 0; i < entries.count(); ++i) {
        const ArchiveEntry entry = entries[i];
        if (entry.size == 0)
            continue;
        uint8_t* buffer = new (std::nothrow) uint8_t[entry.size];
        if (!buffer) {
            archive.discard();
            return false;
        }
        FileStream member(entry.name, "rb");
        if (readPart(member, 0, buffer, entry.size) != entry.size)
            complete = false;
        if (!archive.writeBytes(buffer, entry.size))
            complete = false;
        delete[] buffer;
    }
    // An archive with missing members is still written (it keeps every offset),
    // but its failure is reported.
    const bool written = archive.commit();
    return written && complete;
}

void clearArchiveEntries() {
    registry().clear();
}
