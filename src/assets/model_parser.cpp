#include "assets/model_parser.h"

#include <cassert>
#include <cstdio>
#include <cstring>

#include "base/byte_reader.h"
#include "base/text_format.h"

namespace vorn {
namespace {

using namespace chunk3ds;

constexpr size_t kChunkHeaderBytes = 6;
// Extra floats a key carries for spline flag bits 0..4 (tension, continuity,
// bias, ease to, ease from); read and not kept.
constexpr int kSplineFlagBits = 5;

// A reader over [from, to) of the file whose positions stay file offsets;
// every read fails instead of passing `to`.
ByteReader readerOver(const uint8_t* data, size_t from, size_t to) {
  ByteReader r(data, to);
  const bool inside = r.seek(from);
  assert(inside && "readerOver: the range starts past its end");
  (void)inside;
  return r;
}

bool readI16(ByteReader& r, int16_t& v) {
  uint16_t u;
  if (!r.le16(u)) return false;
  v = static_cast<int16_t>(u);
  return true;
}
bool readF32(ByteReader& r, float& v) {
  uint32_t u;
  if (!r.le32(u)) return false;
  std::memcpy(&v, &u, sizeof v);
  return true;
}
bool readFloats(ByteReader& r, float* v, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (!readF32(r, v[i])) return false;
  }
  return true;
}
// A zero-terminated name; the first kModelNameBytes bytes are kept. Fails
// when the chunk ends before the terminating zero.
bool readName(ByteReader& r, std::string& out) {
  out.clear();
  const size_t left = r.remaining();
  const uint8_t* rest = r.peek(left);
  const void* zero = rest ? std::memchr(rest, 0, left) : nullptr;
  if (!zero) return false;
  const size_t length = static_cast<size_t>(static_cast<const uint8_t*>(zero) - rest);
  out.assign(reinterpret_cast<const char*>(rest), length < kModelNameBytes ? length : kModelNameBytes);
  r.skip(length + 1);
  return true;
}

enum class Step { kDone, kContainer, kFault };

class Parser {
 public:
  Parser(const uint8_t* data, size_t size, VornModelData& model, std::string* log)
      : data_(data), size_(size), model_(model), log_(log) {}

  VornParseResult run();

 private:
  Step chunk(uint16_t id, ByteReader& r, size_t offset);
  Step material(uint16_t id, ByteReader& r);
  Step mesh(uint16_t id, ByteReader& r);
  Step keyframer(uint16_t id, ByteReader& r);
  bool track(uint16_t id, ByteReader& r);
  void handOverMaterial();
  VornMaterialMap* currentMap();
  Step fault(const char* format, ...) __attribute__((format(printf, 2, 3)));

  const uint8_t* data_;
  size_t size_;
  VornModelData& model_;
  std::string* log_;
  VornParseResult result_;

