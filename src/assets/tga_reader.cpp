#include "assets/tga_reader.h"

#include <array>
#include <utility>
#include <vector>

#include "assets/decode_support.h"

namespace vorn {
namespace {

constexpr uint32_t kTypeMapped = 1;
constexpr uint32_t kTypeTrueColour = 2;
constexpr uint32_t kTypeMappedRle = 9;
constexpr uint32_t kTypeTrueColourRle = 10;
constexpr uint32_t kTopOriginBit = 0x20;
// A run-length packet of at least two bytes yields at most 128 pixels.
constexpr uint64_t kMaxPixelsPerRleByte = 64;

uint8_t widen5(uint32_t v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }

// One stored colour of 2, 3 or 4 bytes (blue first) as red, green, blue, alpha.
std::array<uint8_t, 4> colourOf(const uint8_t* p, uint32_t bytes) {
  if (bytes == 2) {
    const uint32_t v = loadLe16(p);
    return {widen5((v >> 10) & 31), widen5((v >> 5) & 31), widen5(v & 31), 255};
  }
  return {p[2], p[1], p[0], bytes == 4 ? p[3] : uint8_t{255}};
}

struct Header {
  uint8_t idLength = 0, mapType = 0, imageType = 0, mapEntryBits = 0, depth = 0, descriptor = 0;
  uint16_t mapFirst = 0, mapLength = 0, xOrigin = 0, yOrigin = 0, width = 0, height = 0;
};

bool readHeader(ByteReader& in, Header& h) {
  return in.u8(h.idLength) && in.u8(h.mapType) && in.u8(h.imageType) && in.le16(h.mapFirst) &&
         in.le16(h.mapLength) && in.u8(h.mapEntryBits) && in.le16(h.xOrigin) && in.le16(h.yOrigin) &&
         in.le16(h.width) && in.le16(h.height) && in.u8(h.depth) && in.u8(h.descriptor);
}

// Bytes of one stored colour for a depth in bits; 0 for depths we cannot read.
uint32_t colourBytes(uint32_t bits) {
  switch (bits) {
    case 15:
    case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 0;
  }
}

class PixelSource {
 public:
  PixelSource(ByteReader& in, bool mapped, uint32_t depth, const std::vector<std::array<uint8_t, 4>>& map)
      : in_(in), mapped_(mapped), map_(map) {
    bytes_ = mapped ? (depth <= 8 ? 1 : 2) : colourBytes(depth);
    mask_ = depth >= 16 ? 0xFFFFu : (1u << depth) - 1;
  }

  // Reads one stored pixel value; false with `detail` set on a short file or
  // an index outside the colour map.
  bool next(std::array<uint8_t, 4>& colour, const std::string& name, std::string& detail) {
    const uint8_t* p = in_.take(bytes_);
    if (!p) {
      detail = truncatedDetail(name);
      return false;
    }
    if (!mapped_) {
      colour = colourOf(p, bytes_);
      return true;
    }
    const uint32_t index = (bytes_ == 1 ? p[0] : loadLe16(p)) & mask_;
    if (index >= map_.size()) {
      detail = formatText("\tcolor index out of range: %s\n", name.c_str());
      return false;
    }
    colour = map_[index];
    return true;
  }

  uint32_t bytes() const { return bytes_; }

