// Feeds arbitrary bytes to the BMP readers (plain, alpha from red, and the
// two-file masked load with the input used as both files and as two
// halves): each must fail cleanly or return a consistent image.
#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/bmp_codec.h"
#include "image_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorn;
  const ImageLimits limits = fuzz::fuzzLimits();
  {
    VornImage image;
    std::string detail;
    fuzz::checkResult(decodeBMP(data, size, "fuzz", image, detail, limits), image, detail);
  }
  {
    VornImage image;
    std::string detail;
    fuzz::checkResult(decodeBMPAlpha(data, size, "fuzz", image, detail, limits), image, detail);
  }
  {
    VornImage image;
    std::string detail;
    const size_t half = size / 2;
    fuzz::checkResult(decodeBMPMasked(data, half, "a", data + half, size - half, "b", image, detail, limits), image,
                      detail);
    VornImage same;
    std::string sameDetail;
    fuzz::checkResult(decodeBMPMasked(data, size, "a", data, size, "b", same, sameDetail, limits), same, sameDetail);
  }
  return 0;
}
