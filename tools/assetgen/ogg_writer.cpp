#include "assetgen/ogg_writer.h"

#include <vorbis/vorbisenc.h>

#include <cstring>

namespace assetgen {
namespace {

constexpr int kStreamSerial = 0x566f726e;  // fixed so the same music gives the same bytes
constexpr long kChunkFrames = 4096;

void appendPage(const ogg_page& page, std::vector<uint8_t>& out) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

bool encodeOggVorbis(const std::vector<float>& interleaved, int channels, long sampleRate,
                     float quality, std::vector<uint8_t>& out) {
  out.clear();
  if (channels <= 0) return false;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, channels, sampleRate, quality) != 0) {
    vorbis_info_clear(&vi);
    return false;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_comment_add_tag(&vc, "ENCODER", "vorn_assetgen");
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, kStreamSerial);

  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&vd, &vc, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &headerComment);
  ogg_stream_packetin(&os, &headerCode);
  ogg_page page;
  // The headers get pages of their own so audio starts on a fresh page.
  while (ogg_stream_flush(&os, &page) != 0) appendPage(page, out);

  const size_t frames = interleaved.size() / size_t(channels);
  size_t done = 0;
  bool finished = false;
  while (!finished) {
    const long n = long(frames - done < size_t(kChunkFrames) ? frames - done : size_t(kChunkFrames));
    if (n == 0) {
      vorbis_analysis_wrote(&vd, 0);  // end of stream
    } else {
      float** buffer = vorbis_analysis_buffer(&vd, int(n));
      for (long i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c) buffer[c][i] = interleaved[(done + size_t(i)) * size_t(channels) + size_t(c)];
      vorbis_analysis_wrote(&vd, int(n));
      done += size_t(n);
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet) == 1) {
        ogg_stream_packetin(&os, &packet);
        while (ogg_stream_pageout(&os, &page) != 0) {
          appendPage(page, out);
          if (ogg_page_eos(&page)) finished = true;
        }
      }
    }
    if (n == 0) finished = true;
  }
  while (ogg_stream_flush(&os, &page) != 0) appendPage(page, out);

  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return true;
}

}  // namespace assetgen
