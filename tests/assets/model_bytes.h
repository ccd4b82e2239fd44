// Hand-built 3DS byte strings for the model tests: little-endian fields and
// chunks whose length is filled in from their payload.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace vorn {
namespace test3ds {

struct Bytes {
  std::vector<uint8_t> b;

  Bytes& u8(uint8_t v) {
    b.push_back(v);
    return *this;
  }
  Bytes& u16(uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
  }
  Bytes& u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  Bytes& f32(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u32(u);
  }
  Bytes& floats(std::initializer_list<float> fs) {
    for (float f : fs) f32(f);
    return *this;
  }
  // Zero-terminated.
  Bytes& str(const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
    return *this;
  }
  Bytes& raw(const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  Bytes& add(const Bytes& other) {
    b.insert(b.end(), other.b.begin(), other.b.end());
    return *this;
  }
  size_t size() const { return b.size(); }
  const uint8_t* data() const { return b.data(); }
};

// A chunk: id, length = 6 + payload, payload.
inline Bytes chunk(uint16_t id, const Bytes& payload) {
  Bytes out;
  out.u16(id).u32(static_cast<uint32_t>(6 + payload.size())).add(payload);
  return out;
}

inline Bytes chunks(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.add(p);
  return out;
}

inline Bytes color24(uint8_t r, uint8_t g, uint8_t b) { return chunk(0x0011, Bytes().u8(r).u8(g).u8(b)); }
inline Bytes percent(uint16_t v) { return chunk(0x0030, Bytes().u16(v)); }

// A material block: name, diffuse colour and optionally a first map.
inline Bytes material(const std::string& name, uint8_t r, uint8_t g, uint8_t b,
                      const std::string& map1 = std::string()) {
  Bytes body = chunks({chunk(0xA000, Bytes().str(name)), chunk(0xA020, color24(r, g, b))});
  if (!map1.empty()) body.add(chunk(0xA200, chunks({percent(100), chunk(0xA300, Bytes().str(map1))})));
  return chunk(0xAFFF, body);
}

// An object block with one triangle mesh.
inline Bytes object(const std::string& name, const std::vector<float>& xyz,
                    const std::vector<uint16_t>& abc, const Bytes& faceSubChunks = Bytes(),
                    const Bytes& meshExtra = Bytes()) {
  Bytes verts;
  verts.u16(static_cast<uint16_t>(xyz.size() / 3));
  for (float f : xyz) verts.f32(f);
  Bytes faces;
  faces.u16(static_cast<uint16_t>(abc.size() / 3));
  for (size_t i = 0; i < abc.size(); i += 3) faces.u16(abc[i]).u16(abc[i + 1]).u16(abc[i + 2]).u16(7);
  faces.add(faceSubChunks);
  Bytes mesh = chunks({chunk(0x4110, verts), chunk(0x4120, faces)});
  mesh.add(meshExtra);
  return chunk(0x4000, Bytes().str(name).add(chunk(0x4100, mesh)));
}

inline Bytes faceGroup(const std::string& material, const std::vector<uint16_t>& faces) {
  Bytes g;
  g.str(material).u16(static_cast<uint16_t>(faces.size()));
  for (uint16_t f : faces) g.u16(f);
  return chunk(0x4130, g);
}

inline Bytes texCoords(const std::vector<float>& uv) {
  Bytes t;
  t.u16(static_cast<uint16_t>(uv.size() / 2));
  for (float f : uv) t.f32(f);
  return chunk(0x4140, t);
}

// The whole file around mesh data and keyframer data.
inline Bytes file(const Bytes& meshData, const Bytes& keyframer = Bytes()) {
  Bytes main = chunks({chunk(0x0002, Bytes().u32(3)), chunk(0x3D3D, meshData)});
  if (keyframer.size()) main.add(chunk(0xB000, keyframer));
  return chunk(0x4D4D, main);
}

// A track chunk with keys of `values` floats; each key is (frame, values...).
inline Bytes track(uint16_t id, const std::vector<std::vector<float>>& keys, uint16_t spline = 0,
                   std::initializer_list<float> splineValues = {}) {
  Bytes t;
  t.u16(0).u32(0).u32(0).u32(static_cast<uint32_t>(keys.size()));
  for (const auto& k : keys) {
    t.u32(static_cast<uint32_t>(k[0])).u16(spline);
    for (float s : splineValues) t.f32(s);
    for (size_t i = 1; i < k.size(); ++i) t.f32(k[i]);
  }
  return chunk(id, t);
}

inline Bytes nodeHeader(const std::string& name, int16_t parent) {
  return chunk(0xB010, Bytes().str(name).u16(0).u16(0).u16(static_cast<uint16_t>(parent)));
}

}  // namespace test3ds
}  // namespace vorn
