#include "world/world.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "assets/bmp_codec.h"
#include "base/pass_marks.h"
#include "math/transform_gl.h"
#include "base/error_log.h"

namespace vorn {
namespace {

unsigned uploadFloats(const std::vector<float>& values) {
  GLuint buffer = 0;
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(values.size() * sizeof(float)), values.data(),
               GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  return buffer;
}

void deleteBuffer(unsigned& buffer) {
  if (buffer != 0) glDeleteBuffers(1, &buffer);
  buffer = 0;
}

int appendTexture(std::unique_ptr<VornTexture> texture, VornTextureCache& textures) {
  textures.push_back(std::move(texture));
  return static_cast<int>(textures.size()) - 1;
}

// A cached light map is used only when it decodes and has the layout's size;
// a damaged or foreign file is computed afresh and written over.
bool readCachedLightMap(const std::string& name, const LightMapLayout& layout, VornImage& image) {
  std::vector<uint8_t> bytes;
  bool tooLarge = false;
  if (!readMapFile(name, kMaxMapFileBytes, bytes, tooLarge)) return false;
  std::string detail;
  if (!decodeBMP(bytes.data(), bytes.size(), name, image, detail)) return false;
  return image.width == static_cast<uint32_t>(layout.width) && image.height == static_cast<uint32_t>(layout.height);
}

// Whether the fixed-function pipeline has a fifth texture unit for the
// object shadows. VORN_TERRAIN_SHADOW_PASS=1 asks for the separate shadow
// pass even so, to test it where every driver has the unit.
bool fiveTextureUnits() {
  static const bool five = [] {
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    return units >= 5;
  }();
  const char* pass = std::getenv("VORN_TERRAIN_SHADOW_PASS");
  return five && !(pass && std::strcmp(pass, "1") == 0);
}

// Makes `unit` the texture unit for both state and client arrays.
void useUnit(GLenum unit) {
  glActiveTexture(unit);
  glClientActiveTexture(unit);
}

// The current client unit's coordinates come from `buffer`, two floats a point.
void texCoordsFrom(unsigned buffer) {
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glTexCoordPointer(2, GL_FLOAT, 0, nullptr);
}

// The current unit gives texture * w + previous * (1 - w), w taken from the
// primary colour: its grey for GL_SRC_COLOR, its alpha for GL_SRC_ALPHA.
void interpolateWithPrevious(GLenum weight) {
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_INTERPOLATE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PREVIOUS);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_RGB, GL_PRIMARY_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND2_RGB, weight);
}

constexpr const char* kLoadObjects = "VornWorld::loadObjects";
constexpr const char* kPlaceObjects = "VornWorld::placeObjects";

// The height map's name with its last three characters replaced.
std::string withEnding(const std::string& name, const char* ending) {
  return name.size() >= 3 ? name.substr(0, name.size() - 3) + ending : std::string(ending);
}

// A placed object as its model draws it: drawn in a view while the object is
// visible there.
class PlacedObjectInstance final : public VornPlacedInstance {
 public:
  explicit PlacedObjectInstance(const VornActionObject& object) : object_(object) {}
  const float* modelMatrix() const override { return object_.modelMatrix(); }
  bool visibleInView(int view) const override { return object_.visible[view & 1] != 0; }

 private:
  const VornActionObject& object_;
};

}  // namespace

VornWorld::VornWorld(const std::string& heightMapName, VornTextureCache& textures, VornModelList& models,
                     VornModelTables& tables)
    : textures_(textures), models_(&models), tables_(&tables) {
  load(heightMapName);
}

VornWorld::VornWorld(const std::string& heightMapName, VornTextureCache& textures) : textures_(textures) {
  load(heightMapName);
}

void VornWorld::load(const std::string& heightMapName) {
  // The ground textures tile across the whole course; mirrored repeat hides
  // their seams.
  VornTexture::setMirroredRepeat();
  for (const char* file : {kSnowTextureFile, kGrassTextureFile, kIceTextureFile}) {
    textureIndices_.push_back(findOrLoadTexture(file, textures_));
  }
  VornTexture::setRepeat();

  loadObjects(heightMapName);
  loadHeightMap(heightMapName);
}

