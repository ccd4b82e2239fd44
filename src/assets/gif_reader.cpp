#include "assets/gif_reader.h"

#include <array>
#include <cstring>
#include <vector>

#include "assets/decode_support.h"

namespace vorn {
namespace {

constexpr uint32_t kTableSize = 4096;
constexpr uint32_t kMaxCodeBits = 12;
constexpr uint32_t kMaxMinCodeSize = 11;
constexpr uint8_t kImageSeparator = ',';

// Codes packed least significant bit first across the length-prefixed
// sub-blocks of the image data.
class CodeReader {
 public:
  explicit CodeReader(ByteReader& in) : in_(in) {}

  // One code of `bits` bits; false when the data (or the file) ends first.
  bool next(uint32_t bits, uint32_t& code) {
    while (count_ < bits) {
      if (blockLeft_ == 0) {
        if (ended_ || !in_.u8(blockLeft_) || blockLeft_ == 0) {
          ended_ = true;
          return false;
        }
      }
      uint8_t byte = 0;
      if (!in_.u8(byte)) {
        ended_ = true;
        return false;
      }
      --blockLeft_;
      buffer_ |= uint32_t{byte} << count_;
      count_ += 8;
    }
    code = buffer_ & ((1u << bits) - 1);
    buffer_ >>= bits;
    count_ -= bits;
    return true;
  }

