#include "assets/sgi_reader.h"

#include <gtest/gtest.h>

#include "assets/assets_test_util.h"

namespace vorn {
namespace {

using test::Bytes;

// The 512-byte header.
Bytes sgiHeader(uint32_t storage, uint32_t width, uint32_t height, uint32_t channels, uint32_t bpc = 1,
                uint32_t colourMap = 0, uint32_t magic = 474) {
  Bytes b;
  b.be16(magic).u8(storage).u8(bpc).be16(3).be16(width).be16(height).be16(channels);
  return b.be32(0).be32(255).zeros(84).be32(colourMap).zeros(404);
}

TEST(SgiReader, HostileFilesAreRefusedWithTheirLine) {
  const auto rows = [](uint32_t width, uint32_t offset, std::initializer_list<uint32_t> packets) {
    return sgiHeader(1, width, 1, 1).be32(offset).be32(3).list(packets);
  };
  Bytes shortHeader = sgiHeader(0, 1, 1, 1);
  shortHeader.data.resize(100);
  const std::string truncated = "\tfile truncated: h\n";
  test::expectRefusals(decodeSGI, {
      {"magic", sgiHeader(0, 1, 1, 1, 1, 0, 475), "\tmagic!=474\n"},
      {"empty file", Bytes(), "\tmagic!=474\n"},
      {"storage", sgiHeader(2, 1, 1, 1), "\tformat>1\n"},
      {"two bytes a channel", sgiHeader(0, 1, 1, 1, 2), "\bpc==2 not supported\n"},
      {"five channels", sgiHeader(0, 1, 1, 5), "\tzsize>4\n"},
      {"two channels", sgiHeader(0, 1, 1, 2), "\tzsize 2 not supported\n"},
      {"colour map", sgiHeader(0, 1, 1, 1, 1, 3), "\tcolormap!=0\n"},
      {"zero width", sgiHeader(0, 0, 1, 1), "\timage size not supported: 0 x 1\n"},
      {"header cut", shortHeader, truncated},
      {"offset table cut", sgiHeader(1, 4, 4, 3).zeros(20), truncated},
      {"verbatim planes cut", sgiHeader(0, 100, 100, 4).zeros(1000), truncated},
      {"row past the file", rows(2, 100000, {0x02, 7, 0}), "\trow offset outside file: h\n"},
      {"row inside the header", rows(2, 10, {0x02, 7, 0}), "\trow offset outside file: h\n"},
      {"row longer than the width", rows(2, 520, {0x05, 7, 0}), "\trow longer than image width: h\n"},
      {"literal past the end", rows(4, 520, {0x84, 7}), truncated},
  }, sgiHeader(1, 2, 2, 1).be32(528).be32(531).be32(3).be32(4).list({0x02, 1, 0, 0x82, 2, 3, 0}));  // offsets, lengths
}

}  // namespace
}  // namespace vorn
