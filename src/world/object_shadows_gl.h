// Projected object shadows on the device: baking the placed objects' silhouettes into the
// terrain's shadow texture, the beer's shadow image, and the bottle shadow meshes' buffers and
// drawing. Units: world units, texels. Cost: baking draws every object once a tile, at load only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/model.h"
#include "math/transform.h"
#include "player/action_object.h"
#include "world/object_shadows.h"

namespace vorn {

// What the bake needs of one placed object: its model, the ground under its
// placement point and its model matrix.
struct ShadowCaster {
  int modelIndex = -1;
  float groundHeight = 0.0f;
  VornMatrix modelMatrix;
};

std::vector<ShadowCaster> shadowCasters(const VornActionObjectList& objects);

// Renders the silhouettes of `casters`, flattened along `light` (towards the
// light) onto height 0 from their own ground (parts below it cast nothing),
// 0.7 grey on white, tile by tile
// into a new RGB texture laid out by shadowTextureLayout; the terrain's
// shadow pass multiplies it in (VornWorld::setShadowTexture). Draws into a
// framebuffer object when the driver has one (GL 3.0, ARB or EXT), else into
// the window's back buffer, whose size (`viewportWidth` x `viewportHeight`)
// then limits the tile size. Textured meshes cast cut-out silhouettes: a first
// map by its alpha, a material overlay by the overlay's alpha the way the
// model pass shows it. Puts back the GL state it found (projection, model
// view, viewport, clear colour, enables, alpha test, texture environment,
// framebuffer). Returns the texture name; 0 for a light at the horizon or an
// empty terrain.
unsigned createShadowTexture(const VornModelList& models, const std::vector<ShadowCaster>& casters,
                             const VornVector& light, const VornTerrain& terrain, int viewportWidth,
                             int viewportHeight);
unsigned createShadowTexture(const VornModelList& models, const VornActionObjectList& objects,
                             const VornVector& light, const VornTerrain& terrain, int viewportWidth,
                             int viewportHeight);

// The beer's shadow image: the model turned by -150 degrees about x, scaled
// by 0.1, 30 in front of a 45-degree square perspective view, 0.7 grey on
// white in a 512 x 512 RGB texture (clamped, linear). The model's vertex
// buffer must be loaded. Same framebuffer rules and state keeping as above.
// Remembers the rectangle the silhouette fills, for drawShadowMeshes.
// Returns the texture name.
unsigned makeShadowImage(const VornObject& model, int viewportWidth, int viewportHeight);

// The box corners of a placed static model in the world: the model's parts
// through their rest matrices, then `transform`.
std::array<VornVector, 8> modelBoxCorners(const VornObject& model, const VornMatrix& transform);

// makeProjectionShadow for a model standing at `transform`.
VornShadowMesh makeProjectionShadow(const VornObject& model, const VornTransform& transform,
                                    const VornVector& light, const VornTerrain& terrain, std::string& diagnostics);

// Gives every non-empty mesh a static vertex buffer (an earlier one is
// replaced); drawing falls back to the meshes' own arrays without one.
void uploadShadowMeshes(std::vector<VornShadowMesh>& meshes);
void releaseShadowMeshes(std::vector<VornShadowMesh>& meshes);

// Multiplies every mesh whose flag is set (flags[i] for meshes[i]; a missing
// flag counts as set) with `texture` into what is drawn: unlit, blended
// (zero, source colour), depth-tested without depth writes, both faces. For
// an image of makeShadowImage the silhouette's rectangle, not the whole
// image, spans each mesh's quad. Puts back the state it changed.
void drawShadowMeshes(const std::vector<VornShadowMesh>& meshes, const std::vector<uint8_t>& flags,
                      unsigned texture);

// Framebuffer objects are used when the driver has them and this allows it
// (the default); tests turn it off to run the window-buffer path.
void allowShadowFramebuffers(bool allowed);

}  // namespace vorn
