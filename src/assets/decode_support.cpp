#include "assets/decode_support.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

namespace vorn {

std::string formatDetail(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return n < 0 ? std::string() : std::string(buffer);
}

bool checkImageSize(int64_t width, int64_t height, const ImageLimits& limits, std::string& detail) {
  if (width >= 1 && height >= 1 && width <= limits.maxDimension && height <= limits.maxDimension) return true;
  detail = formatDetail("\timage size not supported: %" PRId64 " x %" PRId64 "\n", width, height);
  return false;
}

std::string truncatedDetail(const std::string& name) { return formatDetail("\tfile truncated: %s\n", name.c_str()); }

}  // namespace vorn