  std::unique_ptr<VornMaterial> material_;
  VornObjectPart* part_ = nullptr;
  VornKeyNode* node_ = nullptr;
  int colorContext_ = 0;   // 1 ambient, 2 diffuse, 3 specular
  int amountContext_ = 0;  // 1..6 material amounts, 7 the current map's amount
  int mapContext_ = 0;     // 1 first map, 2 second map, 3 bump map
  size_t pendingHeader_ = 0;  // offset of the chunk a fault names
};

Step Parser::fault(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (result_.complete) {
    result_.complete = false;
    result_.fault = buffer;
  }
  appendText(log_, "fault: %s\n", buffer);
  return Step::kFault;
}

void Parser::handOverMaterial() {
  if (material_) model_.materials.push_back(std::move(material_));
}

VornMaterialMap* Parser::currentMap() {
  if (!material_) return nullptr;
  switch (mapContext_) {
    case 1: return &material_->map1;
    case 2: return &material_->map2;
    case 3: return &material_->bump;
    default: return nullptr;
  }
}

VornParseResult Parser::run() {
  appendText(log_, "start! %d/%d\n", 4, 2);
  // Ends of the containers the position is inside; the file is the outermost.
  std::vector<size_t> ends{size_};
  size_t pos = 0;
  while (true) {
    while (ends.size() > 1 && pos >= ends.back()) ends.pop_back();
    const size_t limit = ends.back();
    if (pos >= limit) break;
    if (limit - pos < kChunkHeaderBytes) {
      fault("chunk header cut short at offset %zu", pos);
      break;
    }
    ByteReader header = readerOver(data_, pos, limit);
    uint16_t id = 0;
    uint32_t length = 0;
    header.le16(id);
    header.le32(length);
    appendText(log_, "\noffset: %zu\nChunkID: %x\nChunkLenght: %x\n", pos, id, length);
    if (length < kChunkHeaderBytes) {
      fault("chunk %04x at offset %zu has length %u", id, pos, length);
      break;
    }
    if (length > limit - pos) {
      fault("chunk %04x at offset %zu runs past its end (%u bytes, %zu left)", id, pos, length,
            limit - pos);
      break;
    }
    const size_t chunkEnd = pos + length;
    ByteReader body = readerOver(data_, pos + kChunkHeaderBytes, chunkEnd);
    pendingHeader_ = pos;
    const Step step = chunk(id, body, pos);
    if (step == Step::kFault) break;
    if (step == Step::kContainer) {
      ends.push_back(chunkEnd);
      pos = body.position();  // sub-chunks follow whatever data the chunk leads with
    } else {
      pos = chunkEnd;
    }
  }
  handOverMaterial();
  return result_;
}

Step Parser::chunk(uint16_t id, ByteReader& r, size_t offset) {
  switch (id) {
    case kMain:
    case kMeshData:
    case kKeyframer:
      return Step::kContainer;
    case kVersion:
    case kMeshVersion: {
      uint32_t v;
      if (!r.le32(v)) break;
      appendText(log_, "version: %u\n", v);
      return Step::kDone;
    }
    case kMasterScale:
    case kShadowBias: {
      float v;
      if (!readF32(r, v)) break;
      appendText(log_, "value: %f\n", v);
      return Step::kDone;
    }
    case kShadowMapSize: {
      uint16_t v;
      if (!r.le16(v)) break;
      appendText(log_, "shadow map size: %u\n", v);
      return Step::kDone;
    }
    default:
      break;
  }
  if ((id >= 0xA000 && id <= 0xAFFF) || id == kColor24 || id == kColor24Gamma || id == kPercent) {
    const Step s = material(id, r);
    if (s != Step::kFault || !result_.complete) return s;
  } else if (id >= 0x4000 && id < 0x5000) {
    const Step s = mesh(id, r);
    if (s != Step::kFault || !result_.complete) return s;
  } else if (id >= 0xB000 && id <= 0xB0FF) {
    const Step s = keyframer(id, r);
    if (s != Step::kFault || !result_.complete) return s;
  } else {
    appendText(log_, "unknown ------------------ \n");
    return Step::kDone;
  }
  return fault("chunk %04x at offset %zu is too short for its data", id, offset);
}

// Returns kFault without recording one when the chunk's data ran out; the
// caller then names the chunk.
Step Parser::material(uint16_t id, ByteReader& r) {
  if (id == kMaterialBlock) {
    handOverMaterial();
    material_ = std::make_unique<VornMaterial>();
    colorContext_ = amountContext_ = mapContext_ = 0;
    return Step::kContainer;
  }
  if (!material_) {
    appendText(log_, "outside a material, skipped\n");
    return Step::kDone;
  }
  VornMaterial& m = *material_;
  switch (id) {
    case kMaterialName:
      if (!readName(r, m.name)) return fault("material name at offset %zu has no end", pendingHeader_);
      appendText(log_, "material: %s\n", m.name.c_str());
      return Step::kDone;
    case kAmbient: colorContext_ = 1; return Step::kContainer;
    case kDiffuse: colorContext_ = 2; return Step::kContainer;
    case kSpecular: colorContext_ = 3; return Step::kContainer;
    case kColor24:
    case kColor24Gamma: {
      uint8_t rgb[3];
      if (!r.u8(rgb[0]) || !r.u8(rgb[1]) || !r.u8(rgb[2])) return Step::kFault;
      const std::array<float, 3> c{rgb[0] / 255.0f, rgb[1] / 255.0f, rgb[2] / 255.0f};
      const bool gamma = id == kColor24Gamma;
      if (colorContext_ == 1) (gamma ? m.ambient2 : m.ambient) = c;
      if (colorContext_ == 2) m.diffuse = c;
      if (colorContext_ == 3) (gamma ? m.specular2 : m.specular) = c;
      appendText(log_, "colour %d: %f %f %f\n", colorContext_, c[0], c[1], c[2]);
      return Step::kDone;
    }
    case kShininess: amountContext_ = 1; return Step::kContainer;
    case kShininessStrength: amountContext_ = 2; return Step::kContainer;
    case kTransparency: amountContext_ = 3; return Step::kContainer;
    case kTransparencyFalloff: amountContext_ = 4; return Step::kContainer;
    case kReflectBlur: amountContext_ = 5; return Step::kContainer;
    case kSelfIllumination: amountContext_ = 6; return Step::kContainer;
    case kPercent: {
      uint16_t v;
      if (!r.le16(v)) return Step::kFault;
      uint16_t* target[] = {nullptr, &m.shininess, &m.shininessStrength, &m.transparency,
                            &m.transparencyFalloff, &m.reflectBlur, &m.selfIllumination};
      if (amountContext_ >= 1 && amountContext_ <= 6) *target[amountContext_] = v;
      if (amountContext_ == 7 && currentMap()) currentMap()->amount = v;
      appendText(log_, "amount %d: %u\n", amountContext_, v);
      return Step::kDone;
    }
    case kWireThickness:
      if (!readF32(r, m.wireThickness)) return Step::kFault;
      return Step::kDone;
    case kFlagA08A:
    case kFlagA08C:
      return Step::kContainer;
    case kShading:
      if (!r.le16(m.materialType)) return Step::kFault;
      return Step::kDone;
    case kMap1: mapContext_ = 1; amountContext_ = 7; return Step::kContainer;
    case kMap2: mapContext_ = 2; amountContext_ = 7; return Step::kContainer;
    case kBumpMap: mapContext_ = 3; amountContext_ = 7; return Step::kContainer;
    case kBumpStrength:
      if (!r.le16(m.bumpStrength)) return Step::kFault;
      return Step::kDone;
    default:
      break;
  }
  VornMaterialMap* map = currentMap();
  if (!map) {
    appendText(log_, "unknown ------------------ \n");
    return Step::kDone;
  }
  switch (id) {
    case kMapFile:
      if (!readName(r, map->fileName)) return fault("map file name at offset %zu has no end", pendingHeader_);
      appendText(log_, "map %d: %s\n", mapContext_, map->fileName.c_str());
      return Step::kDone;
    case kMapOptions: return r.le16(map->options) ? Step::kDone : Step::kFault;
    case kMapBlur: return readF32(r, map->blur) ? Step::kDone : Step::kFault;
    case kMapScaleU: return readF32(r, map->scaleU) ? Step::kDone : Step::kFault;
    case kMapScaleV: return readF32(r, map->scaleV) ? Step::kDone : Step::kFault;
    case kMapOffsetU: return readF32(r, map->offsetU) ? Step::kDone : Step::kFault;
    case kMapOffsetV: return readF32(r, map->offsetV) ? Step::kDone : Step::kFault;
    case kMapRotation: return readF32(r, map->rotation) ? Step::kDone : Step::kFault;
    default:
      appendText(log_, "unknown ------------------ \n");
      return Step::kDone;
  }
}

Step Parser::mesh(uint16_t id, ByteReader& r) {
  if (id == kObject) {
    auto part = std::make_unique<VornObjectPart>();
    if (!readName(r, part->name)) return fault("object name at offset %zu has no end", pendingHeader_);
    appendText(log_, "object: %s\n", part->name.c_str());
    part_ = part.get();
    model_.parts.push_back(std::move(part));
    return Step::kContainer;
  }
  if (id == kTriMesh) return Step::kContainer;
  if (!part_) {
    appendText(log_, "outside an object, skipped\n");
    return Step::kDone;
  }
  VornObjectPart& p = *part_;
  switch (id) {
    case kVertices: {
      uint16_t n;
      if (!r.le16(n)) return Step::kFault;
      if (static_cast<size_t>(n) * 12 > r.remaining()) {
        return fault("vertex list at offset %zu counts %u vertices in %zu bytes", pendingHeader_, n,
                     r.remaining());
      }
      p.vertices.assign(static_cast<size_t>(n) * 3, 0.0f);
      readFloats(r, p.vertices.data(), p.vertices.size());
      p.computeBounds();
      appendText(log_, "vertices: %u\n", n);
      return Step::kDone;
    }
    case kFaces: {
      uint16_t n;
      if (!r.le16(n)) return Step::kFault;
      if (static_cast<size_t>(n) * 8 > r.remaining()) {
        return fault("face list at offset %zu counts %u faces in %zu bytes", pendingHeader_, n,
                     r.remaining());
      }
      p.faces.assign(static_cast<size_t>(n) * 4, 0);
      for (uint16_t& w : p.faces) r.le16(w);
      p.sourceFaces = p.faces;
      appendText(log_, "faces: %u\n", n);
      return Step::kContainer;  // material groups and smoothing groups follow
    }
    case kFaceMaterial: {
      VornMaterialGroup group;
      if (!readName(r, group.materialName)) {
        return fault("material group name at offset %zu has no end", pendingHeader_);
      }
      uint16_t n;
      if (!r.le16(n)) return Step::kFault;
      if (static_cast<size_t>(n) * 2 > r.remaining()) {
        return fault("material group at offset %zu counts %u faces in %zu bytes", pendingHeader_, n,
                     r.remaining());
      }
      group.faces.assign(n, 0);
      for (uint16_t& f : group.faces) r.le16(f);
      appendText(log_, "material group: %s, %u faces\n", group.materialName.c_str(), n);
      p.groups.push_back(std::move(group));
      p.hadMaterialGroups = true;
      return Step::kDone;
    }
    case kTexCoords: {
      uint16_t n;
      if (!r.le16(n)) return Step::kFault;
      if (static_cast<size_t>(n) * 8 > r.remaining()) {
        return fault("texture coordinates at offset %zu count %u in %zu bytes", pendingHeader_, n,
                     r.remaining());
      }
      p.texCoords.assign(static_cast<size_t>(n) * 2, 0.0f);
      readFloats(r, p.texCoords.data(), p.texCoords.size());
      appendText(log_, "texture coordinates: %u\n", n);
      return Step::kDone;
    }
    case kSmoothGroups:
      appendText(log_, "smoothing groups: %zu\n", r.remaining() / 4);
      return Step::kDone;
    case kLocalAxes: {
      float v[12];
      if (!readFloats(r, v, 12)) return Step::kFault;
      for (int i = 0; i < 4; ++i) p.axes[i] = VornVector(v + 3 * i);
      p.matrix.fromAxes(p.axes[0], p.axes[1], p.axes[2], p.axes[3]);
      appendText(log_, "local axes: %f %f %f / %f %f %f / %f %f %f / %f %f %f\n", v[0], v[1], v[2],
              v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11]);
      return Step::kDone;
    }
    default:
      appendText(log_, "unknown ------------------ \n");
      return Step::kDone;
  }
}