 private:
  ByteReader& in_;
  uint32_t buffer_ = 0;
  uint32_t count_ = 0;
  uint8_t blockLeft_ = 0;
  bool ended_ = false;
};

bool readColourTable(ByteReader& in, uint8_t packed, std::vector<uint8_t>& table) {
  const size_t entries = size_t{1} << ((packed & 7) + 1);
  const uint8_t* p = in.take(entries * 3);
  if (!p) return false;
  table.assign(p, p + entries * 3);
  return true;
}

// Decodes colour indices until `wanted` are produced or the end code comes.
// Returns false with `detail` set on a code the table cannot hold.
bool decodeLzw(CodeReader& codes, uint32_t minCodeSize, size_t wanted, std::vector<uint8_t>& indices,
               const std::string& name, std::string& detail) {
  std::array<uint16_t, kTableSize> prefix{};
  std::array<uint8_t, kTableSize> suffix{};
  std::array<uint8_t, kTableSize> first{};
  std::array<uint8_t, kTableSize + 1> stack{};
  const uint32_t clear = 1u << minCodeSize;
  const uint32_t end = clear + 1;
  for (uint32_t c = 0; c < clear; ++c) {
    suffix[c] = static_cast<uint8_t>(c);
    first[c] = static_cast<uint8_t>(c);
  }
  uint32_t width = minCodeSize + 1;
  uint32_t next = clear + 2;
  bool havePrevious = false;
  uint32_t previous = 0;
  uint32_t code = 0;

  while (indices.size() < wanted && codes.next(width, code)) {
    if (code == clear) {
      width = minCodeSize + 1;
      next = clear + 2;
      havePrevious = false;
      continue;
    }
    if (code == end) break;
    if (code > next || (code == next && !havePrevious) || (code >= clear && code < clear + 2)) {
      detail = formatText("\tlzw code out of range: %s\n", name.c_str());
      return false;
    }
    const bool repeatsPrevious = code == next;  // the string is previous + its own first byte
    const uint32_t walkFrom = repeatsPrevious ? previous : code;
    size_t depth = 0;
    if (repeatsPrevious) stack[depth++] = first[previous];
    // Every entry's prefix is a smaller code, so the walk ends within the table.
    for (uint32_t c = walkFrom;; c = prefix[c]) {
      stack[depth++] = suffix[c];
      if (c < clear) break;
    }
    if (havePrevious && next < kTableSize) {
      // A full table without a clear code keeps decoding with the entries it has.
      prefix[next] = static_cast<uint16_t>(previous);
      suffix[next] = stack[depth - 1];
      first[next] = first[previous];
      ++next;
      if (next == (1u << width) && width < kMaxCodeBits) ++width;
    }
    while (depth > 0 && indices.size() < wanted) indices.push_back(stack[--depth]);
    previous = code;
    havePrevious = true;
  }
  return true;
}

// Row of the picture that the r-th decoded row of an interlaced image fills.
uint32_t interlacedRow(uint32_t r, uint32_t height) {
  const uint32_t pass1 = (height + 7) / 8;
  if (r < pass1) return r * 8;
  r -= pass1;
  const uint32_t pass2 = (height + 3) / 8;
  if (r < pass2) return 4 + r * 8;
  r -= pass2;
  const uint32_t pass3 = (height + 1) / 4;
  if (r < pass3) return 2 + r * 4;
  return 1 + (r - pass3) * 2;
}

}  // namespace

bool decodeGIF(const uint8_t* data, size_t size, const std::string& name, VornImage& image, std::string& detail,
               const ImageLimits& limits) {
  image = VornImage();
  ByteReader in(data, size);
  const size_t signatureBytes = size < 6 ? size : 6;
  const uint8_t* signature = in.take(signatureBytes);
  if (signatureBytes < 6 || std::memcmp(signature, "GIF87a", 6) != 0) {
    std::string shown;
    for (size_t i = 0; i < signatureBytes; ++i) {
      const char c = static_cast<char>(signature[i]);
      shown += (c >= 32 && c < 127) ? c : '?';
    }
    detail = formatText("\tunsopported gif format %s\n", shown.c_str());
    return false;
  }
  uint16_t screenWidth = 0, screenHeight = 0;
  uint8_t packed = 0, background = 0, aspect = 0;
  std::vector<uint8_t> globalTable, localTable;
  if (!in.le16(screenWidth) || !in.le16(screenHeight) || !in.u8(packed) || !in.u8(background) ||
      !in.u8(aspect) || ((packed & 0x80) && !readColourTable(in, packed, globalTable))) {
    detail = truncatedDetail(name);
    return false;
  }
  // Anything before the image separator (extension blocks) is passed over.
  uint8_t byte = 0;
  do {
    if (!in.u8(byte)) {
      detail = truncatedDetail(name);
      return false;
    }
  } while (byte != kImageSeparator);

  uint16_t left = 0, top = 0, width = 0, height = 0;
  uint8_t imagePacked = 0;
  if (!in.le16(left) || !in.le16(top) || !in.le16(width) || !in.le16(height) || !in.u8(imagePacked) ||
      ((imagePacked & 0x80) && !readColourTable(in, imagePacked, localTable))) {
    detail = truncatedDetail(name);
    return false;
  }
  const std::vector<uint8_t>& table = !localTable.empty() ? localTable : globalTable;
  if (table.empty()) {
    detail = "\tno color map defined\n";
    return false;
  }
  if (!checkImageSize(width, height, limits, detail)) return false;
  uint8_t minCodeSize = 0;
  if (!in.u8(minCodeSize)) {
    detail = truncatedDetail(name);
    return false;
  }
  if (minCodeSize < 1 || minCodeSize > kMaxMinCodeSize) {
    detail = formatText("\tlzw code size %d not supported\n", minCodeSize);
    return false;
  }

  const size_t n = size_t{width} * height;
  std::vector<uint8_t> indices;
  CodeReader codes(in);
  if (!decodeLzw(codes, minCodeSize, n, indices, name, detail)) return false;
  if (indices.size() < n) {
    detail = truncatedDetail(name);
    return false;
  }

  const bool interlaced = (imagePacked & 0x40) != 0;
  const size_t entries = table.size() / 3;
  image.reset(width, height, kImageRGB, kImageRGB);
  for (uint32_t r = 0; r < height; ++r) {
    const uint32_t row = interlaced ? interlacedRow(r, height) : r;
    // The file stores the top row first; the image keeps the bottom row first.
    uint8_t* out = &image.pixels[size_t{height - 1 - row} * width * 3];
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t index = indices[size_t{r} * width + x];
      if (index >= entries) {
        image = VornImage();
        detail = formatText("\tcolor index out of range: %s\n", name.c_str());
        return false;
      }
      std::memcpy(out + x * 3, &table[index * 3], 3);
    }
  }
  return true;
}

}  // namespace vorn
