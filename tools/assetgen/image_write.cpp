#include "assetgen/image_write.h"

#include <cassert>
#include <unordered_map>

namespace assetgen {
namespace {

void put8(std::vector<uint8_t>& out, uint32_t v) { out.push_back(static_cast<uint8_t>(v)); }
void putLE16(std::vector<uint8_t>& out, uint32_t v) {
  put8(out, v & 0xFF);
  put8(out, (v >> 8) & 0xFF);
}
void putLE32(std::vector<uint8_t>& out, uint32_t v) {
  putLE16(out, v & 0xFFFF);
  putLE16(out, v >> 16);
}
void putBE16(std::vector<uint8_t>& out, uint32_t v) {
  put8(out, (v >> 8) & 0xFF);
  put8(out, v & 0xFF);
}
void putBE32(std::vector<uint8_t>& out, uint32_t v) {
  putBE16(out, v >> 16);
  putBE16(out, v & 0xFFFF);
}
void setBE32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v >> 24);
  out[at + 1] = static_cast<uint8_t>(v >> 16);
  out[at + 2] = static_cast<uint8_t>(v >> 8);
  out[at + 3] = static_cast<uint8_t>(v);
}

void checkPixels(const Pixels& image) {
  assert((image.channels == 1 || image.channels == 3 || image.channels == 4) && "Pixels: 1, 3 or 4 channels");
  assert(image.data.size() == size_t{image.width} * image.height * image.channels && "Pixels: data size");
  (void)image;
}

// The 14-byte file header and 40-byte info header shared by every BMP depth.
void putBmpHeaders(std::vector<uint8_t>& out, uint32_t width, uint32_t height, int bits, uint32_t paletteBytes,
                   uint32_t rowBytes) {
  const uint32_t imageBytes = rowBytes * height;
  const uint32_t offset = 54 + paletteBytes;
  put8(out, 'B');
  put8(out, 'M');
  putLE32(out, offset + imageBytes);
  putLE32(out, 0);
  putLE32(out, offset);
  putLE32(out, 40);
  putLE32(out, width);
  putLE32(out, height);
  putLE16(out, 1);
  putLE16(out, static_cast<uint32_t>(bits));
  putLE32(out, 0);  // no compression
  putLE32(out, imageBytes);
  putLE32(out, 3780);  // 96 dots per inch
  putLE32(out, 3780);
  putLE32(out, bits <= 8 ? (1u << bits) : 0);
  putLE32(out, 0);
}

}  // namespace

std::array<uint8_t, 4> Pixels::rgba(uint32_t x, uint32_t y) const {
  const uint8_t* p = at(x, y);
  switch (channels) {
    case 1: return {p[0], p[0], p[0], 255};
    case 3: return {p[0], p[1], p[2], 255};
    default: return {p[0], p[1], p[2], p[3]};
  }
}

std::vector<uint8_t> writeBMP24(const Pixels& image) {
  checkPixels(image);
  const uint32_t rowBytes = (image.width * 3 + 3) & ~3u;
  std::vector<uint8_t> out;
  out.reserve(54 + size_t{rowBytes} * image.height);
  putBmpHeaders(out, image.width, image.height, 24, 0, rowBytes);
  for (uint32_t row = 0; row < image.height; ++row) {
    const uint32_t y = image.height - 1 - row;
    for (uint32_t x = 0; x < image.width; ++x) {
      const auto c = image.rgba(x, y);
      put8(out, c[2]);
      put8(out, c[1]);
      put8(out, c[0]);
    }
    for (uint32_t pad = image.width * 3; pad < rowBytes; ++pad) put8(out, 0);
  }
  return out;
}

