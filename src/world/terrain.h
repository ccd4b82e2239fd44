// VornTerrain: the device-free terrain: height grid, strip mesh and walls, ODE collision,
// materials, start and ground queries. Units: world units, x across, z down the track, y up.
// Cost: loading is one pass a file plus the ODE tree; a query one cell; a probe one sphere test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/image.h"
#include "math/transform.h"
#include "math/vector.h"
#include "player/autopilot.h"
#include "player/ground.h"
#include "world/height_map.h"
#include "world/light_map.h"
#include "world/material_map.h"
#include "world/terrain_collision.h"
#include "world/terrain_mesh.h"

namespace vorn {

// The start of the track; y is the ground there plus kStartLift.
constexpr float kStartX = 2000.0f;
constexpr float kStartZ = 90.0f;
constexpr float kStartLift = 1.0f;
// The finish: crossing z > (H - 2) * sz - kEndMargin ends the track.
constexpr float kEndMargin = 5.0f;
constexpr float kAmbientLevel = 0.3f;
constexpr float kDiffuseLevel = 0.7f;
// No map file the terrain reads is anywhere near this; larger files are
// refused before they are read.
constexpr size_t kMaxMapFileBytes = 64u * 1024u * 1024u;

constexpr const char* kMaterialMapFile = "data/maps/twin_paths_conv.bmp";

// VornWorld (the device layer, world.h) owns one and adds textures, buffers
// and drawing; simulation code (the player) only needs this class.
//
// Coordinates: grid column c at x = 50c, grid row r at z = 50r (the race runs
// towards larger z). Speeds and steps are world units per call; the caller
// owns time.
class VornTerrain final : public VornGround {
 public:
  VornTerrain();
  ~VornTerrain() override;
  VornTerrain(const VornTerrain&) = delete;
  VornTerrain& operator=(const VornTerrain&) = delete;

  // Checks the name ("rgb" or "sgi" ending, case-sensitive) and runs
  // loadRGB. 0 on success, 1 after an err.txt report.
  int loadHeightMap(const std::string& fileName);
  // Reads the SGI height map and builds the mesh, the collision geometry and
  // the start position. Any earlier terrain is dropped first.
  int loadRGB(const std::string& fileName);
  // The same from bytes already in memory (tests, tools).
  int loadRGBFromBytes(const uint8_t* data, size_t size, const std::string& fileName);

  // Reads the material map into weights and blend colours; needs the mesh.
  int loadMatMap(const std::string& fileName);
  int loadMatMapFromBytes(const uint8_t* data, size_t size, const std::string& fileName);

  bool hasMesh() const { return collision_ != nullptr; }
  bool hasMaterials() const { return !materials_.empty(); }
  // A race may run on this terrain: it has its mesh and its materials. A
  // missing or damaged height map or material map gets its two err.txt lines
  // and leaves the terrain without a mesh or without material weights; the
  // queries stay safe (heights 0, materials 0, no contact), but the game must
  // not start a race on it.
  bool usable() const { return hasMesh() && hasMaterials(); }

  // Ground height under (x, z), exactly the mesh surface; positions outside
  // the grid are clamped onto its border. 0 without a mesh.
  float getHeight(float x, float z) const;
  // How far a shadow volume must reach from a caster at `from` (a ball of
  // `radius`) away from the light `towardsLight` until all of its end lies
  // under the ground: the distance at which the ray from `from` is `radius`
  // below the surface, plus `radius`; `longest` when it is not within that.
  // Marches in steps of kShadowReachStep, so a ridge thinner than a step
  // may be missed (the volume then just ends inside it).
  float shadowReach(const VornVector& from, const VornVector& towardsLight, float radius, float longest) const;
  static constexpr float kShadowReachStep = 5.0f;
  // Material weight of channel 0 (snow), 1 (grass) or 2 (ice), interpolated
  // over the same triangle as getHeight; 0 without a material map.
  float getMaterial(float x, float z, int channel) const override;
  using VornGround::getMaterial;  // the (position, channel) form
  void getGrassAndIce(const VornVector& position, float& grass, float& ice) const override;

  // The player's terrain probe (the VornGround interface of the player
  // physics): the caller passes the player's position (the centre of its
  // collision sphere) and its unit direction of travel. The sphere (radius 5)
  // is placed at position + direction * step. Returns 1 when it touches
  // nothing (airborne), 0 on contact: then `step` is shortened by
  // |normal . direction| * depth, `newDirection` is the direction projected
  // onto the contact plane, and `normal` and `depth` describe the first
  // contact. `depth` is 0 without contact. `endOfTrack` is set when the
  // probe lies beyond the finish (never cleared here). The player's position
  // is not changed. Without a mesh it always reports no contact.
  int collidePlayer(const VornVector& position, const VornVector& direction, VornVector& newDirection,
                    float& step, VornVector& normal, float& depth, bool& endOfTrack) override;

  // Camera clearance: when `position` is less than 10 above the ground (or
  // below it), lifts it to 10 above. Returns the contact count (0 or 1).
  int keepAboveGround(VornVector& position) override;

  // Puts a transform (the player's model transform) at the start position.
  void placeAtStart(VornTransform& transform) const;

  const VornVector& startPosition() const { return startPosition_; }
  const VornVector& lightDirection() const { return lightDirection_; }
  const float* ambient() const { return ambient_; }
  const float* diffuse() const { return diffuse_; }
  // Grid spacing x, height scale, grid spacing z.
  const VornVector& scale() const { return scale_; }
  int width() const { return grid_.width; }
  int height() const { return grid_.height; }

  const HeightGrid& grid() const { return grid_; }
  const TerrainMesh& mesh() const { return mesh_; }
  const MaterialMap& materials() const { return materials_; }
  // Drops the blend colours once they are on the graphics card.
  void releaseBlendColours();

  // The light map of this grid with the world's parameters.
  LightMapLayout lightMapLayout() const;
  std::string lightMapCacheName(const std::string& heightMapName) const;
  VornImage computeLightMap(int threads = kLightMapThreads) const;

  // The simple space for the placed objects' collision geometry; null
  // without a mesh.
  dSpaceID space() const { return collision_ ? collision_->space() : nullptr; }

 private:
  void clear();

  VornVector lightDirection_;
  float ambient_[3] = {kAmbientLevel, kAmbientLevel, kAmbientLevel};
  float diffuse_[3] = {kDiffuseLevel, kDiffuseLevel, kDiffuseLevel};
  VornVector scale_{kGridSpacingX, kHeightScale, kGridSpacingZ};
  HeightGrid grid_;
  TerrainMesh mesh_;
  MaterialMap materials_;
  VornVector startPosition_;
  std::unique_ptr<TerrainCollision> collision_;
};

// Reads a whole file; false when it cannot be opened or read or is larger
// than `limit` bytes (`tooLarge` tells which).
bool readMapFile(const std::string& fileName, size_t limit, std::vector<uint8_t>& bytes, bool& tooLarge);

// The demo and test driver on this course's centre line (the line search
// reads every grid point once).
VornAutopilot centreLineAutopilot(const VornTerrain& terrain);

}  // namespace vorn
