// Decoding costs of the texture readers on the generated textures (read
// from disk once, decoded from memory each iteration), the same snow
// picture in the other formats the game reads (SGI run-length, GIF87a,
// 24-bit BMP), and the cached-image BMP writer.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "assetgen/image_write.h"
#include "assets/bmp_codec.h"
#include "assets/gif_reader.h"
#include "assets/image_files.h"
#include "assets/sgi_reader.h"
#include "assets/tga_reader.h"

namespace {

const std::string kTextures = std::string(VORN_BENCH_DATA_ROOT) + "/data/textures/";

using Decoder = bool (*)(const uint8_t*, size_t, const std::string&, vorn::VornImage&, std::string&,
                         const vorn::ImageLimits&);

void decodeBench(benchmark::State& state, const std::vector<uint8_t>& bytes, Decoder decode) {
  if (bytes.empty()) {
    state.SkipWithError("generated texture missing: build the vorn_assets target first");
    return;
  }
  for (auto _ : state) {
    vorn::VornImage image;
    std::string detail;
    const bool ok = decode(bytes.data(), bytes.size(), "bench", image, detail, vorn::ImageLimits{});
    if (!ok) state.SkipWithError(detail.c_str());
    benchmark::DoNotOptimize(image.pixels.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

std::vector<uint8_t> fileBytes(const std::string& name) {
  std::vector<uint8_t> bytes;
  vorn::readFileBytes(kTextures + name, bytes);
  return bytes;
}

// The snow texture as a generator picture (top row first), for re-encoding.
const assetgen::Pixels& snowPixels() {
  static const assetgen::Pixels pixels = [] {
    assetgen::Pixels p;
    vorn::VornImage image;
    std::string detail;
    const auto bytes = fileBytes("snow4.tga");
    if (!vorn::decodeTGA(bytes.data(), bytes.size(), "snow", image, detail)) return p;
    p = assetgen::Pixels(image.width, image.height, 3);
    for (uint32_t y = 0; y < image.height; ++y)
      for (uint32_t x = 0; x < image.width * 3; ++x)
        p.data[size_t{y} * image.width * 3 + x] = image.pixels[size_t{image.height - 1 - y} * image.width * 3 + x];
    return p;
  }();
  return pixels;
}

void BM_DecodeGenerated(benchmark::State& state, const char* name) {
  const std::vector<uint8_t> bytes = fileBytes(name);
  const std::string ext = std::string(name).substr(std::string(name).size() - 3);
  decodeBench(state, bytes, ext == "bmp" ? static_cast<Decoder>(vorn::decodeBMP) : vorn::decodeTGA);
}

void BM_DecodeSnowAsSgiRle(benchmark::State& state) {
  const auto bytes = snowPixels().data.empty() ? std::vector<uint8_t>() : assetgen::writeSGI(snowPixels(), true);
  decodeBench(state, bytes, vorn::decodeSGI);
}

void BM_DecodeSnowAsSgiVerbatim(benchmark::State& state) {
  const auto bytes = snowPixels().data.empty() ? std::vector<uint8_t>() : assetgen::writeSGI(snowPixels(), false);
  decodeBench(state, bytes, vorn::decodeSGI);
}

void BM_DecodeSnowAsTgaRle(benchmark::State& state) {
  const auto bytes = snowPixels().data.empty() ? std::vector<uint8_t>() : assetgen::writeTGA(snowPixels(), {true, false});
  decodeBench(state, bytes, vorn::decodeTGA);
}

void BM_DecodeSnowAsBmp(benchmark::State& state) {
  const auto bytes = snowPixels().data.empty() ? std::vector<uint8_t>() : assetgen::writeBMP24(snowPixels());
  decodeBench(state, bytes, vorn::decodeBMP);
}

void BM_DecodeSnowAsGif(benchmark::State& state) {
  std::vector<uint8_t> bytes;
  const assetgen::Pixels& p = snowPixels();
  if (!p.data.empty()) {
    // 256 grey levels of the red channel: a typical palette picture.
    assetgen::IndexedPixels indexed;
    indexed.width = p.width;
    indexed.height = p.height;
    for (uint32_t i = 0; i < 256; ++i) {
      indexed.palette.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)});
    }
    for (size_t i = 0; i < p.data.size(); i += 3) indexed.indices.push_back(p.data[i]);
    bytes = assetgen::writeGIF87a(indexed);
  }
  decodeBench(state, bytes, vorn::decodeGIF);
}

void BM_EncodeBmp(benchmark::State& state) {
  vorn::VornImage image;
  image.reset(512, 512, vorn::kImageRGB, vorn::kImageRGB);
  for (auto _ : state) benchmark::DoNotOptimize(vorn::encodeBMP(image).data());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 512 * 512 * 3);
}

BENCHMARK_CAPTURE(BM_DecodeGenerated, snow4_tga, "snow4.tga")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeGenerated, grass11_tga, "grass11.tga")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeGenerated, ice8_tga, "ice8.tga")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeGenerated, load_screen_bmp, "load_screen.bmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeGenerated, sky3_up_tga, "sky3/up.tga")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeGenerated, sky3_lt_tga, "sky3/lt.tga")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeGenerated, sky3_ft_tga, "sky3/ft.tga")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeGenerated, sky3_rt_tga, "sky3/rt.tga")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeGenerated, sky3_bk_tga, "sky3/bk.tga")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeGenerated, sky3_dn_tga, "sky3/dn.tga")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeSnowAsTgaRle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeSnowAsSgiRle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeSnowAsSgiVerbatim)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeSnowAsBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeSnowAsGif)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeBmp)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
