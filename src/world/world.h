// VornWorld: the race terrain on the graphics card: VornTerrain plus ground textures, light map,
// vertex buffers and the ground and shadow passes. Units: world units (grid spacing 50).
// Cost: H-1 strip calls of 2*W points, twice a view (ground, shadows). Needs GL extensions loaded.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "assets/model.h"
#include "assets/texture.h"
#include "world/object_map.h"
#include "world/terrain.h"

namespace vorn {

constexpr const char* kSnowTextureFile = "data/textures/snow4.tga";
constexpr const char* kGrassTextureFile = "data/textures/grass11.tga";
constexpr const char* kIceTextureFile = "data/textures/ice8.tga";

// It owns the device-free VornTerrain and adds what needs OpenGL: the three
// ground textures and the light map in the shared texture cache, the static
// vertex buffers (points, two ground texture-coordinate sets, light-map and
// shadow coordinates, blend colours) and the drawing of the ground in one
// multitexture pass (plus a shadow pass where there are fewer than five
// texture units). With the game's model list it also
// owns the object kinds of the object map and the objects placed from the
// placement image, each registered for drawing in its model's
// actionInstances; the model list must outlive the world.
class VornWorld {
 public:
  // Positions of this world's entries in textureIndices().
  static constexpr int kSnow = 0, kGrass = 1, kIce = 2, kLightMap = 3;

  // Loads snow, grass and ice (mirrored repeat), then the object map, then the
  // height map. Any failure is in err.txt and leaves usable() false: the game
  // must not race on it. The kinds' models are found in or appended to
  // `models`, loaded with `tables`. A missing object map or placement image
  // leaves the course without objects.
  VornWorld(const std::string& heightMapName, VornTextureCache& textures, VornModelList& models,
            VornModelTables& tables);
  // The terrain alone: no object map, no placed objects.
  VornWorld(const std::string& heightMapName, VornTextureCache& textures);
  ~VornWorld();
  VornWorld(const VornWorld&) = delete;
  VornWorld& operator=(const VornWorld&) = delete;

  // Name check ("rgb"/"sgi"), then loadRGB. 0 on success, 1 after an err.txt
  // report.
  int loadHeightMap(const std::string& fileName);
  // Builds the terrain from the height map, then the light map, the buffers
  // and the material map.
  int loadRGB(const std::string& fileName);
  // Reads the object kinds of the object map (the height map's name with
  // "txt" for its last three characters), replacing earlier ones; each kind's
  // model is looked up by its path. 0 when read, 1 when the file is missing
  // or too large (with its err.txt report).
  int loadObjects(const std::string& heightMapName);
  // Places the objects of the placement image (the name with "bmp") on the
  // ground, replacing earlier ones, and builds their collision boxes. 0 when
  // placed, 1 when the image is missing or damaged (with its report). Both do
  // nothing and return 0 on a terrain-only world.
  int placeObjects(const std::string& heightMapName);
  // Reads the material map and uploads the blend colours.
  void loadMatMap(const std::string& fileName);
  // Loads the cached light map beside the height map, or computes, uploads
  // and caches it (once per course, about a second for the shipped one); then
  // uploads the light-map coordinates.
  void createLightMap(int texelsPerCell, int passes, int radius, const std::string& heightMapName);

  // Draws the ground for the current view: snow, grass by the blend colour's
  // grey, ice by its alpha, the light map modulated on top; then multiplies
  // the projected object shadows in. Changes lighting, blending, texture
  // units 0-4 and depth writes as it goes and leaves unit 0 active, lighting
  // and blending off. Does nothing on an unusable world.
  void draw();

  // The shadow texture of the placed objects (made once after loading);
  // until one is set the shadow pass multiplies by plain white.
  void setShadowTexture(unsigned textureId) { shadowTexture_ = textureId; }

  bool usable() const { return terrain_.usable() && vertexBuffer_ != 0 && colourBuffer_ != 0; }
  VornTerrain& terrain() { return terrain_; }
  const VornTerrain& terrain() const { return terrain_; }
  const std::vector<int>& textureIndices() const { return textureIndices_; }
  const VornKindList& kinds() const { return kinds_; }
  // The placed objects in placement order: the race tests and turns them,
  // the shadow baker projects them.
  VornActionObjectList& objects() { return objects_; }
  const VornActionObjectList& objects() const { return objects_; }

  // The terrain queries, for callers holding the world.
  float getHeight(float x, float z) const { return terrain_.getHeight(x, z); }
  float getMaterial(float x, float z, int channel) const { return terrain_.getMaterial(x, z, channel); }
  float getMaterial(const VornVector& p, int channel) const { return terrain_.getMaterial(p, channel); }
  void getGrassAndIce(const VornVector& p, float& grass, float& ice) const { terrain_.getGrassAndIce(p, grass, ice); }
  int keepAboveGround(VornVector& position) { return terrain_.keepAboveGround(position); }
  const VornVector& startPosition() const { return terrain_.startPosition(); }
  void placeAtStart(VornTransform& transform) const { terrain_.placeAtStart(transform); }

  // When set the terrain is drawn as lines.
  bool wireframe = false;

 private:
  void load(const std::string& heightMapName);
  void releaseBuffers();
  void uploadGeometry();
  // The rows of cells whose box is in the current view, then drawing them.
  void findRowsInView();
  void drawStrips() const;
  void clearObjects();

  VornTerrain terrain_;
  VornTextureCache& textures_;
  std::vector<int> textureIndices_;
  unsigned vertexBuffer_ = 0;
  unsigned snowCoordBuffer_ = 0;
  unsigned grassCoordBuffer_ = 0;
  unsigned lightCoordBuffer_ = 0;
  unsigned shadowCoordBuffer_ = 0;
  unsigned colourBuffer_ = 0;
  unsigned whiteTexture_ = 0;
  unsigned shadowTexture_ = 0;
  std::vector<StripBox> stripBoxes_;
  std::vector<int> rowsInView_;  // kept between frames: drawing allocates nothing
  VornModelList* models_ = nullptr;
  VornModelTables* tables_ = nullptr;
  VornKindList kinds_;
  VornActionObjectList objects_;
  // The objects as their models draw them, one adapter each.
  std::vector<std::unique_ptr<VornPlacedInstance>> instances_;
};

}  // namespace vorn
