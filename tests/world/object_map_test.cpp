// The object map reader, the placement image, where its pixels put objects and
// how records shape them, the box sizes. (The shipped files: course_objects_test.cpp.)
#include "world/object_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "base/error_log.h"
#include "world_test_util.h"

namespace vorn {
namespace {

using test::BmpPixel;
constexpr BmpPixel kRed{0, 0, 255}, kGreen{0, 255, 0}, kBlack{0, 0, 0};
constexpr const char* kLog = "object_map_test.err.txt";

std::string scanReport(int fields) {
  return "VornAddObject::VornAddObject(char *line) \n\terror during line scan only " + std::to_string(fields) +
         " elemts read\n";
}
std::string loadReport(const std::string& detail) { return "Error VornWorld::loadObjects \n\t" + detail + "\n"; }

// Model lookup like the game's: a path already asked for keeps its index, a
// new one is appended. The first five stand for the game's (tree.3DS is 4).
struct FakeModels {
  std::vector<std::string> paths{"data/models/cow.3DS", "data/models/saule_end_2.3DS", "data/models/booze.3DS",
                                 "data/models/saeule.3DS", "data/models/tree.3DS"};
  VornKindList read(const std::string& text) {
    VornKindList kinds;
    readObjectMap(reinterpret_cast<const uint8_t*>(text.data()), text.size(), [this](const std::string& path) {
      if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
      return static_cast<int>(std::find(paths.begin(), paths.end(), path) - paths.begin());
    }, kinds);
    return kinds;
  }
};

// Each kind as "id path r,g,b model [records]" (a record as
// "scale/rx/rz/ry/ox/oy/oz/") or, when its line did not scan, "unscanned id model".
std::string describe(const VornKindList& kinds) {
  std::ostringstream out;
  for (const VornAddObject& k : kinds) {
    if (!k.scanned) out << "unscanned " << k.id << " model " << k.modelIndex << "|";
    if (!k.scanned) continue;
    out << k.id << " " << k.modelPath << " " << int(k.red) << "," << int(k.green) << "," << int(k.blue) << " model "
        << k.modelIndex << " [";
    for (const VornPlacementRecord& r : k.records)
      for (float v : {r.scale, r.rotateX, r.rotateZ, r.rotateY, r.offsetX, r.offsetY, r.offsetZ}) out << v << "/";
    out << "]|";
  }
  return out.str();
}

class ObjectMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::remove(kLog);
    setErrorLogPath(kLog);
  }
  void TearDown() override { std::remove(kLog); }
  static std::string log() { return test::readText(kLog); }
};

