// The objects on the shipped course and its beer bottles: trees along both
// paths and in small groups off the racing lines, pillars and broken pillars
// at the start and the finish, roots and mushrooms on the grass; four
// bottles on each path near its racing line. Written as the object map
// (kinds and placement records), the placement image (one pixel a grid
// point, black where nothing stands) and the beer list.
//
// Units: world units (grid points 50 apart), degrees; placement records
// scale the z-up model files and stand them upright in the y-up world.
// Cost: a few hundred objects, each checked against the racing lines;
// deterministic (hashes of grid positions, no clock).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "assetgen/image_write.h"
#include "assetgen/terrain_course.h"

namespace assetgen {

// Ground height (x, z) as the game's terrain answers it.
using GroundFn = std::function<float(float x, float z)>;

struct CourseKind {
  int id;
  const char* fileName;  // below data/models/
  std::array<uint8_t, 3> colour;  // key colour in the placement image
};
enum CourseKindIndex : int { kKindTree = 0, kKindPillar, kKindPillarEnd, kKindRoot, kKindMushrooms, kKindCount };
extern const CourseKind kCourseKinds[kKindCount];

// How far above its foot a placed model of `kind` is drawn, in file units
// (the game centres a model on its bounds); 0 for an unknown kind.
float courseKindCentreHeight(int kind);

struct CourseObject {
  int kind = kKindTree;  // index in kCourseKinds
  int column = 0, row = 0;  // the grid point of its pixel
  float scale = 1.0f;
  float yawDeg = 0.0f;  // about the world's y axis, after standing it up
  float offsetX = 0.0f, offsetY = 0.0f, offsetZ = 0.0f;  // from the grid point and its ground height

  float x() const { return static_cast<float>(column) * 50.0f + offsetX; }
  float z() const { return static_cast<float>(row) * 50.0f + offsetZ; }
};

struct CourseObjects {
  // In the game's placement order: rows from the start, and within a row
  // from the largest x down (the image's columns run against the world's x).
  std::vector<CourseObject> objects;
  std::vector<std::array<float, 3>> bottles;  // x, y, z as listed: ground height + 1.5
  std::array<std::vector<float>, 2> racingLines;  // x per grid row: left path, right path
};

// The racing line of one path (0 left, 1 right: smaller or larger x where
// the track splits): the autopilot's own line search, kept off the other
// path.
std::vector<float> racingLine(const Course& course, const GroundFn& ground, int path);

CourseObjects buildCourseObjects(const Course& course, const GroundFn& ground);

// data/maps/twin_paths.txt: free text, "#", kind lines, "#", placement lines.
std::string encodeObjectMap(const CourseObjects& objects);
// data/maps/twin_paths.bmp: 24-bit, the grid's width x height.
std::vector<uint8_t> encodePlacementImage(const Course& course, const CourseObjects& objects);
// data/maps/twin_paths_beer.txt: "x y z" a line.
std::string encodeBeerList(const CourseObjects& objects);

// Marks objects, bottles and racing lines on the course picture
// (coursePicture's layout, `scale` pixels a grid point).
void drawCourseObjects(Pixels& picture, const Course& course, const CourseObjects& objects, int scale);

}  // namespace assetgen
