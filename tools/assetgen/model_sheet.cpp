// Contact sheet of the generated models: a small software rasteriser that
// draws each model the way the game does (centred on its bounds, keyframer
// nodes evaluated with the game's key search and accumulated relative
// rotations, pivots, vertices welded by position for smooth normals,
// textures modulated by fixed-function style lighting, the cut-out overlay
// alpha-tested at exactly 0), so that the pictures show what the race shows.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "assetgen/generator.h"
#include "assetgen/mesh_builder.h"
#include "assetgen/models.h"

namespace assetgen {
namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int kCellW = 320, kCellH = 240, kCols = 4, kRows = 3, kSuper = 2;

// Column-major 4x4 with the composition rules of the GL matrix stack.
struct Mat4 {
  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  Mat4 operator*(const Mat4& b) const {
    Mat4 r;
    for (int c = 0; c < 4; ++c)
      for (int row = 0; row < 4; ++row) {
        float s = 0.0f;
        for (int k = 0; k < 4; ++k) s += m[k * 4 + row] * b.m[c * 4 + k];
        r.m[c * 4 + row] = s;
      }
    return r;
  }
  Vec3 point(const Vec3& v) const {
    return {m[0] * v[0] + m[4] * v[1] + m[8] * v[2] + m[12], m[1] * v[0] + m[5] * v[1] + m[9] * v[2] + m[13],
            m[2] * v[0] + m[6] * v[1] + m[10] * v[2] + m[14]};
  }
  Vec3 direction(const Vec3& v) const {
    return {m[0] * v[0] + m[4] * v[1] + m[8] * v[2], m[1] * v[0] + m[5] * v[1] + m[9] * v[2],
            m[2] * v[0] + m[6] * v[1] + m[10] * v[2]};
  }
};

Mat4 translation(const Vec3& v) {
  Mat4 t;
  t.m[12] = v[0];
  t.m[13] = v[1];
  t.m[14] = v[2];
  return t;
}

Mat4 scaling(const Vec3& s) {
  Mat4 t;
  t.m[0] = s[0];
  t.m[5] = s[1];
  t.m[10] = s[2];
  return t;
}

// glRotatef: degrees about a normalised axis.
Mat4 rotation(float degrees, const Vec3& axisIn) {
  const Vec3 a = normalized(axisIn);
  const float r = degrees * kPi / 180.0f, c = std::cos(r), s = std::sin(r), t = 1.0f - c;
  Mat4 m;
  m.m[0] = t * a[0] * a[0] + c;
  m.m[1] = t * a[0] * a[1] + s * a[2];
  m.m[2] = t * a[0] * a[2] - s * a[1];
  m.m[4] = t * a[0] * a[1] - s * a[2];
  m.m[5] = t * a[1] * a[1] + c;
  m.m[6] = t * a[1] * a[2] + s * a[0];
  m.m[8] = t * a[0] * a[2] + s * a[1];
  m.m[9] = t * a[1] * a[2] - s * a[0];
  m.m[10] = t * a[2] * a[2] + c;
  return m;
}

// Key search of the game: k is the last key at or before frame f, p its frame (0 for key 0).
template <typename K>
void findKey(const std::vector<K>& keys, float t, size_t& k, float& p) {
  const int f = static_cast<int>(t);
  k = 0;
  p = 0.0f;
  for (size_t i = 1; i < keys.size() && keys[i].frame <= f; ++i) {
    k = i;
    p = static_cast<float>(keys[i].frame);
  }
}

Mat4 vectorTrack(const std::vector<VectorKey>& keys, float t, bool isScale) {
  if (keys.empty()) return {};
  size_t k;
  float p;
  findKey(keys, t, k, p);
  Vec3 v = keys[k].value;
  if (k + 1 < keys.size()) {
    const float s = (t - p) / static_cast<float>(keys[k + 1].frame - keys[k].frame);
    v = add(mul(keys[k + 1].value, s), mul(keys[k].value, 1.0f - s));
  }
  return isScale ? scaling(v) : translation(v);
}

// A node as the game reads it: relative rotation keys, angles negated to degrees.
Mat4 evaluateNode(const TdsModel& model, int index, float t) {
  const TdsNode& n = model.nodes[index];
  Mat4 m = n.parent >= 0 ? evaluateNode(model, n.parent, t) : Mat4{};
  m = m * vectorTrack(n.position, t, false);
  const std::vector<RotationKey> rel = relativeRotationKeys(n.rotation);
  if (!rel.empty()) {
    std::vector<Mat4> accumulated;
    for (size_t i = 0; i < rel.size(); ++i) {
      Mat4 a;
      for (size_t j = i + 1; j-- > 0;) a = a * rotation(-rel[j].angle * 180.0f / kPi, rel[j].axis);
      accumulated.push_back(a);
    }
    size_t k;
    float p;
    findKey(rel, t, k, p);
    if (k + 1 < rel.size() && t - p > 0.0f) {
      const float s = (t - p) / static_cast<float>(rel[k + 1].frame - rel[k].frame);
      m = m * rotation(s * -rel[k + 1].angle * 180.0f / kPi, rel[k + 1].axis);
    }
    m = m * accumulated[k];
  }
  return m * vectorTrack(n.scale, t, true);
}

struct Texture {
  const Pixels* image = nullptr;
  // Bilinear, wrapping; v = 0 is the bottom row as in the game.
  std::array<float, 3> sample(float u, float v) const {
    const float x = u * image->width - 0.5f, y = (1.0f - v) * image->height - 0.5f;
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const float fx = x - x0, fy = y - y0;
    std::array<float, 3> out{0, 0, 0};
    for (int dy = 0; dy < 2; ++dy)
      for (int dx = 0; dx < 2; ++dx) {
        const uint32_t px =
            static_cast<uint32_t>(((x0 + dx) % static_cast<int>(image->width) + image->width) % image->width);
        const uint32_t py =
            static_cast<uint32_t>(((y0 + dy) % static_cast<int>(image->height) + image->height) % image->height);
        const float w = (dx ? fx : 1.0f - fx) * (dy ? fy : 1.0f - fy);
        const auto c = image->rgba(px, py);
        for (int i = 0; i < 3; ++i) out[i] += w * c[i] / 255.0f;
      }
    return out;
  }
};

struct Canvas {
  int width, height;
  std::vector<float> rgb, depth;
  Canvas(int w, int h) : width(w), height(h), rgb(size_t(w) * h * 3, 0.0f), depth(size_t(w) * h, 1e30f) {}
};

struct Instance {
  const GeneratedModel* model;
  float frame;
};

struct View {
  Mat4 world;  // file frame to world
  Vec3 eye, target;
  float fovDeg = 30.0f;
};

// The bounds centre of a model's vertices (what the game subtracts).
Vec3 centerOf(const TdsModel& m) {
  Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
  for (const TdsMesh& mesh : m.meshes)
    for (const Vec3& v : mesh.vertices)
      for (int i = 0; i < 3; ++i) {
        lo[i] = std::min(lo[i], v[i]);
        hi[i] = std::max(hi[i], v[i]);
      }
  return mul(add(lo, hi), 0.5f);
}

void drawModels(Canvas& canvas, int cellX, int cellY, const std::vector<Instance>& instances, const Vec3& center,
                const View& view, const std::map<std::string, Pixels>& textures) {
  const Vec3 fwd = normalized(sub(view.target, view.eye));
  const Vec3 right = normalized(cross(fwd, {0.0f, 1.0f, 0.0f}));
  const Vec3 up = cross(right, fwd);
  const Vec3 light = normalized({-0.35f, 0.85f, 0.55f});
  const float focal = 0.5f * kCellH * kSuper / std::tan(view.fovDeg * kPi / 360.0f);
  const float ox = (cellX + 0.5f) * kCellW * kSuper, oy = (cellY + 0.5f) * kCellH * kSuper;
  for (const Instance& inst : instances) {
    const TdsModel& model = inst.model->model;
    const Texture overlay = [&] {
      Texture t;
      if (!inst.model->overlays.empty()) {
        const std::string& text = inst.model->overlays;
        const size_t slash = text.rfind('/');
        const auto it = textures.find(text.substr(slash + 1, text.size() - slash - 2));
        if (it != textures.end()) t.image = &it->second;
      }
      return t;
    }();
    const std::string overlayMaterial = inst.model->overlays.substr(0, inst.model->overlays.find('\n'));
    for (const TdsMesh& mesh : model.meshes) {
      Mat4 m = view.world * translation(mul(center, -1.0f));
      for (size_t n = 0; n < model.nodes.size(); ++n) {
        if (model.nodes[n].name == mesh.name) {
          m = m * evaluateNode(model, static_cast<int>(n), inst.frame) * translation(mul(model.nodes[n].pivot, -1.0f));
          break;
        }
      }
      // Weld by exact position, as the loader does, then average face normals.
      std::map<std::array<float, 3>, size_t> firstAt;
      std::vector<size_t> weld(mesh.vertices.size());
      for (size_t i = 0; i < mesh.vertices.size(); ++i) weld[i] = firstAt.emplace(mesh.vertices[i], i).first->second;
      std::vector<Vec3> normals(mesh.vertices.size(), {0.0f, 0.0f, 0.0f});
      for (const TdsFace& f : mesh.faces) {
        const Vec3 a = mesh.vertices[weld[f.a]], b = mesh.vertices[weld[f.b]], c = mesh.vertices[weld[f.c]];
        const Vec3 fn = normalized(cross(sub(b, a), sub(c, a)));
        for (const uint16_t v : {f.a, f.b, f.c}) normals[weld[v]] = add(normals[weld[v]], fn);
      }
      for (const TdsFaceGroup& group : mesh.groups) {
        const TdsMaterial* mat = nullptr;
        for (const TdsMaterial& mm : model.materials)
          if (mm.name == group.material) mat = &mm;
        Texture tex;
        if (mat && !mat->textureMap.empty()) {
          const auto it = textures.find(mat->textureMap);
          if (it != textures.end()) tex.image = &it->second;
        }
        const bool cutOut = overlay.image && mat && mat->name == overlayMaterial;
        for (const uint16_t fi : group.faces) {
          const TdsFace& f = mesh.faces[fi];
          struct Corner {
            float sx, sy, z, invW;
            Vec3 n;
            float u, v;
          } c[3];
          bool behind = false;
          const uint16_t idx[3] = {f.a, f.b, f.c};
          for (int k = 0; k < 3; ++k) {
            const Vec3 w = m.point(mesh.vertices[idx[k]]);
            const Vec3 d = sub(w, view.eye);
            const float z = dot(d, fwd);
            if (z < 1.0f) behind = true;
            c[k] = {ox + focal * dot(d, right) / z,
                    oy - focal * dot(d, up) / z,
                    z,
                    1.0f / z,
                    normalized(m.direction(normals[weld[idx[k]]])),
                    0.0f,
                    0.0f};
            if (!mesh.uvs.empty()) {
              c[k].u = mesh.uvs[idx[k]][0];
              c[k].v = mesh.uvs[idx[k]][1];
            }
          }
          if (behind) continue;
          const float area = (c[1].sx - c[0].sx) * (c[2].sy - c[0].sy) - (c[2].sx - c[0].sx) * (c[1].sy - c[0].sy);
          // Counter-clockwise in GL is clockwise here (screen y down); cull back faces unless cut out.
          if (area >= 0.0f && !cutOut) continue;
          if (std::fabs(area) < 1e-6f) continue;
          const int x0 =
              std::max(cellX * kCellW * kSuper, static_cast<int>(std::floor(std::min({c[0].sx, c[1].sx, c[2].sx}))));
          const int x1 = std::min((cellX + 1) * kCellW * kSuper - 1,
                                  static_cast<int>(std::ceil(std::max({c[0].sx, c[1].sx, c[2].sx}))));
          const int y0 =
              std::max(cellY * kCellH * kSuper, static_cast<int>(std::floor(std::min({c[0].sy, c[1].sy, c[2].sy}))));
          const int y1 = std::min((cellY + 1) * kCellH * kSuper - 1,
                                  static_cast<int>(std::ceil(std::max({c[0].sy, c[1].sy, c[2].sy}))));
          for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
              const float px = x + 0.5f, py = y + 0.5f;
              float b[3];
              b[0] = ((c[1].sx - px) * (c[2].sy - py) - (c[2].sx - px) * (c[1].sy - py)) / area;
              b[1] = ((c[2].sx - px) * (c[0].sy - py) - (c[0].sx - px) * (c[2].sy - py)) / area;
              b[2] = 1.0f - b[0] - b[1];
              if (b[0] < 0.0f || b[1] < 0.0f || b[2] < 0.0f) continue;
              const float invW = b[0] * c[0].invW + b[1] * c[1].invW + b[2] * c[2].invW;
              const float z = 1.0f / invW;
              const size_t pi = size_t(y) * canvas.width + x;
              if (z >= canvas.depth[pi]) continue;
              float u = 0.0f, v = 0.0f;
              Vec3 n{0.0f, 0.0f, 0.0f};
              for (int k = 0; k < 3; ++k) {
                const float w = b[k] * c[k].invW * z;
                u += w * c[k].u;
                v += w * c[k].v;
                n = add(n, mul(c[k].n, w));
              }
              if (cutOut && overlay.sample(u, v)[0] > 0.0f) continue;
              n = normalized(n);
              std::array<float, 3> texel{1.0f, 1.0f, 1.0f};
              if (tex.image) texel = tex.sample(u, v);
              const float diffuse = std::max(0.0f, dot(n, light));
              const Vec3 h = normalized(sub(light, fwd));
              const float highlight =
                  diffuse > 0.0f ? std::pow(std::max(0.0f, dot(n, h)), 4.0f + mat->shininessPercent) : 0.0f;
              for (int i = 0; i < 3; ++i) {
                const float lit = 0.35f * mat->ambient[i] / 255.0f + mat->diffuse[i] / 255.0f * diffuse;
                canvas.rgb[pi * 3 + i] = texel[i] * lit + 0.25f * highlight * mat->specular[i] / 255.0f;
              }
              canvas.depth[pi] = z;
            }
          }
        }
      }
    }
  }
}