VornWorld::~VornWorld() {
  clearObjects();
  releaseBuffers();
  if (whiteTexture_ != 0) glDeleteTextures(1, &whiteTexture_);
}

void VornWorld::releaseBuffers() {
  deleteBuffer(vertexBuffer_);
  deleteBuffer(snowCoordBuffer_);
  deleteBuffer(grassCoordBuffer_);
  deleteBuffer(lightCoordBuffer_);
  deleteBuffer(shadowCoordBuffer_);
  deleteBuffer(colourBuffer_);
}

int VornWorld::loadHeightMap(const std::string& fileName) {
  releaseBuffers();
  const bool sgiName = fileName.size() >= 3 && (fileName.compare(fileName.size() - 3, 3, "rgb") == 0 ||
                                                fileName.compare(fileName.size() - 3, 3, "sgi") == 0);
  // The terrain reports a missing name or an unknown ending.
  return sgiName ? loadRGB(fileName) : terrain_.loadHeightMap(fileName);
}

int VornWorld::loadRGB(const std::string& fileName) {
  releaseBuffers();
  if (terrain_.loadRGB(fileName) != 0) return 1;
  createLightMap(kLightMapTexelsPerCell, kLightMapBlurPasses, kLightMapBlurRadius, fileName);
  placeObjects(fileName);
  uploadGeometry();
  loadMatMap(kMaterialMapFile);
  return 0;
}

int VornWorld::loadObjects(const std::string& heightMapName) {
  if (!models_) return 0;
  kinds_.clear();
  const std::string name = withEnding(heightMapName, "txt");
  std::vector<uint8_t> bytes;
  bool tooLarge = false;
  if (!readMapFile(name, kMaxObjectMapBytes, bytes, tooLarge)) {
    if (tooLarge) {
      logError(kLoadObjects, "\tfile larger than %zu bytes: %s\n", kMaxObjectMapBytes, name.c_str());
    } else {
      logError(kLoadObjects, "\tobjectmap not found: %s\n", name.c_str());
    }
    return 1;
  }
  VornModelList& models = *models_;
  VornModelTables& tables = *tables_;
  const VornModelLookup lookup = [this, &models, &tables](const std::string& path) {
    return findOrLoadModel(path, models, textures_, tables);
  };
  readObjectMap(bytes.data(), bytes.size(), lookup, kinds_);
  return 0;
}

void VornWorld::clearObjects() {
  if (models_) {
    for (auto& model : *models_) {
      if (!model) continue;
      auto& list = model->actionInstances;
      list.erase(std::remove_if(list.begin(), list.end(),
                                [this](const VornPlacedInstance* instance) {
                                  return std::any_of(instances_.begin(), instances_.end(),
                                                     [instance](const auto& own) { return own.get() == instance; });
                                }),
                 list.end());
    }
  }
  instances_.clear();
  objects_.clear();
  for (VornAddObject& kind : kinds_) kind.nextRecord = 0;
}

