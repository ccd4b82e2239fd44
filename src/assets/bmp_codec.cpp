#include "assets/bmp_codec.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "base/error_log.h"
#include "assets/decode_support.h"

namespace vorn {
namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoFieldsRead = 16;  // size, width, height, planes, bit count

// Where a parsed file keeps its palette and pixels.
struct BmpLayout {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bitCount = 0;
  uint32_t paletteEntries = 0;
  const uint8_t* palette = nullptr;  // blue, green, red, reserved
  const uint8_t* pixels = nullptr;   // bottom row first
  size_t rowBytes = 0;
};

bool parseBMP(const uint8_t* data, size_t size, const std::string& name, bool trueColourOnly,
              const ImageLimits& limits, BmpLayout& layout, std::string& detail) {
  ByteReader in(data, size);
  const uint8_t* magic = in.take(2);
  if (!magic || magic[0] != 'B' || magic[1] != 'M') {
    detail = formatText("\tbmp header damaged or unknown : %s\n", name.c_str());
    return false;
  }
  uint32_t fileSize = 0, reserved = 0, pixelOffset = 0, headerSize = 0, width = 0, height = 0;
  uint16_t planes = 0, bitCount = 0;
  if (!in.le32(fileSize) || !in.le32(reserved) || !in.le32(pixelOffset) || !in.le32(headerSize) ||
      !in.le32(width) || !in.le32(height) || !in.le16(planes) || !in.le16(bitCount)) {
    detail = truncatedDetail(name);
    return false;
  }
  if (headerSize < kInfoFieldsRead) {
    detail = formatText("\tbmp header damaged or unknown : %s\n", name.c_str());
    return false;
  }
  const size_t infoStart = kFileHeaderBytes;
  uint32_t compression = 0, coloursUsed = 0;
  if (headerSize >= 20 && in.remaining() >= 4) in.le32(compression);
  if (headerSize >= 36 && in.seek(infoStart + 32)) in.le32(coloursUsed);
  if (!in.seek(infoStart) || !in.skip(headerSize)) {
    detail = truncatedDetail(name);
    return false;
  }

  const bool depthKnown = trueColourOnly ? bitCount == 24
                                         : (bitCount == 24 || bitCount == 8 || bitCount == 4 || bitCount == 1);
  if (!depthKnown) {
    detail = formatText("\tunsopported bit format only 24 bit supported : file pixelsize= %d\n", bitCount);
    return false;
  }
  if (compression != 0) {
    detail = formatText("\tcompressed bmp not supported : %s\n", name.c_str());
    return false;
  }
  // Stored as signed: a negative height (rows top first) is refused with
  // the other impossible sizes.
  if (!checkImageSize(static_cast<int32_t>(width), static_cast<int32_t>(height), limits, detail)) return false;

  layout.width = width;
  layout.height = height;
  layout.bitCount = bitCount;
  if (bitCount <= 8) {
    const uint32_t full = 1u << bitCount;
    layout.paletteEntries = coloursUsed >= 1 && coloursUsed <= full ? coloursUsed : full;
    layout.palette = in.take(size_t{layout.paletteEntries} * 4);
    if (!layout.palette) {
      detail = truncatedDetail(name);
      return false;
    }
  }
  // Pixels start at the header's offset when it is plausible, else right
  // after the palette (where every writer we know puts them).
  if (pixelOffset >= in.position() && pixelOffset < size) in.seek(pixelOffset);

  layout.rowBytes = ((size_t{width} * bitCount + 31) / 32) * 4;
  const size_t lastRowBytes = (size_t{width} * bitCount + 7) / 8;
  const size_t needed = layout.rowBytes * (height - 1) + lastRowBytes;
  layout.pixels = in.take(needed);
  if (!layout.pixels) {
    detail = truncatedDetail(name);
    return false;
  }
  return true;
}

// Red, green, blue of every pixel into `out` at `stride` bytes a pixel.
bool expandPixels(const BmpLayout& layout, const std::string& name, uint8_t* out, size_t stride,
                  std::string& detail) {
  for (uint32_t y = 0; y < layout.height; ++y) {
    const uint8_t* row = layout.pixels + layout.rowBytes * y;
    uint8_t* dst = out + size_t{y} * layout.width * stride;
    for (uint32_t x = 0; x < layout.width; ++x, dst += stride) {
      if (layout.bitCount == 24) {
        dst[0] = row[x * 3 + 2];
        dst[1] = row[x * 3 + 1];
        dst[2] = row[x * 3];
        continue;
      }
      const size_t bit = size_t{x} * layout.bitCount;
      const uint32_t shift = 8 - layout.bitCount - static_cast<uint32_t>(bit % 8);
      const uint32_t index = (row[bit / 8] >> shift) & ((1u << layout.bitCount) - 1);
      if (index >= layout.paletteEntries) {
        detail = formatText("\tcolor index out of range: %s\n", name.c_str());
        return false;
      }
      const uint8_t* entry = layout.palette + index * 4;
      dst[0] = entry[2];
      dst[1] = entry[1];
      dst[2] = entry[0];
    }
  }
  return true;
}

}  // namespace