Step Parser::keyframer(uint16_t id, ByteReader& r) {
  switch (id) {
    case kKeyHeader: {
      uint16_t revision;
      std::string name;
      uint32_t frames;
      if (!r.le16(revision)) return Step::kFault;
      if (!readName(r, name)) return fault("keyframer name at offset %zu has no end", pendingHeader_);
      if (!r.le32(frames)) return Step::kFault;
      appendText(log_, "keyframer: %u %s %u\n", revision, name.c_str(), frames);
      return Step::kDone;
    }
    case kKeySegment: {
      uint32_t from, to;
      if (!r.le32(from) || !r.le32(to)) return Step::kFault;
      appendText(log_, "segment: %u %u\n", from, to);
      return Step::kDone;
    }
    case kKeyCurrentTime: {
      uint32_t t;
      if (!r.le32(t)) return Step::kFault;
      appendText(log_, "current time: %u\n", t);
      return Step::kDone;
    }
    case kNodeObject: {
      auto node = std::make_unique<VornKeyNode>();
      node->setId(static_cast<int>(model_.nodes.size()));
      node_ = node.get();
      model_.nodes.push_back(std::move(node));
      appendText(log_, "node %d\n", node_->getId());
      return Step::kContainer;
    }
    default:
      break;
  }
  if (!node_) {
    appendText(log_, "unknown node type ------------------ \n");
    return Step::kDone;
  }
  VornKeyNode& n = *node_;
  switch (id) {
    case kNodeId: {
      int16_t v;
      if (!readI16(r, v)) return Step::kFault;
      n.setId(v);
      appendText(log_, "node id: %d\n", v);
      return Step::kDone;
    }
    case kNodeHeader: {
      uint16_t flags1, flags2;
      int16_t parent;
      if (!readName(r, n.name)) return fault("node name at offset %zu has no end", pendingHeader_);
      if (!r.le16(flags1) || !r.le16(flags2) || !readI16(r, parent)) return Step::kFault;
      n.setParentId(parent);
      appendText(log_, "node: %s flags %x %x parent %d\n", n.name.c_str(), flags1, flags2, parent);
      return Step::kDone;
    }
    case kNodeInstance: {
      std::string name;
      if (!readName(r, name)) return fault("instance name at offset %zu has no end", pendingHeader_);
      appendText(log_, "instance: %s\n", name.c_str());
      return Step::kDone;
    }
    case kNodePivot: {
      float v[3];
      if (!readFloats(r, v, 3)) return Step::kFault;
      n.setPivot(VornVector(v));
      appendText(log_, "pivot: %f %f %f\n", v[0], v[1], v[2]);
      return Step::kDone;
    }
    case kNodeBounds: {
      float v[6];
      if (!readFloats(r, v, 6)) return Step::kFault;
      appendText(log_, "bounds: %f %f %f - %f %f %f\n", v[0], v[1], v[2], v[3], v[4], v[5]);
      return Step::kDone;
    }
    case kTrackPosition:
    case kTrackRotation:
    case kTrackScale:
      return track(id, r) ? Step::kDone : Step::kFault;
    default:
      appendText(log_, "unknown ------------------ \n");
      return Step::kDone;
  }
}

