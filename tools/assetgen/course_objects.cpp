#include "assetgen/course_objects.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "assetgen/models.h"
#include "player/autopilot.h"

namespace assetgen {

const CourseKind kCourseKinds[kKindCount] = {
    {1, "tree.3DS", {34, 120, 48}},
    {2, "saeule.3DS", {230, 230, 230}},
    {3, "saule_end_2.3DS", {150, 140, 130}},
    {4, "root_1.3DS", {140, 82, 30}},
    {5, "mushrooms_1.3DS", {220, 40, 40}},
};

float courseKindCentreHeight(int kind) {
  // The game draws a placed model centred on its bounds, so its foot (file
  // z = 0, the scenery stands on it) lies this far below the placement point
  // in file units.
  static const std::array<float, kKindCount> heights = [] {
    std::array<float, kKindCount> out{};
    const std::vector<GeneratedModel> models = buildModels();
    for (int k = 0; k < kKindCount; ++k) {
      float low = 0.0f, high = 0.0f;
      bool any = false;
      for (const GeneratedModel& m : models) {
        if (m.fileName != kCourseKinds[k].fileName) continue;
        for (const TdsMesh& mesh : m.model.meshes) {
          for (const Vec3& v : mesh.vertices) {
            low = any ? std::min(low, v[2]) : v[2];
            high = any ? std::max(high, v[2]) : v[2];
            any = true;
          }
        }
      }
      out[static_cast<size_t>(k)] = (low + high) / 2.0f;
    }
    return out;
  }();
  return kind >= 0 && kind < kKindCount ? heights[static_cast<size_t>(kind)] : 0.0f;
}

namespace {

constexpr float kCell = 50.0f;
// The files are z-up; this turn about x stands them up in the y-up world.
constexpr float kStandUpDeg = -90.0f;
// Nothing stands next to the barrier walls (two columns in from each side).
constexpr int kFirstColumn = 4;
constexpr int kEdgeColumns = 4;

// A tree's collision box is 8 units across and the player's sphere has a
// radius of 5, so a tree this far from a racing line leaves room for the
// autopilot's weaving; a careless line (the path's middle, a wide swing)
// still meets the groups.
constexpr float kTreeLineClearance = 70.0f;
constexpr float kTreeBottleClearance = 80.0f;
// Roots and mushrooms are not solid, but a cow sliding through one looks wrong.
constexpr float kDressingLineClearance = 60.0f;

// Bottles: on the ground stretches of each path (not on the ice, where no
// one can steer, nor in a kicker's flight), a little towards the path's
// middle so that taking them asks for a deliberate line.
struct BottleSpot {
  int path;
  float row;
  float towardsMiddle;  // units from the racing line towards the path's centre line
};
constexpr BottleSpot kBottleSpots[] = {
    {0, 23.5f, 20.0f}, {0, 44.5f, 45.0f}, {0, 59.5f, 35.0f}, {0, 69.5f, 25.0f},
    {1, 29.5f, 25.0f}, {1, 47.5f, 40.0f}, {1, 56.5f, 45.0f}, {1, 68.5f, 20.0f},
};
constexpr float kBottleLift = 1.5f;

// Groups of trees where a careless line goes: the outer half of each path,
// the nose of the ridge and the middle of the start and final runs. Each is
// (path, row, units from the racing line towards the centre line, trees).
struct GroupSpot {
  int path;
  float row;
  float towardsMiddle;
  int trees;
};
constexpr GroupSpot kGroupSpots[] = {
    {0, 6.0f, 230.0f, 2},  {0, 14.0f, 250.0f, 3},                         // start run, left of its line
    {0, 28.0f, 190.0f, 2}, {0, 41.0f, 200.0f, 3}, {0, 55.0f, 170.0f, 2}, {0, 63.0f, 210.0f, 3},  // left path
    {1, 33.0f, 190.0f, 3}, {1, 51.0f, 210.0f, 2}, {1, 61.0f, 200.0f, 3},  // right path
    {0, 78.0f, 300.0f, 3}, {0, 89.0f, 300.0f, 2},                         // final run, between both lines
};
// The nose of the ridge where the paths part.
constexpr float kNoseRows[] = {21.5f, 22.5f, 23.5f};

// Trees line both edges of every path, standing this far (cells) beyond
// the flat track, on about this share of rows.
constexpr float kLiningNear = 1.4f, kLiningFar = 2.6f;
constexpr float kLiningShare = 0.3f;
// Sparse forest higher up the banks.
constexpr float kForestFrom = 4.0f, kForestTo = 14.0f;
constexpr float kForestShare = 0.025f;
constexpr float kDressingShare = 0.06f;  // of the grass points, each kind

uint32_t mix32(uint32_t h) {
  h = (h ^ (h >> 16)) * 0x7feb352du;
  h = (h ^ (h >> 15)) * 0x846ca68bu;
  return h ^ (h >> 16);
}
float hash01(int a, int b, uint32_t seed) {
  return static_cast<float>(mix32(static_cast<uint32_t>(a) * 73856093u ^ static_cast<uint32_t>(b) * 19349663u ^
                                  (seed + 1u) * 83492791u) &
                            0xFFFFFF) /
         16777216.0f;
}
float lerp(float a, float b, float t) { return a + (b - a) * t; }

// Linear in the row, held at both ends.
float sampleRow(const std::vector<float>& values, float row) {
  if (values.empty()) return 0.0f;
  if (!(row > 0.0f)) return values.front();
  const size_t r = static_cast<size_t>(row);
  if (r + 1 >= values.size()) return values.back();
  return lerp(values[r], values[r + 1], row - static_cast<float>(r));
}

class Placer {
 public:
  Placer(const Course& course, const GroundFn& ground, CourseObjects& out)
      : course_(course), ground_(ground), out_(out), taken_(static_cast<size_t>(course.width) * course.height, 0) {}

