#include "app/ButtonRegionList.h"

#include <gtest/gtest.h>

TEST(ButtonRegionList, BoundsAreInclusiveOnAllSides) {
    ButtonRegionList list;
    ASSERT_TRUE(addRegion(list, 1, 8, 2, 37, 27));
    EXPECT_EQ(hitRegion(list, 8, 2), 1);
    EXPECT_EQ(hitRegion(list, 37, 27), 1);
    EXPECT_EQ(hitRegion(list, 8, 27), 1);
    EXPECT_EQ(hitRegion(list, 37, 2), 1);
    EXPECT_EQ(hitRegion(list, 38, 27), 0);
    EXPECT_EQ(hitRegion(list, 7, 2), 0);
    EXPECT_EQ(hitRegion(list, 8, 1), 0);
    EXPECT_EQ(hitRegion(list, 8, 28), 0);
}

TEST(ButtonRegionList, ZeroAndDuplicateIdsAreRefusedWithoutChange) {
    ButtonRegionList list;
    EXPECT_FALSE(addRegion(list, 0, 0, 0, 10, 10));
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(hitRegion(list, 5, 5), 0);

    ASSERT_TRUE(addRegion(list, 4, 0, 0, 10, 10));
    EXPECT_FALSE(addRegion(list, 4, 100, 100, 200, 200));
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list[0].left, 0);
    EXPECT_EQ(list[0].right, 10);
    EXPECT_EQ(hitRegion(list, 150, 150), 0);
    EXPECT_TRUE(hasRegion(list, 4));
    EXPECT_FALSE(hasRegion(list, 5));
}

TEST(ButtonRegionList, FirstRegionInInsertionOrderWinsAndClearEmpties) {
    ButtonRegionList list;
    ASSERT_TRUE(addRegion(list, 7, 0, 0, 20, 20));
    ASSERT_TRUE(addRegion(list, 3, 10, 10, 30, 30));
    EXPECT_EQ(hitRegion(list, 15, 15), 7);
    EXPECT_EQ(hitRegion(list, 25, 25), 3);
    clearRegions(list);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(hitRegion(list, 15, 15), 0);
    EXPECT_FALSE(hasRegion(list, 7));
    EXPECT_TRUE(addRegion(list, 7, 0, 0, 1, 1));
}
