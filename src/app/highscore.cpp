#include "app/highscore.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "base/error_log.h"

namespace vorn {
namespace {

// A whole line holding one decimal integer that fits an int (blanks around
// it allowed); anything else is damage.
bool parseScore(const std::string& line, int& score) {
  const char* begin = line.c_str();
  while (*begin == ' ' || *begin == '\t') ++begin;
  if (*begin == '\0' || line.size() > 32) return false;
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(begin, &end, 10);
  if (end == begin || errno == ERANGE) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (static_cast<size_t>(end - line.c_str()) != line.size()) return false;  // trailing junk or a NUL
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) return false;
  score = static_cast<int>(value);
  return true;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    while (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

}  // namespace


VornHighscore::VornHighscore(std::string fileName, bool ascending, int maxEntries)
    : maxEntries_(maxEntries), fileName_(std::move(fileName)), ascending_(ascending) {
  load();
}

VornScoreText parseScoreText(const std::string& fullText) {
  VornScoreText result;
  const std::string text = fullText.substr(0, kMaxScoreFileBytes);
  result.damaged = fullText.size() > kMaxScoreFileBytes;
  const std::vector<std::string> lines = splitLines(text);
  for (size_t i = 0; i < lines.size(); i += 2) {
    std::string name = i + 1 < lines.size() ? lines[i + 1] : std::string();
    int score = 0;
    if (!parseScore(lines[i], score)) {
      if (!result.damaged) result.firstBadLine = static_cast<int>(i) + 1;
      result.damaged = true;
      continue;
    }
    if (name.size() > kMaxStoredNameLength) name.resize(kMaxStoredNameLength);
    // A line end must not survive the cut, or the name would change on its
    // next save and load.
    while (!name.empty() && name.back() == '\r') name.pop_back();
    result.entries.emplace(score, std::move(name));
  }
  return result;
}

void VornHighscore::load() {
  entries_.clear();
  std::FILE* f = std::fopen(fileName_.c_str(), "rb");
  if (!f) return;  // no table yet
  // One byte more than the limit tells a damaged, oversized file.
  std::string text(kMaxScoreFileBytes + 1, '\0');
  text.resize(std::fread(&text[0], 1, text.size(), f));
  std::fclose(f);
  VornScoreText parsed = parseScoreText(text);
  entries_ = std::move(parsed.entries);
  if (parsed.damaged) {
    logError("VornHighscore::load", "\tdamaged score file %s (line %d), kept %zu entries\n", fileName_.c_str(),
             parsed.firstBadLine, entries_.size());
  }
}

int VornHighscore::rank(int score) const {
  int position = 1;
  for (const auto& entry : entries_) {
    if (position > maxEntries_) return 0;
    if (entry.first < score) return position;
    ++position;
  }
  return position <= maxEntries_ ? position : 0;
}

bool VornHighscore::insert(int score, const std::string& name) {
  if (rank(score) == 0) return false;
  entries_.emplace(score, name);  // a multimap puts it after equal keys
  return true;
}

std::string VornHighscore::serialize() const {
  std::string out;
  int count = 0;
  auto writeEntry = [&](const std::pair<const int, std::string>& entry) {
    out += std::to_string(entry.first);
    out += '\n';
    out += entry.second;
    out += '\n';
  };
  if (ascending_) {
    for (auto it = entries_.rbegin(); it != entries_.rend() && count < maxEntries_; ++it, ++count) writeEntry(*it);
  } else {
    for (auto it = entries_.begin(); it != entries_.end() && count < maxEntries_; ++it, ++count) writeEntry(*it);
  }
  return out;
}

bool VornHighscore::save(const VornWriteFn& write) const {
  std::printf("SAVING\n");
  std::fflush(stdout);
  return replaceFileAtomically(fileName_, serialize(), "VornHighscore::save", write);
}

}  // namespace vorn