  // Distance from (x, z) to the nearer racing line.
  float lineDistance(float x, float z) const {
    float best = 1e9f;
    for (const std::vector<float>& line : out_.racingLines) {
      for (float dz = -150.0f; dz <= 150.0f; dz += 5.0f) {
        const float lz = z + dz;
        best = std::min(best, std::hypot(x - kCell * sampleRow(line, lz / kCell), dz));
      }
    }
    return best;
  }
  float bottleDistance(float x, float z) const {
    float best = 1e9f;
    for (const auto& b : out_.bottles) best = std::min(best, std::hypot(x - b[0], z - b[2]));
    return best;
  }

  // Places one object at (x, z) on the free grid point nearest to it (the
  // rest is its record's offset), its foot sunk so that it stands in a
  // sloping ground; false when no point nearby is free.
  bool place(int kind, float x, float z, float scale, float yawDeg, float footRadius) {
    int bestC = -1, bestR = -1;
    float bestD = 1e9f;
    const int c0 = static_cast<int>(std::lround(x / kCell)), r0 = static_cast<int>(std::lround(z / kCell));
    for (int r = r0 - 1; r <= r0 + 1; ++r) {
      for (int c = c0 - 1; c <= c0 + 1; ++c) {
        if (c < kFirstColumn || c >= course_.width - kEdgeColumns || r < 0 || r >= course_.height) continue;
        if (taken_[static_cast<size_t>(r) * course_.width + c]) continue;
        const float d = std::hypot(x - c * kCell, z - r * kCell);
        if (d < bestD) bestD = d, bestC = c, bestR = r;
      }
    }
    if (bestC < 0) return false;
    taken_[static_cast<size_t>(bestR) * course_.width + bestC] = 1;
    CourseObject o;
    o.kind = kind;
    o.column = bestC;
    o.row = bestR;
    o.scale = scale;
    o.yawDeg = yawDeg;
    o.offsetX = x - bestC * kCell;
    o.offsetZ = z - bestR * kCell;
    const float h = ground_(x, z);
    float lowest = h;
    for (int k = 0; k < 8; ++k) {
      const float a = static_cast<float>(k) * 0.785398f;
      lowest = std::min(lowest, ground_(x + footRadius * std::cos(a), z + footRadius * std::sin(a)));
    }
    o.offsetY = h - ground_(bestC * kCell, bestR * kCell) - (h - lowest) - 0.3f + scale * courseKindCentreHeight(kind);
    out_.objects.push_back(o);
    return true;
  }

  bool placeTree(float x, float z, uint32_t seed) {
    if (lineDistance(x, z) < kTreeLineClearance || bottleDistance(x, z) < kTreeBottleClearance) return false;
    const int a = static_cast<int>(x), b = static_cast<int>(z);
    // File height 800: 52 to 76 units tall.
    const float scale = lerp(0.065f, 0.095f, hash01(a, b, seed));
    return place(kKindTree, x, z, scale, yaw(a, b, seed), 36.0f * scale);
  }

  float yaw(int a, int b, uint32_t seed) const { return 1.0f + 358.0f * hash01(a, b, seed + 101u); }
  bool free(int c, int r) const { return !taken_[static_cast<size_t>(r) * course_.width + c]; }

