// VornGround: the terrain queries the sliding and the chase camera ask of the world.
// Units: world units; material weights 0..1. Cost: one sphere or ray probe per collision call,
// one grid cell per material lookup.
#pragma once

#include "math/vector.h"

namespace vorn {

enum MaterialChannel : int { kMaterialSnow = 0, kMaterialGrass = 1, kMaterialIce = 2 };

// The game answers with the terrain's collision mesh; tests answer with
// simple analytic surfaces.
class VornGround {
 public:
  virtual ~VornGround() = default;

  // Probes the player's collision sphere at position + direction * step.
  // Returns 1 when it touches nothing. On contact returns 0, shortens `step`
  // by |normal . direction| * depth, sets `newDirection` to the direction
  // projected onto the contact plane, and gives the contact normal and the
  // penetration depth. `endOfTrack` is set (never cleared) when the probe
  // lies beyond the end of the track.
  virtual int collidePlayer(const VornVector& position, const VornVector& direction,
                            VornVector& newDirection, float& step, VornVector& normal, float& depth,
                            bool& endOfTrack) = 0;

  // Weight of one material channel at (x, z).
  virtual float getMaterial(float x, float z, int channel) const = 0;
  float getMaterial(const VornVector& p, int channel) const { return getMaterial(p.x, p.z, channel); }

  // Grass and ice weights at once.
  virtual void getGrassAndIce(const VornVector& p, float& grass, float& ice) const {
    grass = getMaterial(p.x, p.z, kMaterialGrass);
    ice = getMaterial(p.x, p.z, kMaterialIce);
  }

  // Raises `position` to 10 above the ground when it is lower than that;
  // returns the number of contacts (0 or 1).
  virtual int keepAboveGround(VornVector& position) = 0;
};

}  // namespace vorn
