// Sound costs that land in frame time or load time: decoding one 64 KiB music
// buffer (done whenever the device finishes one) and decoding a WAV effect.
#include <benchmark/benchmark.h>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <climits>
#include <string>
#include <vector>

#include "sound/stream_fill.h"
#include "sound/wav_reader.h"

namespace {

const std::string kDataRoot = VORN_BENCH_DATA_ROOT;

class OggReader final : public vorn::VornStreamReader {
 public:
  explicit OggReader(OggVorbis_File* file) : file(file) {}
  long read(uint8_t* dst, size_t capacity) override {
    int bitstream = 0;
    return ov_read(file, reinterpret_cast<char*>(dst), capacity > INT_MAX ? INT_MAX : int(capacity), 0, 2, 1,
                   &bitstream);
  }
  bool rewind() override { return ov_raw_seek(file, 0) == 0; }

 private:
  OggVorbis_File* file;
};

void BM_FillMusicBuffer(benchmark::State& state) {
  OggVorbis_File file;
  if (ov_fopen((kDataRoot + "/data/music/02.ogg").c_str(), &file) != 0) {
    state.SkipWithError("no generated music");
    return;
  }
  OggReader reader(&file);
  std::vector<uint8_t> block(vorn::kStreamBlockBytes);
  for (auto _ : state) {
    const vorn::VornFillResult fill = vorn::fillStreamBlock(reader, block.data(), block.size());
    benchmark::DoNotOptimize(fill.bytes);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(block.size()));
  ov_clear(&file);
}
BENCHMARK(BM_FillMusicBuffer)->Unit(benchmark::kMicrosecond);

void BM_ParseEffectWav(benchmark::State& state) {
  std::vector<uint8_t> bytes;
  if (!vorn::readSoundFileBytes(kDataRoot + "/data/sounds/grass.wav", bytes)) {
    state.SkipWithError("no generated sounds");
    return;
  }
  for (auto _ : state) {
    vorn::VornWav wav;
    std::string error;
    benchmark::DoNotOptimize(vorn::parseWav(bytes.data(), bytes.size(), wav, error));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_ParseEffectWav)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
