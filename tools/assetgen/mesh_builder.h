// Mesh construction for the generated models: signed-distance shapes turned
// into closed, smooth triangle meshes (surface nets on a regular grid, with
// the vertices pulled onto the surface), surfaces of revolution, texture
// coordinate projections with seam repair, per-triangle material tags, and
// the conversion into the 3DS writer's meshes. Units are model file units.
// Cost: polygonising samples the field once per grid point plus a few times
// per output vertex; everything else is linear in the mesh size.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "assetgen/tds_writer.h"

namespace assetgen {

// Small vector helpers on Vec3.
Vec3 add(const Vec3& a, const Vec3& b);
Vec3 sub(const Vec3& a, const Vec3& b);
Vec3 mul(const Vec3& a, float s);
float dot(const Vec3& a, const Vec3& b);
Vec3 cross(const Vec3& a, const Vec3& b);
float length(const Vec3& a);
Vec3 normalized(const Vec3& a);
Vec3 lerp(const Vec3& a, const Vec3& b, float t);

// Signed distance (or distance-like field): negative inside, positive outside.
using Field = std::function<float(const Vec3&)>;

// Distance-field primitives and combinators.
float sdSphere(const Vec3& p, const Vec3& c, float r);
float sdEllipsoid(const Vec3& p, const Vec3& c, const Vec3& radii);
// Segment a-b with radius ra at a and rb at b (a rounded cone).
float sdCapsule(const Vec3& p, const Vec3& a, const Vec3& b, float ra, float rb);
// Polynomial smooth minimum: blends two shapes over a distance k.
float smoothUnion(float d1, float d2, float k);
float smoothSubtract(float d, float cut, float k);

struct Mesh {
  std::vector<Vec3> positions;
  std::vector<std::array<float, 2>> uvs;           // empty or one per position
  std::vector<std::array<uint32_t, 3>> triangles;  // counter-clockwise seen from outside
  std::vector<uint8_t> materials;                  // per triangle, index into the caller's names

  void append(const Mesh& other);
  void translate(const Vec3& d);
  void scale(const Vec3& s);
  // Rotation by `degrees` about a unit axis through `origin`.
  void rotate(const Vec3& axis, float degrees, const Vec3& origin);
  void setMaterial(uint8_t material);
  void bounds(Vec3& lo, Vec3& hi) const;
};

// Surface nets over [lo, hi] with the given cell size. The field must be
// positive on the box's border so the surface closes. Vertices are pulled
// onto the zero level by a few gradient steps.
Mesh polygonize(const Field& field, const Vec3& lo, const Vec3& hi, float cell);

// Quadric-error edge collapse: merges vertices of a closed mesh while the
// surface moves by less than `maxError` (file units, about the largest
// distance from a removed vertex to the planes it lay on) and more than
// `targetTriangles` remain. Collapses that would fold a face over or make
// the surface non-manifold are refused, so a closed mesh stays closed.
// Triangles keep their material tags; vertices where two materials meet are
// never moved. Call it before texture coordinates are assigned.
Mesh simplify(const Mesh& mesh, size_t targetTriangles, float maxError);

// Surface of revolution about the z axis. `profile` runs from bottom to top
// as (radius, z) pairs; a radius of 0 closes the end. `radial` (optional)
// scales the radius by angle (radians) and z, for flutes and bumps. u runs
// once around (0..1, the seam duplicated), v along the profile's length.
Mesh lathe(const std::vector<std::array<float, 2>>& profile, int segments,
           const std::function<float(float angle, float z)>& radial = nullptr);

// Texture coordinates: cylindrical about an axis through `origin` along the
// unit `axis` (u around, v along, scaled by `vScale` per unit), with the wrap
// seam repaired by duplicating vertices; planar from two axes.
void mapCylindrical(Mesh& mesh, const Vec3& origin, const Vec3& axis, const Vec3& zeroDir, float vScale,
                    float uRepeat = 1.0f);
void mapPlanar(Mesh& mesh, const Vec3& uAxis, const Vec3& vAxis, float uOffset, float vOffset);
// Each triangle takes its coordinates from the axis plane its normal faces
// most (scaled by `scale` per unit); corners shared between planes are
// duplicated, positions kept, so the game's welding keeps the shading smooth.
void mapTriplanar(Mesh& mesh, float scale);

// Tags each triangle by the material the classifier returns for its centroid.
void tagMaterials(Mesh& mesh, const std::function<uint8_t(const Vec3& centroid)>& classify);

// Converts into a writer mesh with one face group per material used;
// `materialNames[i]` names material index i. Asserts the 16-bit limits.
TdsMesh toTdsMesh(const Mesh& mesh, const std::string& name, const std::vector<std::string>& materialNames);

}  // namespace assetgen
