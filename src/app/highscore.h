// The highscore table: the best race results with the players' names, best
// first, kept in a small text file. Units: whole seconds left on the clock
// (higher is better). Cost: a handful of entries; load and save touch the file once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "base/file_io.h"

namespace vorn {

// Score files larger than this are damaged; only this much is read.
constexpr size_t kMaxScoreFileBytes = 64 * 1024;
// Names read from a file are cut to this many characters.
constexpr size_t kMaxStoredNameLength = 64;

class VornHighscore {
 public:
  // Best first; ties keep the order they arrived in.
  using Entries = std::multimap<int, std::string, std::greater<int>>;

  // Stores the arguments and loads the file (a missing file is an empty table).
  VornHighscore(std::string fileName, bool ascending, int maxEntries);

  // Reads the table again from the file; damaged lines are skipped and
  // reported once in err.txt.
  void load();

  // Place 1.. the score would take, or 0 for none: the position of the first
  // stored score that is strictly lower, or the next free place while the
  // table holds fewer than maxEntries entries; never beyond maxEntries.
  int rank(int score) const;

  // Stores the pair when the score earns a place (after any equal score);
  // false when it earns none.
  bool insert(int score, const std::string& name);

  // Writes the best maxEntries entries (in ascending key order when
  // `ascending`); a failure keeps the previous file and returns false.
  bool save(const VornWriteFn& write = {}) const;

  // A copy, best first.
  Entries getEntries() const { return entries_; }
  int maxEntries() const { return maxEntries_; }
  const std::string& fileName() const { return fileName_; }

  // The file contents save() writes: two lines an entry, the score as a
  // decimal number, then the name (the whole line, spaces allowed).
  std::string serialize() const;

 private:
  Entries entries_;
  int maxEntries_;
  std::string fileName_;
  bool ascending_;
};

// What a score file's text holds: its entries in file order (ties after one
// another) and, when lines were damaged, the first damaged line (1-based;
// 0 when only the size was too large). The text is cut to kMaxScoreFileBytes.
struct VornScoreText {
  VornHighscore::Entries entries;
  bool damaged = false;
  int firstBadLine = 0;
};
VornScoreText parseScoreText(const std::string& text);

}  // namespace vorn
