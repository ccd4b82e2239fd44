#include "assets/model_parser.h"

#include <gtest/gtest.h>

#include <tuple>

#include "assets/assets_test_util.h"

namespace vorn {
namespace {

using namespace test::tds;
using test::Bytes;

const std::vector<float> kTriangle{0, 0, 0, 1, 0, 0, 0, 1, 0};

VornParseResult parse(const Bytes& bytes, VornModelData& model) {
  return parse3ds(bytes.data.data(), bytes.size(), model);
}

// The colours (a gamma colour is the second colour of ambient and specular,
// the colour itself of diffuse) and the first map of a material; parts with
// groups, u, v pairs and local axes. An unknown chunk and a vertex list
// outside any object are passed over; an overlong name is cut to twenty bytes.
TEST(ModelParser, ReadsMaterialsPartsGroupsTexCoordsAndLocalAxes) {
  const auto gamma = [](uint32_t r, uint32_t g, uint32_t b) { return chunk(0x0012, Bytes().list({r, g, b})); };
  const Bytes map = chunk(0xA200, chunks({percent(80), chunk(0xA300, name("SPOTS.BMP"))}));
  const Bytes ambient = chunk(0xA010, chunks({color24(51, 102, 153), gamma(255, 0, 0)}));
  const Bytes hide = chunk(0xAFFF, chunks({chunk(0xA000, name("Hide")), ambient, chunk(0xA020, gamma(255, 255, 0)),
                                           chunk(0xA030, chunks({color24(0, 0, 255), gamma(0, 255, 0)})),
                                           chunk(0xA040, percent(45)), map}));
  const std::vector<float> xyz{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  const Bytes groups = chunks({faceGroup("Skin", {0}), faceGroup("AVeryLongMaterialNameIndeed", {1})});
  const Bytes extra =
      chunks({texCoords({0, 0, 1, 0, 1, 1, 0, 1}), chunk(0x4160, floats({0, 1, 0, -1, 0, 0, 0, 0, 1, 5, 6, 7}))});
  const Bytes bytes = file(chunks(
      {hide, chunk(0x1200, floats({1, 1, 1})), chunk(0x4110, Bytes().le16(1).append(floats({1, 2, 3}).data)),
       material("AVeryLongMaterialNameIndeed", 10, 20, 30), object("Body", xyz, {0, 1, 2, 0, 2, 3}, groups, extra)}));
  VornModelData model;
  const VornParseResult r = parse(bytes, model);
  ASSERT_TRUE(r.complete) << r.fault;
  ASSERT_EQ(model.materials.size(), 2u);
  const VornMaterial& m = *model.materials[0];
  EXPECT_EQ(std::make_tuple(m.name, m.ambient, m.ambient2, m.diffuse, m.specular, m.specular2, m.shininess),
            std::make_tuple("Hide", std::array<float, 3>{0.2f, 0.4f, 0.6f}, std::array<float, 3>{1, 0, 0},
                            std::array<float, 3>{1, 1, 0}, std::array<float, 3>{0, 0, 1},
                            std::array<float, 3>{0, 1, 0}, 45));
  EXPECT_EQ(std::make_tuple(m.map1.fileName, m.map1.amount), std::make_tuple("SPOTS.BMP", 80));
  EXPECT_EQ(model.materials[1]->name, "AVeryLongMaterialNam");
  ASSERT_EQ(model.parts.size(), 1u);
  const VornObjectPart& p = *model.parts[0];
  EXPECT_EQ(std::make_tuple(p.name, p.vertices, p.texCoordCount()), std::make_tuple("Body", xyz, 4u));
  EXPECT_EQ(p.faces, (std::vector<uint16_t>{0, 1, 2, 7, 0, 2, 3, 7}));
  ASSERT_EQ(p.groups.size(), 2u);
  EXPECT_EQ(std::make_tuple(p.groups[1].materialName, p.groups[1].faces),
            std::make_tuple("AVeryLongMaterialNam", std::vector<uint16_t>{1}));
  // Axes become the matrix columns, the origin its translation.
  EXPECT_EQ(std::make_tuple(p.matrix.m[1], p.matrix.m[4], p.matrix.m[13]), std::make_tuple(1.0f, -1.0f, 6.0f));
}

// Each ends the parse with a reason, reads nothing outside the bytes and
// allocates only what the bytes can back.
TEST(ModelParser, HostileFilesEndWithAFaultAndKeepWhatCameBefore) {
  const auto node = [](const Bytes& t) { return file(Bytes(), chunk(0xB002, chunks({nodeHeader("N", -1), t}))); };
  const auto keys = [](uint32_t count, uint16_t spline, size_t floatCount) {
    return Bytes().le16(0).le32(0).le32(0).le32(count).le32(0).le16(spline).append(
        floats(std::vector<float>(floatCount, 1)).data);
  };
  Bytes pastFile = chunk(0x4D4D, chunk(0x3D3D));
  pastFile.data[2] = 0xFF;
  Bytes pastParent = chunk(0x3D3D, material("M", 1, 2, 3));
  pastParent.data[2] += 40;
  const auto inMesh = [](const Bytes& c) { return file(chunk(0x4000, chunks({name("P"), chunk(0x4100, c)}))); };
  const struct { const char* what; Bytes bytes; const char* faultPart; } hostile[] = {
      {"length below 6", Bytes().le16(0x4D4D).le32(3), "has length 3"},
      {"length past the file", pastFile, "runs past"},
      {"length past the parent", chunk(0x4D4D, pastParent), "runs past"},
      {"vertex count beyond the bytes", inMesh(chunk(0x4110, Bytes().le16(5000).append(floats({1, 2, 3}).data))),
       "counts 5000 vertices"},
      {"face count beyond the bytes", inMesh(chunk(0x4120, Bytes().le16(900).le16(0))), "counts 900 faces"},
      {"group count beyond the bytes",
       file(object("P", kTriangle, {0, 1, 2}, chunk(0x4130, name("M").le16(400).le16(0)))), "counts 400 faces"},
      {"unterminated name", file(chunk(0xAFFF, chunk(0xA000, Bytes().str("NoEnd")))), "has no end"},
      {"huge key count", node(chunk(0xB020, keys(0xFFFFFFF0u, 0, 3))), "keys in"},
      {"huge key count, no keys", node(chunk(0xB021, Bytes().le16(0).le32(0).le32(0).le32(0x7FFFFFFFu))), "keys in"},
      {"key cut short", node(chunk(0xB020, keys(1, 0x1F, 3))), "too short"},  // spline extras missing
      {"colour cut short", file(chunk(0xAFFF, chunk(0xA020, chunk(0x0011, Bytes().u8(1))))), "too short"},
  };
  for (const auto& h : hostile) {
    SCOPED_TRACE(h.what);
    VornModelData model;
    const std::vector<uint8_t> exact(h.bytes.data);  // exactly the file's size, for the sanitizer
    const VornParseResult r = parse3ds(exact.data(), exact.size(), model);
    EXPECT_FALSE(r.complete);
    EXPECT_NE(r.fault.find(h.faultPart), std::string::npos) << r.fault;
    for (const auto& n : model.nodes) EXPECT_LT(n->rotationFrames.capacity() + n->positionFrames.capacity(), 100u);
  }
  // The second material's colour is cut short: the first is kept.
  const Bytes second =
      chunk(0xAFFF, chunks({chunk(0xA000, name("Second")), chunk(0xA020, chunk(0x0011, Bytes().u8(4)))}));
  VornModelData model;
  EXPECT_FALSE(parse(file(chunks({material("First", 1, 2, 3), second, material("Third", 1, 2, 3)})), model).complete);
  ASSERT_EQ(model.materials.size(), 2u);
  EXPECT_EQ(model.materials[0]->name, "First");
  // Every cut of a good model is incomplete and checks safely.
  const Bytes good =
      file(chunks({material("Skin", 255, 0, 51, "cow.bmp"),
                   object("Body", kTriangle, {0, 1, 2}, faceGroup("Skin", {0}), texCoords({0, 0, 1, 0, 1, 1}))}),
           chunk(0xB002, chunks({nodeHeader("Body", -1), track(0xB020, {{0, 1, 2, 3}})})));
  for (size_t n = 1; n < good.size(); ++n) {
    const std::vector<uint8_t> prefix(good.data.begin(), good.data.begin() + static_cast<long>(n));
    VornModelData cut;
    EXPECT_FALSE(parse3ds(prefix.data(), prefix.size(), cut).complete) << n;
    validateModel(cut);
  }
}

TEST(ModelValidate, DropsFacesBeyondTheVerticesGroupsBeyondTheFacesAndPartsPastTheCap) {
  const Bytes bad = chunks({object("Bad", kTriangle, {0, 1, 9}, faceGroup("M", {0})),
                            object("Good", kTriangle, {0, 1, 2}, chunks({faceGroup("M", {0}), faceGroup("N", {4})}))});
  VornModelData model;
  ASSERT_TRUE(parse(file(bad), model).complete);
  std::string fault = validateModel(model);
  EXPECT_NE(fault.find("part Bad: face 0 names vertex 9 of 3"), std::string::npos) << fault;
  EXPECT_EQ(std::make_tuple(model.parts[0]->faceCount(), model.parts[0]->groups.size()), std::make_tuple(0u, 0u));
  ASSERT_EQ(model.parts[1]->groups.size(), 1u);
  EXPECT_EQ(model.parts[1]->groups[0].materialName, "M");
  EXPECT_EQ(validateModel(model), "");

  Bytes groups;  // one face named 30000 times by each of 40 groups: 1.2 million triangles
  for (int g = 0; g < 40; ++g) groups.append(faceGroup("M", std::vector<uint16_t>(30000, 0)).data);
  VornModelData huge;
  ASSERT_TRUE(parse(file(chunks({object("Small", kTriangle, {0, 1, 2}), object("Huge", kTriangle, {0, 1, 2}, groups)})),
                    huge).complete);
  fault = validateModel(huge);
  EXPECT_NE(fault.find("part Huge: the model exceeds 1000000 triangles"), std::string::npos) << fault;
  EXPECT_EQ(huge.parts[0]->faceCount(), 1u);
  EXPECT_TRUE(huge.parts[1]->groups.empty());
}

}  // namespace
}  // namespace vorn