// The reader's states, every report text, and each kind of hostile content:
// a bad line is reported (or dropped silently where the rules say so) and
// reading goes on; hostile counts stop at the caps.
TEST_F(ObjectMapTest, ReaderStatesReportsAndHostileFiles) {
  const std::string kindsAndRecords =
      "free text, even 1 tree.3DS 0 255 0\n#\n\n1 tree.3DS 0 255 0\n"
      "  # leading spaces: a kind line that does not scan\n"
      "3 saeule.3DS 255 0 0\n1 tree.3DS 10 20 30\n#\n"
      "1 2 10 20 30\n3 0.5 0 0 0 1 -2 3.5\n1 1 0 0 0 0 0\n9 1 0 0 0\n#\n1 1 0 0 0\n#\n";
  const std::string kindsAndRecordsSeen =
      "1 data/models/tree.3DS 0,255,0 model 4 [2/10/20/30/0/0/0/]|unscanned 0 model -1|"
      "3 data/models/saeule.3DS 255,0,0 model 3 [0.5/0/0/0/1/-2/3.5/]|"
      "1 data/models/tree.3DS 10,20,30 model 4 [2/10/20/30/0/0/0/]|";
  const std::string kindsAndRecordsLog = scanReport(0) + scanReport(7) + loadReport("unknown state: 5") +
                                         loadReport("unknown state: 5") + loadReport("unknown state: 6");
  std::string crlf;
  for (char c : kindsAndRecords) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::string longKind = "1 " + std::string(188, 'a') + ".3DS 1 2 3\n";  // 200 characters
  std::string longestRecord = "1 1 0 0 0";
  longestRecord += std::string(kObjectMapLineLimit - longestRecord.size(), ' ') + "\n";
  const std::string tree = "1 data/models/tree.3DS 1,2,3 model 4 ";
  struct Case { const char* what; std::string text, kinds, log; } const cases[] = {
      {"states and texts", kindsAndRecords, kindsAndRecordsSeen, kindsAndRecordsLog},
      {"CRLF line ends", crlf, kindsAndRecordsSeen, kindsAndRecordsLog},
      {"no '#' line defines nothing", "1 tree.3DS 0 255 0\n1 2 0 0 0\n", "", ""},
      {"empty file", "", "", ""},
      {"huge numbers and colours out of range", "#\n99999999999 tree.3DS 1 2 3\n2 tree.3DS 1 256 3\n3 t -1 2 3\n",
       "unscanned 0 model -1|unscanned 2 model -1|unscanned 3 model -1|",
       scanReport(0) + scanReport(3) + scanReport(2)},
      {"non-finite and overflowing numbers stop the scan",
       "#\n1 tree.3DS 1 2 3\n#\n1 nan 0 0 0\n1 1 inf 0 0\n1 1e39 0 0 0\n1 1 0 0 0 0 0 -infinity\n1 2 0 0 0x1p1\n",
       tree + "[2/0/0/2/0/0/0/]|", scanReport(1) + scanReport(2) + scanReport(1) + scanReport(7)},
      {"records for an id without a kind are dropped silently", "#\n1 tree.3DS 1 2 3\n#\n2 1 0 0 0\n-1 1 0 0 0\n",
       tree + "[]|", ""},
      {"truncated mid-line, no line end", "#\n1 tree.3DS 1 2 3\n2 saeule.3", tree + "[]|unscanned 2 model -1|",
       scanReport(2)},
      {"a zero byte ends what the line holds", std::string("#\n1 tree.3DS 1 2\0 3\n", 20), "unscanned 1 model -1|",
       scanReport(4)},
      {"a line over 199 characters is dropped whole, one of 199 is read",
       "#\n" + longKind + "1 tree.3DS 1 2 3\n#\n" + longestRecord, tree + "[1/0/0/0/0/0/0/]|",
       loadReport("line 2 longer than 199 characters: dropped")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(kLog);
    EXPECT_EQ(describe(FakeModels().read(c.text)), c.kinds);
    EXPECT_EQ(log(), c.log);
  }

  // A hostile map loads at most kMaxObjectKinds models' worth of kinds and
  // holds at most kMaxPlacementRecords records, each cap reported once.
  std::string manyKinds = "#\n", manyRecords = "#\n";
  for (size_t i = 0; i <= kMaxObjectKinds; ++i) manyKinds += std::to_string(i) + " k" + char('0' + i % 3) + " 1 1 1\n";
  for (int i = 0; i <= 16; ++i) manyRecords += i < 16 ? "5 tree.3DS 1 1 1\n" : "#\n";
  for (size_t i = 0; i <= kMaxPlacementRecords / 16; ++i) manyRecords += "5 1 0 0 0\n";
  std::remove(kLog);
  FakeModels models;
  EXPECT_EQ(models.read(manyKinds).size(), kMaxObjectKinds);
  EXPECT_EQ(models.paths.size(), 5u + 3u) << "repeated names reuse their model";
  const VornKindList kinds = models.read(manyRecords);
  size_t held = 0;
  for (const VornAddObject& k : kinds) held += k.records.size();
  EXPECT_EQ(held, kMaxPlacementRecords);
  EXPECT_EQ(kinds.front().records.size(), kMaxPlacementRecords / 16);
  EXPECT_EQ(log(), loadReport("more than 64 kinds: line 66 and further kinds dropped") +
                       loadReport("more than 65536 placement records: line 4115 and further records dropped"));
}

// The placement image is read by the material map's BMP rules (their refusals:
// material_map_test.cpp), except that a top-down picture is refused.
TEST_F(ObjectMapTest, DamagedPlacementImagesFailWithOneLineAndNoPixels) {
  const std::vector<uint8_t> good = test::materialBmp(2, 1, {kRed, kRed});
  const std::string truncated = "\tfile truncated: p.bmp\n";
  struct Case { const char* what; std::vector<uint8_t> bytes; std::string detail; };
  std::vector<Case> cases = {
      {"not BM", good, "\tbmp header damaged or unknown : p.bmp\n"},
      {"negative height", good, "\tplacement image 2 x -1 is stored top-down or damaged: p.bmp\n"},
      {"2^31-1 square", good, truncated},
      {"last pixel cut", {good.begin(), good.end() - 1}, truncated},
  };
  cases[0].bytes[1] = 'X';
  for (int i = 22; i < 26; ++i) cases[1].bytes[i] = 0xFF;
  for (int i = 18; i < 26; ++i) cases[2].bytes[i] = i % 4 == 1 ? 0x7F : 0xFF;
  for (const Case& c : cases) {
    VornPlacementImage image;
    std::string detail;
    EXPECT_FALSE(decodePlacementImage(c.bytes.data(), c.bytes.size(), "p.bmp", image, detail)) << c.what;
    EXPECT_EQ(detail, c.detail) << c.what;
    EXPECT_TRUE(image.pixels.empty() && image.width == 0) << c.what;
  }
}

// Pixels to objects: rows from the bottom, left to right, image x against
// world x with every pixel on a grid point; kinds sharing a colour each
// place one; black never places; records go out in placement order and
// the objects beyond them stand plain on the ground.
TEST_F(ObjectMapTest, PixelsPlaceObjectsAndRecordsShapeThemInOrder) {
  FakeModels models;
  VornKindList kinds = models.read(
      "#\n1 tree.3DS 255 0 0\n2 root_1.3DS 255 0 0\n3 black.3DS 0 0 0\n4 broken.3DS 0 255\n#\n"
      "1 2 90 90 90 1 2 3\n1 0.5 0 0 0\n");
  ASSERT_EQ(kinds.size(), 4u);
  // Row 0: red, black, green; row 1: black, red, red. 3 x 2 pixels on a 3 x 2 grid.
  const auto bytes = test::materialBmp(3, 2, {kRed, kBlack, kGreen, kBlack, kRed, kRed});
  VornPlacementImage image;
  std::string detail;
  ASSERT_TRUE(decodePlacementImage(bytes.data(), bytes.size(), "p.bmp", image, detail));
  const VornPlacementPlan plan = planPlacements(image, kinds, models.paths.size(), 3, 2, 50.0f, 50.0f);
  std::string where;
  for (const VornPlacement& p : plan.placements)
    where += std::to_string(p.kind) + "@" + std::to_string(int(p.x)) + "," + std::to_string(int(p.z)) + " ";
  EXPECT_EQ(where, "0@100,0 1@100,0 0@50,50 1@50,50 0@0,50 1@0,50 ");
  EXPECT_FALSE(plan.capped);

  VornActionObjectList objects;
  placeAll(plan, kinds, [](float x, float z) { return 1000.0f + x + z / 100.0f; }, objects);
  ASSERT_EQ(objects.size(), 6u);
  EXPECT_EQ(kinds[0].nextRecord, 3);
  // Points of the objects' own space in the world. The first tree: scale 2,
  // then 90 degrees about x, z and y in that order (z to -y, to x, to -z),
  // standing offset by (1, 2, 3) from its ground point (100, 1100, 0). The
  // second: the five-number record, scale only, no offset. The root (no
  // records) and the third tree (beyond them): plain on the ground.
  const struct { size_t object; int model; float ground; VornVector local, world; } points[] = {
      {0, 4, 1100.0f, {0, 0, 0}, {101, 1102, 3}},    {0, 4, 1100.0f, {0, 0, 1}, {101, 1102, 1}},
      {0, 4, 1100.0f, {1, 0, 0}, {101, 1104, 3}},    {2, 4, 1050.5f, {2, 0, 0}, {51, 1050.5f, 50}},
      {1, 5, 1100.0f, {1, 2, 3}, {101, 1102, 3}},    {4, 4, 1000.5f, {1, 2, 3}, {1, 1002.5f, 53}}};
  for (const auto& p : points) {
    const VornActionObject& o = *objects[p.object];
    VornVector v = p.local;
    o.transform.transformPoint(v);
    EXPECT_TRUE(o.modelIndex == p.model && o.groundHeight == p.ground && v.distanceSquared(p.world) < 1e-6f &&
                o.position.distanceSquared(o.transform.position()) < 1e-6f) << p.object << ": " << v.x << "," << v.y;
  }

  // A picture half as wide as the grid still spans it; a kind whose model
  // index is not in the list is not placed.
  const auto narrow = test::materialBmp(2, 1, {kRed, kRed});
  ASSERT_TRUE(decodePlacementImage(narrow.data(), narrow.size(), "p.bmp", image, detail));
  const VornPlacementPlan wide = planPlacements(image, kinds, models.paths.size(), 4, 2, 50.0f, 50.0f);
  ASSERT_EQ(wide.placements.size(), 4u);
  EXPECT_TRUE(wide.placements[0].x == 100.0f && wide.placements[2].x == 0.0f);
  EXPECT_EQ(planPlacements(image, kinds, 5, 4, 2, 50.0f, 50.0f).placements.size(), 2u);
  // Too many objects: planning stops at the cap and says so.
  const auto big = test::materialBmp(256, 129, std::vector<BmpPixel>(256 * 129, kRed));
  ASSERT_TRUE(decodePlacementImage(big.data(), big.size(), "p.bmp", image, detail));
  const VornPlacementPlan capped = planPlacements(image, kinds, models.paths.size(), 72, 80, 50.0f, 50.0f);
  EXPECT_TRUE(capped.capped);
  EXPECT_EQ(capped.placements.size(), kMaxPlacedObjects);
  EXPECT_EQ(log(), scanReport(4));
}

// Box sizes count each model's objects on their own: the fourth of each gets
// 260, all others 100. (The boxes at work: world_gl_test, race_objects.sh.)
TEST(ObjectBoxes, FourthObjectOfEachModelGetsTheLargeBox) {
  VornActionObjectList objects;
  for (int model : {4, 7, 4, 4, 7, 7, 1, 4, 4, 7, 7}) objects.push_back(std::make_unique<VornActionObject>(model));
  EXPECT_EQ(objectBoxSizes(objects), (std::vector<float>{100, 100, 100, 100, 100, 100, 100, 260, 100, 260, 100}));
}

}  // namespace
}  // namespace vorn
