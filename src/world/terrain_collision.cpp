#include "world/terrain_collision.h"

#include <cassert>
#include <cmath>

namespace vorn {
namespace {

bool finite(const VornVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

TerrainCollision::TerrainCollision(const TerrainMesh& mesh) {
  static_assert(sizeof(dTriIndex) == sizeof(int32_t), "terrain indices are 32-bit");
  assert(!mesh.vertices.empty() && !mesh.indices.empty() && "collision needs a built mesh");
  ensureOdeReady();
  data_ = dGeomTriMeshDataCreate();
  dGeomTriMeshDataBuildSingle(data_, mesh.vertices.data(), 3 * sizeof(float), mesh.pointCount(),
                              reinterpret_cast<const dTriIndex*>(mesh.indices.data()),
                              static_cast<int>(mesh.indices.size()), 3 * sizeof(dTriIndex));
  sphere_ = dCreateSphere(nullptr, kPlayerSphereRadius);
  space_ = dSimpleSpaceCreate(nullptr);
  terrain_ = dCreateTriMesh(nullptr, data_, nullptr, nullptr, nullptr);
  ray_ = dCreateRay(nullptr, kClearanceRayLength);
  dGeomRaySetFirstContact(ray_, 0);
  dGeomRaySetBackfaceCull(ray_, 0);
  dGeomRaySetClosestHit(ray_, 1);
}

TerrainCollision::~TerrainCollision() {
  dGeomDestroy(ray_);
  dGeomDestroy(terrain_);
  dGeomDestroy(sphere_);
  dSpaceDestroy(space_);
  dGeomTriMeshDataDestroy(data_);
}

bool TerrainCollision::probeSphere(const VornVector& centre, TerrainContact& first) {
  if (!finite(centre)) return false;
  ensureOdeReady();
  dGeomSetPosition(sphere_, centre.x, centre.y, centre.z);
  dContactGeom contacts[kMaxPlayerContacts];
  const int n = dCollide(sphere_, terrain_, kMaxPlayerContacts, contacts, sizeof(dContactGeom));
  if (n <= 0) return false;
  first.normal.set(static_cast<float>(contacts[0].normal[0]), static_cast<float>(contacts[0].normal[1]),
                   static_cast<float>(contacts[0].normal[2]));
  first.depth = static_cast<float>(contacts[0].depth);
  return true;
}

bool TerrainCollision::groundAbove(const VornVector& point, float& hitY) {
  if (!finite(point)) return false;
  ensureOdeReady();
  dGeomRaySet(ray_, point.x, point.y - kGroundClearance, point.z, 0.0, 1.0, 0.0);
  dContactGeom contact;
  const int n = dCollide(ray_, terrain_, 1, &contact, sizeof(dContactGeom));
  if (n <= 0) return false;
  hitY = static_cast<float>(contact.pos[1]);
  return true;
}

}  // namespace vorn
