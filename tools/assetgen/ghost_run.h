// The shipped ghost: the shipped course loaded as the game loads it (terrain, placed objects
// with their boxes, bottles) without a display, and the autopilot's race on it recorded as
// data/saves/twin_paths1.txt by the game's own recorder. Units: world units, seconds.
// Cost: one race of ~900 fixed 1/60 s steps (well under a second); deterministic.
#pragma once

#include <string>
#include <vector>

#include "player/action_object.h"
#include "world/object_map.h"
#include "world/terrain.h"

namespace vorn {
class VornGhost;
}

namespace assetgen {

// The course as a race sees it.
struct ShippedCourse {
  vorn::VornTerrain terrain;
  vorn::VornKindList kinds;
  vorn::VornActionObjectList objects;
  std::vector<vorn::VornVector> bottles;
};

// Reads root/data's maps and models through the game's readers; false (with
// a stderr line) when a file is missing or damaged.
bool loadShippedCourse(const std::string& root, ShippedCourse& course);

// How the autopilot drives: its line, whether it steers round the trees, and
// how it eases off (braking instead of accelerating for `brakeFrames` of
// every `brakePeriod` frames; 0 never).
struct DriveStyle {
  std::vector<float> line;
  bool seesTrees = true;
  int brakePeriod = 0;
  int brakeFrames = 0;
};

struct RaceOutcome {
  double seconds = 0.0;  // from "GO" to the finish, or to the end of the clock
  bool finished = false;  // crossed the line in time
  int frames = 0;        // racing frames (one recorded line each)
  int bottles = 0;
  int treeHits = 0;
};

// One race at the game's fixed 1/60 s step; with `recorder`, every racing
// frame goes through its record().
RaceOutcome raceShippedCourse(ShippedCourse& course, const DriveStyle& style, vorn::VornGhost* recorder);

// The three drivers the ghost is measured against: the autopilot at its
// best on the left path's racing line, the ghost's eased-off run on it, and a
// careless run down the left path's middle, blind to the trees.
DriveStyle bestDriver(const ShippedCourse& course);
DriveStyle ghostDriver(const ShippedCourse& course);
DriveStyle carelessDriver(const ShippedCourse& course);

int generateGhost(const std::string& root);

}  // namespace assetgen
