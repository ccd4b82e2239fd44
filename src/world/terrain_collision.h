// TerrainCollision: the ODE mesh of terrain and walls, the probe sphere, the clearance ray and the
// placed objects' space. Units: world units. Cost: the bounding tree is built once
// (O(triangles log triangles)); a sphere probe or ray touches only the few triangles near it.
#pragma once

#include <ode/ode.h>

#include "math/vector.h"
#include "player/ode_setup.h"
#include "world/terrain_mesh.h"

namespace vorn {

constexpr float kPlayerSphereRadius = 5.0f;
constexpr int kMaxPlayerContacts = 5;
constexpr float kClearanceRayLength = 10000.0f;
// keepAboveGround keeps a point this far above the ground.
constexpr float kGroundClearance = 10.0f;

// One contact of the probe sphere with the terrain.
struct TerrainContact {
  VornVector normal;  // points out of the terrain, towards the sphere
  float depth = 0.0f;
};

// ODE is used for collision geometry only (no bodies, no world). The mesh
// points into the vertex and index arrays of a TerrainMesh, which must stay
// alive and unchanged for the life of this object. space() is the simple
// space the placed objects' collision boxes live in.
class TerrainCollision {
 public:
  explicit TerrainCollision(const TerrainMesh& mesh);
  ~TerrainCollision();
  TerrainCollision(const TerrainCollision&) = delete;
  TerrainCollision& operator=(const TerrainCollision&) = delete;

  // Places the probe sphere at `centre` and collides it with the terrain
  // mesh; returns false when it touches nothing. On contact `first` is ODE's
  // first contact. A non-finite centre touches nothing.
  bool probeSphere(const VornVector& centre, TerrainContact& first);

  // Casts the clearance ray from (x, y - 10, z) straight up; on a hit returns
  // true with the ground's y at the hit.
  bool groundAbove(const VornVector& point, float& hitY);

  dSpaceID space() const { return space_; }
  dGeomID playerSphere() const { return sphere_; }

 private:
  dTriMeshDataID data_ = nullptr;
  dGeomID terrain_ = nullptr;
  dGeomID sphere_ = nullptr;
  dGeomID ray_ = nullptr;
  dSpaceID space_ = nullptr;
};

}  // namespace vorn
