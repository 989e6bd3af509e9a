// Page walking is done here byte by byte rather than with ogg_sync, so that pages
// with a wrong checksum are reported instead of silently skipped.
#include "tools/stream_probe.h"

#include <ogg/ogg.h>
#include <opus/opus.h>
#include <vorbis/vorbisfile.h>

#include <cstring>
#include <map>
#include <memory>

namespace inspect {
namespace {

uint32_t Le32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool ChecksumValid(const Bytes& page) {
  Bytes copy = page;
  memset(&copy[22], 0, 4);
  fixtures::FixChecksum(copy);
  return memcmp(&copy[22], &page[22], 4) == 0;
}

struct Memory {
  const Bytes* bytes;
  size_t position;
};

size_t MemoryRead(void* buffer, size_t size, size_t count, void* source) {
  Memory* memory = static_cast<Memory*>(source);
  size_t wanted = size * count;
  size_t left = memory->bytes->size() - memory->position;
  if (wanted > left) wanted = left;
  if (wanted) memcpy(buffer, memory->bytes->data() + memory->position, wanted);
  memory->position += wanted;
  return size ? wanted / size : 0;
}

int MemorySeek(void* source, ogg_int64_t offset, int whence) {
  Memory* memory = static_cast<Memory*>(source);
  int64_t base = whence == SEEK_SET   ? 0
                 : whence == SEEK_CUR ? static_cast<int64_t>(memory->position)
                                      : static_cast<int64_t>(memory->bytes->size());
  int64_t target = base + offset;
  if (target < 0 || target > static_cast<int64_t>(memory->bytes->size())) return -1;
  memory->position = static_cast<size_t>(target);
  return 0;
}

long MemoryTell(void* source) { return static_cast<long>(static_cast<Memory*>(source)->position); }

bool IsOpusHead(const Bytes& packet) {
  return packet.size() >= 19 && memcmp(packet.data(), "OpusHead", 8) == 0;
}

struct DecoderDeleter {
  void operator()(OpusDecoder* decoder) const { opus_decoder_destroy(decoder); }
};

// Every Ogg Opus stream of the file in turn: the pre-skip dropped at the start,
// the end trimmed to the last granule position, as a player does.
Decoded DecodeOpus(const Inspection& file) {
  Decoded result;
  result.ok = true;
  if (file.streams[0].packets.size() > 1) {
    result.comments = ParseComments(file.streams[0].packets[1]).entries;
  }
  for (const Stream& stream : file.streams) {
    if (stream.packets.empty() || !IsOpusHead(stream.packets[0])) continue;
    const Bytes& head = stream.packets[0];
    const int channels = head[9];
    const int64_t preSkip = head[10] | head[11] << 8;
    int error = 0;
    std::unique_ptr<OpusDecoder, DecoderDeleter> decoder(
        opus_decoder_create(48000, channels, &error));
    if (error != OPUS_OK || (result.channels && result.channels != channels)) return Decoded();
    result.channels = channels;
    std::vector<opus_int16> pcm;
    std::vector<opus_int16> frame(static_cast<size_t>(5760 * channels));  // 120 ms at most
    int64_t end = -1;
    for (size_t k = 2; k < stream.packets.size(); ++k) {
      const Bytes& packet = stream.packets[k];
      int got = opus_decode(decoder.get(), packet.data(), static_cast<opus_int32>(packet.size()),
                            frame.data(), 5760, 0);
      if (got < 0) return Decoded();
      pcm.insert(pcm.end(), frame.begin(), frame.begin() + got * channels);
      if (stream.granules[k] != -1) end = stream.granules[k];
    }
    int64_t decoded = static_cast<int64_t>(pcm.size()) / channels;
    int64_t last = end >= 0 && end < decoded ? end : decoded;
    if (last > preSkip) {
      result.pcm.insert(result.pcm.end(), pcm.begin() + preSkip * channels,
                        pcm.begin() + last * channels);
    }
  }
  if (result.channels > 0)
    result.samples = static_cast<int64_t>(result.pcm.size()) / result.channels;
  return result;
}

}  // namespace

const Stream* Inspection::Find(uint32_t serial) const {
  for (const Stream& stream : streams) {
    if (stream.serial == serial) return &stream;
  }
  return nullptr;
}

Inspection Inspect(const Bytes& file) {
  Inspection result;
  std::map<uint32_t, size_t> streamIndex;
  std::map<uint32_t, Bytes> partial;
  std::map<uint32_t, bool> hasPartial;
  size_t at = 0;
  while (at < file.size()) {
    bool header = at + 27 <= file.size() && memcmp(&file[at], "OggS", 4) == 0 &&
                  at + 27 + file[at + 26] <= file.size();
    size_t size = 0;
    if (header) {
      size_t segments = file[at + 26];
      size = 27 + segments;
      for (size_t s = 0; s < segments; ++s) size += file[at + 27 + s];
      header = at + size <= file.size();
    }
    if (!header) {
      ++result.skippedBytes;
      ++at;
      continue;
    }
    Page page;
    page.offset = at;
    page.size = size;
    page.bytes.assign(file.begin() + static_cast<long>(at),
                      file.begin() + static_cast<long>(at + size));
    const unsigned char* h = page.bytes.data();
    page.continued = h[5] & 1;
    page.bos = h[5] & 2;
    page.eos = h[5] & 4;
    page.granule = static_cast<int64_t>(uint64_t(Le32(h + 6)) | uint64_t(Le32(h + 10)) << 32);
    page.serial = Le32(h + 14);
    page.sequence = Le32(h + 18);
    page.crcValid = ChecksumValid(page.bytes);

    if (!streamIndex.count(page.serial)) {
      streamIndex[page.serial] = result.streams.size();
      Stream stream;
      stream.serial = page.serial;
      result.streams.push_back(stream);
    }
    Stream& stream = result.streams[streamIndex[page.serial]];
    Bytes& packet = partial[page.serial];
    bool& open = hasPartial[page.serial];
    // A continuation without its beginning is dropped, and so is a beginning
    // whose continuation never came.
    bool skipping = page.continued && !open;
    if (!page.continued) {
      packet.clear();
      open = false;
    }
    size_t segments = h[26];
    size_t body = 27 + segments;
    for (size_t s = 0; s < segments; ++s) {
      size_t lace = h[27 + s];
      if (!skipping) packet.insert(packet.end(), h + body, h + body + lace);
      open = !skipping;
      body += lace;
      if (lace < 255) {
        ++page.packetsEnded;
        if (!skipping) {
          stream.packets.push_back(packet);
          stream.pageOfPacket.push_back(result.pages.size());
        }
        packet.clear();
        open = false;
        skipping = false;
      }
    }
    result.pages.push_back(page);
    at += size;
  }
  for (Stream& stream : result.streams) {
    size_t count = stream.packets.size();
    for (size_t k = 0; k < count; ++k) {
      bool lastOnPage = k + 1 == count || stream.pageOfPacket[k + 1] != stream.pageOfPacket[k];
      stream.granules.push_back(lastOnPage ? result.pages[stream.pageOfPacket[k]].granule : -1);
    }
  }
  return result;
}

Comments ParseComments(const Bytes& packet) {
  Comments result;
  const bool opus = packet.size() >= 8 && memcmp(packet.data(), "OpusTags", 8) == 0;
  size_t at = opus ? 8 : 7;
  if (!opus && (packet.size() < 7 || packet[0] != 3 || memcmp(&packet[1], "vorbis", 6) != 0)) {
    return result;
  }
  auto text = [&](std::string& out) {
    if (at + 4 > packet.size()) return false;
    size_t length = Le32(&packet[at]);
    at += 4;
    if (length > packet.size() - at) return false;
    out.assign(reinterpret_cast<const char*>(&packet[at]), length);
    at += length;
    return true;
  };
  if (!text(result.vendor) || at + 4 > packet.size()) return result;
  size_t count = Le32(&packet[at]);
  at += 4;
  for (size_t i = 0; i < count; ++i) {
    std::string entry;
    if (!text(entry)) return result;
    result.entries.push_back(entry);
  }
  // Vorbis ends with the framing bit; Opus may go on with binary data.
  result.binaryData.assign(packet.begin() + static_cast<long>(at), packet.end());
  // Readers stop at the framing bit: zero bytes of padding may follow it.
  result.valid = opus || (at < packet.size() && (packet[at] & 1) == 1);
  return result;
}

Decoded Decode(const Bytes& file) {
  const Inspection inspection = Inspect(file);
  if (!inspection.streams.empty() && !inspection.streams[0].packets.empty() &&
      IsOpusHead(inspection.streams[0].packets[0])) {
    return DecodeOpus(inspection);
  }
  Decoded result;
  Memory memory{&file, 0};
  ov_callbacks callbacks;
  callbacks.read_func = MemoryRead;
  callbacks.seek_func = MemorySeek;
  callbacks.close_func = nullptr;
  callbacks.tell_func = MemoryTell;
  OggVorbis_File vf;
  if (ov_open_callbacks(&memory, &vf, nullptr, 0, callbacks) != 0) return result;
  vorbis_info* info = ov_info(&vf, -1);
  result.channels = info ? info->channels : 0;
  if (const vorbis_comment* comments = ov_comment(&vf, 0)) {
    for (int i = 0; i < comments->comments; ++i) {
      result.comments.emplace_back(comments->user_comments[i],
                                   static_cast<size_t>(comments->comment_lengths[i]));
    }
  }
  char buffer[8192];
  int section = 0;
  result.ok = true;
  while (true) {
    long got = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section);
    if (got == 0) break;
    if (got < 0) {
      result.ok = false;
      break;
    }
    size_t units = static_cast<size_t>(got) / 2;
    size_t old = result.pcm.size();
    result.pcm.resize(old + units);
    memcpy(&result.pcm[old], buffer, units * 2);
  }
  if (result.channels > 0)
    result.samples = static_cast<int64_t>(result.pcm.size()) / result.channels;
  ov_clear(&vf);
  return result;
}

std::vector<std::string> CommentEntriesOf(const std::string& path) {
  const Inspection file = Inspect(fixtures::ReadFile(path));
  if (file.streams.empty() || file.streams[0].packets.size() < 2) return {};
  return ParseComments(file.streams[0].packets[1]).entries;
}

}  // namespace inspect