 private:
  const Course& course_;
  const GroundFn& ground_;
  CourseObjects& out_;
  std::vector<uint8_t> taken_;
};

// The centre line of a path, in columns, at a (fractional) row.
float pathCentre(const Course& course, int path, float row) {
  return sampleRow(path == 0 ? course.leftPath : course.rightPath, row);
}
// +1 or -1: from a path's racing line towards its centre line.
float towardsCentre(const Course& course, const CourseObjects& objects, int path, float row) {
  const float line = sampleRow(objects.racingLines[path], row) / kCell;
  const float centre = pathCentre(course, path, row);
  if (std::fabs(centre - line) > 0.5f) return centre > line ? 1.0f : -1.0f;
  return path == 0 ? -1.0f : 1.0f;
}

void placeBottles(const Course& course, const GroundFn& ground, CourseObjects& out) {
  for (const BottleSpot& s : kBottleSpots) {
    const float z = s.row * kCell;
    const float x = sampleRow(out.racingLines[s.path], s.row) + s.towardsMiddle * towardsCentre(course, out, s.path, s.row);
    out.bottles.push_back({x, ground(x, z) + kBottleLift, z});
  }
}

void placeTrees(const Course& course, CourseObjects& out, Placer& placer) {
  // Four trees around the start, high up the banks: the game gives the
  // fourth object of each model a wider collision box, and here it is far
  // from any line.
  for (const auto& spot : {std::array<float, 2>{52.0f, 1.0f}, {28.0f, 1.0f}, {51.0f, 2.0f}, {29.0f, 2.0f}}) {
    placer.place(kKindTree, spot[0] * kCell, spot[1] * kCell, 0.085f, placer.yaw(static_cast<int>(spot[0]), 1, 7u),
                 3.0f);
  }
  for (const GroupSpot& g : kGroupSpots) {
    const float side = towardsCentre(course, out, g.path, g.row);
    const float x = sampleRow(out.racingLines[g.path], g.row) + side * g.towardsMiddle;
    for (int i = 0; i < g.trees; ++i) {
      const float jx = (hash01(i, static_cast<int>(g.row), 11u) - 0.5f) * 60.0f + (i % 2 ? 35.0f : -20.0f) * side;
      const float jz = (static_cast<float>(i) - 0.5f * static_cast<float>(g.trees - 1)) * 45.0f +
                       (hash01(i, static_cast<int>(g.row), 13u) - 0.5f) * 20.0f;
      placer.placeTree(x + jx, g.row * kCell + jz, 17u);
    }
  }
  for (const float row : kNoseRows) {
    const float middle = 0.5f * (sampleRow(out.racingLines[0], row) + sampleRow(out.racingLines[1], row));
    placer.placeTree(middle + (hash01(static_cast<int>(row * 2), 0, 19u) - 0.5f) * 40.0f, row * kCell, 23u);
  }
  // Lining: both edges of each path; where the paths run together the
  // second path's edges are the first's.
  for (int r = 4; r < course.height; ++r) {
    const float rf = static_cast<float>(r);
    for (int path = 0; path < 2; ++path) {
      if (path == 1 && std::fabs(course.rightPath[r] - course.leftPath[r]) < 2.0f * course.halfWidth[r]) continue;
      const float centre = path == 0 ? course.leftPath[r] : course.rightPath[r];
      for (const float side : {-1.0f, 1.0f}) {
        const int key = r * 4 + path * 2 + (side > 0.0f);
        if (hash01(key, 1, 29u) >= kLiningShare) continue;
        const float out0 = course.halfWidth[r] + lerp(kLiningNear, kLiningFar, hash01(key, 2, 29u));
        const float z = (rf + (hash01(key, 3, 29u) - 0.5f) * 0.6f) * kCell;
        placer.placeTree((centre + side * out0) * kCell, z, 31u);
      }
    }
  }
  // Forest up the banks, away from both paths.
  for (int r = 4; r < course.height; ++r) {
    for (int c = kFirstColumn; c < course.width - kEdgeColumns; ++c) {
      const float e = std::min(std::fabs(c - course.leftPath[r]), std::fabs(c - course.rightPath[r])) - course.halfWidth[r];
      if (e < kForestFrom || e > kForestTo || hash01(c, r, 37u) >= kForestShare) continue;
      placer.placeTree(c * kCell + (hash01(c, r, 41u) - 0.5f) * 30.0f, r * kCell + (hash01(c, r, 43u) - 0.5f) * 30.0f,
                       47u);
    }
  }
}

// Pillars flank the start and the finish; broken ones stand about like ruins.
void placePillars(const Course& course, Placer& placer) {
  const float finishRow = static_cast<float>(course.height - 2);
  const float finishCentre = course.leftPath[course.height - 2];
  const float half = course.halfWidth[course.height - 2];
  struct Spot {
    int kind;
    float column, row, scale;
  };
  const float startColumn = course.leftPath[0];
  const Spot spots[] = {
      {kKindPillar, startColumn - 5.0f, 2.5f, 0.16f},
      {kKindPillar, startColumn + 5.0f, 2.5f, 0.16f},
      {kKindPillarEnd, startColumn - 7.5f, 3.2f, 0.17f},
      {kKindPillarEnd, startColumn + 7.0f, 1.0f, 0.15f},
      {kKindPillar, finishCentre - half - 1.2f, finishRow, 0.18f},
      {kKindPillar, finishCentre + half + 1.2f, finishRow, 0.18f},
      {kKindPillarEnd, finishCentre - half - 2.5f, finishRow - 2.2f, 0.16f},
      {kKindPillarEnd, finishCentre + half + 2.2f, finishRow - 3.5f, 0.18f},
      {kKindPillarEnd, finishCentre + half + 3.0f, finishRow + 1.0f, 0.14f},
      {kKindPillarEnd, finishCentre - half - 3.5f, finishRow - 12.0f, 0.15f},
      {kKindPillarEnd, finishCentre + half + 3.0f, finishRow - 17.0f, 0.17f},
  };
  int i = 0;
  for (const Spot& s : spots) {
    // Stone bases are 60 file units wide.
    placer.place(s.kind, s.column * kCell, s.row * kCell, s.scale, placer.yaw(i++, 3, 53u), 60.0f * s.scale);
  }
}

// Roots and mushrooms on the grass.
void placeDressing(const Course& course, Placer& placer) {
  for (int r = 2; r < course.height - 1; ++r) {
    for (int c = kFirstColumn; c < course.width - kEdgeColumns; ++c) {
      const uint8_t* m = &course.materials[(static_cast<size_t>(r) * course.width + c) * 3];
      if (m[1] < 140 || !placer.free(c, r)) continue;
      const float pick = hash01(c, r, 59u);
      const int kind = pick < kDressingShare ? kKindRoot : (pick < 2.0f * kDressingShare ? kKindMushrooms : -1);
      if (kind < 0) continue;
      const float x = c * kCell + (hash01(c, r, 61u) - 0.5f) * 40.0f;
      const float z = r * kCell + (hash01(c, r, 67u) - 0.5f) * 40.0f;
      if (placer.lineDistance(x, z) < kDressingLineClearance) continue;
      // Root: 380 file units across, 72 high; mushrooms: a cluster 110 high.
      const float scale = kind == kKindRoot ? lerp(0.07f, 0.11f, hash01(c, r, 71u)) : lerp(0.06f, 0.1f, hash01(c, r, 71u));
      placer.place(kind, x, z, scale, placer.yaw(c, r, 73u), (kind == kKindRoot ? 40.0f : 30.0f) * scale);
    }
  }
}

}  // namespace

std::vector<float> racingLine(const Course& course, const GroundFn& ground, int path) {
  vorn::VornAutopilot::Course c;
  c.columns = course.width;
  c.rows = course.height;
  c.spacingX = kCell;
  c.spacingZ = kCell;
  c.startX = course.leftPath.empty() ? 0.0f : course.leftPath[0] * kCell;
  // Where the paths run apart, the other path's ground counts as high.
  auto height = [&](float x, float z) {
    const int r = std::min(course.height - 1, std::max(0, static_cast<int>(std::lround(z / kCell))));
    const float middle = 0.5f * kCell * (course.leftPath[r] + course.rightPath[r]);
    const bool apart = course.rightPath[r] - course.leftPath[r] > 2.0f;
    const bool other = apart && (path == 0 ? x > middle : x < middle);
    return ground(x, z) + (other ? 1000.0f : 0.0f);
  };
  return vorn::VornAutopilot::findCentreLine(height, c);
}

CourseObjects buildCourseObjects(const Course& course, const GroundFn& ground) {
  CourseObjects out;
  out.racingLines = {racingLine(course, ground, 0), racingLine(course, ground, 1)};
  placeBottles(course, ground, out);
  Placer placer(course, ground, out);
  placePillars(course, placer);
  placeTrees(course, out, placer);
  placeDressing(course, placer);
  std::stable_sort(out.objects.begin(), out.objects.end(), [](const CourseObject& a, const CourseObject& b) {
    return a.row != b.row ? a.row < b.row : a.column > b.column;
  });
  return out;
}

std::string encodeObjectMap(const CourseObjects& objects) {
  std::string text =
      "twin_paths: the objects on the slope\n"
      "kinds: id, model file below data/models/, key colour in twin_paths.bmp\n"
      "records: id, scale, turns about x, z, y (degrees), offset x, y, z\n"
      "\n#\n";
  char line[200];
  for (const CourseKind& k : kCourseKinds) {
    std::snprintf(line, sizeof line, "%d %s %d %d %d\n", k.id, k.fileName, k.colour[0], k.colour[1], k.colour[2]);
    text += line;
  }
  text += "#\n";
  for (int kind = 0; kind < kKindCount; ++kind) {
    for (const CourseObject& o : objects.objects) {
      if (o.kind != kind) continue;
      std::snprintf(line, sizeof line, "%d %.4f %.1f %.1f %.1f %.2f %.2f %.2f\n", kCourseKinds[kind].id,
                    static_cast<double>(o.scale), static_cast<double>(kStandUpDeg), 0.0, static_cast<double>(o.yawDeg),
                    static_cast<double>(o.offsetX), static_cast<double>(o.offsetY), static_cast<double>(o.offsetZ));
      text += line;
    }
  }
  return text;
}

std::vector<uint8_t> encodePlacementImage(const Course& course, const CourseObjects& objects) {
  Pixels image(static_cast<uint32_t>(course.width), static_cast<uint32_t>(course.height), 3);
  for (const CourseObject& o : objects.objects) {
    // Stored rows run from the start (the image's bottom row); image column
    // c stands at grid column width - 1 - c.
    uint8_t* p = image.at(static_cast<uint32_t>(course.width - 1 - o.column), static_cast<uint32_t>(course.height - 1 - o.row));
    const std::array<uint8_t, 3>& colour = kCourseKinds[o.kind].colour;
    p[0] = colour[0];
    p[1] = colour[1];
    p[2] = colour[2];
  }
  return writeBMP24(image);
}

std::string encodeBeerList(const CourseObjects& objects) {
  std::string text;
  char line[128];
  for (const auto& b : objects.bottles) {
    std::snprintf(line, sizeof line, "%.2f %.2f %.2f\n", static_cast<double>(b[0]), static_cast<double>(b[1]),
                  static_cast<double>(b[2]));
    text += line;
  }
  return text;
}

void drawCourseObjects(Pixels& picture, const Course& course, const CourseObjects& objects, int scale) {
  auto dot = [&](float x, float z, float radius, std::array<uint8_t, 3> colour) {
    const float px = x / kCell * scale + 0.5f * scale, py = z / kCell * scale + 0.5f * scale;
    for (int y = static_cast<int>(py - radius) - 1; y <= static_cast<int>(py + radius) + 1; ++y) {
      for (int xx = static_cast<int>(px - radius) - 1; xx <= static_cast<int>(px + radius) + 1; ++xx) {
        if (xx < 0 || y < 0 || xx >= static_cast<int>(picture.width) || y >= static_cast<int>(picture.height)) continue;
        if (std::hypot(xx + 0.5f - px, y + 0.5f - py) > radius) continue;
        uint8_t* p = picture.at(static_cast<uint32_t>(xx), static_cast<uint32_t>(y));
        p[0] = colour[0], p[1] = colour[1], p[2] = colour[2];
      }
    }
  };
  // Racing lines: dotted, every tenth of a cell.
  for (const std::vector<float>& line : objects.racingLines) {
    for (int k = 0; k < (course.height - 1) * 10; k += 3) {
      const float row = k / 10.0f;
      dot(sampleRow(line, row), row * kCell, 0.14f * scale, {235, 150, 0});
    }
  }
  for (const CourseObject& o : objects.objects) {
    switch (o.kind) {
      case kKindTree: dot(o.x(), o.z(), 0.42f * scale, {15, 70, 25}); break;
      case kKindPillar: dot(o.x(), o.z(), 0.45f * scale, {60, 60, 70}); dot(o.x(), o.z(), 0.3f * scale, {200, 200, 210}); break;
      case kKindPillarEnd: dot(o.x(), o.z(), 0.3f * scale, {110, 100, 95}); break;
      case kKindRoot: dot(o.x(), o.z(), 0.22f * scale, {110, 65, 25}); break;
      default: dot(o.x(), o.z(), 0.2f * scale, {220, 40, 40}); break;
    }
  }
  for (const auto& b : objects.bottles) {
    dot(b[0], b[2], 0.6f * scale, {90, 40, 0});
    dot(b[0], b[2], 0.42f * scale, {255, 200, 0});
  }
}

}  // namespace assetgen
