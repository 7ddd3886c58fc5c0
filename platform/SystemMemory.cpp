#include "platform/SystemMemory.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace SystemMemory {

namespace {

// A "Name: value kB" line of a /proc file, in bytes; -1 when absent.
int64_t procField(const char* path, const char* name) {
    FILE* file = std::fopen(path, "r");
    if (!file)
        return -1;
    char line[256];
    int64_t bytes = -1;
    const size_t length = std::strlen(name);
    while (std::fgets(line, sizeof line, file)) {
        long long kilobytes = 0;
        if (std::strncmp(line, name, length) == 0 && line[length] == ':' &&
            std::sscanf(line + length + 1, "%lld", &kilobytes) == 1) {
            bytes = static_cast<int64_t>(kilobytes) * 1024;
            break;
        }
    }
    std::fclose(file);
    return bytes;
}

}  // namespace

int64_t availableBytes() {
    int64_t available = procField("/proc/meminfo", "MemAvailable");
    struct rlimit limit;
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const int64_t used = procField("/proc/self/status", "VmSize");
        if (used >= 0) {
            const int64_t left = std::max<int64_t>(static_cast<int64_t>(limit.rlim_cur) - used, 0);
            available = available < 0 ? left : std::min(available, left);
        }
    }
    return available;
}

}  // namespace SystemMemory
