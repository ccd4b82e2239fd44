#include "assets/model_parser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "assets/model_bytes.h"

namespace vorn {
namespace {

using namespace test3ds;

VornParseResult parse(const Bytes& bytes, VornModelData& model, std::string* log = nullptr) {
  return parse3ds(bytes.data(), bytes.size(), model, log);
}

// One quad of two triangles, grouped under "Skin" with a map, plus "Horn".
Bytes quadFile() {
  const std::vector<float> xyz{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  const Bytes groups = chunks({faceGroup("Skin", {0}), faceGroup("Horn", {1})});
  const Bytes axes = chunk(0x4160, Bytes().floats({0, 1, 0, -1, 0, 0, 0, 0, 1, 5, 6, 7}));
  const Bytes extra = chunks({texCoords({0, 0, 1, 0, 1, 1, 0, 1}), axes});
  return file(chunks({material("Skin", 255, 0, 51, "cow.bmp"), material("Horn", 10, 20, 30),
                      object("Body", xyz, {0, 1, 2, 0, 2, 3}, groups, extra)}));
}

TEST(ModelParser, ReadsMaterialColoursAmountsAndMaps) {
  const Bytes amb = chunk(0xA010, chunks({color24(51, 102, 153), chunk(0x0012, Bytes().u8(255).u8(0).u8(0))}));
  const Bytes specular = chunk(0xA030, chunks({color24(0, 0, 255), chunk(0x0012, Bytes().u8(0).u8(255).u8(0))}));
  const Bytes diffGamma = chunk(0xA020, chunk(0x0012, Bytes().u8(255).u8(255).u8(0)));
  const Bytes map = chunk(0xA200, chunks({percent(80), chunk(0xA300, Bytes().str("SPOTS.BMP")),
                                          chunk(0xA351, Bytes().u16(0x10)), chunk(0xA354, Bytes().f32(2.5f)),
                                          chunk(0xA35A, Bytes().f32(-0.25f))}));
  const Bytes bump = chunk(0xA230, chunks({percent(30), chunk(0xA300, Bytes().str("bump.bmp"))}));
  const Bytes body = chunks({chunk(0xA000, Bytes().str("Hide")), amb, diffGamma, specular,
                             chunk(0xA040, percent(45)), chunk(0xA050, percent(12)),
                             chunk(0xA084, percent(3)), chunk(0xA100, Bytes().u16(3)), map, bump,
                             chunk(0xA252, Bytes().u16(9))});
  VornModelData model;
  const VornParseResult r = parse(file(chunk(0xAFFF, body)), model);
  ASSERT_TRUE(r.complete) << r.fault;
  ASSERT_EQ(model.materials.size(), 1u);
  const VornMaterial& m = *model.materials[0];
  EXPECT_EQ(m.name, "Hide");
  EXPECT_FLOAT_EQ(m.ambient[0], 0.2f);
  EXPECT_FLOAT_EQ(m.ambient[2], 0.6f);
  EXPECT_FLOAT_EQ(m.ambient2[0], 1.0f);  // the gamma colour of ambient is the second colour
  EXPECT_FLOAT_EQ(m.diffuse[1], 1.0f);   // of diffuse it is the diffuse colour itself
  EXPECT_FLOAT_EQ(m.diffuse[2], 0.0f);
  EXPECT_FLOAT_EQ(m.specular[2], 1.0f);
  EXPECT_FLOAT_EQ(m.specular2[1], 1.0f);
  EXPECT_EQ(m.shininess, 45);
  EXPECT_EQ(m.transparency, 12);
  EXPECT_EQ(m.selfIllumination, 3);
  EXPECT_EQ(m.materialType, 3);
  EXPECT_EQ(m.map1.fileName, "SPOTS.BMP");
  EXPECT_EQ(m.map1.amount, 80);
  EXPECT_EQ(m.map1.options, 0x10);
  EXPECT_FLOAT_EQ(m.map1.scaleU, 2.5f);
  EXPECT_FLOAT_EQ(m.map1.offsetV, -0.25f);
  EXPECT_EQ(m.bump.fileName, "bump.bmp");
  EXPECT_EQ(m.bump.amount, 30);
  EXPECT_EQ(m.bumpStrength, 9);
}

TEST(ModelParser, ReadsPartsGroupsTexCoordsAndLocalAxes) {
  VornModelData model;
  std::string log;
  const VornParseResult r = parse(quadFile(), model, &log);
  ASSERT_TRUE(r.complete) << r.fault;
  ASSERT_EQ(model.materials.size(), 2u);
  EXPECT_EQ(model.materials[1]->name, "Horn");
  ASSERT_EQ(model.parts.size(), 1u);
  const VornObjectPart& p = *model.parts[0];
  EXPECT_EQ(p.name, "Body");
  EXPECT_EQ(p.vertexCount(), 4u);
  EXPECT_EQ(p.faceCount(), 2u);
  EXPECT_EQ(p.faces[4 + 2], 3);
  EXPECT_EQ(p.faces[3], 7);  // the flag word
  EXPECT_EQ(p.texCoordCount(), 4u);
  ASSERT_EQ(p.groups.size(), 2u);
  EXPECT_EQ(p.groups[1].materialName, "Horn");
  EXPECT_EQ(p.groups[1].faces, std::vector<uint16_t>{1});
  EXPECT_FLOAT_EQ(p.boundsMax.x, 1.0f);
  EXPECT_FLOAT_EQ(p.boundsMax.y, 1.0f);
  // Axes become the matrix columns, the origin its translation.
  EXPECT_FLOAT_EQ(p.matrix.m[1], 1.0f);
  EXPECT_FLOAT_EQ(p.matrix.m[4], -1.0f);
  EXPECT_FLOAT_EQ(p.matrix.m[13], 6.0f);
  EXPECT_NE(log.find("ChunkID: 4d4d"), std::string::npos);
  EXPECT_NE(log.find("material: Horn"), std::string::npos);
}

TEST(ModelParser, ReadsKeyframerNodesWithSplineExtrasAndSkipsEarlyTracks) {
  // A track before any object node is skipped whole.
  const Bytes early = track(0xB020, {{0, 9, 9, 9}});
  // Spline flags 0x18 (ease to, ease from) carry two floats before the values.
  const Bytes pos = track(0xB020, {{0, 1, 2, 3}, {10, 4, 5, 6}}, 0x18, {0.5f, 0.25f});
  const Bytes rot = track(0xB021, {{0, 3.14159265f / 2, 0, 0, 1}});
  const Bytes root = chunk(0xB002, chunks({chunk(0xB030, Bytes().u16(7)), nodeHeader("Body", -1),
                                           chunk(0xB013, Bytes().floats({1, 2, 3})), pos, rot}));
  const Bytes child = chunk(0xB002, chunks({nodeHeader("Head", 7), track(0xB022, {{0, 2, 2, 2}})}));
  const Bytes kf = chunks({chunk(0xB00A, Bytes().u16(5).str("MAXSCENE").u32(100)), early, root, child});
  VornModelData model;
  const VornParseResult r = parse(file(Bytes(), kf), model);
  ASSERT_TRUE(r.complete) << r.fault;
  ASSERT_EQ(model.nodes.size(), 2u);
  const VornKeyNode& body = *model.nodes[0];
  EXPECT_EQ(body.getId(), 7);
  EXPECT_EQ(body.name, "Body");
  EXPECT_EQ(body.getParentId(), -1);
  EXPECT_FLOAT_EQ(body.pivot.z, 3.0f);
  ASSERT_EQ(body.positionFrames, (std::vector<int>{0, 10}));
  EXPECT_FLOAT_EQ(body.positionValues[0], 1.0f);
  EXPECT_FLOAT_EQ(body.positionValues[5], 6.0f);
  ASSERT_EQ(body.rotationValues.size(), 4u);
  EXPECT_NEAR(body.rotationValues[0], -90.0f, 1e-4);  // degrees, sign inverted
  EXPECT_EQ(body.rotationMatrices.size(), 1u);
  const VornKeyNode& head = *model.nodes[1];
  EXPECT_EQ(head.getId(), 1);  // its list position without a node id chunk
  EXPECT_EQ(head.getParentId(), 7);
  EXPECT_EQ(head.scaleFrames.size(), 1u);
}

TEST(ModelParser, BindsNodesToPartsByName) {
  const std::vector<float> tri{0, 0, 0, 1, 0, 0, 0, 1, 0};
  const Bytes kf = chunk(0xB002, nodeHeader("Leg", -1));
  VornModelData model;
  ASSERT_TRUE(parse(file(chunks({object("Body", tri, {0, 1, 2}), object("Leg", tri, {0, 1, 2})}), kf), model)
                  .complete);
  bindNodesToParts(model);
  EXPECT_EQ(model.parts[0]->node, nullptr);
  EXPECT_EQ(model.parts[1]->node, model.nodes[0].get());
}

TEST(ModelParser, SkipsUnknownChunksAndMeshDataOutsideAnObject) {
  const Bytes stray = chunk(0x4110, Bytes().u16(1).floats({1, 2, 3}));
  const Bytes unknown = chunk(0x1200, Bytes().floats({1, 1, 1}));
  VornModelData model;
  const VornParseResult r = parse(file(chunks({unknown, stray, material("M", 1, 2, 3)})), model);
  EXPECT_TRUE(r.complete) << r.fault;
  EXPECT_TRUE(model.parts.empty());
  EXPECT_EQ(model.materials.size(), 1u);
}

TEST(ModelParser, LongNamesAreCutToTwentyBytes) {
  VornModelData model;
  ASSERT_TRUE(parse(file(material("AVeryLongMaterialNameIndeed", 1, 2, 3)), model).complete);
  EXPECT_EQ(model.materials[0]->name, "AVeryLongMaterialNam");
}

// Hostile files: each ends the parse with a reason and keeps what came before.
struct Hostile {
  const char* what;
  Bytes bytes;
  const char* faultPart;
};

std::vector<Hostile> hostileFiles() {
  const std::vector<float> tri{0, 0, 0, 1, 0, 0, 0, 1, 0};
  std::vector<Hostile> h;
  Bytes shortLength;
  shortLength.u16(0x4D4D).u32(3);
  h.push_back({"length below 6", shortLength, "has length 3"});
  Bytes pastFile = chunk(0x4D4D, chunk(0x3D3D, Bytes()));
  pastFile.b[2] = 0xFF;  // the main chunk claims more than the file holds
  h.push_back({"length past the file", pastFile, "runs past"});
  Bytes inner = chunk(0x3D3D, material("M", 1, 2, 3));
  inner.b[2] += 40;  // the mesh data claims more than its parent
  h.push_back({"length past the parent", chunk(0x4D4D, inner), "runs past"});
  h.push_back({"vertex count beyond the bytes",
               file(chunk(0x4000, Bytes().str("P").add(chunk(0x4100, chunk(0x4110, Bytes().u16(5000).floats({1, 2, 3})))))),
               "counts 5000 vertices"});
  h.push_back({"face count beyond the bytes",
               file(chunk(0x4000, Bytes().str("P").add(chunk(0x4100, chunk(0x4120, Bytes().u16(900).u16(0)))))),
               "counts 900 faces"});
  h.push_back({"group count beyond the bytes",
               file(object("P", tri, {0, 1, 2}, chunk(0x4130, Bytes().str("M").u16(400).u16(0)))),
               "counts 400 faces"});
  h.push_back({"unterminated name", file(chunk(0xAFFF, chunk(0xA000, Bytes().raw("NoEnd")))), "has no end"});
  Bytes hugeTrack;
  hugeTrack.u16(0).u32(0).u32(0).u32(0xFFFFFFF0u).u32(0).u16(0).floats({1, 2, 3});
  h.push_back({"huge key count",
               file(Bytes(), chunk(0xB002, chunks({nodeHeader("N", -1), chunk(0xB020, hugeTrack)}))),
               "keys in"});
  Bytes shortTrack;
  shortTrack.u16(0).u32(0).u32(0).u32(1).u32(0).u16(0x1F).floats({1, 2, 3});  // spline extras missing
  h.push_back({"key cut short", file(Bytes(), chunk(0xB002, chunks({nodeHeader("N", -1), chunk(0xB020, shortTrack)}))),
               "too short"});
  h.push_back({"colour cut short", file(chunk(0xAFFF, chunk(0xA020, chunk(0x0011, Bytes().u8(1))))), "too short"});
  return h;
}

TEST(ModelParser, HostileFilesEndWithAFaultAndNeverReadOutside) {
  for (const Hostile& h : hostileFiles()) {
    SCOPED_TRACE(h.what);
    VornModelData model;
    // A copy of exactly the file's size, so a sanitizer sees any overread.
    std::vector<uint8_t> exact(h.bytes.b);
    const VornParseResult r = parse3ds(exact.data(), exact.size(), model);
    EXPECT_FALSE(r.complete);
    EXPECT_NE(r.fault.find(h.faultPart), std::string::npos) << r.fault;
  }
}

TEST(ModelParser, HugeKeyCountAllocatesNothing) {
  Bytes hugeTrack;
  hugeTrack.u16(0).u32(0).u32(0).u32(0x7FFFFFFFu);
  VornModelData model;
  parse(file(Bytes(), chunk(0xB002, chunks({nodeHeader("N", -1), chunk(0xB021, hugeTrack)}))), model);
  ASSERT_EQ(model.nodes.size(), 1u);
  EXPECT_TRUE(model.nodes[0]->rotationFrames.empty());
  EXPECT_EQ(model.nodes[0]->rotationFrames.capacity(), 0u);
}

TEST(ModelParser, KeepsWhatWasReadBeforeAFault) {
  // The second material's colour chunk is cut short.
  const Bytes second = chunk(0xAFFF, chunks({chunk(0xA000, Bytes().str("Second")),
                                             chunk(0xA020, chunk(0x0011, Bytes().u8(4)))}));
  const Bytes bytes = file(chunks({material("First", 1, 2, 3), second, material("Third", 1, 2, 3)}));
  VornModelData model;
  const VornParseResult r = parse(bytes, model);
  EXPECT_FALSE(r.complete);
  ASSERT_EQ(model.materials.size(), 2u);
  EXPECT_EQ(model.materials[0]->name, "First");
}

TEST(ModelParser, EveryPrefixAndByteFlipOfAModelParsesSafely) {
  const Bytes good = quadFile();
  for (size_t n = 0; n <= good.size(); ++n) {
    std::vector<uint8_t> prefix(good.b.begin(), good.b.begin() + static_cast<std::ptrdiff_t>(n));
    VornModelData model;
    const VornParseResult r = parse3ds(prefix.data(), prefix.size(), model);
    validateModel(model);
    if (n < good.size() && n > 0) {
      EXPECT_FALSE(r.complete) << n;
    }
  }
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> bytes(good.b);
    for (int flips = 0; flips < 3; ++flips) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
    VornModelData model;
    parse3ds(bytes.data(), bytes.size(), model);
    validateModel(model);
    for (const auto& p : model.parts) {
      for (size_t f = 0; f < p->faceCount(); ++f) {
        for (int c = 0; c < 3; ++c) ASSERT_LT(p->faces[f * 4 + c], p->vertexCount());
      }
      for (const VornMaterialGroup& g : p->groups) {
        for (uint16_t f : g.faces) ASSERT_LT(f, p->faceCount());
      }
    }
  }
}

TEST(ModelValidate, DropsFacesBeyondTheVerticesAndGroupsBeyondTheFaces) {
  const std::vector<float> tri{0, 0, 0, 1, 0, 0, 0, 1, 0};
  VornModelData model;
  ASSERT_TRUE(parse(file(chunks({object("Bad", tri, {0, 1, 9}, faceGroup("M", {0})),
                                 object("Good", tri, {0, 1, 2}, chunks({faceGroup("M", {0}), faceGroup("N", {4})}))})),
                    model)
                  .complete);
  const std::string fault = validateModel(model);
  EXPECT_NE(fault.find("part Bad: face 0 names vertex 9 of 3"), std::string::npos) << fault;
  EXPECT_EQ(model.parts[0]->faceCount(), 0u);
  EXPECT_TRUE(model.parts[0]->groups.empty());
  ASSERT_EQ(model.parts[1]->groups.size(), 1u);
  EXPECT_EQ(model.parts[1]->groups[0].materialName, "M");
  EXPECT_EQ(validateModel(model), "");
}

TEST(ModelValidate, CapsTheTrianglesOfAModel) {
  const std::vector<float> tri{0, 0, 0, 1, 0, 0, 0, 1, 0};
  // One face named 30000 times by each of 40 groups: 1.2 million triangles.
  const std::vector<uint16_t> many(30000, 0);
  Bytes groups;
  for (int g = 0; g < 40; ++g) groups.add(faceGroup("M", many));
  VornModelData model;
  ASSERT_TRUE(parse(file(chunks({object("Small", tri, {0, 1, 2}), object("Huge", tri, {0, 1, 2}, groups)})), model)
                  .complete);
  const std::string fault = validateModel(model);
  EXPECT_NE(fault.find("part Huge: the model exceeds 1000000 triangles"), std::string::npos) << fault;
  EXPECT_EQ(model.parts[0]->faceCount(), 1u);
  EXPECT_TRUE(model.parts[1]->groups.empty());
}

TEST(ModelParser, EmptyAndNullInputParseToNothing) {
  VornModelData model;
  EXPECT_TRUE(parse3ds(nullptr, 100, model).complete);
  EXPECT_TRUE(parse3ds(reinterpret_cast<const uint8_t*>(""), 0, model).complete);
  EXPECT_TRUE(model.parts.empty());
}

}  // namespace
}  // namespace vorn
