// Helpers of the terrain tests: little SGI height maps and BMP material maps
// built byte by byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_bytes.h"

namespace vorn::test {

struct SgiHeader {
  uint16_t magic = 474;
  uint8_t storage = 0;  // 1: run-length
  uint8_t bytesPerChannel = 1;
  uint16_t width = 0, height = 0, channels = 1;
  uint32_t colourMap = 0;
};

inline Bytes sgiHeader(const SgiHeader& h) {
  Bytes b;
  b.be16(h.magic).u8(h.storage).u8(h.bytesPerChannel).be16(3).be16(h.width).be16(h.height).be16(h.channels);
  b.be32(0).be32(255).zeros(84).be32(h.colourMap).zeros(404);
  return b;
}

// Verbatim one-channel height map; `rows` bottom (grid row 0) first.
inline std::vector<uint8_t> sgiVerbatim(const std::vector<std::vector<uint8_t>>& rows) {
  Bytes b = sgiHeader({474, 0, 1, static_cast<uint16_t>(rows[0].size()), static_cast<uint16_t>(rows.size()), 1, 0});
  for (const auto& row : rows) b.append(row);
  return b.data;
}

// Run-length height map whose rows are the packet streams as given (no
// terminating zero is added), channel after channel.
inline std::vector<uint8_t> sgiRunLength(uint16_t width, const std::vector<std::vector<uint8_t>>& streams,
                                         uint16_t channels = 1) {
  Bytes b = sgiHeader({474, 1, 1, width, static_cast<uint16_t>(streams.size() / channels), channels, 0});
  uint32_t offset = static_cast<uint32_t>(512 + streams.size() * 8);
  for (const auto& s : streams) {
    b.be32(offset);
    offset += static_cast<uint32_t>(s.size());
  }
  for (const auto& s : streams) b.be32(static_cast<uint32_t>(s.size()));
  for (const auto& s : streams) b.append(s);
  return b.data;
}

struct BmpPixel {
  uint8_t blue, green, red;
};

// 24-bit material map, rows packed, grid row 0 first; `infoSize` is the info
// header size written (40 is the usual one).
inline std::vector<uint8_t> materialBmp(int width, int height, const std::vector<BmpPixel>& pixels,
                                        uint32_t infoSize = 40, uint16_t bitCount = 24) {
  Bytes b;
  b.u8('B').u8('M').le32(static_cast<uint32_t>(54 + pixels.size() * 3)).le32(0).le32(14 + infoSize);
  b.le32(infoSize).le32(static_cast<uint32_t>(width)).le32(static_cast<uint32_t>(height)).le16(1).le16(bitCount);
  if (infoSize > 16) b.zeros(infoSize - 16);
  for (const BmpPixel& p : pixels) b.u8(p.blue).u8(p.green).u8(p.red);
  return b.data;
}

}  // namespace vorn::test
