// Deterministic Ogg Opus test files: a tone encoded with libopus in 20 ms packets,
// paged with libogg the way an Opus muxer must page them.
#include <ogg/ogg.h>
#include <opus/opus.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "tools/ogg_fixtures.h"

namespace fixtures {
namespace {

const int kFrame = 960;  // 20 ms at 48 kHz

struct OpusAudio {
  int preSkip = 0;
  std::vector<Bytes> packets;
};

struct EncoderDeleter {
  void operator()(OpusEncoder* encoder) const { opus_encoder_destroy(encoder); }
};

OpusAudio EncodeOpusAudio(int channels, long samples, int toneHz) {
  OpusAudio audio;
  int error = 0;
  std::unique_ptr<OpusEncoder, EncoderDeleter> encoder(
      opus_encoder_create(48000, channels, OPUS_APPLICATION_AUDIO, &error));
  if (error != OPUS_OK) return audio;
  opus_int32 lookahead = 0;
  opus_encoder_ctl(encoder.get(), OPUS_GET_LOOKAHEAD(&lookahead));
  audio.preSkip = static_cast<int>(lookahead);
  // The decoder drops the first preSkip samples, so the encoder is fed that much
  // more (zeros at the end) to give back all of the signal.
  const long total = samples + lookahead;
  const double step = 2.0 * 3.14159265358979 * toneHz / 48000.0;
  uint32_t noise = 4242;
  std::vector<float> pcm(static_cast<size_t>(kFrame * channels));
  unsigned char packet[4000];
  for (long start = 0; start < total; start += kFrame) {
    for (int i = 0; i < kFrame; ++i) {
      long position = start + i;
      noise = noise * 1103515245u + 12345u;
      float sample = 0;
      if (position < samples) {
        sample = static_cast<float>(0.3 * std::sin(step * static_cast<double>(position))) +
                 (static_cast<float>((noise >> 16) & 0x7FFF) / 32768.0f - 0.5f) * 0.05f;
      }
      for (int c = 0; c < channels; ++c)
        pcm[static_cast<size_t>(i * channels + c)] = c ? -sample : sample;
    }
    opus_int32 size = opus_encode_float(encoder.get(), pcm.data(), kFrame, packet, sizeof packet);
    if (size < 0) return OpusAudio();
    audio.packets.emplace_back(packet, packet + size);
  }
  return audio;
}

const OpusAudio& CachedOpusAudio(const OpusOptions& options) {
  static std::map<std::string, OpusAudio> cache;
  std::string key = std::to_string(options.channels) + "/" + std::to_string(options.samples) + "/" +
                    std::to_string(options.toneHz);
  auto found = cache.find(key);
  if (found == cache.end()) {
    found = cache.emplace(key, EncodeOpusAudio(options.channels, options.samples, options.toneHz))
                .first;
  }
  return found->second;
}

void PutLe(Bytes& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void PutText(Bytes& out, const std::string& text) {
  PutLe(out, static_cast<uint32_t>(text.size()), 4);
  out.insert(out.end(), text.begin(), text.end());
}

Bytes OpusHead(int channels, int preSkip) {
  Bytes head{'O', 'p', 'u', 's', 'H', 'e', 'a', 'd', 1, static_cast<unsigned char>(channels)};
  PutLe(head, static_cast<uint32_t>(preSkip), 2);
  PutLe(head, 48000, 4);  // input sample rate, for information only
  PutLe(head, 0, 2);      // output gain
  head.push_back(0);      // channel mapping family 0: mono or stereo
  return head;
}

Bytes OpusTags(const std::vector<std::string>& comments, const Bytes& binaryTail) {
  Bytes tags{'O', 'p', 'u', 's', 'T', 'a', 'g', 's'};
  PutText(tags, opus_get_version_string());
  PutLe(tags, static_cast<uint32_t>(comments.size()), 4);
  for (const std::string& comment : comments) PutText(tags, comment);
  tags.insert(tags.end(), binaryTail.begin(), binaryTail.end());
  return tags;
}

}  // namespace

Bytes OpusFile(const OpusOptions& options) {
  const OpusAudio& audio = CachedOpusAudio(options);
  Bytes out;
  if (audio.packets.empty()) return out;
  ogg_stream_state os;
  ogg_stream_init(&os, static_cast<int>(options.serial));
  ogg_page page;
  auto drain = [&](int (*next)(ogg_stream_state*, ogg_page*)) {
    while (next(&os, &page)) {
      out.insert(out.end(), page.header, page.header + page.header_len);
      out.insert(out.end(), page.body, page.body + page.body_len);
    }
  };
  ogg_packet packet;
  memset(&packet, 0, sizeof packet);
  auto submit = [&](const Bytes& data, int64_t granule, bool bos, bool eos) {
    packet.packet = const_cast<unsigned char*>(data.data());
    packet.bytes = static_cast<long>(data.size());
    packet.b_o_s = bos;
    packet.e_o_s = eos;
    packet.granulepos = granule;
    ogg_stream_packetin(&os, &packet);
    ++packet.packetno;
  };
  // Each header is flushed so that it ends its own page.
  submit(OpusHead(options.channels, audio.preSkip), 0, true, false);
  drain(ogg_stream_flush);
  submit(OpusTags(options.comments, options.binaryTail), 0, false, false);
  drain(ogg_stream_flush);
  // A page's granule position counts every sample decoded up to its last packet,
  // pre-skip included. Only an end-of-stream page may trim the padding fed after
  // the signal; a stream cut short of its end keeps every decoded sample.
  const int64_t end = audio.preSkip + options.samples;
  for (size_t i = 0; i < audio.packets.size(); ++i) {
    bool last = i + 1 == audio.packets.size();
    int64_t granule = last && options.endOfStream ? end : static_cast<int64_t>(i + 1) * kFrame;
    submit(audio.packets[i], granule, false, last && options.endOfStream);
    drain(ogg_stream_pageout);
  }
  drain(ogg_stream_flush);
  ogg_stream_clear(&os);
  return out;
}

Bytes OpusBinaryTags() {
  OpusOptions options;
  options.binaryTail = {0x01, 0xB1, 0x4A, 0x00, 0xFF, 0x7E};
  return OpusFile(options);
}

Bytes OpusPadded(size_t padding) {
  OpusOptions options;
  options.binaryTail.assign(padding, 0);
  return OpusFile(options);
}

Bytes OpusLargeTags() {
  OpusOptions options;
  options.comments.push_back("METADATA_BLOCK_PICTURE=" + LargeValue(150000));
  options.comments.push_back("COMMENT=after the picture");
  return OpusFile(options);
}

Bytes OpusNoEndOfStream() {
  OpusOptions options;
  options.endOfStream = false;
  return OpusFile(options);
}

}  // namespace fixtures
