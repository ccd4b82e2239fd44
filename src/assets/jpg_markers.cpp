#include "assets/jpg_markers.h"

#include "assets/decode_support.h"

namespace vorn {
namespace {

constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kApp0 = 0xE0;
constexpr uint8_t kComment = 0xFE;

bool standalone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

void describeApp0(const uint8_t* p, size_t n, std::string& report) {
  if (n < 14) {
    report += formatText("APP0 length %zu\n", n + 2);
    return;
  }
  std::string identifier;
  for (size_t i = 0; i < 5 && p[i] != 0; ++i) identifier += static_cast<char>(p[i]);
  report += formatText("APP0 identifier %s\n", identifier.c_str());
  report += formatText("APP0 version %d.%02d\n", p[5], p[6]);
  report += formatText("APP0 units %d\n", p[7]);
  report += formatText("APP0 density %d x %d\n", loadBe16(p + 8), loadBe16(p + 10));
  report += formatText("APP0 thumbnail %d x %d\n", p[12], p[13]);
}

}  // namespace

bool describeJPGMarkers(const uint8_t* data, size_t size, const std::string& name, std::string& report,
                        std::string& detail) {
  ByteReader in(data, size);
  uint8_t a = 0, b = 0;
  if (!in.u8(a) || !in.u8(b) || a != 0xFF || b != kStartOfImage) {
    detail = "\tnot jpg data file\n";
    return false;
  }
  while (true) {
    uint8_t byte = 0;
    if (!in.u8(byte)) break;
    if (byte != 0xFF) continue;  // scan data between markers is passed over
    uint8_t marker = 0xFF;
    while (marker == 0xFF) {
      if (!in.u8(marker)) {
        detail = truncatedDetail(name);
        return false;
      }
    }
    if (marker == 0x00 || standalone(marker)) continue;  // stuffed byte or restart inside scan data
    if (marker == kEndOfImage) {
      report += "marker D9 end\n";
      return true;
    }
    uint16_t length = 0;
    const uint8_t* body = nullptr;
    if (!in.be16(length) || length < 2 || !(body = in.take(length - 2u))) {
      detail = truncatedDetail(name);
      return false;
    }
    if (marker == kApp0) {
      describeApp0(body, length - 2u, report);
    } else if (marker == kComment) {
      std::string text;
      for (size_t i = 0; i + 2 < length; ++i) text += (body[i] >= 32 && body[i] < 127) ? static_cast<char>(body[i]) : '?';
      report += "comment " + text + "\n";
    } else {
      report += formatText("marker %02X length %d\n", marker, length);
    }
  }
  detail = truncatedDetail(name);
  return false;
}

}  // namespace vorn
