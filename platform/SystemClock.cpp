#include "platform/SystemClock.h"

#include <time.h>

namespace {

uint32_t systemTicks() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

TickSource currentSource = nullptr;

}  // namespace

uint32_t getTickCount() {
    return currentSource ? currentSource() : systemTicks();
}

void setTickSource(TickSource source) {
    currentSource = source;
}