int VornWorld::placeObjects(const std::string& heightMapName) {
  if (!models_) return 0;
  clearObjects();
  const std::string name = withEnding(heightMapName, "bmp");
  std::vector<uint8_t> bytes;
  bool tooLarge = false;
  if (!readMapFile(name, kMaxMapFileBytes, bytes, tooLarge)) {
    if (tooLarge) {
      logError(kPlaceObjects, "\tfile larger than %zu bytes: %s\n", kMaxMapFileBytes, name.c_str());
    } else {
      logError(kPlaceObjects, "\tfile not found: %s\n", name.c_str());
    }
    return 1;
  }
  VornPlacementImage image;
  std::string detail;
  if (!decodePlacementImage(bytes.data(), bytes.size(), name, image, detail)) {
    appendErrorLog(std::string("Error ") + kPlaceObjects + " \n", detail);
    return 1;
  }

  VornModelList& models = *models_;
  const VornPlacementPlan plan = planPlacements(image, kinds_, models.size(), terrain_.width(), terrain_.height(),
                                                terrain_.scale().x, terrain_.scale().z);
  if (plan.capped) {
    logError(kPlaceObjects, "\tmore than %zu objects: only the first are placed (%s)\n", kMaxPlacedObjects,
             name.c_str());
  }
  placeAll(plan, kinds_, [this](float x, float z) { return terrain_.getHeight(x, z); }, objects_);

  buildObjectBoxes(objects_, [&models](int modelIndex) {
    const VornObject* model = models[static_cast<size_t>(modelIndex)].get();
    if (!model) return 0.0f;
    VornVector min, max;
    model->getBounds(min, max);
    return max.z - min.z;
  });
  for (const auto& object : objects_) {
    instances_.push_back(std::make_unique<PlacedObjectInstance>(*object));
    if (VornObject* model = models[static_cast<size_t>(object->modelIndex)].get()) {
      model->actionInstances.push_back(instances_.back().get());
    }
  }
  return 0;
}

void VornWorld::uploadGeometry() {
  const TerrainMesh& mesh = terrain_.mesh();
  const int w = terrain_.width();
  const int h = terrain_.height();
  // Only the strip points are drawn; the wall points are for collision.
  const std::vector<float> strip(mesh.vertices.begin(), mesh.vertices.begin() + mesh.stripPointCount * 3);
  vertexBuffer_ = uploadFloats(strip);
  stripBoxes_ = stripBoxes(mesh);
  rowsInView_.reserve(stripBoxes_.size());
  snowCoordBuffer_ = uploadFloats(groundTexCoords(w, h, kSnowTextureCells));
  grassCoordBuffer_ = uploadFloats(groundTexCoords(w, h, kGrassTextureCells));
  shadowCoordBuffer_ = uploadFloats(shadowTexCoords(w, h));
}

void VornWorld::createLightMap(int texelsPerCell, int passes, int radius, const std::string& heightMapName) {
  const HeightGrid& grid = terrain_.grid();
  const LightMapLayout layout = lightMapLayout(grid.width, grid.height, texelsPerCell);
  const std::string cacheName = lightMapCacheName(heightMapName, layout, passes, radius, terrain_.lightDirection());

  VornImage image;
  const bool cached = readCachedLightMap(cacheName, layout, image);
  if (!cached) {
    image = vorn::computeLightMap(grid, terrain_.scale().x, terrain_.scale().z, layout, passes, radius,
                                  terrain_.lightDirection());
  }
  VornTexture::setClampToEdge();
  const int index = appendTexture(std::make_unique<VornTexture>(image), textures_);
  VornTexture::setRepeat();
  if (textureIndices_.size() > static_cast<size_t>(kLightMap)) {
    textureIndices_[kLightMap] = index;
  } else {
    textureIndices_.push_back(index);
  }
  if (!cached) saveBMP(cacheName.c_str(), image);

  deleteBuffer(lightCoordBuffer_);
  lightCoordBuffer_ = uploadFloats(lightMapTexCoords(grid.width, grid.height, layout));
}

void VornWorld::loadMatMap(const std::string& fileName) {
  deleteBuffer(colourBuffer_);
  if (terrain_.loadMatMap(fileName) != 0) return;
  colourBuffer_ = uploadFloats(terrain_.materials().blendColours);
  terrain_.releaseBlendColours();
}

void VornWorld::findRowsInView() {
  const VornPlanes planes = currentViewPlanes();
  rowsInView_.clear();
  for (size_t r = 0; r < stripBoxes_.size(); ++r) {
    if (!boxOutside(planes, stripBoxes_[r].min, stripBoxes_[r].max)) rowsInView_.push_back(static_cast<int>(r));
  }
}

void VornWorld::drawStrips() const {
  const int w = terrain_.width();
  for (int r : rowsInView_) glDrawArrays(GL_TRIANGLE_STRIP, 2 * w * r, 2 * w);
}

