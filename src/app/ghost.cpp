#include "app/ghost.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/error_log.h"
#include "base/file_io.h"

namespace vorn {

namespace {

constexpr int kLineNumbers = 17;

// Parses one line (no line end) into a frame step and matrix; false unless
// it holds exactly 17 finite numbers and a step that is not negative.
bool parseLine(const char* begin, size_t length, float& step, float matrix[16]) {
  char text[kMaxRunLineLength + 1];
  std::memcpy(text, begin, length);
  text[length] = '\0';
  const char* p = text;
  float values[kLineNumbers];
  for (float& value : values) {
    char* end = nullptr;
    value = std::strtof(p, &end);
    if (end == p || !std::isfinite(value)) return false;
    p = end;
  }
  while (*p == ' ' || *p == '\t' || *p == '\r') ++p;
  if (*p != '\0') return false;  // an 18th number or junk
  if (values[0] < 0.0f) return false;
  step = values[0];
  std::memcpy(matrix, values + 1, 16 * sizeof(float));
  return true;
}

}  // namespace

std::string ghostFileName(const std::string& mapPath) {
  const size_t slash = mapPath.rfind('/');
  std::string name = slash == std::string::npos ? mapPath : mapPath.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return std::string(kSavesFolder) + "/" + name + ".txt";
}

std::string formatRunLine(float step, const float matrix[16]) {
  std::string line;
  char number[64];
  std::snprintf(number, sizeof number, "%f ", static_cast<double>(step));
  line += number;
  for (int i = 0; i < 16; ++i) {
    std::snprintf(number, sizeof number, "%f ", static_cast<double>(matrix[i]));
    line += number;
  }
  line += '\n';
  return line;
}

std::vector<VornGhostFrame> parseRun(const uint8_t* bytes, size_t size, size_t* skipped) {
  std::vector<VornGhostFrame> frames;
  size_t bad = 0;
  double total = 0.0;  // summed in double so a long run's clock does not drift
  const char* text = reinterpret_cast<const char*>(bytes);
  size_t start = 0;
  while (start < size) {
    const void* newline = std::memchr(text + start, '\n', size - start);
    const size_t end = newline ? static_cast<size_t>(static_cast<const char*>(newline) - text) : size;
    const size_t length = end - start;
    float step = 0.0f;
    VornGhostFrame frame;
    if (length == 0) {
      // an empty line is no frame and no damage
    } else if (length <= kMaxRunLineLength && parseLine(text + start, length, step, frame.matrix) &&
               total + static_cast<double>(step) <= kMaxRunTime) {
      total += static_cast<double>(step);
      frame.time = static_cast<float>(total);
      frames.push_back(frame);
    } else {
      ++bad;
    }
    start = end + 1;
  }
  if (skipped) *skipped = bad;
  return frames;
}

bool VornGhost::truncate() {
  writeFailureLogged_ = false;
  std::FILE* f = std::fopen(fileName_.c_str(), "w");
  if (!f && errno == ENOENT) {
    ::mkdir("data", 0755);
    ::mkdir(kSavesFolder, 0755);
    f = std::fopen(fileName_.c_str(), "w");
  }
  if (!f) {
    logError("VornGhost::open", "\tcannot write %s: %s\n", fileName_.c_str(), std::strerror(errno));
    writeFailureLogged_ = true;
    return false;
  }
  std::fclose(f);
  return true;
}

void VornGhost::open(const std::string& mapPath) {
  fileName_ = ghostFileName(mapPath);
  truncate();
}

void VornGhost::clear() {
  if (!fileName_.empty()) truncate();
}

std::FILE* VornGhost::openForAppend() {
  std::FILE* f = std::fopen(fileName_.c_str(), "a");
  if (!f && errno == ENOENT) {
    ::mkdir("data", 0755);
    ::mkdir(kSavesFolder, 0755);
    f = std::fopen(fileName_.c_str(), "a");
  }
  if (!f && !writeFailureLogged_) {
    logError("VornGhost::record", "\tcannot write %s: %s\n", fileName_.c_str(), std::strerror(errno));
    writeFailureLogged_ = true;
  }
  return f;
}

void VornGhost::record(float step, const float matrix[16]) {
  if (fileName_.empty()) return;
  std::FILE* f = openForAppend();
  if (!f) return;
  const std::string line = formatRunLine(step, matrix);
  std::fwrite(line.data(), 1, line.size(), f);
  std::fclose(f);
}

bool VornGhost::keepAsGhost() {
  std::vector<uint8_t> bytes;
  if (fileName_.empty() || !readWholeFile(fileName_, bytes, kMaxRunFileBytes)) {
    logError("VornGhost::keepAsGhost", "\tcannot read the recording %s\n", fileName_.c_str());
    return false;
  }
  // Only whole lines go over: a last line cut short by a crash while
  // recording would otherwise become part of the ghost.
  size_t end = bytes.size();
  while (end > 0 && bytes[end - 1] != '\n') --end;
  const std::string contents(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(end));
  return replaceFileAtomically(kGhostRunFile, contents, "VornGhost::keepAsGhost");
}

void VornGhost::load(const std::string& mapPath) {
  fileName_ = ghostFileName(mapPath);
  // Rewound in every case: a replay left at its end would finish the next
  // race on its first frame.
  index_ = 0;
  time_ = 0.0f;
  std::vector<uint8_t> bytes;
  if (!readWholeFile(fileName_, bytes, kMaxRunFileBytes)) {
    if (!bytes.empty() || errno != ENOENT) {
      logError("VornGhost::load", "\tcannot read %s (missing, unreadable or over %zu bytes)\n", fileName_.c_str(),
               kMaxRunFileBytes);
    }
    return;
  }
  size_t skipped = 0;
  frames_ = parseRun(bytes.data(), bytes.size(), &skipped);
  if (skipped > 0) logError("VornGhost::load", "\t%s: %zu damaged lines skipped\n", fileName_.c_str(), skipped);
}

bool VornGhost::advance(float step) {
  time_ += step;
  if (frames_.empty()) return false;
  const int last = count() - 1;
  while (index_ < last && time_ > frames_[static_cast<size_t>(index_)].time) ++index_;
  return last > 0 && index_ == last;
}

const float* VornGhost::currentTransform() const {
  return frames_.empty() ? nullptr : frames_[static_cast<size_t>(index_)].matrix;
}

}  // namespace vorn