bool decodeBMP(const uint8_t* data, size_t size, const std::string& name, VornImage& image, std::string& detail,
               const ImageLimits& limits) {
  image = VornImage();
  BmpLayout layout;
  if (!parseBMP(data, size, name, false, limits, layout, detail)) return false;
  VornImage result;
  result.reset(layout.width, layout.height, kImageRGB, kImageRGB);
  if (!expandPixels(layout, name, result.pixels.data(), 3, detail)) return false;
  image = std::move(result);
  return true;
}

bool decodeBMPAlpha(const uint8_t* data, size_t size, const std::string& name, VornImage& image,
                    std::string& detail, const ImageLimits& limits) {
  image = VornImage();
  BmpLayout layout;
  if (!parseBMP(data, size, name, true, limits, layout, detail)) return false;
  VornImage result;
  result.reset(layout.width, layout.height, kImageRGBA, kImageRGBA);
  if (!expandPixels(layout, name, result.pixels.data(), 4, detail)) return false;
  for (size_t i = 0; i < result.pixels.size(); i += 4) result.pixels[i + 3] = result.pixels[i];
  image = std::move(result);
  return true;
}

bool decodeBMPMasked(const uint8_t* colour, size_t colourSize, const std::string& colourName, const uint8_t* mask,
                     size_t maskSize, const std::string& maskName, VornImage& image, std::string& detail,
                     const ImageLimits& limits) {
  image = VornImage();
  BmpLayout colourLayout, maskLayout;
  if (!parseBMP(colour, colourSize, colourName, true, limits, colourLayout, detail)) return false;
  if (!parseBMP(mask, maskSize, maskName, true, limits, maskLayout, detail)) return false;
  if (maskLayout.width != colourLayout.width || maskLayout.height != colourLayout.height) {
    detail = formatText("\tmask size differs from image: %s\n", maskName.c_str());
    return false;
  }
  VornImage result;
  result.reset(colourLayout.width, colourLayout.height, kImageRGBA, kImageRGBA);
  if (!expandPixels(colourLayout, colourName, result.pixels.data(), 4, detail)) return false;
  std::vector<uint8_t> maskRGB(size_t{maskLayout.width} * maskLayout.height * 3);
  if (!expandPixels(maskLayout, maskName, maskRGB.data(), 3, detail)) return false;
  for (size_t i = 0, n = maskRGB.size() / 3; i < n; ++i) result.pixels[i * 4 + 3] = maskRGB[i * 3];
  image = std::move(result);
  return true;
}

std::vector<uint8_t> encodeBMP(const VornImage& image) {
  const uint32_t bpp = image.bytesPerPixel();
  if (bpp == 0 || image.width == 0 || image.height == 0 ||
      image.pixels.size() != size_t{image.width} * image.height * bpp) {
    return {};
  }
  const size_t rowBytes = (size_t{image.width} * 3 + 3) & ~size_t{3};
  const size_t imageBytes = rowBytes * image.height;
  std::vector<uint8_t> out(54 + imageBytes, 0);
  auto put16 = [&](size_t at, uint32_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  auto put32 = [&](size_t at, uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, static_cast<uint32_t>(out.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, image.width);
  put32(22, image.height);
  put16(26, 1);
  put16(28, 24);
  put32(34, static_cast<uint32_t>(imageBytes));
  put32(38, 3780);
  put32(42, 3780);
  for (uint32_t y = 0; y < image.height; ++y) {
    uint8_t* dst = &out[54 + rowBytes * y];
    const uint8_t* src = &image.pixels[size_t{y} * image.width * bpp];
    for (uint32_t x = 0; x < image.width; ++x, src += bpp, dst += 3) {
      if (bpp == 1) {
        dst[0] = dst[1] = dst[2] = src[0];
      } else {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
      }
    }
  }
  return out;
}

int saveBMP(const char* fileName, const VornImage& image) {
  const std::vector<uint8_t> bytes = encodeBMP(image);
  if (bytes.empty()) {
    logError("saveBMP", "\timage has no pixels to save: %s\n", fileName ? fileName : "");
    return 1;
  }
  std::FILE* f = fileName ? std::fopen(fileName, "wb") : nullptr;
  if (!f) {
    logError("saveBMP", "\tcannot write file: %s\n", fileName ? fileName : "");
    return 1;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !written) {
    logError("saveBMP", "\tcannot write file: %s\n", fileName);
    return 1;
  }
  return 0;
}

}  // namespace vorn