 private:
  ByteReader& in_;
  bool mapped_;
  const std::vector<std::array<uint8_t, 4>>& map_;
  uint32_t bytes_ = 0;
  uint32_t mask_ = 0;
};

}  // namespace

bool decodeTGA(const uint8_t* data, size_t size, const std::string& name, VornImage& image, std::string& detail,
               const ImageLimits& limits) {
  image = VornImage();
  ByteReader in(data, size);
  Header h;
  if (!readHeader(in, h) || !in.skip(h.idLength)) {
    detail = truncatedDetail(name);
    return false;
  }
  const uint32_t type = h.imageType;
  if (type != kTypeMapped && type != kTypeTrueColour && type != kTypeMappedRle && type != kTypeTrueColourRle) {
    detail = formatText("\tunknown file type %d\n", type);
    return false;
  }
  const bool mapped = type == kTypeMapped || type == kTypeMappedRle;
  const bool rle = type == kTypeMappedRle || type == kTypeTrueColourRle;

  std::vector<std::array<uint8_t, 4>> map;
  uint32_t mapBytes = 0;
  if (h.mapType == 1) {
    mapBytes = colourBytes(h.mapEntryBits);
    if (mapBytes == 0) {
      detail = formatText("\tunsupported color map entry size %d\n", h.mapEntryBits);
      return false;
    }
    map.resize(h.mapLength);
    for (auto& entry : map) {
      const uint8_t* p = in.take(mapBytes);
      if (!p) {
        detail = truncatedDetail(name);
        return false;
      }
      entry = colourOf(p, mapBytes);
    }
  }

  if (mapped) {
    if (h.depth == 0 || h.depth > 16) {
      detail = formatText("\tunsupported pixel depth %d\n", h.depth);
      return false;
    }
    if (map.empty()) {
      detail = "\tno color map defined\n";
      return false;
    }
    if (map.size() > (size_t{1} << h.depth)) {
      detail = formatText("\tcolor map larger than pixel depth allows: %s\n", name.c_str());
      return false;
    }
  } else if (colourBytes(h.depth) == 0) {
    detail = formatText("\tunsupported pixel depth %d\n", h.depth);
    return false;
  }

  if (!checkImageSize(h.width, h.height, limits, detail)) return false;
  const size_t n = size_t{h.width} * h.height;
  PixelSource source(in, mapped, h.depth, map);
  // Refuse sizes the remaining bytes cannot possibly hold before allocating.
  const uint64_t most = rle ? uint64_t{in.remaining()} * kMaxPixelsPerRleByte : in.remaining() / source.bytes();
  if (n > most) {
    detail = truncatedDetail(name);
    return false;
  }

  const bool alpha = mapped ? (type == kTypeMappedRle && mapBytes == 4) : h.depth == 32;
  const uint32_t format = alpha ? kImageRGBA : kImageRGB;
  VornImage result;
  result.reset(h.width, h.height, format, format);
  const uint32_t stride = result.bytesPerPixel();
  uint8_t* out = result.pixels.data();
  auto put = [&](size_t i, const std::array<uint8_t, 4>& c) {
    for (uint32_t k = 0; k < stride; ++k) out[i * stride + k] = c[k];
  };

  std::array<uint8_t, 4> colour{};
  size_t i = 0;
  if (!rle && !mapped && h.depth != 16 && h.depth != 15) {
    // Raw 24/32-bit colour, the common case: one blue/red swap per pixel.
    const uint8_t* p = in.take(n * stride);  // size checked above
    for (uint8_t* dst = out; i < n; ++i, p += stride, dst += stride) {
      dst[0] = p[2];
      dst[1] = p[1];
      dst[2] = p[0];
      if (stride == 4) dst[3] = p[3];
    }
  }
  while (i < n) {
    if (!rle) {
      if (!source.next(colour, name, detail)) return false;
      put(i++, colour);
      continue;
    }
    uint8_t packet = 0;
    if (!in.u8(packet)) {
      detail = truncatedDetail(name);
      return false;
    }
    const size_t count = (packet & 127u) + 1;
    // A packet reaching past the last pixel is cut there.
    const size_t end = i + count < n ? i + count : n;
    if (packet & 128u) {
      if (!source.next(colour, name, detail)) return false;
      while (i < end) put(i++, colour);
    } else {
      while (i < end) {
        if (!source.next(colour, name, detail)) return false;
        put(i++, colour);
      }
    }
  }

  if (h.descriptor & kTopOriginBit) {
    image.copyFlipped(result);
  } else {
    image = std::move(result);
  }
  return true;
}

}  // namespace vorn
