// VornActionObject and VornManageActionObject: the placed obstacles and scenery (each tree owns
// its ODE box), and the beer bottles to collect. Units: world units, degrees, player speed.
// Cost: a distance test an object a frame; a path within ~89 of a tree adds at most ~72 sphere-box tests.
#pragma once

#include <ode/ode.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/transform.h"
#include "math/vector.h"

namespace vorn {

class VornPlayer;

struct VornActionTuning {
  static constexpr float kDrawDistanceSquared = 4000000.0f;  // 2000 units
  static constexpr float kTestDistanceSquared = 8000.0f;      // box tests only this close
  static constexpr float kBoxScale = 0.08f;
  static constexpr float kBoxExtraLength = 200.0f;
  static constexpr float kBoxDrop = 70.0f;
  static constexpr float kAwakeFactor = 1.3f;
  static constexpr float kSlowestAfterHit = 10.0f;
  static constexpr float kGrazeSlowdown = 5.0f;
  static constexpr int kMaxContacts = 5;
  static constexpr float kPlayerSphereRadius = 5.0f;
  // The path of a frame is tested at this spacing, so no obstacle is passed
  // through between two frames however long the step.
  static constexpr float kSweepSpacing = 2.5f;
  static constexpr float kBeerPickupSquared = 200.0f;
  static constexpr float kBeerVisibleSquared = 500000.0f;
  static constexpr float kBeerLift = 10.0f;  // a bottle stands this far above its list position
};

// One placed object: a tree (solid, with a collision box) or scenery that
// only gets its visibility. Visibility is kept per view (0 single or bottom,
// 1 top) so each half of the split screen shows what its player sees.
class VornActionObject {
 public:
  explicit VornActionObject(int modelIndex);
  ~VornActionObject();
  VornActionObject(const VornActionObject&) = delete;
  VornActionObject& operator=(const VornActionObject&) = delete;

  // The collision box: s * 0.08 square across, e * 0.08 + 200 long along the
  // model's own z axis (e its bounding-box extent there; a negative or
  // non-finite e counts as 0), lowered by 70 and turned with the transform.
  // Caches the position. Replaces an earlier box. A transform with a
  // non-finite position gets no box.
  void buildBox(float s, float modelExtentZ);
  bool hasBox() const { return box_ != nullptr; }

  // Visible in `view` while closer than 2000 to the player.
  void updateVisibility(const VornVector& playerPosition, int view = 0);

  // The obstacle test for the frame's path from `from` to the player's
  // position; the view's visibility is set from the end position. Sphere
  // positions along the path, 2.5 apart, are tested while closer than ~89.4
  // to the object; the first that touches the box is the hit. On a hit, with
  // k = direction . n (n the first contact's normal, pointing out of the box)
  // and v the speed before:
  //   awakeChange += k * v * 1.3 for k <= 0, -= k * v * 1.3 for k > 0;
  //   speed becomes 10 for k <= 0, max(v - k * 5, 10) for k > 0;
  //   the direction becomes normalize(direction - n * k), or, head on, the
  //   face's horizontal direction on the side the path drifted to;
  //   the player is put back to the last free sample of its path.
  // An object without a box is never hit; one whose distance to every point
  // of the path is at least ~89.4 is not tested (so nothing beyond 2000 is).
  bool collide(const VornVector& from, VornPlayer& player, float& awakeChange, int view = 0);

  const float* modelMatrix() const { return transform.modelMatrix().m; }

  uint8_t visible[2] = {1, 1};
  uint8_t enabled = 1;
  float groundHeight = 0.0f;
  VornVector position;
  VornTransform transform;
  int modelIndex;

 private:
  dGeomID box_ = nullptr;
};

using VornActionObjectList = std::vector<std::unique_ptr<VornActionObject>>;

// The beer list: one "%f %f %f" (x, y, z) a line. A line holds at most 199
// characters besides its line end ("\n" or "\r\n"); a longer one is skipped
// whole, as is a line without three finite numbers (extra text after them is
// ignored). Bytes and size, any content.
std::vector<VornVector> parseBeerList(const uint8_t* data, size_t size);

// The bottles of a race. Each record spins 1 degree a frame while it is still
// to be collected, is visible within ~707 units and is picked up within the
// squared radius 200 of the path a player travelled in the frame.
class VornManageActionObject {
 public:
  struct Record {
    int32_t active = 1;
    int32_t visible[2] = {1, 1};
    int32_t flagged = 1;
    VornTransform transform;
    int modelIndex = -1;
    const float* modelMatrix() const { return transform.modelMatrix().m; }
  };

  // One record a bottle position: rotated -70 degrees about its own x axis,
  // scaled by 0.1 and raised by 10. Shadow flags follow the records.
  void add(const std::vector<VornVector>& bottles, int modelIndex);

  // Once a frame, before the players' tests: `spin` advances (past 360 it
  // starts again at 0) and every active record turns by 1 degree about Y.
  void spinAll();
  // The pick-up test for one player's path (from, to) in view `view`: every
  // active record whose position lies within the squared pickup radius of
  // the segment is taken (inactive, invisible in both views, shadow flag 0);
  // the others are visible in `view` within ~707 of `to`. Returns how many
  // were taken; the caller gives one bonus for a frame with any.
  int update(const VornVector& from, const VornVector& to, int view = 0);
  // A new race: every record active, visible and flagged, every shadow flag 1.
  void reset();
  // Appends "%f %f %f\n" of (x, y - 3.5, z) to `path`, the beer list's
  // format. False (and an err.txt line) when the file cannot be written.
  bool writePlacement(const std::string& path, const VornVector& playerPosition) const;

  std::vector<Record> records;
  std::vector<uint8_t> shadowFlags;
  float pickupRadiusSquared = VornActionTuning::kBeerPickupSquared;
  int32_t spin = 0;
};

}  // namespace vorn
