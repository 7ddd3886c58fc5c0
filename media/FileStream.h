#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "media/ByteSource.h"

// The one file object of the program: owns a stdio stream, remembers whether
// opening failed, and turns every operation on a failed stream into false.
// Blocks are written and read exactly as they lie in memory (little-endian on
// this machine); the helpers below write fixed little-endian layouts explicitly.
//
// Besides the plain modes ("rb", "wb", ...) a stream can be opened with
// FileStream::ReplaceAtomically: it then writes into a temporary file in the
// target's folder, and commit() flushes it to disk and renames it over the
// target. Until a successful commit an earlier file of that name is untouched;
// a stream that met any failure never replaces it.
class FileStream : public ByteSource {
public:
    enum OpenKind { Direct, ReplaceAtomically };

    // Seconds after which a temporary file of an atomic write that nobody
    // finished counts as left over.
    static constexpr int64_t StaleTemporarySeconds = 60;

    FileStream(const char* path, const char* mode, OpenKind kind = Direct);
    ~FileStream() override;  // closes; an atomic stream commits when no failure occurred

    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    // origin 0: from the start; 1: from the current position. Others are refused.
    bool seek(int64_t offset, int32_t origin);
    // True only when all count bytes were transferred; a count of 0 or less is false.
    bool readBytes(void* buffer, int32_t count) override;
    bool writeBytes(const void* buffer, int32_t count);

    // Little-endian values, independent of the machine's byte order.
    bool readU8(uint8_t* value);
    bool readI32(int32_t* value);
    bool readU32(uint32_t* value);
    bool readF32(float* value);
    bool writeU8(uint8_t value);
    bool writeI32(int32_t value);
    bool writeU32(uint32_t value);
    bool writeF32(float value);

    // Has the system write what was written every stretchBytes, waiting for
    // the stretch before, so that little unwritten data piles up: a large
    // file written beside a journal that syncs often (whose sync would
    // otherwise wait behind all of it). 0: the system decides (the default).
    void writeBehind(int64_t stretchBytes) { behindStretch = stretchBytes; }

    bool isOpen() const { return handle != nullptr; }
    bool openFailed() const { return failedToOpen; }
    // Why opening failed, in words ("it is a folder", ...); empty when it did not.
    const std::string& openProblem() const { return problem; }
    // True once opening or any seek, read or write has failed (or closing did).
    bool hasFailed() const { return failedToOpen || anyFailure; }
    // Byte position, file size and bytes from the position to the end; -1 when unknown.
    int64_t position() const;
    int64_t size() const;
    int64_t remaining() const override;
    const std::string& path() const { return targetPath; }
    // Why opening failed in words ("it is a folder", ...) or else the system's
    // words for the first failure that set errno ("No space left
    // on device", "Permission denied", ...); empty when none did.
    std::string failureReason() const;

    // Ends the stream. For a direct stream: closes it, true when nothing failed.
    // For an atomic stream: flushes, syncs and renames over the target when
    // nothing failed, else discards the temporary file; true when the target now
    // holds everything written. Later calls return the first result.
    bool close();
    bool commit() { return close(); }
    // Drops an atomic stream's temporary file without touching the target.
    void discard();
    // For files that must appear together: prepare() flushes and syncs an
    // atomic stream's temporary file without renaming it (false, and the
    // file dropped, on any failure); publish() then renames it over the
    // target. A prepared stream that is never published drops its file.
    bool prepare();
    bool publish();

    // Removes the temporary files that atomic writes of target left behind
    // (".<name>.XXXXXX" beside it) when interrupted, those older than
    // minimumAgeSeconds; a successful commit does so for StaleTemporarySeconds.
    static void removeStaleTemporaries(const std::string& target, int64_t minimumAgeSeconds);
    // Syncs the folder holding path, so that a rename in it survives a crash.
    static bool syncFolderOf(const std::string& path);
    // After prepare: the file publish() renames over the target (it keeps
    // its identity through the rename); empty otherwise.
    std::string preparedPath() const { return prepared && !closed ? temporaryPath : std::string(); }

    // The whole file at path in *bytes; false, with *why in words, when it
    // cannot be read or holds more than maxBytes.
    static bool readAll(const std::string& path, size_t maxBytes, std::vector<uint8_t>* bytes,
                        std::string* why);

private:
    bool transferFailed();
    void writeStretchBehind();
    // Remembers errno (or code) as the cause when no cause is known yet.
    void noteError(int code);
    void openDirect(const char* mode);
    void openReplacement(const char* mode);
    bool finishReplacement();
    // Flushes, syncs and closes the handle; false when any step failed
    // before or now.
    bool flushAndClose();

    FILE* handle = nullptr;
    bool failedToOpen = false;
    bool anyFailure = false;
    bool closed = false;
    bool closeResult = false;
    bool prepared = false;
    int firstError = 0;
    int64_t behindStretch = 0;
    int64_t behindWritten = 0;  // bytes handed to the system so far
    int64_t behindStarted = 0;  // where the stretch being written starts
    OpenKind kind;
    std::string targetPath;     // host path of the file named by the caller
    std::string temporaryPath;  // atomic streams only
    std::string problem;
};
