#include "world/terrain.h"

#include <cstdio>

#include "base/error_log.h"

namespace vorn {
namespace {

constexpr const char* kLoadRGB = "VornWorld::loadRGB";
constexpr const char* kLoadMatMap = "VornWorld::loadMatMap";

}  // namespace

bool readMapFile(const std::string& fileName, size_t limit, std::vector<uint8_t>& bytes, bool& tooLarge) {
  tooLarge = false;
  bytes.clear();
  std::FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) return false;
  // Read in blocks rather than trusting a size from seeking, so that pipes
  // and files that change under us are handled too.
  uint8_t block[65536];
  size_t n = 0;
  bool ok = true;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0) {
    if (bytes.size() + n > limit) {
      tooLarge = true;
      ok = false;
      break;
    }
    bytes.insert(bytes.end(), block, block + n);
  }
  if (std::ferror(f)) ok = false;
  std::fclose(f);
  if (!ok) bytes.clear();
  return ok;
}

// The same light as the models and the object shadows (from up the track),
// so the shading of the slopes and the shadows agree.
VornTerrain::VornTerrain() : lightDirection_(0.0f, 1.0f, -1.0f) { lightDirection_.normalize(); }

VornTerrain::~VornTerrain() = default;

void VornTerrain::clear() {
  collision_.reset();  // points into mesh_, so it goes first
  mesh_ = TerrainMesh();
  grid_ = HeightGrid();
  materials_ = MaterialMap();
  startPosition_ = VornVector();
}

int VornTerrain::loadHeightMap(const std::string& fileName) {
  if (fileName.empty()) {
    logError("VornWorld::loadHeightMap", "\tno filename\n");
    return 1;
  }
  const std::string ending = fileName.size() >= 3 ? fileName.substr(fileName.size() - 3) : fileName;
  if (ending == "rgb" || ending == "sgi") return loadRGB(fileName);
  logErrorRaw(("Error VornWorld::loadHeightMap " + fileName + "\n").c_str(), "\tunknown file format: %s\n",
              ending.c_str());
  return 1;
}

int VornTerrain::loadRGB(const std::string& fileName) {
  clear();
  std::vector<uint8_t> bytes;
  bool tooLarge = false;
  if (!readMapFile(fileName, kMaxMapFileBytes, bytes, tooLarge)) {
    if (tooLarge) {
      logError(kLoadRGB, "\tfile larger than %zu bytes: %s\n", kMaxMapFileBytes, fileName.c_str());
    } else {
      logError(kLoadRGB, "\tfile not found: %s\n", fileName.c_str());
    }
    return 1;
  }
  return loadRGBFromBytes(bytes.data(), bytes.size(), fileName);
}

int VornTerrain::loadRGBFromBytes(const uint8_t* data, size_t size, const std::string& fileName) {
  clear();
  std::string detail;
  if (!decodeSgiHeightMap(data, size, fileName, kHeightScale, grid_, detail)) {
    appendErrorLog(std::string("Error ") + kLoadRGB + " \n", detail);
    return 1;
  }
  mesh_ = buildTerrainMesh(grid_, scale_.x, scale_.z);
  collision_ = std::make_unique<TerrainCollision>(mesh_);
  startPosition_.set(kStartX, getHeight(kStartX, kStartZ) + kStartLift, kStartZ);
  return 0;
}

int VornTerrain::loadMatMap(const std::string& fileName) {
  materials_ = MaterialMap();
  std::vector<uint8_t> bytes;
  bool tooLarge = false;
  if (!readMapFile(fileName, kMaxMapFileBytes, bytes, tooLarge)) {
    if (tooLarge) {
      logError(kLoadMatMap, "\tfile larger than %zu bytes: %s\n", kMaxMapFileBytes, fileName.c_str());
    } else {
      logErrorRaw("Error loadMatMap \n", "\tfile not found: %s\n", fileName.c_str());
    }
    return 1;
  }
  return loadMatMapFromBytes(bytes.data(), bytes.size(), fileName);
}

int VornTerrain::loadMatMapFromBytes(const uint8_t* data, size_t size, const std::string& fileName) {
  materials_ = MaterialMap();
  if (!hasMesh()) {
    logError(kLoadMatMap, "\tno height map loaded for %s\n", fileName.c_str());
    return 1;
  }
  std::string detail;
  if (!decodeMaterialMap(data, size, fileName, grid_.width, grid_.height, materials_, detail)) {
    appendErrorLog(std::string("Error ") + kLoadMatMap + " \n", detail);
    return 1;
  }
  return 0;
}

