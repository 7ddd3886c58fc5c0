#include "app/InitApplication.h"

#include <gtest/gtest.h>

TEST(InitApplication, WindowDescriptionIsFullScreen640x480At32Bits) {
    const WindowDescription description = mainWindowDescription();
    ASSERT_NE(description.title, nullptr);
    EXPECT_STREQ(description.title, "Tamotown");
    EXPECT_EQ(description.width, 640);
    EXPECT_EQ(description.height, 480);
    EXPECT_TRUE(description.noBackgroundBrush);
    EXPECT_FALSE(description.resizable);
    EXPECT_EQ(description.parent, nullptr);
    EXPECT_TRUE(description.fullScreen);
    EXPECT_EQ(description.bitsPerPixel, 32);

    // A window on the desktop keeps the client size and carries the scale.
    ProgramOptions options;
    options.windowed = true;
    options.scale = 3;
    const WindowDescription windowed = mainWindowDescription(options);
    EXPECT_FALSE(windowed.fullScreen);
    EXPECT_EQ(windowed.width, 640);
    EXPECT_EQ(windowed.height, 480);
    EXPECT_EQ(windowed.scale, 3);
}
