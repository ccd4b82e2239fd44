// VornAutopilot: the driver of the demo mode and tests; it only presses one player's race keys.
// Units: world units, degrees. Cost: finding the centre line reads every grid point once;
// driving is a few float operations a frame, plus one per tree and bottle within sight.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "player/player.h"
#include "player/rider.h"

namespace vorn {

// It sees the course (its heights, its bottles and trees) and the player it
// drives, and acts exactly as a person at the keyboard would: it keeps the
// accelerate key ("w") down and steers with left and right ("a", "d")
// towards a point on the course's centre line a little ahead of the player,
// or at the next bottle when that lies close to the line, and past any tree
// that stands near the way there.
class VornAutopilot {
 public:
  using HeightFn = std::function<float(float x, float z)>;

  // Course geometry the line is searched in: the columns and rows of the
  // grid, its spacing, and the start column's x.
  struct Course {
    int columns = 0;
    int rows = 0;
    float spacingX = 50.0f;
    float spacingZ = 50.0f;
    float startX = 2000.0f;
  };

  // How far ahead the driver looks: kLookBase + kLookPerSpeed * speed.
  static constexpr float kLookBase = 120.0f;
  static constexpr float kLookPerSpeed = 4.0f;
  // Heading errors below this are left alone (degrees).
  static constexpr float kDeadBandDeg = 1.0f;
  // Cost of moving the line sideways, in height units per world unit.
  static constexpr float kSideCost = 0.04f;
  // Rows averaged on each side when smoothing.
  static constexpr int kSmoothRows = 3;
  // A bottle this close to the line (sideways, at its z) is worth the detour;
  // it is aimed at once it is nearer ahead than kBottleSightFactor times the
  // look-ahead distance.
  static constexpr float kBottleReach = 90.0f;
  static constexpr float kBottleSightFactor = 1.4f;
  // The way ahead keeps this far from a tree's trunk (its collision box is 8
  // across, the player's sphere 10).
  static constexpr float kTreeClearance = 30.0f;

  // One x per grid row; an empty course gives an empty line. Starting at the
  // start column, each grid row down the course takes the low ground nearest
  // to the previous row's choice (the track is the valley between the
  // slopes), and the result is smoothed over kSmoothRows on each side.
  static std::vector<float> findCentreLine(const HeightFn& height, const Course& course);

  VornAutopilot(std::vector<float> centreX, float spacingZ, const VornRaceKeys& keys = kPlayer1Keys);

  // The course's bottles (to take) and solid trees (to pass); only x and z
  // count. Replaces earlier ones.
  void setObjects(std::vector<VornVector> bottles, std::vector<VornVector> trees);

  // The line's x at z (linear between rows, held at both ends).
  float centreAt(float z) const;

  // Presses and releases the race keys for this frame.
  void drive(const VornPlayer& player, uint8_t* keys) const;

  const std::vector<float>& line() const { return centreX_; }

 private:
  // The point the player steers at this frame.
  VornVector target(const VornVector& p, float ahead) const;

  std::vector<float> centreX_;
  std::vector<VornVector> bottles_;  // by z
  std::vector<VornVector> trees_;    // by z
  float spacingZ_;
  VornRaceKeys keys_;
};

}  // namespace vorn