bool Parser::track(uint16_t id, ByteReader& r) {
  uint16_t flags;
  uint32_t from, to, count;
  if (!r.le16(flags) || !r.le32(from) || !r.le32(to) || !r.le32(count)) return false;
  const size_t valueCount = id == kTrackRotation ? 4 : 3;
  const size_t smallestKey = 4 + 2 + valueCount * 4;
  appendText(log_, "track %x: flags %x from %u to %u, %u keys\n", id, flags, from, to, count);
  if (count > r.remaining() / smallestKey) {
    fault("track at offset %zu counts %u keys in %zu bytes", pendingHeader_, count, r.remaining());
    return false;
  }
  VornKeyNode& n = *node_;
  for (uint32_t k = 0; k < count; ++k) {
    uint32_t frame;
    uint16_t spline;
    if (!r.le32(frame) || !r.le16(spline)) return false;
    appendText(log_, "key %u frame %u spline %x", k, frame, spline);
    for (int bit = 0; bit < kSplineFlagBits; ++bit) {
      if (!(spline & (1u << bit))) continue;
      float extra;
      if (!readF32(r, extra)) return false;
      appendText(log_, " %f", extra);
    }
    float v[4] = {0, 0, 0, 0};
    if (!readFloats(r, v, valueCount)) return false;
    appendText(log_, " values %f %f %f %f\n", v[0], v[1], v[2], v[3]);
    const int at = static_cast<int>(static_cast<int32_t>(frame));
    if (id == kTrackPosition) n.addPositionKey(v, at);
    if (id == kTrackRotation) n.addRotationKey(v, at);
    if (id == kTrackScale) n.addScaleKey(v, at);
  }
  if (id == kTrackRotation) n.finishRotationTrack();
  return true;
}

}  // namespace

