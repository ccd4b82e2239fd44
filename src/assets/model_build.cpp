#include "assets/model_build.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "base/text_format.h"

namespace vorn {
namespace {

// Side-file lines are read up to this many characters.
constexpr size_t kSideFileLineChars = 200;

// A position as a hash key: the three bit patterns, with -0 folded into +0 so
// that the key is equal exactly when the floats compare equal.
struct PositionKey {
  uint32_t bits[3];
  bool operator==(const PositionKey& o) const {
    return bits[0] == o.bits[0] && bits[1] == o.bits[1] && bits[2] == o.bits[2];
  }
};

struct PositionHash {
  size_t operator()(const PositionKey& k) const {
    uint64_t h = 1469598103934665603ull;
    for (uint32_t b : k.bits) h = (h ^ b) * 1099511628211ull;
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

uint32_t floatKey(float f) {
  if (f == 0.0f) f = 0.0f;
  uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

// The text split into lines without their line ends, each cut to the length
// a line-by-line reader would take in one go.
std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() >= kSideFileLineChars) line.resize(kSideFileLineChars - 1);
    lines.push_back(std::move(line));
    pos = end + 1;
  }
  return lines;
}

bool textured(const VornMaterialGroup& g) { return g.material && g.material->map1Group != 0; }

// Writes the triangles of one group at `position` (in triangles).
void writeGroup(const VornObjectPart& part, const VornMaterialGroup& group, uint32_t position,
                bool withTexCoords, VornModelLayout& layout) {
  const uint32_t vertexCount = part.vertexCount();
  const uint32_t texCount = part.texCoordCount();
  for (size_t i = 0; i < group.faces.size(); ++i) {
    const size_t face = group.faces[i];
    const size_t triangle = position + i;
    for (int corner = 0; corner < 3; ++corner) {
      const uint16_t v = part.faces[face * 4 + corner];
      if (v >= vertexCount) continue;  // validated before; kept safe regardless
      for (int c = 0; c < 3; ++c) {
        layout.vertexData[triangle * 9 + corner * 3 + c] = part.vertices[v * 3 + c];
        layout.normalData[triangle * 9 + corner * 3 + c] = part.vertexNormals[v * 3 + c];
      }
      if (!withTexCoords) continue;
      // The unwelded corner: a seam keeps the u, v pair of its own side.
      const uint16_t t = part.sourceFaces[face * 4 + corner];
      if (t < texCount) {
        layout.texCoordData[triangle * 6 + corner * 2] = part.texCoords[t * 2];
        layout.texCoordData[triangle * 6 + corner * 2 + 1] = part.texCoords[t * 2 + 1];
      }
    }
  }
}

}  // namespace

const VornMaterialGroup* VornObjectPart::groupAt(int start) const {
  for (const VornMaterialGroup& g : groups) {
    if (g.start == start) return &g;
  }
  return nullptr;
}

void VornObjectPart::computeBounds() {
  boundsMin = VornVector();
  boundsMax = VornVector();
  for (size_t i = 0; i + 2 < vertices.size(); i += 3) {
    const float* v = &vertices[i];
    if (i == 0) {
      boundsMin.set(v[0], v[1], v[2]);
      boundsMax.set(v[0], v[1], v[2]);
      continue;
    }
    boundsMin.set(std::fmin(boundsMin.x, v[0]), std::fmin(boundsMin.y, v[1]), std::fmin(boundsMin.z, v[2]));
    boundsMax.set(std::fmax(boundsMax.x, v[0]), std::fmax(boundsMax.y, v[1]), std::fmax(boundsMax.z, v[2]));
  }
}

void weldVertices(VornObjectPart& part) {
  const uint32_t n = part.vertexCount();
  std::vector<uint16_t> target(n);
  std::unordered_map<PositionKey, uint16_t, PositionHash> first;
  first.reserve(n);
  for (uint32_t i = 0; i < n; ++i) {
    const float* v = &part.vertices[i * 3];
    target[i] = static_cast<uint16_t>(i);
    // NaN equals nothing, not even itself: such a vertex stays its own.
    if (std::isnan(v[0]) || std::isnan(v[1]) || std::isnan(v[2])) continue;
    const PositionKey key{{floatKey(v[0]), floatKey(v[1]), floatKey(v[2])}};
    const auto found = first.emplace(key, static_cast<uint16_t>(i));
    target[i] = found.first->second;
  }
  if (part.sourceFaces.size() != part.faces.size()) part.sourceFaces = part.faces;
  for (size_t f = 0; f < part.faces.size(); f += 4) {
    for (int c = 0; c < 3; ++c) {
      uint16_t& w = part.faces[f + c];
      if (w < n) w = target[w];
    }
  }
}

void computeNormals(VornObjectPart& part) {
  const uint32_t n = part.vertexCount();
  const uint32_t faceCount = part.faceCount();
  part.faceNormals.assign(static_cast<size_t>(faceCount) * 3, 0.0f);
  part.vertexNormals.assign(static_cast<size_t>(n) * 3, 0.0f);
  for (uint32_t f = 0; f < faceCount; ++f) {
    const uint16_t* w = &part.faces[f * 4];
    if (w[0] >= n || w[1] >= n || w[2] >= n) continue;
    const VornVector normal = triangleNormal(&part.vertices[w[0] * 3], &part.vertices[w[1] * 3],
                                             &part.vertices[w[2] * 3]);
    part.faceNormals[f * 3] = normal.x;
    part.faceNormals[f * 3 + 1] = normal.y;
    part.faceNormals[f * 3 + 2] = normal.z;
    for (int c = 0; c < 3; ++c) {
      float* vn = &part.vertexNormals[w[c] * 3];
      vn[0] += normal.x;
      vn[1] += normal.y;
      vn[2] += normal.z;
    }
  }
  for (uint32_t i = 0; i < n; ++i) {
    float* vn = &part.vertexNormals[i * 3];
    const float length = std::sqrt(vn[0] * vn[0] + vn[1] * vn[1] + vn[2] * vn[2]);
    if (length > 0.0f) {
      vn[0] /= length;
      vn[1] /= length;
      vn[2] /= length;
    }
  }
}

std::string resolveMaterialGroups(VornPartList& parts, const VornMaterialList& materials,
                                  VornMaterial* fallback) {
  std::string missing;
  for (auto& part : parts) {
    for (VornMaterialGroup& g : part->groups) {
      g.material = findMaterialByName(materials, g.materialName);
      if (!g.material) {
        if (missing.empty()) missing = g.materialName.empty() ? std::string("(unnamed)") : g.materialName;
        g.material = fallback;
      }
    }
  }
  return missing;
}

VornModelLayout buildLayout(VornPartList& parts, VornMaterial* defaultMaterial, std::string* report) {
  VornModelLayout layout;
  // Parts drawn whole with "default" get their one group now, so the three
  // passes and the drawing code see only material groups.
  std::vector<VornObjectPart*> wholeParts;
  for (auto& part : parts) {
    if (part->hadMaterialGroups) {
      for (const VornMaterialGroup& g : part->groups) {
        layout.faceCount += g.size();
        if (textured(g)) layout.texturedFaceCount += g.size();
      }
    } else {
      layout.faceCount += part->faceCount();
      wholeParts.push_back(part.get());
    }
  }
  layout.vertexData.assign(static_cast<size_t>(layout.faceCount) * 9, 0.0f);
  layout.normalData.assign(static_cast<size_t>(layout.faceCount) * 9, 0.0f);
  layout.texCoordData.assign(static_cast<size_t>(layout.texturedFaceCount) * 6, 0.0f);

  uint32_t position = 0;
  for (int pass = 1; pass <= 2; ++pass) {
    for (auto& part : parts) {
      for (VornMaterialGroup& g : part->groups) {
        if (textured(g) != (pass == 1)) continue;
        writeGroup(*part, g, position, pass == 1, layout);
        g.start = static_cast<int>(position);
        if (g.material) g.material->addPart(part.get(), g.start);
        appendText(report, "part %s, group %s (%u faces)\n\nbufferPos: %d\n\n", part->name.c_str(),
                g.materialName.c_str(), g.size(), g.start);
        position += g.size();
      }
    }
  }
  for (VornObjectPart* part : wholeParts) {
    VornMaterialGroup g;
    g.materialName = defaultMaterial ? defaultMaterial->name : std::string("default");
    g.material = defaultMaterial;
    g.faces.resize(part->faceCount());
    for (size_t f = 0; f < g.faces.size(); ++f) g.faces[f] = static_cast<uint16_t>(f);
    writeGroup(*part, g, position, false, layout);
    g.start = static_cast<int>(position);
    if (defaultMaterial) defaultMaterial->addPart(part, g.start);
    appendText(report, "part %s, default (%u faces)\n\nbufferPos: %d\n\n", part->name.c_str(), g.size(),
            g.start);
    position += g.size();
    part->groups.push_back(std::move(g));
  }
  appendText(report, "\nobject texture size: %u\n\n", layout.texturedFaceCount * 6);
  return layout;
}

void computeModelBounds(const VornPartList& parts, VornVector& boundsMin, VornVector& boundsMax) {
  boundsMin = VornVector();
  boundsMax = VornVector();
  for (size_t i = 0; i < parts.size(); ++i) {
    const VornObjectPart& p = *parts[i];
    if (i == 0) {
      boundsMin = p.boundsMin;
      boundsMax = p.boundsMax;
      continue;
    }
    boundsMin.set(std::fmin(boundsMin.x, p.boundsMin.x), std::fmin(boundsMin.y, p.boundsMin.y),
                  std::fmin(boundsMin.z, p.boundsMin.z));
    boundsMax.set(std::fmax(boundsMax.x, p.boundsMax.x), std::fmax(boundsMax.y, p.boundsMax.y),
                  std::fmax(boundsMax.z, p.boundsMax.z));
  }
}

VornMatrix restMatrix(const VornObjectPart& part, const VornVector& center) {
  VornMatrix m;
  m.translate(-center.x, -center.y, -center.z);
  if (part.node) {
    part.node->evaluate(0.0f, m);
    part.node->applyPivot(m);
  }
  m.multiply(part.matrix);
  return m;
}

std::string sideFileName(const std::string& modelFile, const char* suffix) {
  if (modelFile.size() < 3) return std::string();
  return modelFile.substr(0, modelFile.size() - 3) + suffix;
}

std::vector<VornClip> parseClips(const std::string& text) {
  std::vector<VornClip> clips;
  for (const std::string& line : splitLines(text)) {
    int first = 0, last = 0;
    float seconds = 0.0f;
    if (std::sscanf(line.c_str(), "%d %d %f ", &first, &last, &seconds) != 3) continue;
    // "nan", "inf" or a negative duration would make every frame of the clip
    // undefined; such a line is damaged and skipped like an unreadable one.
    if (!std::isfinite(seconds) || seconds < 0.0f) continue;
    VornClip clip;
    clip.start = first;
    // Wide frame numbers must not overflow the length.
    const long long length = static_cast<long long>(last) - first;
    clip.length = length > INT32_MAX ? INT32_MAX : length < INT32_MIN ? INT32_MIN : static_cast<int>(length);
    clip.duration = seconds;
    clips.push_back(clip);
  }
  return clips;
}

std::vector<VornOverlayRequest> parseOverlays(const std::string& text, const VornMaterialList& materials) {
  std::vector<VornOverlayRequest> requests;
  const std::vector<std::string> lines = splitLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    for (const auto& m : materials) {
      // An unnamed material would match every line; it cannot be named here.
      if (m->name.empty() || line.compare(0, m->name.size(), m->name) != 0) continue;
      if (i + 1 < lines.size()) {
        requests.push_back({m.get(), lines[i + 1]});
        ++i;
      }
      break;
    }
  }
  return requests;
}

}  // namespace vorn
