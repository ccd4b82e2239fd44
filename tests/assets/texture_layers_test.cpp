// Texture layers without a device: flip-book timing, which steps apply and how much, clips,
// the list and step readers on awkward text, and the generator's eye flip-book read back.
#include "assets/texture_layers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "assetgen/image_write.h"
#include "assetgen/models.h"
#include "assets/bmp_codec.h"

namespace vorn {
namespace {

const uint8_t* bytesOf(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST(TextureLayers, FlipBookShowsFrameZeroFirstWrapsAtTheEndAndShowsATwiceListedFrameTwiceAsLong) {
  for (const size_t n : {1u, 2u, 3u, 7u}) {
    VornTextureAnimation book;
    book.frames.assign(n, 0);
    for (size_t bind = 1; bind <= 100000; ++bind) {
      // Ten binds a frame, frame 0 from the first bind on, back to 0 on bind 10 n.
      ASSERT_EQ(book.advanceFrame(), static_cast<int>(bind % (10 * n) / 10)) << n << " frames, bind " << bind;
    }
  }
  VornTextureAnimation book;
  EXPECT_EQ(book.advanceFrame(), -1);  // no frames
  book.frames = {5, 9, 9};
  int shown[10] = {};
  for (int bind = 0; bind < 300; ++bind) ++shown[book.frames[static_cast<size_t>(book.advanceFrame())]];
  EXPECT_EQ(shown[9], 2 * shown[5]);
}

TEST(TextureLayers, StepsApplyWholeUpToTheirCountAndTheNextOneByTheFraction) {
  VornTextureAnimation a;
  for (float f = 1.0f; f <= 4.0f; f += 1.0f) {
    a.translations.push_back({f, 0.0f, 0.0f});
    a.rotations.push_back({10.0f * f, 0.0f, 0.0f, 1.0f});
    a.scales.push_back({1.0f, 1.0f + f, 0.5f});
  }
  // last: translation x, angle, scale y and z of the last step applied.
  const struct { float steps; size_t ops; std::vector<float> last; } cases[] = {
      {2.0f, 9, {3.0f, 30.0f, 4.0f, 0.5f}},    // steps 0, 1, 2 whole, none in part
      {2.5f, 12, {2.0f, 20.0f, 3.0f, 0.75f}},  // and half of step 3; its scale from 1: 1 + 0.5 (5 - 1)
      {0.25f, 6, {0.5f, 5.0f, 1.5f, 0.875f}},  // a quarter of step 1
      {10.5f, 12, {4.0f, 40.0f, 5.0f, 0.5f}},  // beyond the lists: all of them, nothing in part
      {-0.5f, 0, {}},                          // below 0 nothing
  };
  for (const auto& c : cases) {
    a.steps = c.steps;
    const std::vector<VornStepOp> ops = a.stepOps();
    ASSERT_EQ(ops.size(), c.ops) << c.steps;
    if (c.ops == 0) continue;
    const VornStepOp &t = ops[c.ops - 3], &r = ops[c.ops - 2], &s = ops[c.ops - 1];
    EXPECT_EQ((std::vector<float>{t.a, r.a, s.b, s.c}), c.last) << c.steps;
    EXPECT_TRUE(t.kind == VornStepOp::Translate && r.kind == VornStepOp::Rotate && s.kind == VornStepOp::Scale &&
                r.d == 1);
  }
}

TEST(TextureLayers, ClipsPlayOnceAndAClipBeyondTheTableChangesNothing) {
  VornTextureAnimation a;
  a.clipStart = {2};
  a.clipLength = {4};
  a.clipDuration = {2.0f};
  a.startClip(1);
  EXPECT_FALSE(a.playing);
  a.startClip(0);
  for (const auto& [seconds, steps] : {std::pair{0.5f, 3.0f}, {1.0f, 5.0f}, {1.0f, 6.0f}, {1.0f, 6.0f}}) {
    a.update(seconds);
    EXPECT_EQ(a.steps, steps) << "after " << seconds;
  }
  EXPECT_FALSE(a.playing);
}

TEST(TextureLayers, ReadersDropOnlyLineEndsTakeCompleteRecordsAndCountBadLinesOnce) {
  const std::string longName(201, 'x');
  const struct { std::string text; std::vector<std::string> names; size_t skipped; } lists[] = {
      {"a.bmp\r\nb.bmp\r\n", {"a.bmp", "b.bmp"}, 0}, {"a.bmp\n\n  \rb.bmp\n", {"a.bmp", "b.bmp"}, 0},
      {"a.bmp\nb.bmp", {"a.bmp", "b.bmp"}, 0},  // the last line keeps its last character
      {std::string(200, 'y'), {std::string(200, 'y')}, 0},
      {longName + "\nok.bmp\n" + longName, {"ok.bmp"}, 2},
      {"a\x01.bmp\nc.bmp\n\x7f", {"c.bmp"}, 2},
  };
  for (const auto& c : lists) {
    const VornFlipBookList list = parseFlipBookList(bytesOf(c.text), c.text.size());
    EXPECT_EQ(std::make_pair(list.names, list.skipped.count), std::make_pair(c.names, c.skipped)) << c.text;
  }
  const VornFlipBookList two = parseFlipBookList(bytesOf(lists[4].text), lists[4].text.size());
  EXPECT_EQ(describeSkips(two.skipped, "l.txt"), "\t2 lines skipped in l.txt; first: line 1, longer than 200 characters\n");

  const std::string good = "Tex.bmp\r\nrot 90 0 0 1\r\ntrans 0.5 0 0\r\nscale 2 2 1\r\n0 3 1.5";
  const VornStepFile file = parseStepFile(bytesOf(good), good.size());
  ASSERT_EQ(std::make_tuple(file.rotations.size(), file.translations.size(), file.scales.size(), file.clips.size()),
            std::make_tuple(1u, 1u, 1u, 1u));
  EXPECT_EQ(std::make_tuple(file.textureName, file.skipped.count, file.rotations[0].angle, file.clips[0].duration),
            std::make_tuple(std::string("Tex.bmp"), size_t{0}, 90.0f, 1.5f));
  const std::string junk = "t.bmp\nrot 1 2 3\ntransx\nscale nan 1 1\n1 2\nhello\n99999999999 1 1\n0 1 inf\n";
  const VornStepFile bad = parseStepFile(bytesOf(junk), junk.size());
  EXPECT_EQ(std::make_pair(bad.skipped.count, bad.skipped.firstLine), std::make_pair(size_t{7}, size_t{2}));
  EXPECT_EQ(bad.rotations.size() + bad.translations.size() + bad.scales.size() + bad.clips.size(), 0u);
  EXPECT_EQ(parseStepFile(bytesOf("\nrot 1 0 0 1\n"), 13).textureName, "");
}

TEST(TextureLayers, TheGeneratedEyeListNamesTheCowsEyeMapFirstAndFramesThatDecode) {
  const std::string text = assetgen::eyeFlipBookList();
  const VornFlipBookList list = parseFlipBookList(bytesOf(text), text.size());
  ASSERT_GE(list.names.size(), 4u);
  EXPECT_EQ(list.skipped.count, 0u);
  const std::string folder = "data/textures/";
  const std::vector<assetgen::GeneratedModel> models = assetgen::buildModels();
  // The eyes' texture group is the flip-book.
  for (const assetgen::TdsMaterial& m : models[0].model.materials)
    EXPECT_TRUE(m.name != "cow_eye" || list.names[0] == folder + m.textureMap) << m.textureMap;
  std::vector<std::string> made;
  size_t shut = 0;  // a shut eye shows no white at all
  for (const assetgen::GeneratedTexture& t : assetgen::buildModelTextures()) {
    made.push_back(folder + t.fileName);
    if (t.fileName.rfind("auge", 0) != 0) continue;
    const std::vector<uint8_t> bytes = assetgen::writeBMP24(t.pixels);
    VornImage image;
    std::string detail;
    ASSERT_TRUE(decodeBMP(bytes.data(), bytes.size(), t.fileName, image, detail)) << detail;
    EXPECT_TRUE(image.width == image.height && (image.width & (image.width - 1)) == 0) << t.fileName;
    size_t white = 0;
    for (size_t i = 0; i + 2 < image.pixels.size(); i += 3) white += image.pixels[i] > 200 && image.pixels[i + 2] > 200;
    shut += white == 0;
  }
  for (const std::string& name : list.names) EXPECT_NE(std::find(made.begin(), made.end(), name), made.end()) << name;
  EXPECT_EQ(shut, 1u);
}

}  // namespace
}  // namespace vorn
