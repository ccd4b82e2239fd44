#include "assets/sgi_reader.h"

#include <utility>
#include <vector>

#include "assets/decode_support.h"

namespace vorn {
namespace {

struct Header {
  uint16_t magic = 0, dimension = 0, width = 0, height = 0, channels = 0;
  uint8_t storage = 0, bytesPerChannel = 0;
  uint32_t pixMin = 0, pixMax = 0, colourMap = 0;
};

bool decodeRle(const uint8_t* data, size_t size, const std::string& name, const Header& h, VornImage& result,
               std::string& detail) {
  const size_t rows = size_t{h.channels} * h.height;
  ByteReader table(data, size);
  table.seek(kSgiHeaderBytes);
  if (table.remaining() / 8 < rows) {
    detail = truncatedDetail(name);
    return false;
  }
  const uint32_t z = h.channels;
  uint8_t* out = result.pixels.data();
  for (uint32_t c = 0; c < z; ++c) {
    for (uint32_t y = 0; y < h.height; ++y) {
      ByteReader at(data, size);
      at.seek(kSgiHeaderBytes + (size_t{c} * h.height + y) * 4);
      uint32_t start = 0;
      at.be32(start);
      ByteReader row(data, size);
      if (start < kSgiHeaderBytes || !row.seek(start) || row.remaining() == 0) {
        detail = formatText("\trow offset outside file: %s\n", name.c_str());
        return false;
      }
      uint32_t x = 0;
      while (x < h.width) {
        uint8_t packet = 0;
        if (!row.u8(packet)) {
          detail = truncatedDetail(name);
          return false;
        }
        const uint32_t count = packet & 127u;
        if (count == 0) break;
        if (x + count > h.width) {
          detail = formatText("\trow longer than image width: %s\n", name.c_str());
          return false;
        }
        const uint8_t* bytes = row.take(packet & 128u ? count : 1);
        if (!bytes) {
          detail = truncatedDetail(name);
          return false;
        }
        for (uint32_t k = 0; k < count; ++k, ++x) {
          out[(size_t{y} * h.width + x) * z + c] = packet & 128u ? bytes[k] : bytes[0];
        }
      }
    }
  }
  return true;
}

bool decodeVerbatim(const uint8_t* data, size_t size, const std::string& name, const Header& h,
                    VornImage& result, std::string& detail) {
  const size_t plane = size_t{h.width} * h.height;
  ByteReader in(data, size);
  in.seek(kSgiHeaderBytes);
  const uint8_t* planes = in.take(plane * h.channels);
  if (!planes) {
    detail = truncatedDetail(name);
    return false;
  }
  const uint32_t stride = result.bytesPerPixel();
  uint8_t* out = result.pixels.data();
  for (size_t i = 0; i < plane; ++i) {
    for (uint32_t k = 0; k < stride; ++k) {
      // A grey plane fills red, green and blue alike.
      const uint32_t c = h.channels == 1 ? 0 : k;
      out[i * stride + k] = planes[c * plane + i];
    }
  }
  return true;
}

}  // namespace

bool decodeSGI(const uint8_t* data, size_t size, const std::string& name, VornImage& image, std::string& detail,
               const ImageLimits& limits) {
  image = VornImage();
  ByteReader in(data, size);
  Header h;
  if (!in.be16(h.magic) || h.magic != kSgiMagic) {
    detail = "\tmagic!=474\n";
    return false;
  }
  if (size < kSgiHeaderBytes) {
    detail = truncatedDetail(name);
    return false;
  }
  in.u8(h.storage);
  in.u8(h.bytesPerChannel);
  if (h.storage > 1) {
    detail = "\tformat>1\n";
    return false;
  }
  if (h.bytesPerChannel == 2) {
    detail = "\bpc==2 not supported\n";
    return false;
  }
  if (h.bytesPerChannel != 1) {
    detail = formatText("\tbpc %d not supported\n", h.bytesPerChannel);
    return false;
  }
  in.be16(h.dimension);
  in.be16(h.width);
  in.be16(h.height);
  in.be16(h.channels);
  if (h.channels > 4) {
    detail = "\tzsize>4\n";
    return false;
  }
  if (h.channels != 1 && h.channels != 3 && h.channels != 4) {
    detail = formatText("\tzsize %d not supported\n", h.channels);
    return false;
  }
  in.be32(h.pixMin);
  in.be32(h.pixMax);
  in.skip(84);  // dummy word and image name
  in.be32(h.colourMap);
  if (h.colourMap != 0) {
    detail = "\tcolormap!=0\n";
    return false;
  }
  if (!checkImageSize(h.width, h.height, limits, detail)) return false;

  VornImage result;
  if (h.storage == 1) {
    const uint32_t format = h.channels == 1 ? kImageLuminance : h.channels == 3 ? kImageRGB : kImageRGBA;
    result.reset(h.width, h.height, h.channels == 1 ? kImageLuminance8 : format, format);
    if (!decodeRle(data, size, name, h, result, detail)) return false;
  } else {
    // Check the planes are there before allocating for them.
    if ((size - kSgiHeaderBytes) / h.channels < size_t{h.width} * h.height) {
      detail = truncatedDetail(name);
      return false;
    }
    const uint32_t format = h.channels == 4 ? kImageRGBA : kImageRGB;
    result.reset(h.width, h.height, format, format);
    if (!decodeVerbatim(data, size, name, h, result, detail)) return false;
  }
  image = std::move(result);
  return true;
}

}  // namespace vorn
