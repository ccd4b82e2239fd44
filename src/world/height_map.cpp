#include "world/height_map.h"

#include <cstdio>

#include "base/byte_reader.h"

namespace vorn {
namespace {

std::string format(const char* fmt, const std::string& a) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, fmt, a.c_str());
  return buffer;
}

std::string formatRow(const char* fmt, int row, const std::string& name) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, fmt, row, name.c_str());
  return buffer;
}

bool fail(std::string& detail, HeightGrid& out, std::string message) {
  detail = std::move(message);
  out = HeightGrid();
  return false;
}

// Fills one grid row from the packet stream at `offset`. A count of 0 does not
// end the row: decoding goes on until the row is full, so a short row takes
// its missing samples from the bytes that follow it; a long run is cut at the
// row's end. Reading past the end of the file fails.
bool decodeRunLengthRow(ByteReader& in, size_t offset, float* row, int width) {
  if (!in.seek(offset)) return false;
  int x = 0;
  while (x < width) {
    uint8_t head = 0;
    if (!in.u8(head)) return false;
    const int count = head & 0x7f;
    if (head & 0x80) {
      const uint8_t* literal = in.take(static_cast<size_t>(count));
      if (!literal) return false;
      for (int i = 0; i < count && x < width; ++i) row[x++] = literal[i];
    } else {
      uint8_t value = 0;
      if (!in.u8(value)) return false;
      for (int i = 0; i < count && x < width; ++i) row[x++] = value;
    }
  }
  return true;
}

}  // namespace

bool decodeSgiHeightMap(const uint8_t* data, size_t size, const std::string& fileName,
                        float heightScale, HeightGrid& out, std::string& detail) {
  out = HeightGrid();
  ByteReader in(data, size);
  const std::string truncated = format("\tfile truncated: %s\n", fileName);

  uint16_t magic = 0;
  if (!in.be16(magic)) return fail(detail, out, truncated);
  if (magic != kSgiMagic) return fail(detail, out, "\tmagic!=474\n");
  uint8_t storage = 0;
  uint8_t bytesPerChannel = 0;
  if (!in.u8(storage)) return fail(detail, out, truncated);
  if (storage >= 2) return fail(detail, out, "\tformat>1\n");
  if (!in.u8(bytesPerChannel)) return fail(detail, out, truncated);
  if (bytesPerChannel == 2) return fail(detail, out, "\bpc==2 not supported\n");
  uint16_t dimension = 0, xSize = 0, ySize = 0, zSize = 0;
  if (!in.be16(dimension) || !in.be16(xSize) || !in.be16(ySize) || !in.be16(zSize)) {
    return fail(detail, out, truncated);
  }
  if (zSize > 4) return fail(detail, out, "\tzsize>4\n");
  uint32_t colourMap = 0;
  if (!in.skip(8 + 84) || !in.be32(colourMap)) return fail(detail, out, truncated);
  if (colourMap != 0) return fail(detail, out, "\tcolormap!=0\n");
  if (!in.skip(404)) return fail(detail, out, truncated);

  const int width = xSize;
  const int height = ySize;
  if (zSize == 0) return fail(detail, out, format("\tno channels (zsize 0): %s\n", fileName));
  if (width < kMinGridSide || height < kMinGridSide || width > kMaxGridSide || height > kMaxGridSide ||
      width * height > kMaxGridPoints) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer,
                  "\tgrid %d x %d unusable (2 to %d points a side, at most %d in all): %s\n", width,
                  height, kMaxGridSide, kMaxGridPoints, fileName.c_str());
    return fail(detail, out, buffer);
  }

  HeightGrid grid;
  grid.width = width;
  grid.height = height;
  grid.heights.assign(static_cast<size_t>(width) * height, 0.0f);

  if (storage == 1) {
    // Start table then length table, zsize * H entries each; channel 0's rows
    // are the first H starts. The lengths are not needed.
    const size_t entries = static_cast<size_t>(zSize) * height;
    std::vector<uint32_t> starts(entries);
    for (size_t i = 0; i < entries; ++i) {
      if (!in.be32(starts[i])) return fail(detail, out, truncated);
    }
    if (!in.skip(entries * 4)) return fail(detail, out, truncated);
    for (int r = 0; r < height; ++r) {
      if (starts[r] >= size) {
        return fail(detail, out, formatRow("\trow %d starts outside the file: %s\n", r, fileName));
      }
      if (!decodeRunLengthRow(in, starts[r], &grid.heights[static_cast<size_t>(r) * width], width)) {
        return fail(detail, out, formatRow("\trow %d runs past the end of the file: %s\n", r, fileName));
      }
    }
  } else {
    const uint8_t* plane = in.take(grid.heights.size());
    if (!plane) return fail(detail, out, truncated);
    for (size_t i = 0; i < grid.heights.size(); ++i) grid.heights[i] = plane[i];
  }

  for (float& h : grid.heights) h *= heightScale;
  out = std::move(grid);
  detail.clear();
  return true;
}

}  // namespace vorn
