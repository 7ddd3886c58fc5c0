#include "app/StatusCaption.h"

#include <gtest/gtest.h>

#include <string>

TEST(StatusCaption, ShowsForAFewSecondsThenExpires) {
    StatusCaption caption;
    EXPECT_EQ(caption.textAt(1000), nullptr);
    caption.show("LOAD FAILED", 1000);
    ASSERT_NE(caption.textAt(1000), nullptr);
    EXPECT_EQ(std::string(caption.textAt(1000 + StatusCaption::ShowMilliseconds - 1)),
              "LOAD FAILED");
    EXPECT_EQ(caption.textAt(1000 + StatusCaption::ShowMilliseconds), nullptr);
}

TEST(StatusCaption, NewCaptionReplacesOldAndSurvivesTickWrap) {
    StatusCaption caption;
    caption.show("LOAD FAILED", 0xFFFFFF00u);
    EXPECT_EQ(std::string(caption.textAt(0x00000010u)), "LOAD FAILED");
    caption.show("SAVE FAILED", 0x20u);
    EXPECT_EQ(std::string(caption.textAt(0x30u)), "SAVE FAILED");
    caption.hide();
    EXPECT_EQ(caption.textAt(0x30u), nullptr);
    caption.show("", 0x30u);
    EXPECT_EQ(caption.textAt(0x30u), nullptr);
}

TEST(StatusCaption, ACaptionCanCarryItsOwnTimeAndASecondLine) {
    StatusCaption caption;
    caption.show("SAVED", 500, 2000, "tamotown-20240102-030405.png");
    EXPECT_STREQ(caption.detailAt(2499), "tamotown-20240102-030405.png");
    EXPECT_STREQ(caption.textAt(2499), "SAVED");
    EXPECT_EQ(caption.textAt(2500), nullptr);
    EXPECT_EQ(caption.detailAt(2500), nullptr);
    caption.show("LOAD FAILED", 3000);  // a later caption drops the second line
    EXPECT_EQ(caption.detailAt(3000), nullptr);
}
