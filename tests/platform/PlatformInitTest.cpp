#include "platform/PlatformInit.h"

#include <gtest/gtest.h>

TEST(PlatformInit, DriversThatShowNothingAreUsedOnlyWhenAskedForByName) {
    // Drivers with a screen are always fine.
    EXPECT_TRUE(videoDriverAcceptable("x11", nullptr));
    EXPECT_TRUE(videoDriverAcceptable("wayland", ""));
    EXPECT_TRUE(videoDriverAcceptable("KMSDRM", "dummy"));
    // SDL falls back to these when no display is found.
    for (const char* unseen : {"offscreen", "dummy", "evdev"}) {
        EXPECT_FALSE(videoDriverAcceptable(unseen, nullptr)) << unseen;
        EXPECT_FALSE(videoDriverAcceptable(unseen, "")) << unseen;
        EXPECT_FALSE(videoDriverAcceptable(unseen, "x11")) << unseen;
    }
    // The request is SDL's comma-separated list, its names compared ignoring case.
    EXPECT_TRUE(videoDriverAcceptable("offscreen", "offscreen"));
    EXPECT_TRUE(videoDriverAcceptable("offscreen", "x11,offscreen"));
    EXPECT_TRUE(videoDriverAcceptable("dummy", "Dummy"));
    EXPECT_TRUE(videoDriverAcceptable("evdev", "wayland,evdev,x11"));
    EXPECT_FALSE(videoDriverAcceptable("offscreen", "offscreen2"));
    EXPECT_FALSE(videoDriverAcceptable("offscreen", "offscree"));
    EXPECT_FALSE(videoDriverAcceptable("dummy", "x11,,dumm"));
    EXPECT_FALSE(videoDriverAcceptable(nullptr, "x11"));
}