// The player's orient(direction, roll) in the plane: file +x along the
// direction, then a roll about it (see the player's model transform).
Mat4 orient(const Vec3& d, float rollDeg) {
  const Vec3 f = normalized({d[0], 0.0f, d[2]});
  const float yaw = f[2] <= 0.0f ? std::acos(f[0]) : -std::acos(f[0]);
  Mat4 r;
  r.m[0] = std::cos(yaw);
  r.m[2] = -std::sin(yaw);
  r.m[8] = std::sin(yaw);
  r.m[10] = std::cos(yaw);
  const Vec3 localX = r.direction({1.0f, 0.0f, 0.0f});
  return rotation(rollDeg, localX) * r;
}

}  // namespace

int generateModelSheet(const std::string& root) {
  const std::vector<GeneratedModel> models = buildModels();
  std::map<std::string, Pixels> textures;
  for (GeneratedTexture& t : buildModelTextures()) textures[t.fileName] = std::move(t.pixels);
  Canvas canvas(kCellW * kCols * kSuper, kCellH * kRows * kSuper);
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) {
      const float t = static_cast<float>(y % (kCellH * kSuper)) / (kCellH * kSuper);
      const float bg[3] = {0.42f + 0.4f * t, 0.6f + 0.3f * t, 0.86f + 0.1f * t};
      for (int i = 0; i < 3; ++i) canvas.rgb[(size_t(y) * canvas.width + x) * 3 + i] = bg[i];
    }
  // Creatures as the race draws them, travelling towards +z; scenery turned z-up to y-up.
  const Mat4 creature = orient({0.0f, 0.0f, 1.0f}, 90.0f);
  const Mat4 scenery = rotation(-90.0f, {1.0f, 0.0f, 0.0f});
  auto radiusOf = [](const TdsModel& m) {
    Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (const TdsMesh& mesh : m.meshes)
      for (const Vec3& v : mesh.vertices)
        for (int i = 0; i < 3; ++i) {
          lo[i] = std::min(lo[i], v[i]);
          hi[i] = std::max(hi[i], v[i]);
        }
    return 0.5f * length(sub(hi, lo));
  };
  auto viewFor = [](const Mat4& world, float radius, const Vec3& from) {
    View v;
    v.world = world;
    v.target = {0.0f, 0.0f, 0.0f};
    v.eye = mul(normalized(from), radius / std::sin(v.fovDeg * kPi / 360.0f) * 0.98f);
    return v;
  };
  const Vec3 sideFront{-1.1f, 0.45f, 0.8f};  // from the cow's left, ahead of it
  for (int i = 0; i < 10; ++i) {
    const bool isCreature = i == 0 || i == 5 || i == 6 || i == 9;
    const TdsModel& m = models[i].model;
    // The bottle from its label's side; the rest from the front-left.
    const Vec3 from = isCreature ? sideFront : (i == 2 ? Vec3{0.35f, 0.3f, -1.0f} : Vec3{0.6f, 0.35f, 1.0f});
    drawModels(canvas, i % kCols, i / kCols, {{&models[i], 0.0f}}, centerOf(m),
               viewFor(isCreature ? creature : scenery, radiusOf(m), from), textures);
  }
  // The cow with its riders at rest, and trotting while the front rider waves and the back one blows the horn.
  const Vec3 cowCenter = centerOf(models[0].model);
  const float r = radiusOf(models[0].model) * 1.25f;
  drawModels(canvas, 2, 2, {{&models[0], 0.0f}, {&models[5], 0.0f}, {&models[6], 0.0f}}, cowCenter,
             viewFor(creature, r, sideFront), textures);
  drawModels(canvas, 3, 2, {{&models[0], 10.0f}, {&models[5], 31.0f}, {&models[6], 50.0f}}, cowCenter,
             viewFor(creature, r, {-1.0f, 0.25f, 0.5f}), textures);

  Pixels out(kCellW * kCols, kCellH * kRows, 3);
  for (uint32_t y = 0; y < out.height; ++y)
    for (uint32_t x = 0; x < out.width; ++x)
      for (int i = 0; i < 3; ++i) {
        float s = 0.0f;
        for (int dy = 0; dy < kSuper; ++dy)
          for (int dx = 0; dx < kSuper; ++dx)
            s += canvas.rgb[((size_t(y) * kSuper + dy) * canvas.width + x * kSuper + dx) * 3 + i];
        out.at(x, y)[i] = static_cast<uint8_t>(std::clamp(s / (kSuper * kSuper), 0.0f, 1.0f) * 255.0f + 0.5f);
      }
  const std::vector<uint8_t> bytes = writeBMP24(out);
  return writeFile(root + "/models_sheet.bmp", bytes.data(), bytes.size()) ? 0 : 1;
}

}  // namespace assetgen
