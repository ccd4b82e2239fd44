// VornGhost: a recorded run, written frame by frame as text under data/saves and replayed as the
// ghost rival. Units: time steps in tenths of a second, 4 x 4 matrices in GL memory order. Cost:
// recording appends one ~180-byte line a frame (open, write, close); a replay step is O(1) amortised.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vorn {

// The folder of every recorded run and the file of the shipped ghost.
constexpr const char* kSavesFolder = "data/saves";
constexpr const char* kGhostRunFile = "data/saves/twin_paths1.txt";
// Lines longer than this are not lines of a run; larger files are not runs.
constexpr size_t kMaxRunLineLength = 199;
constexpr size_t kMaxRunFileBytes = 64u << 20;
// No run lasts a day (in tenths of a second); a step that would carry the
// clock past it is damage, and keeps every frame's time a finite float.
constexpr double kMaxRunTime = 864000.0;

// One loaded frame: the time at its end (the sum of the steps so far) and
// the player's matrix.
struct VornGhostFrame {
  float time = 0.0f;
  float matrix[16] = {};
};

// "data/saves" + the map path's last component with its extension made
// "txt": "data/maps/twin_paths1.rgb" gives "data/saves/twin_paths1.txt"; a
// path without "/" or without an extension works the same way.
std::string ghostFileName(const std::string& mapPath);

// One line of a run: the step and the 16 matrix values, six decimals each,
// a blank before the line end.
std::string formatRunLine(float step, const float matrix[16]);

// Parses a run file. A line counts only with exactly 17 finite numbers, a
// step that is not negative and keeps the clock within kMaxRunTime, and at
// most kMaxRunLineLength characters; every other line is skipped (`skipped` counts them when given).
std::vector<VornGhostFrame> parseRun(const uint8_t* bytes, size_t size, size_t* skipped = nullptr);

class VornGhost {
 public:
  // Names the recording after the map and empties it.
  void open(const std::string& mapPath);
  // Appends one frame. A missing data/saves folder is created; a file that
  // still cannot be written costs one err.txt line (until the next open or
  // clear) and the frame is skipped.
  void record(float step, const float matrix[16]);
  // Empties the recording (a ghost race starts).
  void clear();
  // Makes the recording the ghost: kGhostRunFile is replaced whole or, on
  // any failure, kept as it was. Only complete lines are copied.
  bool keepAsGhost();

  // Names the run after the map and loads it; the replay is rewound. A file
  // that cannot be read keeps the frames loaded before.
  void load(const std::string& mapPath);
  // Moves the replay clock on by `step` to the first frame not earlier than
  // it; true once the replay is at the last frame. A run needs two frames to
  // have an end, so fewer never report one.
  bool advance(float step);
  // The matrix of the current frame, or null without frames.
  const float* currentTransform() const;
  // Multiplies the current OpenGL matrix by the current frame's matrix; does
  // nothing without frames. (The one device call; defined in ghost_gl.cpp.)
  void applyTransform() const;

  const std::string& fileName() const { return fileName_; }
  int count() const { return static_cast<int>(frames_.size()); }
  int index() const { return index_; }
  float time() const { return time_; }

 private:
  // Truncates fileName_ (creating data/saves when needed); false on failure.
  bool truncate();
  std::FILE* openForAppend();

  std::string fileName_;
  float time_ = 0.0f;
  std::vector<VornGhostFrame> frames_;
  int index_ = 0;
  bool writeFailureLogged_ = false;
};

}  // namespace vorn