std::vector<uint8_t> writeBMPIndexed(const IndexedPixels& image, int bitsPerPixel) {
  assert((bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8) && "writeBMPIndexed: depth 1, 4 or 8");
  assert(image.indices.size() == size_t{image.width} * image.height && "writeBMPIndexed: index count");
  const uint32_t entries = 1u << bitsPerPixel;
  const uint32_t rowBits = image.width * static_cast<uint32_t>(bitsPerPixel);
  const uint32_t rowBytes = ((rowBits + 31) / 32) * 4;
  std::vector<uint8_t> out;
  putBmpHeaders(out, image.width, image.height, bitsPerPixel, entries * 4, rowBytes);
  for (uint32_t i = 0; i < entries; ++i) {
    const std::array<uint8_t, 3> c = i < image.palette.size() ? image.palette[i] : std::array<uint8_t, 3>{0, 0, 0};
    put8(out, c[2]);
    put8(out, c[1]);
    put8(out, c[0]);
    put8(out, 0);
  }
  for (uint32_t row = 0; row < image.height; ++row) {
    const uint32_t y = image.height - 1 - row;
    std::vector<uint8_t> bytes(rowBytes, 0);
    for (uint32_t x = 0; x < image.width; ++x) {
      const uint32_t index = image.indices[size_t{y} * image.width + x];
      assert(index < entries && "writeBMPIndexed: index exceeds depth");
      const uint32_t bit = x * static_cast<uint32_t>(bitsPerPixel);
      // Pixels fill each byte from its most significant bits down.
      const uint32_t shift = 8 - static_cast<uint32_t>(bitsPerPixel) - (bit % 8);
      bytes[bit / 8] = static_cast<uint8_t>(bytes[bit / 8] | (index << shift));
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

std::vector<uint8_t> writeTGA(const Pixels& image, const TgaOptions& options) {
  checkPixels(image);
  assert(image.width <= 0xFFFF && image.height <= 0xFFFF && "writeTGA: 16-bit dimensions");
  const uint32_t bytesPerPixel = image.channels == 4 ? 4 : 3;
  std::vector<uint8_t> out;
  put8(out, 0);                           // no ID field
  put8(out, 0);                           // no colour map
  put8(out, options.runLength ? 10 : 2);  // true colour
  putLE16(out, 0);
  putLE16(out, 0);
  put8(out, 0);
  putLE16(out, 0);
  putLE16(out, 0);
  putLE16(out, image.width);
  putLE16(out, image.height);
  put8(out, bytesPerPixel * 8);
  put8(out, (options.topOrigin ? 0x20 : 0) | (bytesPerPixel == 4 ? 8 : 0));

  auto pixelAt = [&](uint32_t x, uint32_t row) {
    const uint32_t y = options.topOrigin ? row : image.height - 1 - row;
    return image.rgba(x, y);
  };
  auto putPixel = [&](const std::array<uint8_t, 4>& c) {
    put8(out, c[2]);
    put8(out, c[1]);
    put8(out, c[0]);
    if (bytesPerPixel == 4) put8(out, c[3]);
  };
  for (uint32_t row = 0; row < image.height; ++row) {
    if (!options.runLength) {
      for (uint32_t x = 0; x < image.width; ++x) putPixel(pixelAt(x, row));
      continue;
    }
    // Packets never cross a row end, which every reader accepts.
    uint32_t x = 0;
    while (x < image.width) {
      uint32_t run = 1;
      while (x + run < image.width && run < 128 && pixelAt(x + run, row) == pixelAt(x, row)) ++run;
      if (run >= 2) {
        put8(out, 0x80 | (run - 1));
        putPixel(pixelAt(x, row));
        x += run;
        continue;
      }
      uint32_t literal = 1;
      while (x + literal < image.width && literal < 128 &&
             !(x + literal + 1 < image.width && pixelAt(x + literal, row) == pixelAt(x + literal + 1, row))) {
        ++literal;
      }
      put8(out, literal - 1);
      for (uint32_t i = 0; i < literal; ++i) putPixel(pixelAt(x + i, row));
      x += literal;
    }
  }
  return out;
}

std::vector<uint8_t> writeSGI(const Pixels& image, bool runLength) {
  checkPixels(image);
  assert(image.width <= 0xFFFF && image.height <= 0xFFFF && "writeSGI: 16-bit dimensions");
  const uint32_t z = image.channels;
  std::vector<uint8_t> out;
  putBE16(out, 474);
  put8(out, runLength ? 1 : 0);
  put8(out, 1);  // one byte per channel
  putBE16(out, z == 1 ? 2 : 3);
  putBE16(out, image.width);
  putBE16(out, image.height);
  putBE16(out, z);
  putBE32(out, 0);
  putBE32(out, 255);
  out.resize(out.size() + 84, 0);  // dummy word and image name
  putBE32(out, 0);                 // colour-map id: normal image
  out.resize(512, 0);

  // Line y of the file counts from the bottom of the picture.
  auto channelRow = [&](uint32_t c, uint32_t line) {
    std::vector<uint8_t> row(image.width);
    const uint32_t y = image.height - 1 - line;
    for (uint32_t x = 0; x < image.width; ++x) row[x] = image.at(x, y)[c];
    return row;
  };
  if (!runLength) {
    for (uint32_t c = 0; c < z; ++c) {
      for (uint32_t line = 0; line < image.height; ++line) {
        const auto row = channelRow(c, line);
        out.insert(out.end(), row.begin(), row.end());
      }
    }
    return out;
  }

  const size_t tableEntries = size_t{z} * image.height;
  const size_t tableAt = out.size();
  out.resize(out.size() + tableEntries * 8, 0);
  for (uint32_t c = 0; c < z; ++c) {
    for (uint32_t line = 0; line < image.height; ++line) {
      const auto row = channelRow(c, line);
      const size_t start = out.size();
      uint32_t x = 0;
      while (x < image.width) {
        uint32_t run = 1;
        while (x + run < image.width && run < 127 && row[x + run] == row[x]) ++run;
        if (run >= 3) {
          put8(out, run);
          put8(out, row[x]);
          x += run;
          continue;
        }
        uint32_t literal = 1;
        while (x + literal < image.width && literal < 127 &&
               !(x + literal + 2 < image.width && row[x + literal] == row[x + literal + 1] &&
                 row[x + literal] == row[x + literal + 2])) {
          ++literal;
        }
        put8(out, 0x80 | literal);
        out.insert(out.end(), row.begin() + x, row.begin() + x + literal);
        x += literal;
      }
      put8(out, 0);  // end of row
      const size_t index = size_t{c} * image.height + line;
      setBE32(out, tableAt + index * 4, static_cast<uint32_t>(start));
      setBE32(out, tableAt + (tableEntries + index) * 4, static_cast<uint32_t>(out.size() - start));
    }
  }
  return out;
}

std::vector<uint8_t> writeGIF87a(const IndexedPixels& image) {
  assert(image.indices.size() == size_t{image.width} * image.height && "writeGIF87a: index count");
  assert(!image.palette.empty() && image.palette.size() <= 256 && "writeGIF87a: 1 to 256 palette entries");
  uint32_t tableBits = 1;
  while ((1u << tableBits) < image.palette.size()) ++tableBits;
  std::vector<uint8_t> out{'G', 'I', 'F', '8', '7', 'a'};
  putLE16(out, image.width);
  putLE16(out, image.height);
  put8(out, 0x80 | ((tableBits - 1) << 4) | (tableBits - 1));
  put8(out, 0);
  put8(out, 0);
  for (uint32_t i = 0; i < (1u << tableBits); ++i) {
    const std::array<uint8_t, 3> c = i < image.palette.size() ? image.palette[i] : std::array<uint8_t, 3>{0, 0, 0};
    out.insert(out.end(), c.begin(), c.end());
  }
  put8(out, ',');
  putLE16(out, 0);
  putLE16(out, 0);
  putLE16(out, image.width);
  putLE16(out, image.height);
  put8(out, 0);

  const uint32_t minCodeSize = tableBits < 2 ? 2 : tableBits;
  put8(out, minCodeSize);
  const uint32_t clearCode = 1u << minCodeSize;
  const uint32_t endCode = clearCode + 1;

  std::vector<uint8_t> data;
  uint32_t bitBuffer = 0;
  uint32_t bitCount = 0;
  uint32_t width = minCodeSize + 1;
  auto emit = [&](uint32_t code) {
    bitBuffer |= code << bitCount;
    bitCount += width;
    while (bitCount >= 8) {
      data.push_back(static_cast<uint8_t>(bitBuffer));
      bitBuffer >>= 8;
      bitCount -= 8;
    }
  };

  std::unordered_map<uint32_t, uint32_t> table;
  uint32_t nextCode = endCode + 1;
  emit(clearCode);
  if (!image.indices.empty()) {
    uint32_t prefix = image.indices[0];
    for (size_t i = 1; i < image.indices.size(); ++i) {
      const uint32_t c = image.indices[i];
      const uint32_t key = (prefix << 8) | c;
      const auto found = table.find(key);
      if (found != table.end()) {
        prefix = found->second;
        continue;
      }
      emit(prefix);
      table.emplace(key, nextCode++);
      // The decoder adds its entry one code later, so it widens exactly when
      // the encoder's next code passes the current width.
      if (nextCode > (1u << width) && width < 12) ++width;
      if (nextCode >= 4096) {
        emit(clearCode);
        table.clear();
        nextCode = endCode + 1;
        width = minCodeSize + 1;
      }
      prefix = c;
    }
    emit(prefix);
  }
  emit(endCode);
  if (bitCount > 0) data.push_back(static_cast<uint8_t>(bitBuffer));

  for (size_t at = 0; at < data.size(); at += 255) {
    const size_t n = data.size() - at < 255 ? data.size() - at : 255;
    put8(out, static_cast<uint32_t>(n));
    out.insert(out.end(), data.begin() + at, data.begin() + at + n);
  }
  put8(out, 0);
  put8(out, ';');
  return out;
}

}  // namespace assetgen
