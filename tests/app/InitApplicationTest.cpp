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
}
