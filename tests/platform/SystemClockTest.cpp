#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/FrameTime.h"
#include "platform/SystemClock.h"

namespace {
uint32_t fixedTicks() {
    return 4242;
}
}  // namespace

TEST(SystemClock, CountsMillisecondsAndCanBeReplacedForTests) {
    const uint32_t before = getTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const uint32_t elapsed = getTickCount() - before;
    EXPECT_GE(elapsed, 29u);
    EXPECT_LT(elapsed, 2000u);

    setTickSource(fixedTicks);
    EXPECT_EQ(getTickCount(), 4242u);
    setTickSource(nullptr);
    EXPECT_NE(getTickCount(), 4242u);
}

TEST(FrameTime, HoldsWhatWasSet) {
    setFrameTime(17);
    EXPECT_EQ(getFrameTime(), 17);
    setFrameTime(0);
    EXPECT_EQ(getFrameTime(), 0);
}
