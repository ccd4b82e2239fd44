// Feeds arbitrary bytes to the JPEG marker listing: it must end (every step
// consumes input) and never read past the end.
#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/jpg_markers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string report, detail;
  const bool ok = vorn::describeJPGMarkers(data, size, "fuzz", report, detail);
  if (ok && !detail.empty()) __builtin_trap();
  if (!ok && detail.empty()) __builtin_trap();
  return 0;
}
