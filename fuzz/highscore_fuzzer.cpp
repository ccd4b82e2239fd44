// Feeds arbitrary bytes to the score-file parser, then checks that the table
// it gives ranks, inserts and saves consistently: the saved text parses back
// to the best entries, names stay within their bound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

#include "app/highscore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorn;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const VornScoreText parsed = parseScoreText(text);
  for (const auto& entry : parsed.entries) {
    if (entry.second.size() > kMaxStoredNameLength) std::abort();
  }

  VornHighscore table("/nonexistent/fuzz_score.txt", false, 5);
  for (const auto& entry : parsed.entries) table.insert(entry.first, entry.second);
  const int probe = size > 0 ? static_cast<int>(data[0]) - 128 : 0;
  const int place = table.rank(probe);
  if (place < 0 || place > table.maxEntries()) std::abort();
  if (table.insert(probe, "fuzz") != (place > 0)) std::abort();

  const VornScoreText reread = parseScoreText(table.serialize());
  if (reread.damaged) std::abort();
  const auto entries = table.getEntries();
  const size_t kept = entries.size() < 5 ? entries.size() : 5;
  if (reread.entries.size() != kept) std::abort();
  auto a = entries.begin();
  for (auto b = reread.entries.begin(); b != reread.entries.end(); ++a, ++b) {
    if (a->first != b->first || a->second != b->second) std::abort();
  }
  return 0;
}
