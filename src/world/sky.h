// VornSky: the sky box, a textured cube of six images drawn around the camera first in every view.
// Units: world units around the given position. Cost: one display list call a view.
// Needs a current GL context.
#pragma once

#include <string>
#include <vector>

#include "assets/texture.h"
#include "math/vector.h"

namespace vorn {

class VornSky {
 public:
  static constexpr float kHalfSize = 10.0f;
  // The cube is tipped back a little so the horizon sits lower on screen.
  static constexpr float kTiltDeg = -5.0f;
  static constexpr int kFaceCount = 6;

  // Loads the faces through the shared texture cache (clamped to their edges
  // so the cube's seams do not show) and compiles them into one display list.
  // A missing image is reported by the texture loader; the cube is still built.
  VornSky(const std::string& folder, VornTextureCache& textures);
  ~VornSky();
  VornSky(const VornSky&) = delete;
  VornSky& operator=(const VornSky&) = delete;

  // Draws the sky around `position` (the camera) with depth writes off, so it
  // always surrounds the viewer and everything drawn after it covers it.
  // Leaves lighting and blending disabled.
  void draw(const VornVector& position) const;

  // Cache indices of the faces in the order up, lt, ft, rt, bk, dn.
  const std::vector<int>& textureIndices() const { return textureIndices_; }
  unsigned displayList() const { return displayList_; }

  // The six face file names for a folder: the folder name followed by
  // "up.tga", "lt.tga", "ft.tga", "rt.tga", "bk.tga" and "dn.tga" (top, +x, +z,
  // -x, -z, bottom).
  static std::vector<std::string> faceFiles(const std::string& folder);

 private:
  void compile();

  VornTextureCache& textures_;
  std::vector<int> textureIndices_;
  unsigned displayList_ = 0;
};

}  // namespace vorn
