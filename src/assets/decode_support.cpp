#include "assets/decode_support.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

namespace vorn {

bool checkImageSize(int64_t width, int64_t height, const ImageLimits& limits, std::string& detail) {
  if (width >= 1 && height >= 1 && width <= limits.maxDimension && height <= limits.maxDimension) return true;
  detail = formatText("\timage size not supported: %" PRId64 " x %" PRId64 "\n", width, height);
  return false;
}

std::string truncatedDetail(const std::string& name) { return formatText("\tfile truncated: %s\n", name.c_str()); }

}  // namespace vorn