void VornTerrain::releaseBlendColours() {
  materials_.blendColours.clear();
  materials_.blendColours.shrink_to_fit();
}

float VornTerrain::shadowReach(const VornVector& from, const VornVector& towardsLight, float radius,
                               float longest) const {
  VornVector away = towardsLight * -1.0f;
  if (away.lengthSquared() == 0.0f) return longest;
  away.normalize();
  for (float t = 0.0f; t + radius < longest; t += kShadowReachStep) {
    const VornVector p = from + away * t;
    if (p.y + radius < getHeight(p.x, p.z)) return t + radius;
  }
  return longest;
}

float VornTerrain::getHeight(float x, float z) const {
  if (grid_.empty()) return 0.0f;
  const SurfacePoint s = locateOnSurface(grid_.width, grid_.height, scale_.x, scale_.z, x, z);
  const float* h = grid_.heights.data();
  return s.weight[0] * h[s.point[0]] + s.weight[1] * h[s.point[1]] + s.weight[2] * h[s.point[2]];
}

float VornTerrain::getMaterial(float x, float z, int channel) const {
  if (materials_.empty() || channel < 0 || channel >= kMaterialChannels) return 0.0f;
  const SurfacePoint s = locateOnSurface(grid_.width, grid_.height, scale_.x, scale_.z, x, z);
  const float* m = materials_.weights.data();
  return s.weight[0] * m[s.point[0] * kMaterialChannels + channel] +
         s.weight[1] * m[s.point[1] * kMaterialChannels + channel] +
         s.weight[2] * m[s.point[2] * kMaterialChannels + channel];
}

void VornTerrain::getGrassAndIce(const VornVector& position, float& grass, float& ice) const {
  grass = getMaterial(position.x, position.z, kMaterialGrass);
  ice = getMaterial(position.x, position.z, kMaterialIce);
}

int VornTerrain::collidePlayer(const VornVector& position, const VornVector& direction, VornVector& newDirection,
                               float& step, VornVector& normal, float& depth, bool& endOfTrack) {
  const VornVector probe = position + direction * step;
  if (hasMesh() && static_cast<float>(grid_.height - 2) * scale_.z - kEndMargin < probe.z) endOfTrack = true;
  depth = 0.0f;
  TerrainContact contact;
  if (!hasMesh() || !collision_->probeSphere(probe, contact)) return 1;
  normal = contact.normal;
  depth = contact.depth;
  const float k = contact.normal.dot(direction);
  step = k <= 0.0f ? step + k * depth : step - k * depth;
  VornVector projected = direction - contact.normal * direction.dot(contact.normal);
  projected.normalize();
  newDirection = projected;
  return 0;
}

int VornTerrain::keepAboveGround(VornVector& position) {
  float groundY = 0.0f;
  if (!hasMesh() || !collision_->groundAbove(position, groundY)) return 0;
  position.y = groundY + kGroundClearance;
  return 1;
}

void VornTerrain::placeAtStart(VornTransform& transform) const { transform.setPosition(startPosition_); }

LightMapLayout VornTerrain::lightMapLayout() const {
  return vorn::lightMapLayout(grid_.width, grid_.height, kLightMapTexelsPerCell);
}

std::string VornTerrain::lightMapCacheName(const std::string& heightMapName) const {
  return vorn::lightMapCacheName(heightMapName, lightMapLayout(), kLightMapBlurPasses, kLightMapBlurRadius,
                                 lightDirection_);
}

VornImage VornTerrain::computeLightMap(int threads) const {
  return vorn::computeLightMap(grid_, scale_.x, scale_.z, lightMapLayout(), kLightMapBlurPasses,
                               kLightMapBlurRadius, lightDirection_, threads);
}

VornAutopilot centreLineAutopilot(const VornTerrain& terrain) {
  VornAutopilot::Course course;
  course.columns = terrain.width();
  course.rows = terrain.height();
  course.spacingX = terrain.scale().x;
  course.spacingZ = terrain.scale().z;
  course.startX = terrain.startPosition().x;
  return VornAutopilot(
      VornAutopilot::findCentreLine([&terrain](float x, float z) { return terrain.getHeight(x, z); }, course),
      course.spacingZ);
}

}  // namespace vorn
