#include "assets/image.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

TEST(VornImage, NewImageHasNoPixelsAndResetSizesForTheFormat) {
  VornImage image;
  EXPECT_TRUE(image.pixels.empty());
  EXPECT_EQ(image.type, kImageUnsignedByte);
  image.reset(3, 2, kImageRGBA, kImageRGBA);
  EXPECT_EQ(image.pixels.size(), 24u);
  image.reset(3, 2, kImageLuminance8, kImageLuminance);
  EXPECT_EQ(image.pixels.size(), 6u);
}

TEST(VornImage, CopyFlippedReversesRowsForEveryPixelSize) {
  for (uint32_t format : {kImageRGB, kImageRGBA, kImageLuminance}) {
    VornImage source;
    source.reset(2, 3, format, format);
    for (size_t i = 0; i < source.pixels.size(); ++i) source.pixels[i] = static_cast<uint8_t>(i);
    VornImage copy;
    copy.pixels = {9, 9, 9};  // replaced, not appended to
    copy.copyFlipped(source);
    EXPECT_EQ(copy.width, 2u);
    EXPECT_EQ(copy.height, 3u);
    EXPECT_EQ(copy.format, format);
    const size_t row = 2 * source.bytesPerPixel();
    ASSERT_EQ(copy.pixels.size(), source.pixels.size());
    for (uint32_t y = 0; y < 3; ++y)
      for (size_t k = 0; k < row; ++k) EXPECT_EQ(copy.pixels[y * row + k], source.pixels[(2 - y) * row + k]);
  }
}

TEST(VornImage, SwapRedBlueExchangesBytesZeroAndTwo) {
  uint8_t three[] = {1, 2, 3, 4, 5, 6};
  swapRedBlue3(three, 2);
  EXPECT_EQ(std::vector<uint8_t>(three, three + 6), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
  uint8_t four[] = {1, 2, 3, 4, 5, 6, 7, 8};
  swapRedBlue4(four, 2);
  EXPECT_EQ(std::vector<uint8_t>(four, four + 8), (std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 8}));
}

}  // namespace
}  // namespace vorn
