#include "assetgen/png_writer.h"

#include <array>
#include <cassert>
#include <string>

namespace assetgen {
namespace {

// A stored deflate block carries at most this many bytes (its LEN is 16 bits).
constexpr size_t kStoredBlockMax = 65535;
constexpr uint32_t kAdlerModulus = 65521;

const std::array<uint32_t, 256>& crcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

void putBE32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

// Length, type, data and the CRC over type and data.
void putChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
  assert(data.size() <= 0x7FFFFFFFu && "a PNG chunk holds at most 2^31 - 1 bytes");
  putBE32(out, static_cast<uint32_t>(data.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  putBE32(out, pngCrc32(out.data() + typeAt, out.size() - typeAt));
}

// zlib header (deflate, 32 KiB window, no dictionary, check bits making it a
// multiple of 31), stored blocks, Adler-32 of the raw bytes.
std::vector<uint8_t> zlibStored(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> out = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t n = raw.size() - at < kStoredBlockMax ? raw.size() - at : kStoredBlockMax;
    const bool last = at + n == raw.size();
    out.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00; the rest of the byte pads to the boundary
    const uint16_t len = static_cast<uint16_t>(n);
    const uint16_t nlen = static_cast<uint16_t>(~len);
    out.push_back(static_cast<uint8_t>(len));
    out.push_back(static_cast<uint8_t>(len >> 8));
    out.push_back(static_cast<uint8_t>(nlen));
    out.push_back(static_cast<uint8_t>(nlen >> 8));
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
               raw.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
  } while (at < raw.size());
  putBE32(out, adler32(raw.data(), raw.size()));
  return out;
}

}  // namespace

uint32_t pngCrc32(const uint8_t* bytes, size_t size) {
  const auto& table = crcTable();
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) c = table[(c ^ bytes[i]) & 0xFFu] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

uint32_t adler32(const uint8_t* bytes, size_t size) {
  uint32_t a = 1, b = 0;
  for (size_t i = 0; i < size; ++i) {
    a = (a + bytes[i]) % kAdlerModulus;
    b = (b + a) % kAdlerModulus;
  }
  return (b << 16) | a;
}

std::vector<uint8_t> writePNG(const Pixels& image) {
  assert((image.channels == 1 || image.channels == 3 || image.channels == 4) && "PNG pixels are grey, RGB or RGBA");
  assert(image.width > 0 && image.height > 0 && "a PNG has at least one pixel");
  assert(image.data.size() == size_t{image.width} * image.height * image.channels && "pixel buffer size");
  const uint8_t colourType = image.channels == 1 ? 0 : image.channels == 3 ? 2 : 6;

  std::vector<uint8_t> header;
  putBE32(header, image.width);
  putBE32(header, image.height);
  header.insert(header.end(), {8, colourType, 0, 0, 0});  // depth, colour, deflate, filter set 0, no interlace

  // Each row is its filter byte (0: none) and the row's bytes.
  const size_t rowBytes = size_t{image.width} * image.channels;
  std::vector<uint8_t> raw;
  raw.reserve((rowBytes + 1) * image.height);
  for (uint32_t y = 0; y < image.height; ++y) {
    raw.push_back(0);
    const uint8_t* row = image.data.data() + y * rowBytes;
    raw.insert(raw.end(), row, row + rowBytes);
  }

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  putChunk(out, "IHDR", header);
  putChunk(out, "IDAT", zlibStored(raw));
  putChunk(out, "IEND", {});
  return out;
}

}  // namespace assetgen
