// Feeds arbitrary bytes to the beer-list parser, then checks that every
// bottle is finite, that no more bottles come out than there are lines, that
// the bottles written back in the list's own format parse to as many, and
// that the bottle manager takes them, picks up and resets consistently.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "player/action_object.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorn;
  const std::vector<VornVector> bottles = parseBeerList(data, size);
  size_t lines = size > 0 ? 1 : 0;
  for (size_t i = 0; i < size; ++i) lines += data[i] == '\n' ? 1 : 0;
  if (bottles.size() > lines) std::abort();

  std::string text;
  for (const VornVector& b : bottles) {
    if (!std::isfinite(b.x) || !std::isfinite(b.y) || !std::isfinite(b.z)) std::abort();
    char line[256];
    const int n = std::snprintf(line, sizeof line, "%f %f %f\r\n", static_cast<double>(b.x),
                                static_cast<double>(b.y), static_cast<double>(b.z));
    if (n <= 0 || static_cast<size_t>(n) >= sizeof line) std::abort();
    text += line;
  }
  if (parseBeerList(reinterpret_cast<const uint8_t*>(text.data()), text.size()).size() != bottles.size()) {
    std::abort();
  }

  VornManageActionObject beers;
  beers.add(bottles, 2);
  if (beers.records.size() != bottles.size() || beers.shadowFlags.size() != bottles.size()) std::abort();
  beers.spinAll();
  const VornVector from = bottles.empty() ? VornVector() : bottles.front();
  const VornVector to = bottles.empty() ? VornVector() : bottles.back();
  const int taken = beers.update(from, to, 0);
  int inactive = 0;
  for (size_t i = 0; i < beers.records.size(); ++i) {
    const bool gone = beers.records[i].active == 0;
    if (gone != (beers.shadowFlags[i] == 0)) std::abort();
    inactive += gone ? 1 : 0;
  }
  if (taken < 0 || taken != inactive) std::abort();
  if (beers.update(from, to, 1) != 0) std::abort();
  beers.reset();
  for (size_t i = 0; i < beers.records.size(); ++i) {
    if (beers.records[i].active != 1 || beers.shadowFlags[i] != 1) std::abort();
  }
  return 0;
}
