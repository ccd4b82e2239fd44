// The shipped course "twin_paths": a downhill run of 72 x 100 grid points
// (50 units apart) that starts at x = 2000, z = 90, splits around a ridge
// into two paths and joins again before the finish. Heights are 8-bit drops
// (0..255); the material map paints snow (red), grass (green) and ice (blue)
// per grid point. It is sized for the race clock: a good line without bonus
// time needs a few tenths more than the 14 s the clock leaves it, so the
// bottles on each path (five seconds each) are what wins and makes a score.
//
// Design (rows along z, the race direction; columns along x):
//   rows  0..17  common start run, steep for speed, a small kicker
//   rows 17..73  the twin paths: left has an ice stretch and a big kicker,
//                right has a medium kicker, rollers and a meadow
//   rows 73..99  the joined final run with the largest kicker, an icy strip
//                and the finish at row 98
// Banks rise on both sides of every path, so the barrier walls (columns 2
// and 69) sit high up the banks and are rarely touched.
//
// Cost: a few multiplications per grid point; deterministic.
#pragma once

#include <cstdint>
#include <vector>

#include "assetgen/image_write.h"

namespace assetgen {

constexpr int kCourseWidth = 72;
constexpr int kCourseHeight = 100;

struct Course {
  int width = kCourseWidth;
  int height = kCourseHeight;
  std::vector<uint8_t> heights;    // grid row r (along z), column c: r * width + c
  std::vector<uint8_t> materials;  // red, green, blue per grid point, same order
  // Centre column of the left and right path (equal outside the split) per row.
  std::vector<float> leftPath;
  std::vector<float> rightPath;
  // Half the flat width of the track per row, in columns.
  std::vector<float> halfWidth;
};

Course buildCourse();

// The two map files, rows stored bottom first so that grid row 0 (the
// start) is the first row in the file.
std::vector<uint8_t> encodeCourseHeights(const Course& course);    // 8-bit SGI, run-length
std::vector<uint8_t> encodeCourseMaterials(const Course& course);  // 24-bit BMP

// A top-down picture (start at the top): heights as shaded relief tinted by
// material, paths and kicker lips marked. `scale` pixels per grid point.
Pixels coursePicture(const Course& course, int scale);

}  // namespace assetgen
