// Looks inside an Ogg file for the tests: every page with its header fields and
// checksum validity, the packets of each logical stream, and the decoded audio.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/ogg_fixtures.h"

namespace inspect {

using fixtures::Bytes;

struct Page {
  size_t offset = 0;
  uint32_t serial = 0;
  uint32_t sequence = 0;
  int64_t granule = 0;
  bool continued = false;
  bool bos = false;
  bool eos = false;
  bool crcValid = false;
  int packetsEnded = 0;  // lacing values below 255
  size_t size = 0;       // header and body
  Bytes bytes;
};

struct Stream {
  uint32_t serial = 0;
  std::vector<Bytes> packets;        // complete packets in order
  std::vector<size_t> pageOfPacket;  // index into Inspection::pages where each ends
  // The granule position each packet carries: its page's for the last packet
  // ending on a page, -1 for the others.
  std::vector<int64_t> granules;
};

struct Inspection {
  std::vector<Page> pages;
  std::vector<Stream> streams;  // in order of first appearance
  size_t skippedBytes = 0;      // bytes outside any page

  const Stream* Find(uint32_t serial) const;
};

Inspection Inspect(const Bytes& file);

struct Comments {
  bool valid = false;
  std::string vendor;
  std::vector<std::string> entries;
  Bytes binaryData;  // what follows the list: the framing byte and any padding, or Opus's data
};
// Parses a Vorbis comment header packet or an OpusTags packet.
Comments ParseComments(const Bytes& packet);
// The comment entries of the first stream of the file at path; empty when it has none.
std::vector<std::string> CommentEntriesOf(const std::string& path);

struct Decoded {
  bool ok = false;
  // The first stream's comments as the decoder reads them (libvorbisfile for
  // Vorbis; for Opus, which has no such library here, ParseComments).
  std::vector<std::string> comments;
  int channels = 0;
  int64_t samples = 0;  // per channel
  std::vector<int16_t> pcm;
};
// Decodes the whole file (every chained stream): Vorbis with libvorbisfile, Ogg
// Opus (first stream "OpusHead") with libopus at 48 kHz.
Decoded Decode(const Bytes& file);

}  // namespace inspect
