#include "app/LooseTextures.h"

#include <gtest/gtest.h>

TEST(LooseTextures, NamesParseAsNumberWidthHeight) {
    LooseTextureName name{};
    ASSERT_TRUE(parseLooseTextureName("7_64_32.raw", &name));
    EXPECT_EQ(name.number, 7);
    EXPECT_EQ(name.width, 64);
    EXPECT_EQ(name.height, 32);
    ASSERT_TRUE(parseLooseTextureName("13_16_16.raw", &name));
    EXPECT_EQ(name.number, 13);
}

TEST(LooseTextures, MalformedNamesAreRefusedAndLeaveTheOutputAlone) {
    LooseTextureName name{1, 2, 3};
    for (const char* bad :
         {"road.raw", "1_2.raw", "1_16_16.rawx", "1_16_16.bmp", "1_16_16", "-1_16_16.raw",
          "1_0_16.raw", "1_16_-4.raw", "1_100000_16.raw", "", "_1_2_3.raw"}) {
        EXPECT_FALSE(parseLooseTextureName(bad, &name)) << bad;
    }
    EXPECT_FALSE(parseLooseTextureName(nullptr, &name));
    EXPECT_EQ(name.number, 1);
    EXPECT_EQ(name.width, 2);
    EXPECT_EQ(name.height, 3);
}

TEST(LooseTextures, NumbersOutsideTheTextureIdsAreRefusedAndUpperCaseRawIsFound) {
    LooseTextureName name{};
    // Digits beyond 32 bits, and numbers whose id 100 + n would not fit.
    for (const char* bad : {"4294967296_16_16.raw", "4294967396_16_16.raw", "2147483648_16_16.raw",
                            "99999999999999999999_1_1.raw", "2147483548_1_1.raw",
                            "1_4294967312_16.raw", "1_16_4294967312.raw"}) {
        EXPECT_FALSE(parseLooseTextureName(bad, &name)) << bad;
    }
    ASSERT_TRUE(parseLooseTextureName("2147483547_1_1.raw", &name));
    EXPECT_EQ(name.number, INT32_MAX - FirstLooseTextureId);
    // The folder search ignores letter case, so the extension does too.
    for (const char* found : {"7_64_32.RAW", "7_64_32.Raw", "0007_064_32.rAw"}) {
        name = LooseTextureName{};
        ASSERT_TRUE(parseLooseTextureName(found, &name)) << found;
        EXPECT_EQ(name.number, 7);
        EXPECT_EQ(name.width, 64);
        EXPECT_EQ(name.height, 32);
    }
}

TEST(LooseTextures, AveragesAreTruncatedPerChannel) {
    const uint8_t twoPixels[] = {10, 20, 30, 11, 21, 31};
    const AverageColour colour = averageColour(twoPixels, 2, 1);
    EXPECT_EQ(colour.red, 10);
    EXPECT_EQ(colour.green, 20);
    EXPECT_EQ(colour.blue, 30);

    const uint8_t white[] = {255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0};
    const AverageColour mostlyWhite = averageColour(white, 2, 2);
    EXPECT_EQ(mostlyWhite.red, 191);  // 765 / 4
    EXPECT_EQ(mostlyWhite.blue, 191);
}