void VornWorld::draw() {
  if (!usable()) return;
  if (whiteTexture_ == 0) {
    // Stands in for the object shadows until they are baked: multiplying by
    // white leaves the ground as it is.
    const GLubyte white[4] = {255, 255, 255, 255};
    glGenTextures(1, &whiteTexture_);
    glBindTexture(GL_TEXTURE_2D, whiteTexture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  }
  auto bindCached = [this](int slot) {
    const int index = textureIndices_[slot];
    textures_[static_cast<size_t>(index)]->bind();
  };

  // Rows behind the camera or beside the view cost their vertices on a
  // software renderer even though nothing of them is drawn.
  findRowsInView();

  // 1. Unlit, unblended, white; lines when asked.
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glColor3f(1.0f, 1.0f, 1.0f);
  if (wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);

  // 2. Points and blend colours.
  glEnableClientState(GL_VERTEX_ARRAY);
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  glEnableClientState(GL_COLOR_ARRAY);
  glBindBuffer(GL_ARRAY_BUFFER, colourBuffer_);
  glColorPointer(4, GL_FLOAT, 0, nullptr);

  // 3. Unit 0: snow.
  useUnit(GL_TEXTURE0);
  bindCached(kSnow);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  texCoordsFrom(snowCoordBuffer_);

  // 4. Unit 1: grass * g + snow * (1 - g), g the colour's grey.
  useUnit(GL_TEXTURE1);
  glEnable(GL_TEXTURE_2D);
  bindCached(kGrass);
  interpolateWithPrevious(GL_SRC_COLOR);
  texCoordsFrom(grassCoordBuffer_);

  // 5. Unit 2: ice * a + previous * (1 - a), a the colour's alpha; the ice
  // glints with the view through sphere mapping.
  useUnit(GL_TEXTURE2);
  glEnable(GL_TEXTURE_2D);
  bindCached(kIce);
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
  interpolateWithPrevious(GL_SRC_ALPHA);

  // 6. Unit 3: the light map, modulated.
  useUnit(GL_TEXTURE3);
  glEnable(GL_TEXTURE_2D);
  bindCached(kLightMap);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  texCoordsFrom(lightCoordBuffer_);

  // 7. Unit 4, where there is one: the object shadows, modulated, so the
  // ground is filled once instead of once more with a multiplying blend (on
  // a software renderer the second pass costs about a fifth of the ground).
  const unsigned shadow = shadowTexture_ != 0 ? shadowTexture_ : whiteTexture_;
  const bool shadowUnit = fiveTextureUnits();
  if (shadowUnit) {
    useUnit(GL_TEXTURE4);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, shadow);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    texCoordsFrom(shadowCoordBuffer_);
  }

  // 8. One strip per row of cells.
  drawStrips();
  markPass("terrain ground");
  if (shadowUnit) {
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_TEXTURE_2D);
    useUnit(GL_TEXTURE3);
  }

  // 9. Undo in reverse.
  glDisableClientState(GL_COLOR_ARRAY);
  glClientActiveTexture(GL_TEXTURE3);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisable(GL_TEXTURE_2D);
  useUnit(GL_TEXTURE2);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_TEXTURE_2D);
  useUnit(GL_TEXTURE1);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisable(GL_TEXTURE_2D);
  useUnit(GL_TEXTURE0);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);

  // 10. Without a fifth unit, a shadow pass: the ground times the shadow
  // texture.
  if (!shadowUnit) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    glBlendEquation(GL_FUNC_ADD);
    texCoordsFrom(shadowCoordBuffer_);
    glDepthMask(GL_FALSE);
    glBindTexture(GL_TEXTURE_2D, shadow);
    drawStrips();
    markPass("terrain shadow texture");
  }

  // 11. Back to the usual state.
  glDisable(GL_BLEND);
  glDepthMask(GL_TRUE);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  if (wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  // Later client-side arrays must not read from our buffer.
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

}  // namespace vorn
