// Shared helpers of the model builders: material shorthands, a keyframer rig
// that takes joints at absolute positions and writes the parent-relative
// position keys the game's node evaluation expects, rotation composition,
// and the turn from the creatures' design frame (x forward, y left, z up)
// into their file frame (x forward, back towards -z). Internal to assetgen.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "assetgen/mesh_builder.h"
#include "assetgen/models.h"
#include "assetgen/tds_writer.h"

namespace assetgen {

TdsMaterial makeMaterial(const std::string& name, std::array<uint8_t, 3> diffuse, const std::string& map = "",
                         uint16_t shininess = 20);

// Axis-angle rotation in degrees, as the rig takes it.
struct Turn {
  float degrees = 0.0f;
  Vec3 axis{0.0f, 0.0f, 1.0f};
};

// `first` then `second` (second applied after first, both about fixed axes).
Turn combine(const Turn& first, const Turn& second);

// Builds the node list. A joint's pivot is its absolute position in the
// model; a child's position key is its pivot relative to its parent's, so
// that rotating the parent swings the child about the parent's pivot.
class Rig {
 public:
  int addJoint(const std::string& meshName, int parent, const Vec3& pivot);
  // Absolute orientation of the joint at a frame (relative to the rest pose).
  void turn(int joint, int frame, const Turn& t);
  // Displacement of the joint from its rest place at a frame.
  void shift(int joint, int frame, const Vec3& offset);
  void scale(int joint, int frame, const Vec3& s);
  // The nodes; every joint gets all three tracks, with a rest key at frame 0
  // when the caller gave none there.
  std::vector<TdsNode> nodes() const;

 private:
  struct Joint {
    std::string name;
    int parent;
    Vec3 pivot;
    std::vector<std::pair<int, Turn>> turns;
    std::vector<std::pair<int, Vec3>> shifts;
    std::vector<std::pair<int, Vec3>> scales;
  };
  std::vector<Joint> joints_;
};

// Rotates a whole creature model by 180 degrees about x: design z-up becomes
// the file's back-towards -z; keeps faces facing outwards (a proper rotation).
void designToCreatureFrame(TdsModel& model);

// Clip file text: one "first last duration" line per clip.
struct Clip {
  int first;
  int last;
  float duration;  // tenths of a second, the unit the players advance in
};
std::string clipText(const std::vector<Clip>& clips);

// The individual models (model_creatures.cpp, model_scenery.cpp).
GeneratedModel buildCow();
GeneratedModel buildGhost();
GeneratedModel buildRiderFront();  // ork_3_anim: model 5
GeneratedModel buildRiderBack();   // ork_2_anim: model 6
GeneratedModel buildPillarEnd();
GeneratedModel buildBottle();
GeneratedModel buildPillar();
GeneratedModel buildTree();
GeneratedModel buildRoot();
GeneratedModel buildMushrooms();

}  // namespace assetgen
