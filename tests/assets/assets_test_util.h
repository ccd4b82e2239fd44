// Helpers of the asset tests: exact-size decoding, the hostile-file tables every
// reader's tests run, and 3DS chunk builders (on support/test_bytes.h).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "assets/image.h"
#include "support/test_bytes.h"

namespace vorn::test {

using Decoder = bool (*)(const uint8_t*, size_t, const std::string&, VornImage&, std::string&, const ImageLimits&);

// A copy of exactly the bytes' size, so the sanitizer build sees any read past the end.
inline std::unique_ptr<uint8_t[]> exactCopy(const std::vector<uint8_t>& bytes) {
  auto exact = std::make_unique<uint8_t[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), exact.get());
  return exact;
}

inline bool decodeExact(Decoder decode, const std::vector<uint8_t>& bytes, VornImage& image, std::string& detail) {
  return decode(exactCopy(bytes).get(), bytes.size(), "h", image, detail, ImageLimits{});
}
inline VornImage decodeOk(Decoder decode, const std::vector<uint8_t>& bytes) {
  VornImage image;
  std::string detail;
  EXPECT_TRUE(decodeExact(decode, bytes, image, detail)) << detail;
  return image;
}

// A damaged file and the one err.txt detail line it must be refused with.
struct Damaged {
  const char* what;
  Bytes bytes;
  std::string detail;
};

// Every file of the table is refused with its line, and so is every cut of the
// good file (which is accepted) short of its last `optionalTail` bytes;
// `read(bytes, detail)` is true when it accepts the bytes.
template <typename Read>
void expectRefusedBy(Read read, const std::vector<Damaged>& table, const Bytes& good, size_t optionalTail = 1) {
  std::string goodDetail;
  EXPECT_TRUE(read(good.data, goodDetail)) << goodDetail;
  for (const Damaged& d : table) {
    SCOPED_TRACE(d.what);
    std::string detail;
    EXPECT_FALSE(read(d.bytes.data, detail));
    EXPECT_EQ(detail, d.detail);
  }
  for (size_t cut = 0; cut + optionalTail < good.size(); ++cut) {
    std::string detail;
    const std::vector<uint8_t> prefix(good.data.begin(), good.data.begin() + static_cast<long>(cut));
    EXPECT_TRUE(!read(prefix, detail) && !detail.empty()) << "cut at " << cut;
  }
}

// The same for an image reader, which also leaves no pixels behind.
inline void expectRefusals(Decoder decode, const std::vector<Damaged>& table, const Bytes& good,
                           size_t optionalTail = 1) {
  const auto read = [decode](const std::vector<uint8_t>& bytes, std::string& detail) {
    VornImage image;
    const bool ok = decodeExact(decode, bytes, image, detail);
    EXPECT_TRUE(ok || image.pixels.empty());
    return ok;
  };
  expectRefusedBy(read, table, good, optionalTail);
}

// 3DS files: little-endian chunks whose length is filled in from their payload.
namespace tds {

inline Bytes name(const std::string& s) { return Bytes().str(s.c_str()).u8(0); }
inline Bytes floats(const std::vector<float>& fs) {
  Bytes b;
  for (const float f : fs) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    b.le32(u);
  }
  return b;
}
inline Bytes chunks(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.append(p.data);
  return out;
}
inline Bytes chunk(uint16_t id, const Bytes& payload = Bytes()) {
  return Bytes().le16(id).le32(static_cast<uint32_t>(6 + payload.size())).append(payload.data);
}
inline Bytes color24(uint8_t r, uint8_t g, uint8_t b) { return chunk(0x0011, Bytes().list({r, g, b})); }
inline Bytes percent(uint16_t v) { return chunk(0x0030, Bytes().le16(v)); }

// A material block: name, diffuse colour and optionally a first map.
inline Bytes material(const std::string& n, uint8_t r, uint8_t g, uint8_t b, const std::string& map1 = "") {
  Bytes body = chunks({chunk(0xA000, name(n)), chunk(0xA020, color24(r, g, b))});
  if (!map1.empty()) body.append(chunk(0xA200, chunks({percent(100), chunk(0xA300, name(map1))})).data);
  return chunk(0xAFFF, body);
}

// An object block with one triangle mesh; faces get the flag word 7.
inline Bytes object(const std::string& n, const std::vector<float>& xyz, const std::vector<uint16_t>& abc,
                    const Bytes& faceSubChunks = Bytes(), const Bytes& meshExtra = Bytes()) {
  Bytes faces;
  faces.le16(static_cast<uint32_t>(abc.size() / 3));
  for (size_t i = 0; i < abc.size(); i += 3) faces.le16(abc[i]).le16(abc[i + 1]).le16(abc[i + 2]).le16(7);
  faces.append(faceSubChunks.data);
  const Bytes vertices = Bytes().le16(static_cast<uint32_t>(xyz.size() / 3)).append(floats(xyz).data);
  const Bytes mesh = chunks({chunk(0x4110, vertices), chunk(0x4120, faces), meshExtra});
  return chunk(0x4000, chunks({name(n), chunk(0x4100, mesh)}));
}

inline Bytes faceGroup(const std::string& materialName, const std::vector<uint16_t>& faces) {
  Bytes g = name(materialName).le16(static_cast<uint32_t>(faces.size()));
  for (const uint16_t f : faces) g.le16(f);
  return chunk(0x4130, g);
}
inline Bytes texCoords(const std::vector<float>& uv) {
  return chunk(0x4140, Bytes().le16(static_cast<uint32_t>(uv.size() / 2)).append(floats(uv).data));
}

// The whole file around mesh data and keyframer data.
inline Bytes file(const Bytes& meshData, const Bytes& keyframer = Bytes()) {
  Bytes main = chunks({chunk(0x0002, Bytes().le32(3)), chunk(0x3D3D, meshData)});
  if (keyframer.size()) main.append(chunk(0xB000, keyframer).data);
  return chunk(0x4D4D, main);
}

// A track chunk; each key is (frame, values...), without spline values.
inline Bytes track(uint16_t id, const std::vector<std::vector<float>>& keys) {
  Bytes t;
  t.le16(0).le32(0).le32(0).le32(static_cast<uint32_t>(keys.size()));
  for (const auto& k : keys) t.le32(static_cast<uint32_t>(k[0])).le16(0).append(floats({k.begin() + 1, k.end()}).data);
  return chunk(id, t);
}

inline Bytes nodeHeader(const std::string& n, int16_t parent) {
  return chunk(0xB010, name(n).le16(0).le16(0).le16(static_cast<uint16_t>(parent)));
}

}  // namespace tds
}  // namespace vorn::test
