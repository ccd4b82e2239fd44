// Animated texture layers without a device: the animation record that textures point to (a
// flip-book of frame textures shown in turn, and texture-matrix steps played by clips), its
// playback arithmetic, and the readers of flip-book lists and step files from bytes.
// Units: frames are texture-cache indices, angles degrees, clip times seconds; a flip-book
// moves a tenth of a frame per bind. Cost: the readers are linear in the file; a bind is O(1),
// composing the steps O(number of steps). The device side is texture_layers_gl.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

// The longest line (without its line end) the readers take; longer lines are skipped.
constexpr size_t kMaxLayerLineChars = 200;
// Larger list or step files are refused unread.
constexpr size_t kMaxLayerFileBytes = size_t{1} << 20;
// Frames beyond this many in one list are skipped (a runaway list would otherwise load
// thousands of textures).
constexpr size_t kMaxFlipBookFrames = 256;
// Translations, rotations, scales or clips beyond this many in one step file are skipped;
// every draw walks the steps, so their number is bounded.
constexpr size_t kMaxTextureSteps = 1024;
// How far the flip-book moves on every bind: one frame every ten binds.
constexpr float kFlipBookAdvance = 0.1f;

struct VornStepVector {
  float x = 0.0f, y = 0.0f, z = 0.0f;
};

struct VornStepRotation {
  float angle = 0.0f;  // degrees
  float x = 0.0f, y = 0.0f, z = 0.0f;
};

// One texture-matrix operation, in the order the device applies them.
struct VornStepOp {
  enum Kind { Translate, Rotate, Scale };
  Kind kind = Translate;
  float a = 0.0f, b = 0.0f, c = 0.0f, d = 0.0f;  // x y z, or angle x y z for Rotate
};

class VornTextureAnimation {
 public:
  std::vector<int> frames;  // texture-cache indices of the flip-book
  float position = 0.0f;
  std::vector<VornStepVector> translations;
  std::vector<VornStepRotation> rotations;
  std::vector<VornStepVector> scales;
  std::vector<int> clipStart, clipLength;
  std::vector<float> clipDuration;  // seconds
  uint32_t clip = 0;
  bool playing = false;
  float time = 0.0f;   // seconds into the current clip
  float steps = 0.0f;  // how far the steps apply: whole steps, then a part of the next
  bool hasSteps = false;

  // Moves the flip-book on by kFlipBookAdvance (back to 0 on reaching the end) and returns
  // the position in `frames` of the frame to show; -1 without frames.
  int advanceFrame();
  // Starts clip `index` from its beginning; a clip beyond the table changes nothing.
  void startClip(unsigned index);
  // Moves a playing clip on; at its end it stops and holds its last step.
  void update(float seconds);
  // The operations that `steps` calls for: steps 0..trunc(steps) whole, then the fraction f
  // of the next one: its translation and angle times f, its scale moved from 1 by f.
  std::vector<VornStepOp> stepOps() const;
};

// Why lines of a file were passed over: how many, and the first of them.
struct VornLayerSkips {
  size_t count = 0;
  size_t firstLine = 0;  // counted from 1
  std::string firstReason;

  void add(size_t line, const char* reason);
};

struct VornFlipBookList {
  std::vector<std::string> names;  // frame texture file names, as listed
  VornLayerSkips skipped;
};

struct VornStepClip {
  int start = 0;
  int length = 0;
  float duration = 0.0f;
};

struct VornStepFile {
  std::string textureName;  // empty: the file names no texture
  std::vector<VornStepVector> translations;
  std::vector<VornStepRotation> rotations;
  std::vector<VornStepVector> scales;
  std::vector<VornStepClip> clips;
  VornLayerSkips skipped;
};

// One texture file name a line. Lines end at "\n", "\r\n" or the end of the data; only
// line-end characters are stripped. Blank lines are passed over silently; over-long lines,
// names with control characters and frames beyond kMaxFlipBookFrames are skipped and counted.
VornFlipBookList parseFlipBookList(const uint8_t* data, size_t size);

// First line: the texture name. Then "rot angle x y z", "trans x y z", "scale x y z" or a
// clip "start length seconds"; lines with missing or non-finite values, and records beyond
// kMaxTextureSteps of their kind, are skipped and counted.
VornStepFile parseStepFile(const uint8_t* data, size_t size);

// The one err.txt detail line for a file's skipped lines ("" when none were skipped).
std::string describeSkips(const VornLayerSkips& skipped, const std::string& fileName);

}  // namespace vorn
