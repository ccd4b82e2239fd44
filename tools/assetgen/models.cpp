#include "assetgen/models.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "assetgen/model_rig.h"
#include "assetgen/model_textures.h"

namespace assetgen {

namespace {
constexpr float kDegToRad = 3.14159265358979f / 180.0f;

struct Quat {
  float w, x, y, z;
};

Quat toQuat(const Turn& t) {
  const Vec3 a = normalized(t.axis);
  const float h = 0.5f * t.degrees * kDegToRad;
  return {std::cos(h), a[0] * std::sin(h), a[1] * std::sin(h), a[2] * std::sin(h)};
}

template <typename T>
std::vector<std::pair<int, T>> withRest(std::vector<std::pair<int, T>> keys, const T& rest) {
  std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  if (keys.empty() || keys.front().first != 0) keys.insert(keys.begin(), {0, rest});
  return keys;
}
}  // namespace

TdsMaterial makeMaterial(const std::string& name, std::array<uint8_t, 3> diffuse, const std::string& map,
                         uint16_t shininess) {
  TdsMaterial m;
  m.name = name;
  m.diffuse = diffuse;
  // Ambient a little darker than diffuse so the shaded side keeps its hue.
  for (int i = 0; i < 3; ++i) m.ambient[i] = static_cast<uint8_t>(diffuse[i] * 0.8f);
  m.specular = {60, 60, 60};
  m.shininessPercent = shininess;
  m.textureMap = map;
  return m;
}

Turn combine(const Turn& first, const Turn& second) {
  const Quat a = toQuat(first), b = toQuat(second);
  // b * a: a applied first.
  Quat q{b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z, b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y,
         b.w * a.y - b.x * a.z + b.y * a.w + b.z * a.x, b.w * a.z + b.x * a.y - b.y * a.x + b.z * a.w};
  if (q.w < 0.0f) q = {-q.w, -q.x, -q.y, -q.z};
  const float s = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
  if (s < 1e-7f) return {0.0f, {0.0f, 0.0f, 1.0f}};
  return {2.0f * std::atan2(s, q.w) / kDegToRad, {q.x / s, q.y / s, q.z / s}};
}

int Rig::addJoint(const std::string& meshName, int parent, const Vec3& pivot) {
  joints_.push_back({meshName, parent, pivot, {}, {}, {}});
  return static_cast<int>(joints_.size()) - 1;
}

void Rig::turn(int joint, int frame, const Turn& t) { joints_.at(joint).turns.push_back({frame, t}); }
void Rig::shift(int joint, int frame, const Vec3& offset) { joints_.at(joint).shifts.push_back({frame, offset}); }
void Rig::scale(int joint, int frame, const Vec3& s) { joints_.at(joint).scales.push_back({frame, s}); }

std::vector<TdsNode> Rig::nodes() const {
  std::vector<TdsNode> out;
  for (const Joint& j : joints_) {
    TdsNode n;
    n.name = j.name;
    n.parent = static_cast<int16_t>(j.parent);
    n.pivot = j.pivot;
    const Vec3 rest = j.parent < 0 ? j.pivot : sub(j.pivot, joints_[j.parent].pivot);
    for (const auto& [frame, offset] : withRest(j.shifts, Vec3{0.0f, 0.0f, 0.0f})) {
      n.position.push_back({frame, add(rest, offset)});
    }
    for (const auto& [frame, t] : withRest(j.turns, Turn{})) {
      RotationKey k;
      k.frame = frame;
      k.angle = t.degrees * kDegToRad;
      k.axis = normalized(t.axis);
      n.rotation.push_back(k);
    }
    for (const auto& [frame, s] : withRest(j.scales, Vec3{1.0f, 1.0f, 1.0f})) n.scale.push_back({frame, s});
    out.push_back(std::move(n));
  }
  return out;
}

void designToCreatureFrame(TdsModel& model) {
  auto flip = [](Vec3& v) {
    v[1] = -v[1];
    v[2] = -v[2];
  };
  for (TdsMesh& m : model.meshes) {
    for (Vec3& v : m.vertices) flip(v);
  }
  for (TdsNode& n : model.nodes) {
    flip(n.pivot);
    for (VectorKey& k : n.position) flip(k.value);
    for (RotationKey& k : n.rotation) flip(k.axis);
  }
}

std::string clipText(const std::vector<Clip>& clips) {
  std::string text;
  char line[64];
  for (const Clip& c : clips) {
    std::snprintf(line, sizeof(line), "%d %d %.1f \n", c.first, c.last, static_cast<double>(c.duration));
    text += line;
  }
  return text;
}

std::vector<GeneratedModel> buildModels() {
  std::vector<GeneratedModel> models;
  models.push_back(buildCow());
  models.push_back(buildPillarEnd());
  models.push_back(buildBottle());
  models.push_back(buildPillar());
  models.push_back(buildTree());
  models.push_back(buildRiderFront());
  models.push_back(buildRiderBack());
  models.push_back(buildRoot());
  models.push_back(buildMushrooms());
  models.push_back(buildGhost());
  return models;
}

std::vector<GeneratedTexture> buildModelTextures() {
  std::vector<GeneratedTexture> textures;
  textures.push_back({"cowhide.bmp", makeCowHide()});
  textures.push_back({"bark.bmp", makeBark()});
  textures.push_back({"firneedl.bmp", makeFirBranch()});
  textures.push_back({"firmask.bmp", makeFirMask()});
  textures.push_back({"beerlab.bmp", makeBeerLabel()});
  textures.push_back({"stone.bmp", makeStone()});
  textures.push_back({"mushcap.bmp", makeMushroomCap()});
  textures.push_back({"auge0.bmp", makeCowEye(EyeLook::Open)});
  textures.push_back({"auge1.bmp", makeCowEye(EyeLook::HalfShut)});
  textures.push_back({"auge2.bmp", makeCowEye(EyeLook::Shut)});
  textures.push_back({"auge3.bmp", makeCowEye(EyeLook::Glance)});
  return textures;
}

std::string eyeFlipBookList() {
  // One frame stays up for ten binds of the eye texture, about a sixth of a second at 60 Hz.
  const int order[] = {0, 0, 0, 0, 0, 0, 0, 0, 3, 3, 3, 3, 0, 0, 0, 0, 0, 0, 1, 2, 2, 1};
  std::string text;
  for (const int frame : order) text += "data/textures/auge" + std::to_string(frame) + ".bmp\n";
  return text;
}

}  // namespace assetgen
