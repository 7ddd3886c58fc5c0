#include "platform/FrameTime.h"

namespace {
int32_t frameTime = 0;
}

int32_t getFrameTime() {
    return frameTime;
}

void setFrameTime(int32_t ms) {
    frameTime = ms;
}
