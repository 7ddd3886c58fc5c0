#pragma once
// Scratch files in memory for the readers that take a path or a stream: each
// input is written to one before it is read. A memfd keeps the disk (and its
// slow truncation) out of every run; its path under /proc opens like a file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

// Stops the run with a message that libFuzzer shows beside the input.
[[noreturn]] inline void finding(const char* what) {
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::abort();
}

class ScratchFile {
public:
    ScratchFile() : fd(memfd_create("tamo-fuzz", 0)) {
        if (fd < 0)
            finding("no memory file for the scratch file");
        path_ = "/proc/self/fd/" + std::to_string(fd);
    }
    const std::string& path() const { return path_; }
    const char* c_str() const { return path_.c_str(); }

    void write(const uint8_t* data, size_t size) const {
        if (ftruncate(fd, 0) != 0 ||
            (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)))
            finding("the scratch file cannot be written");
    }

    std::vector<uint8_t> read() const {
        std::vector<uint8_t> bytes;
        uint8_t buffer[65536];
        ssize_t got = 0;
        for (off_t at = 0; (got = pread(fd, buffer, sizeof buffer, at)) > 0; at += got)
            bytes.insert(bytes.end(), buffer, buffer + got);
        return bytes;
    }

private:
    int fd;
    std::string path_;
};

}  // namespace fuzz
