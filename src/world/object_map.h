// Object map and placement: the kinds of scenery (a model and a key colour each) with their
// placement records, the placement image, and the action objects placed from its pixels.
// Units: world units, degrees, colour bytes. Cost: one pass over each file; one object a pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "player/action_object.h"

namespace vorn {

constexpr const char* kObjectModelFolder = "data/models/";
// Lines are read as a line reader with a 200-byte buffer takes them: at most
// 199 characters. A longer data line is reported and dropped whole.
constexpr size_t kObjectMapLineLimit = 199;
// Hostile maps must not load hundreds of models or hoard records: the game
// has ten models, and no image places more objects than this (the largest
// grid has that many points, and the shipped image is a pixel a point).
constexpr size_t kMaxObjectKinds = 64;
constexpr size_t kMaxPlacedObjects = 65536;
constexpr size_t kMaxPlacementRecords = kMaxPlacedObjects;
constexpr size_t kMaxObjectMapBytes = 1u << 20;
// The box size parameter of the collision boxes: the fourth object of each
// model (index 3 among its objects) gets the larger one.
constexpr float kObjectBoxSize = 100.0f;
constexpr float kFourthObjectBoxSize = 260.0f;
constexpr int kFourthObjectIndex = 3;

// One placement record, the seven floats of a placement line in file order.
struct VornPlacementRecord {
  float scale = 0.0f;
  float rotateX = 0.0f;  // degrees, each about the world axis
  float rotateZ = 0.0f;
  float rotateY = 0.0f;
  float offsetX = 0.0f;
  float offsetY = 0.0f;
  float offsetZ = 0.0f;
};

// The model index for a model path; the game loads the model or reuses the
// one already in its list under exactly that path.
using VornModelLookup = std::function<int(const std::string& modelPath)>;

// One object kind of the object map.
class VornAddObject {
 public:
  // From a kind line "id name red green blue": the model is looked up only
  // when all five fields scan (colours 0..255). Otherwise the kind is kept
  // without a model (`scanned` false, never placed) and the line is reported.
  VornAddObject(const std::string& line, const VornModelLookup& lookup);

  // One object of this kind standing at (x, y, z), y the ground height: the
  // next unused record, if any, gives scale, rotations about x, z, then y
  // (each only when not 0) and the offset; without one the object stands
  // unscaled and unturned at (x, y, z).
  std::unique_ptr<VornActionObject> place(float x, float y, float z);

  std::vector<VornPlacementRecord> records;
  int id = 0;
  int nextRecord = 0;
  std::string modelPath;
  uint8_t red = 0, green = 0, blue = 0;
  int modelIndex = -1;
  bool scanned = false;
};

using VornKindList = std::vector<VornAddObject>;

enum class VornPlacementLine { kAdded, kRejected, kRecordsFull };

// A placement line "id scale rx rz ry [ox oy oz]" (5 or 8 numbers, all
// finite): its record goes to every kind with that id, and is dropped
// silently when there is none. Another count is reported with the count of
// numbers read. Once `kMaxPlacementRecords` are held no more are stored.
VornPlacementLine addPlacementLine(const std::string& line, VornKindList& kinds);

// Reads an object map from bytes, appending its kinds to `kinds` in file
// order with their records. Every bad line gets its err.txt report and is
// skipped; reading goes on.
void readObjectMap(const uint8_t* data, size_t size, const VornModelLookup& lookup, VornKindList& kinds);

// The placement image: its pixels as stored (blue, green, red, packed rows,
// the bottom row first).
struct VornPlacementImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
};

// Decodes the placement image with the material map's BMP rules; on failure
// `out` is empty and `detail` holds the line that goes under
// "Error VornWorld::placeObjects \n".
bool decodePlacementImage(const uint8_t* data, size_t size, const std::string& fileName, VornPlacementImage& out,
                          std::string& detail);

// Where one object of kind `kind` (its index in the kind list) stands.
struct VornPlacement {
  size_t kind = 0;
  float x = 0.0f;
  float z = 0.0f;
};

struct VornPlacementPlan {
  std::vector<VornPlacement> placements;  // rows from the bottom, left to right, kinds in list order
  bool capped = false;                    // more than kMaxPlacedObjects were asked for
};

// Every non-black pixel places one object of each scanned kind with its
// colour whose model index is below `modelCount`. Image row r lies at z = r * H * sz / height and column c at
// x = (width - 1 - c) * W * sx / width (the image's x runs against the
// world's, column 0 on the grid's last column), W x H the grid.
VornPlacementPlan planPlacements(const VornPlacementImage& image, const VornKindList& kinds, size_t modelCount,
                                 int gridWidth, int gridHeight, float spacingX, float spacingZ);

// Places the plan's objects in order on the ground given by `groundHeight`,
// appending them to `objects`; each kind hands out its records in turn.
void placeAll(const VornPlacementPlan& plan, VornKindList& kinds,
              const std::function<float(float, float)>& groundHeight,
              VornActionObjectList& objects);

// The box size parameter of every object in list order: kFourthObjectBoxSize
// for the fourth object of its model, kObjectBoxSize for the others.
std::vector<float> objectBoxSizes(const VornActionObjectList& objects);
// Builds every object's collision box with those sizes; `modelExtentZ` gives
// a model's bounding-box extent along its own z axis.
void buildObjectBoxes(VornActionObjectList& objects, const std::function<float(int modelIndex)>& modelExtentZ);

}  // namespace vorn
