#include "assets/jpg_markers.h"

#include <gtest/gtest.h>

#include "assets/assets_test_util.h"

namespace vorn {
namespace {

using test::Bytes;

// APP0 with its JFIF fields, a short APP0, a comment, a table between scan
// bytes with a stuffed zero and a restart marker, fill bytes, the end.
Bytes goodJpg() {
  Bytes b;
  b.list({0xFF, 0xD8, 0xFF, 0xE0}).be16(16).str("JFIF").u8(0).list({1, 2, 1}).be16(72).be16(96).list({0, 0});
  b.list({0xFF, 0xE0}).be16(4).list({0, 0});
  b.list({0xFF, 0xFE}).be16(6).str("h\x01!").u8(0x7F).list({0x12, 0xFF, 0x00, 0xFF, 0xD3, 0xFF, 0xFF, 0xDB}).be16(4);
  return b.list({0, 0, 0xFF, 0xD9});
}

bool describe(const std::vector<uint8_t>& bytes, std::string& report, std::string& detail) {
  return describeJPGMarkers(test::exactCopy(bytes).get(), bytes.size(), "h", report, detail);
}

TEST(JpgMarkers, ListsTheSegmentsAndRefusesHostileFiles) {
  std::string report, detail;
  ASSERT_TRUE(describe(goodJpg().data, report, detail)) << detail;
  EXPECT_EQ(report, "APP0 identifier JFIF\nAPP0 version 1.02\nAPP0 units 1\nAPP0 density 72 x 96\n"
                    "APP0 thumbnail 0 x 0\nAPP0 length 4\ncomment h?!?\nmarker DB length 4\nmarker D9 end\n");
  const std::string truncated = "\tfile truncated: h\n";
  const auto read = [&report](const std::vector<uint8_t>& bytes, std::string& d) { return describe(bytes, report, d); };
  test::expectRefusedBy(read, {
      {"empty", Bytes(), "\tnot jpg data file\n"},
      {"not JPEG", Bytes().str("GIF87a"), "\tnot jpg data file\n"},
      {"no end marker", Bytes().list({0xFF, 0xD8, 0x12, 0x34}), truncated},
      {"fill bytes to the end", Bytes().list({0xFF, 0xD8, 0xFF, 0xFF}), truncated},
      {"length below 2", Bytes().list({0xFF, 0xD8, 0xFF, 0xDB}).be16(1).list({0xFF, 0xD9}), truncated},
      {"length past the file", Bytes().list({0xFF, 0xD8, 0xFF, 0xFE}).be16(0xFFFF).str("abc"), truncated},
      {"short APP0 past the file", Bytes().list({0xFF, 0xD8, 0xFF, 0xE0}).be16(10).list({1, 2}), truncated},
  }, goodJpg());
}

}  // namespace
}  // namespace vorn
