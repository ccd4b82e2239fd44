#include "assets/texture_layers.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/text_format.h"

namespace vorn {

int VornTextureAnimation::advanceFrame() {
  if (frames.empty()) return -1;
  // Held to whole tenths, so the wrap falls exactly on the bind that reaches the end
  // however long the game runs (summed 0.1s drift below and above the integers).
  position = std::nearbyint((position + kFlipBookAdvance) * 10.0f) / 10.0f;
  if (!(position < static_cast<float>(frames.size())) || position < 0.0f) position = 0.0f;
  return static_cast<int>(position);
}

void VornTextureAnimation::startClip(unsigned index) {
  const size_t clips = std::min({clipStart.size(), clipLength.size(), clipDuration.size()});
  if (index >= clips) return;
  clip = index;
  playing = true;
  time = 0.0f;
}

void VornTextureAnimation::update(float seconds) {
  const size_t clips = std::min({clipStart.size(), clipLength.size(), clipDuration.size()});
  if (!playing || clip >= clips) return;
  time += seconds;
  const float start = static_cast<float>(clipStart[clip]);
  const float length = static_cast<float>(clipLength[clip]);
  const float duration = clipDuration[clip];
  if (time < duration && duration > 0.0f) {
    steps = start + length * (time / duration);
  } else {
    playing = false;
    steps = start + length;
  }
}

std::vector<VornStepOp> VornTextureAnimation::stepOps() const {
  std::vector<VornStepOp> ops;
  if (!(steps >= 0.0f)) return ops;  // also NaN: a clip table with negative steps applies none
  const size_t longest = std::max({translations.size(), rotations.size(), scales.size()});
  auto add = [&](size_t i, float f) {
    if (i < translations.size()) {
      const VornStepVector& t = translations[i];
      ops.push_back({VornStepOp::Translate, t.x * f, t.y * f, t.z * f, 0.0f});
    }
    if (i < rotations.size()) {
      const VornStepRotation& r = rotations[i];
      ops.push_back({VornStepOp::Rotate, r.angle * f, r.x, r.y, r.z});
    }
    if (i < scales.size()) {
      // A part of a scale grows from 1, so a scale of 1 stays 1 at any fraction.
      const VornStepVector& s = scales[i];
      ops.push_back({VornStepOp::Scale, 1.0f + f * (s.x - 1.0f), 1.0f + f * (s.y - 1.0f), 1.0f + f * (s.z - 1.0f),
                     0.0f});
    }
  };
  for (size_t i = 0; i < longest && static_cast<float>(i) <= steps; ++i) add(i, 1.0f);
  const float whole = std::floor(steps);
  const float fraction = steps - whole;
  if (fraction > 0.0f && whole + 1.0f < static_cast<float>(longest)) {
    add(static_cast<size_t>(whole) + 1, fraction);
  }
  return ops;
}

void VornLayerSkips::add(size_t line, const char* reason) {
  if (count++ == 0) {
    firstLine = line;
    firstReason = reason;
  }
}

std::string describeSkips(const VornLayerSkips& skipped, const std::string& fileName) {
  if (skipped.count == 0) return {};
  return formatText("\t%zu line%s skipped in %s; first: line %zu, %s\n", skipped.count, skipped.count == 1 ? "" : "s",
                    fileName.c_str(), skipped.firstLine, skipped.firstReason.c_str());
}

namespace {

// Calls `take(line, number)` for every line; a line ends at "\n", "\r\n" or a lone "\r",
// and the last one may have no end at all. Lines too long to take are reported as such.
template <typename Take>
void forEachLine(const uint8_t* data, size_t size, VornLayerSkips& skipped, Take take) {
  if (!data) return;
  size_t pos = 0;
  size_t number = 0;
  while (pos < size) {
    size_t end = pos;
    while (end < size && data[end] != '\n' && data[end] != '\r') ++end;
    ++number;
    if (end - pos > kMaxLayerLineChars) {
      skipped.add(number, "longer than 200 characters");
    } else {
      take(std::string(reinterpret_cast<const char*>(data + pos), end - pos), number);
    }
    pos = end + ((end + 1 < size && data[end] == '\r' && data[end + 1] == '\n') ? 2 : 1);
  }
}

bool isBlank(const std::string& line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

bool hasControlCharacter(const std::string& line) {
  return std::any_of(line.begin(), line.end(), [](char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u < 0x20 && u != '\t') || u == 0x7f;
  });
}

// `count` finite numbers from `text`, each after optional white space (as "%f %f" scans).
bool readFloats(const char* text, float* out, int count) {
  for (int i = 0; i < count; ++i) {
    char* end = nullptr;
    errno = 0;
    const float v = std::strtof(text, &end);
    if (end == text || !std::isfinite(v)) return false;
    out[i] = v;
    text = end;
  }
  return true;
}

bool readInt(const char*& text, int& out) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (end == text || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
  out = static_cast<int>(v);
  text = end;
  return true;
}

bool startsWith(const std::string& line, const char* prefix) { return line.rfind(prefix, 0) == 0; }

// Appends `value` unless the list is full; false when the line was not taken.
template <typename T>
bool appendBounded(std::vector<T>& list, const T& value) {
  if (list.size() >= kMaxTextureSteps) return false;
  list.push_back(value);
  return true;
}

}  // namespace

VornFlipBookList parseFlipBookList(const uint8_t* data, size_t size) {
  VornFlipBookList out;
  forEachLine(data, size, out.skipped, [&](const std::string& line, size_t number) {
    if (isBlank(line)) return;
    if (hasControlCharacter(line)) {
      out.skipped.add(number, "control character in the file name");
    } else if (out.names.size() >= kMaxFlipBookFrames) {
      out.skipped.add(number, "more than 256 frames");
    } else {
      out.names.push_back(line);
    }
  });
  return out;
}

VornStepFile parseStepFile(const uint8_t* data, size_t size) {
  VornStepFile out;
  forEachLine(data, size, out.skipped, [&](const std::string& line, size_t number) {
    if (number == 1) {
      if (isBlank(line) || hasControlCharacter(line)) {
        out.skipped.add(number, "no texture file name");
      } else {
        out.textureName = line;
      }
      return;
    }
    if (isBlank(line)) return;
    float v[4] = {};
    bool parsed = false;
    bool stored = false;
    if (startsWith(line, "rot ")) {
      parsed = readFloats(line.c_str() + 4, v, 4);
      stored = parsed && appendBounded(out.rotations, VornStepRotation{v[0], v[1], v[2], v[3]});
    } else if (startsWith(line, "trans")) {
      parsed = readFloats(line.c_str() + 5, v, 3);
      stored = parsed && appendBounded(out.translations, VornStepVector{v[0], v[1], v[2]});
    } else if (startsWith(line, "scale ")) {
      parsed = readFloats(line.c_str() + 6, v, 3);
      stored = parsed && appendBounded(out.scales, VornStepVector{v[0], v[1], v[2]});
    } else {
      VornStepClip clip;
      const char* text = line.c_str();
      parsed = readInt(text, clip.start) && readInt(text, clip.length) && readFloats(text, &clip.duration, 1);
      stored = parsed && appendBounded(out.clips, clip);
    }
    if (!parsed) {
      out.skipped.add(number, "not a step or a clip with all its values");
    } else if (!stored) {
      out.skipped.add(number, "more than 1024 steps or clips of one kind");
    }
  });
  return out;
}

}  // namespace vorn
