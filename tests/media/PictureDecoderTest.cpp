#include "media/PictureDecoder.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/TestPictures.h"

namespace {

bool decode(const std::vector<uint8_t>& bytes, Picture* out, std::string* why) {
    return PictureDecoder::decode(bytes.data(), bytes.size(), PictureDecoder::Limits(), out, why);
}

TEST(PictureDecoderTest, PngAndJpegComeOutAsRgba) {
    const Picture original = TestPictures::random(37, 21, 7, false);
    Picture decoded;
    std::string why;
    ASSERT_TRUE(decode(TestPictures::png(original), &decoded, &why)) << why;
    EXPECT_EQ(decoded.width, 37);
    EXPECT_EQ(decoded.height, 21);
    EXPECT_EQ(decoded.rgba, original.rgba);

    // A JPEG has no alpha: every pixel opaque, colours as near as its loss allows.
    const Picture smooth = TestPictures::filled(24, 8, 200, 100, 50);
    ASSERT_TRUE(decode(TestPictures::jpeg(smooth), &decoded, &why)) << why;
    ASSERT_EQ(decoded.rgba.size(), smooth.rgba.size());
    for (size_t i = 0; i < decoded.rgba.size(); ++i)
        EXPECT_NEAR(decoded.rgba[i], smooth.rgba[i], 3) << i;
    EXPECT_TRUE(decoded.opaque());
}

TEST(PictureDecoderTest, DamagedHugeAndForeignFilesAreRefusedLeavingTheOutputAlone) {
    const Picture sentinel = TestPictures::filled(1, 1, 1, 2, 3);
    for (const std::vector<uint8_t>& whole :
         {TestPictures::png(TestPictures::random(19, 9, 3, false)),
          TestPictures::jpeg(TestPictures::random(19, 9, 3, true))}) {
        // Cut anywhere before its end, a file does not decode.
        for (size_t length = 0; length + 1 < whole.size(); length += 1 + length / 8) {
            Picture out = sentinel;
            std::string why;
            const std::vector<uint8_t> cut(whole.begin(), whole.begin() + length);
            EXPECT_FALSE(decode(cut, &out, &why)) << length;
            EXPECT_FALSE(why.empty());
            EXPECT_EQ(out.rgba, sentinel.rgba);
        }
    }
    // Headers claiming 100,000 x 100,000 pixels are refused for their size,
    // before any pixel memory is taken.
    Picture out = sentinel;
    std::string why;
    EXPECT_FALSE(decode(TestPictures::pngClaiming(100000, 100000), &out, &why));
    EXPECT_NE(why.find("too large"), std::string::npos) << why;
    std::vector<uint8_t> jpeg = TestPictures::jpeg(TestPictures::filled(8, 8, 5, 5, 5));
    for (size_t i = 0; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xff && jpeg[i + 1] == 0xc0)
            for (size_t k = 5; k < 9; ++k)
                jpeg[i + k] = 0xea;  // 60,000 x 60,000
    EXPECT_FALSE(decode(jpeg, &out, &why));
    EXPECT_NE(why.find("too large"), std::string::npos) << why;
    // A size within the sides but past the pixel count is refused too.
    PictureDecoder::Limits small;
    small.maxPixels = 100;
    const std::vector<uint8_t> eleven = TestPictures::png(TestPictures::filled(11, 10, 1, 1, 1));
    EXPECT_FALSE(PictureDecoder::decode(eleven.data(), eleven.size(), small, &out, &why));
    EXPECT_FALSE(decode({'G', 'I', 'F', '8', '9', 'a', 0, 0}, &out, &why));
    EXPECT_EQ(out.rgba, sentinel.rgba);
}

TEST(PictureDecoderTest, PicturesForTexturesComeAtPowerOfTwoSizesKeepingTransparency) {
    Picture picture = TestPictures::filled(300, 200, 10, 200, 30);
    for (int32_t x = 0; x < 150; ++x)
        for (int32_t y = 0; y < 200; ++y)
            picture.rgba[(static_cast<size_t>(y) * 300 + x) * 4 + 3] = 0;
    const std::vector<uint8_t> png = TestPictures::png(picture);
    Picture out;
    std::string why;
    ASSERT_TRUE(PictureDecoder::decodeForTexture(png.data(), png.size(), PictureDecoder::Limits(),
                                                 &out, &why));
    EXPECT_EQ(out.width, 256);
    EXPECT_EQ(out.height, 256);
    EXPECT_EQ(out.rgba[3], 0);                           // left half clear
    EXPECT_EQ(out.rgba[(256 * 10 + 250) * 4 + 3], 255);  // right half solid
    EXPECT_EQ(out.rgba[(256 * 10 + 250) * 4 + 1], 200);
}

}  // namespace
