// The generator's image writers, each read back through the game's own reader.
#include "assetgen/image_write.h"

#include <gtest/gtest.h>

#include <utility>

#include "assets/assets_test_util.h"
#include "assets/bmp_codec.h"
#include "assets/gif_reader.h"
#include "assets/sgi_reader.h"
#include "assets/tga_reader.h"

namespace vorn {
namespace {

assetgen::Pixels picture(uint32_t width, uint32_t height, uint32_t channels) {
  assetgen::Pixels p(width, height, channels);
  for (size_t i = 0; i < p.data.size(); ++i) p.data[i] = static_cast<uint8_t>(i % 7 < 4 ? 200 : (i / 5) * 13);
  return p;
}

assetgen::IndexedPixels indexed(uint32_t width, uint32_t height, uint32_t entries) {
  assetgen::IndexedPixels p;
  p.width = width;
  p.height = height;
  for (uint32_t i = 0; i < entries; ++i)
    p.palette.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i)});
  uint32_t state = 12345;
  for (uint32_t i = 0; i < width * height; ++i) {
    state = state * 1103515245u + 12345u;
    p.indices.push_back(static_cast<uint8_t>(((state >> 16) % 7 + i / 900) % entries));
  }
  return p;
}

// A pixel in the reader's format: the first `channels` of its RGBA, or its palette colour.
std::vector<uint8_t> pixelOf(const assetgen::Pixels& p, uint32_t x, uint32_t y, long channels) {
  const auto c = p.rgba(x, y);
  return std::vector<uint8_t>(c.begin(), c.begin() + channels);
}
std::vector<uint8_t> pixelOf(const assetgen::IndexedPixels& p, uint32_t x, uint32_t y, long) {
  const auto& c = p.palette[p.indices[y * p.width + x]];
  return std::vector<uint8_t>(c.begin(), c.end());
}

// The generator paints rows top first; the readers keep the bottom row first.
template <typename Picture>
void expectReadBack(const std::string& what, const std::vector<uint8_t>& file, test::Decoder decode,
                    const Picture& p, long channels = 3) {
  SCOPED_TRACE(what);
  const VornImage image = test::decodeOk(decode, file);
  ASSERT_EQ(std::make_pair(image.width, image.height), std::make_pair(p.width, p.height));
  const uint32_t bpp = image.bytesPerPixel();
  for (uint32_t y = 0; y < p.height; ++y)
    for (uint32_t x = 0; x < p.width; ++x) {
      const auto at = image.pixels.begin() + static_cast<long>((size_t{p.height - 1 - y} * p.width + x) * bpp);
      ASSERT_EQ(std::vector<uint8_t>(at, at + bpp), pixelOf(p, x, y, channels)) << "at " << x << "," << y;
    }
}

TEST(ImageWriters, EveryWriterRoundTripsThroughTheGamesReader) {
  expectReadBack("BMP 24-bit", assetgen::writeBMP24(picture(5, 3, 3)), decodeBMP, picture(5, 3, 3));
  for (const int bits : {1, 4, 8}) {
    const assetgen::IndexedPixels p = indexed(7, 2, 1u << bits);
    expectReadBack("BMP " + std::to_string(bits) + "-bit", assetgen::writeBMPIndexed(p, bits), decodeBMP, p);
  }
  for (const uint32_t channels : {1u, 3u, 4u}) {
    const assetgen::Pixels p = picture(11, 5, channels);
    const long read = channels == 4 ? 4 : 3;
    for (const bool runLength : {false, true}) {
      const std::string name = std::to_string(channels) + " channels, rle " + std::to_string(runLength);
      for (const bool top : {false, true})
        expectReadBack("TGA " + name + ", top " + std::to_string(top), assetgen::writeTGA(p, {runLength, top}),
                       decodeTGA, p, read);
      // Run-length grey stays one channel; verbatim grey is read as RGB.
      expectReadBack("SGI " + name, assetgen::writeSGI(p, runLength), decodeSGI, p,
                     channels == 1 && runLength ? 1 : read);
    }
  }
  // Enough varied pixels that the writer's table fills and restarts with a clear code.
  const assetgen::IndexedPixels many = indexed(300, 200, 256);
  expectReadBack("GIF", assetgen::writeGIF87a(many), decodeGIF, many);
}

}  // namespace
}  // namespace vorn