VornParseResult parse3ds(const uint8_t* data, size_t size, VornModelData& model, std::string* log) {
  if (!data) size = 0;
  return Parser(data, size, model, log).run();
}

std::string validateModel(VornModelData& model) {
  std::string first;
  char line[200];
  uint64_t triangles = 0;
  for (auto& part : model.parts) {
    const uint32_t vertexCount = part->vertexCount();
    for (size_t f = 0; f < part->faces.size() / 4; ++f) {
      const uint16_t* w = &part->faces[f * 4];
      const uint16_t bad = w[0] >= vertexCount ? w[0] : w[1] >= vertexCount ? w[1] : w[2];
      if (w[0] < vertexCount && w[1] < vertexCount && w[2] < vertexCount) continue;
      std::snprintf(line, sizeof line, "part %s: face %zu names vertex %u of %u", part->name.c_str(),
                    f, bad, vertexCount);
      if (first.empty()) first = line;
      part->faces.clear();
      part->sourceFaces.clear();
      part->groups.clear();
      break;
    }
    // A part whose faces were dropped but that had material groups keeps its
    // flag, so it draws nothing rather than everything with "default".
    const uint32_t faceCount = part->faceCount();
    for (size_t g = 0; g < part->groups.size();) {
      bool sound = true;
      for (uint16_t f : part->groups[g].faces) {
        if (f >= faceCount) {
          std::snprintf(line, sizeof line, "part %s: material group %s names face %u of %u",
                        part->name.c_str(), part->groups[g].materialName.c_str(), f, faceCount);
          if (first.empty()) first = line;
          sound = false;
          break;
        }
      }
      if (sound) {
        ++g;
      } else {
        part->groups.erase(part->groups.begin() + static_cast<std::ptrdiff_t>(g));
      }
    }
    // Groups may name a face many times over; the buffers stay bounded.
    uint64_t partTriangles = part->hadMaterialGroups ? 0 : part->faceCount();
    for (const VornMaterialGroup& g : part->groups) partTriangles += g.size();
    if (triangles + partTriangles > kMaxModelTriangles) {
      std::snprintf(line, sizeof line, "part %s: the model exceeds %u triangles", part->name.c_str(),
                    kMaxModelTriangles);
      if (first.empty()) first = line;
      part->faces.clear();
      part->sourceFaces.clear();
      part->groups.clear();
      continue;
    }
    triangles += partTriangles;
  }
  return first;
}

void bindNodesToParts(VornModelData& model) {
  for (auto& part : model.parts) {
    part->node = nullptr;
    for (auto& node : model.nodes) {
      if (node->name == part->name) {
        part->node = node.get();
        break;
      }
    }
  }
}

}  // namespace vorn
