#include <gtest/gtest.h>

#include "platform/DynArray.h"

TEST(DynArray, AppendRemoveAndClampedAccess) {
    DynArray<int> a;
    EXPECT_EQ(a.count(), 0);
    EXPECT_FALSE(a.removeAt(0));
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(a.append(i * 10));
    EXPECT_EQ(a.count(), 3);
    EXPECT_EQ(a[-5], 10);
    EXPECT_EQ(a[7], 30);

    int removed = 0;
    EXPECT_FALSE(a.removeAt(3, &removed));
    EXPECT_TRUE(a.removeAt(1, &removed));
    EXPECT_EQ(removed, 20);
    EXPECT_EQ(a.count(), 2);
    EXPECT_EQ(a[0], 10);
    EXPECT_EQ(a[1], 30);

    a.clear();
    EXPECT_EQ(a.count(), 0);
    EXPECT_EQ(a.data(), nullptr);
}
