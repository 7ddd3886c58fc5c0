#include "media/PngWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/ScratchFolder.h"

namespace fs = std::filesystem;

TEST(PngWriter, WritesAPngOfTheGivenSizeOrNothingAtAll) {
    ScratchFolder folder("tamo-png");
    ASSERT_TRUE(folder.made());
    const fs::path scratch = folder.path();
    std::vector<uint8_t> rgb(300 * 2 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 7);
    const std::string path = (scratch / "picture.png").string();
    ASSERT_TRUE(writePng(path, rgb.data(), 300, 2));
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "IHDR");
    const auto bigEndian = [&](size_t at) {
        return bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
    };
    EXPECT_EQ(bigEndian(16), 300);
    EXPECT_EQ(bigEndian(20), 2);
    EXPECT_EQ(bytes[24], 8);  // bits per channel
    EXPECT_EQ(bytes[25], 2);  // RGB

    // A folder that does not exist, or no pixels: false, and no file.
    EXPECT_FALSE(writePng((scratch / "no" / "picture.png").string(), rgb.data(), 300, 2));
    EXPECT_FALSE(fs::exists(scratch / "no"));
    EXPECT_FALSE(writePng((scratch / "empty.png").string(), rgb.data(), 0, 2));
    EXPECT_FALSE(fs::exists(scratch / "empty.png"));
    // Only the picture is left: no temporary file beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch), fs::directory_iterator()), 1);
}
