#include "world/material_map.h"

#include <cstdio>

#include "base/byte_reader.h"

namespace vorn {
namespace {

constexpr uint32_t kInfoFieldsSize = 16;  // header size, width, height, planes, bit count

bool fail(MaterialMap& out, std::string& detail, const char* fmt, const std::string& name) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, fmt, name.c_str());
  detail = buffer;
  out = MaterialMap();
  return false;
}

}  // namespace

std::array<float, 3> materialWeights(uint8_t blue, uint8_t green, uint8_t red) {
  const int sum = blue + green + red;
  if (sum == 0) return {1.0f, 0.0f, 0.0f};
  const float s = static_cast<float>(sum);
  return {red / s, green / s, blue / s};
}

std::array<float, 4> materialBlendColour(uint8_t blue, uint8_t green, uint8_t red) {
  const int sum = blue + green + red;
  if (sum == 0) return {0.0f, 0.0f, 0.0f, 0.0f};
  if (red + green == 0) return {0.0f, 0.0f, 0.0f, 1.0f};
  const float grey = static_cast<float>(green) / static_cast<float>(red + green);
  return {grey, grey, grey, static_cast<float>(blue) / static_cast<float>(sum)};
}

bool readMapBmpHeader(ByteReader& in, const std::string& fileName, MapBmpHeader& header, std::string& detail) {
  char buffer[512];
  auto failWith = [&](const char* fmt) {
    std::snprintf(buffer, sizeof buffer, fmt, fileName.c_str());
    detail = buffer;
    return false;
  };
  header = MapBmpHeader();
  const uint8_t* fileHeader = in.take(2);
  if (!fileHeader || fileHeader[0] != 'B' || fileHeader[1] != 'M') {
    return failWith("\tbmp header damaged or unknown : %s\n");
  }
  uint32_t headerSize = 0, width = 0, height = 0;
  uint16_t planes = 0;
  if (!in.skip(12) || !in.le32(headerSize) || !in.le32(width) || !in.le32(height) || !in.le16(planes) ||
      !in.le16(header.bitCount)) {
    return failWith("\tfile truncated: %s\n");
  }
  if (headerSize > kInfoFieldsSize && !in.skip(headerSize - kInfoFieldsSize)) {
    return failWith("\tfile truncated: %s\n");
  }
  if (header.bitCount != 24) {
    std::snprintf(buffer, sizeof buffer, "\tunsopported bit format only 24 bit supported : file pixelsize= %d\n",
                  header.bitCount);
    detail = buffer;
    return false;
  }
  header.width = static_cast<int32_t>(width);
  header.height = static_cast<int32_t>(height);
  return true;
}

const uint8_t* takeMapBmpPixels(ByteReader& in, const MapBmpHeader& header) {
  if (header.width < 0 || header.height < 0) return nullptr;
  // Both are at most 2^31 - 1, so the product fits in 64 bits.
  const uint64_t pixelBytes = uint64_t(header.width) * uint64_t(header.height) * 3;
  if (pixelBytes > in.remaining()) return nullptr;
  return in.take(static_cast<size_t>(pixelBytes));
}

bool decodeMaterialMap(const uint8_t* data, size_t size, const std::string& fileName, int gridWidth,
                       int gridHeight, MaterialMap& out, std::string& detail) {
  out = MaterialMap();
  ByteReader in(data, size);
  MapBmpHeader header;
  if (!readMapBmpHeader(in, fileName, header, detail)) return false;
  // A negative (top-down) or too small picture cannot cover the grid.
  const int32_t w = header.width;
  const int32_t h = header.height;
  if (gridWidth < 1 || gridHeight < 1 || w < gridWidth || h < gridHeight) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "\tmaterial map %d x %d does not cover the %d x %d grid: %s\n", w, h,
                  gridWidth, gridHeight, fileName.c_str());
    detail = buffer;
    return false;
  }
  const uint8_t* pixels = takeMapBmpPixels(in, header);
  if (!pixels) return fail(out, detail, "\tfile truncated: %s\n", fileName);
  const size_t width = static_cast<size_t>(w);

  // Rows are packed (width * 3 bytes, no padding); the first stored row is
  // grid row 0.
  auto pixel = [&](int row, int column) { return pixels + (static_cast<size_t>(row) * width + column) * 3; };
  MaterialMap map;
  map.width = gridWidth;
  map.height = gridHeight;
  map.weights.resize(static_cast<size_t>(gridWidth) * gridHeight * kMaterialChannels);
  for (int r = 0; r < gridHeight; ++r) {
    for (int c = 0; c < gridWidth; ++c) {
      const uint8_t* p = pixel(r, c);
      const auto weight = materialWeights(p[0], p[1], p[2]);
      float* dst = &map.weights[(static_cast<size_t>(r) * gridWidth + c) * kMaterialChannels];
      dst[0] = weight[0];
      dst[1] = weight[1];
      dst[2] = weight[2];
    }
  }
  map.blendColours.reserve(static_cast<size_t>(gridWidth) * 2 * (gridHeight - 1) * 4);
  for (int r = 0; r + 1 < gridHeight; ++r) {
    for (int c = 0; c < gridWidth; ++c) {
      for (int k = 0; k < 2; ++k) {
        const uint8_t* p = pixel(r + k, c);
        const auto colour = materialBlendColour(p[0], p[1], p[2]);
        map.blendColours.insert(map.blendColours.end(), colour.begin(), colour.end());
      }
    }
  }
  out = std::move(map);
  detail.clear();
  return true;
}

}  // namespace vorn
