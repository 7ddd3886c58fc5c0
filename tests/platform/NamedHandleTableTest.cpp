#include <gtest/gtest.h>

#include "platform/NamedHandleTable.h"

TEST(NamedHandleTable, FindsTheFirstEntryWithTheName) {
    NamedHandleTable table(3);
    EXPECT_EQ(table.count(), 3);
    EXPECT_EQ(table.find("A"), 0u);
    EXPECT_EQ(table.find(nullptr), 0u);
    table.set(0, 11, "A");
    table.set(1, 22, "B");
    table.set(2, 33, "A");
    EXPECT_EQ(table.find("A"), 11u);
    EXPECT_EQ(table.find("B"), 22u);
    EXPECT_EQ(table.find("a"), 0u);
    EXPECT_EQ(table.find(""), 0u);
}

TEST(NamedHandleTable, IndexIsClampedAndANullNameKeepsTheOldOne) {
    NamedHandleTable table(2);
    table.set(-4, 5, "First");
    table.set(9, 6, "Last");
    EXPECT_EQ(table.find("First"), 5u);
    EXPECT_EQ(table.find("Last"), 6u);
    table.set(1, 7, nullptr);
    EXPECT_EQ(table.find("Last"), 7u);
    table.set(1, 8, "Renamed");
    EXPECT_EQ(table.find("Last"), 0u);
    EXPECT_EQ(table.find("Renamed"), 8u);

    // An entry that never got a name is not found by the empty name.
    NamedHandleTable unnamed(1);
    unnamed.set(0, 9, nullptr);
    EXPECT_EQ(unnamed.find(""), 0u);
    NamedHandleTable empty(0);
    empty.set(0, 1, "X");
    EXPECT_EQ(empty.find("X"), 0u);
}
