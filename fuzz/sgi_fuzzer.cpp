// Feeds arbitrary bytes to the SGI RGB reader: it must fail cleanly with one
// detail line or return a consistent image, never read or write out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/sgi_reader.h"
#include "image_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vorn::VornImage image;
  std::string detail;
  const bool ok = vorn::decodeSGI(data, size, "fuzz", image, detail, vorn::fuzz::fuzzLimits());
  vorn::fuzz::checkResult(ok, image, detail);
  return 0;
}
