// Deterministic Ogg Vorbis test files: audio encoded once per set of options with
// libvorbisenc, then paged in the shape a test asks for.
#include "tools/ogg_fixtures.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

namespace fixtures {
namespace {

const uint32_t kSecondSerial = 0x0B0E5EED;

Bytes ToBytes(const ogg_packet& packet) {
  return Bytes(packet.packet, packet.packet + packet.bytes);
}

std::string AudioKey(const EncodeOptions& o) {
  char key[128];
  snprintf(key, sizeof key, "%d/%d/%ld/%g/%d", o.sampleRate, o.channels, o.samples,
           static_cast<double>(o.quality), o.toneHz);
  return key;
}

// The comment header libvorbis itself would write for these entries.
Packet CommentPacket(const std::vector<std::string>& entries) {
  vorbis_comment comments;
  vorbis_comment_init(&comments);
  for (const std::string& entry : entries) vorbis_comment_add(&comments, entry.c_str());
  ogg_packet packet;
  vorbis_commentheader_out(&comments, &packet);
  Packet result;
  result.data = ToBytes(packet);
  result.granulepos = 0;
  ogg_packet_clear(&packet);
  vorbis_comment_clear(&comments);
  return result;
}

EncodedStream EncodeAudio(const EncodeOptions& options) {
  EncodedStream stream;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, options.channels, options.sampleRate, options.quality) != 0) {
    vorbis_info_clear(&info);
    return stream;
  }
  vorbis_comment comments;
  vorbis_comment_init(&comments);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);

  ogg_packet headers[3];
  vorbis_analysis_headerout(&dsp, &comments, &headers[0], &headers[1], &headers[2]);
  stream.identification.data = ToBytes(headers[0]);
  stream.identification.granulepos = 0;
  stream.setup.data = ToBytes(headers[2]);
  stream.setup.granulepos = 0;

  // A tone with a little noise from a fixed linear congruential generator.
  uint32_t noise = 12345;
  const double step = 2.0 * 3.14159265358979 * options.toneHz / options.sampleRate;
  long fed = 0;
  ogg_packet packet;
  while (true) {
    long count = options.samples - fed < 1024 ? options.samples - fed : 1024;
    if (count <= 0) {
      vorbis_analysis_wrote(&dsp, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
      for (long i = 0; i < count; ++i) {
        noise = noise * 1103515245u + 12345u;
        // Quiet stretches broken by loud bursts make the encoder use both block sizes.
        long position = fed + i;
        bool burst = position % 4000 >= 3000;
        float level = burst ? 0.6f : 0.05f;
        float sample = static_cast<float>(0.4 * std::sin(step * static_cast<double>(position))) *
                           (burst ? 1.0f : 0.2f) +
                       (static_cast<float>((noise >> 16) & 0x7FFF) / 32768.0f - 0.5f) * level;
        for (int c = 0; c < options.channels; ++c) buffer[c][i] = c == 0 ? sample : -sample;
      }
      vorbis_analysis_wrote(&dsp, static_cast<int>(count));
      fed += count;
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        Packet audio;
        audio.data = ToBytes(packet);
        audio.granulepos = packet.granulepos;
        stream.audio.push_back(audio);
      }
    }
    if (count <= 0) break;
  }
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comments);
  vorbis_info_clear(&info);
  return stream;
}

void Append(Bytes& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

// Pages packets by hand, at most segmentsPerPage lacing values a page, so that
// headers can be spread over as many pages as a test wants.
void PageBySegments(Bytes& out, uint32_t serial, uint32_t& sequence,
                    const std::vector<const Packet*>& packets, int segmentsPerPage, bool firstIsBos,
                    bool lastIsEos) {
  struct Segment {
    unsigned char lace;
    size_t packet;
    size_t offset;
    bool ends;
  };
  std::vector<Segment> segments;
  for (size_t p = 0; p < packets.size(); ++p) {
    size_t size = packets[p]->data.size();
    size_t offset = 0;
    while (true) {
      size_t lace = size - offset < 255 ? size - offset : 255;
      segments.push_back({static_cast<unsigned char>(lace), p, offset, lace < 255});
      offset += lace;
      if (lace < 255) break;
    }
  }
  for (size_t first = 0; first < segments.size(); first += segmentsPerPage) {
    size_t last =
        first + segmentsPerPage < segments.size() ? first + segmentsPerPage : segments.size();
    Bytes body;
    int64_t granule = -1;
    for (size_t s = first; s < last; ++s) {
      const Bytes& data = packets[segments[s].packet]->data;
      body.insert(body.end(), data.begin() + static_cast<long>(segments[s].offset),
                  data.begin() + static_cast<long>(segments[s].offset + segments[s].lace));
      if (segments[s].ends) granule = packets[segments[s].packet]->granulepos;
    }
    Bytes page(27, 0);
    memcpy(page.data(), "OggS", 4);
    unsigned char flags = 0;
    if (segments[first].offset > 0) flags |= 1;
    if (first == 0 && firstIsBos) flags |= 2;
    if (last == segments.size() && lastIsEos) flags |= 4;
    page[5] = flags;
    for (int i = 0; i < 8; ++i)
      page[6 + i] = static_cast<unsigned char>(uint64_t(granule) >> (8 * i));
    for (int i = 0; i < 4; ++i) page[14 + i] = static_cast<unsigned char>(serial >> (8 * i));
    for (int i = 0; i < 4; ++i) page[18 + i] = static_cast<unsigned char>(sequence >> (8 * i));
    page[26] = static_cast<unsigned char>(last - first);
    for (size_t s = first; s < last; ++s) page.push_back(segments[s].lace);
    page.insert(page.end(), body.begin(), body.end());
    FixChecksum(page);
    out.insert(out.end(), page.begin(), page.end());
    ++sequence;
  }
}

Bytes Junk(size_t size, uint32_t seed) {
  Bytes junk(size);
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1664525u + 1013904223u;
    // Lower-case letters and digits only: never a capture pattern.
    static const char kAlphabet[] = "abcdefghijklmnpqrstuvwxyz0123456789";
    junk[i] = static_cast<unsigned char>(kAlphabet[(seed >> 24) % (sizeof kAlphabet - 1)]);
  }
  return junk;
}

Packet MakePacket(Bytes data, int64_t granulepos) {
  Packet packet;
  packet.data = std::move(data);
  packet.granulepos = granulepos;
  return packet;
}

void PutLe32(Bytes& page, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) page[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

EncodeOptions SecondStreamOptions() {
  EncodeOptions options;
  options.toneHz = 660;
  options.samples = 6000;
  options.comments = {"ARTIST=Second Artist", "TITLE=Second Title", "ALBUM=Second Album"};
  return options;
}

}  // namespace

EncodedStream Encode(const EncodeOptions& options) {
  static std::map<std::string, EncodedStream> cache;
  std::string key = AudioKey(options);
  auto found = cache.find(key);
  if (found == cache.end()) found = cache.emplace(key, EncodeAudio(options)).first;
  // The comment header depends only on the entries: built for each call.
  EncodedStream stream = found->second;
  stream.comment = CommentPacket(options.comments);
  stream.comment.data.resize(stream.comment.data.size() + options.commentPadding, 0);
  return stream;
}

Bytes PageStream(const EncodedStream& stream, const PageOptions& options) {
  Bytes out;
  ogg_stream_state os;
  ogg_stream_init(&os, static_cast<int>(options.serial));
  ogg_page page;
  ogg_packet packet;
  memset(&packet, 0, sizeof packet);

  auto submit = [&](const Packet& p, int bos, int eos, int64_t granule, int64_t number) {
    packet.packet = const_cast<unsigned char*>(p.data.data());
    packet.bytes = static_cast<long>(p.data.size());
    packet.b_o_s = bos;
    packet.e_o_s = eos;
    packet.granulepos = granule;
    packet.packetno = number;
    ogg_stream_packetin(&os, &packet);
  };

  submit(stream.identification, 1, 0, 0, 0);
  if (options.layout == HeaderLayout::kSpread) {
    while (ogg_stream_flush(&os, &page)) Append(out, page);
    uint32_t sequence = static_cast<uint32_t>(os.pageno);
    PageBySegments(out, options.serial, sequence, {&stream.comment, &stream.setup}, 3, false,
                   false);
    os.pageno = sequence;
  } else {
    submit(stream.comment, 0, 0, 0, 1);
    submit(stream.setup, 0, 0, 0, 2);
    if (options.layout == HeaderLayout::kOnePage) {
      while (ogg_stream_flush(&os, &page)) Append(out, page);
    } else {
      // Only the identification page is forced out; the rest fills with audio.
      if (ogg_stream_pageout(&os, &page)) Append(out, page);
    }
  }
  if (options.segmentsPerAudioPage > 0) {
    while (ogg_stream_flush(&os, &page)) Append(out, page);
    std::vector<Packet> shifted(stream.audio);
    std::vector<const Packet*> audio;
    for (Packet& packet : shifted) {
      if (packet.granulepos != -1) packet.granulepos += options.granuleOffset;
      audio.push_back(&packet);
    }
    uint32_t sequence = static_cast<uint32_t>(os.pageno);
    PageBySegments(out, options.serial, sequence, audio, options.segmentsPerAudioPage, false,
                   options.endOfStream);
    ogg_stream_clear(&os);
    return out;
  }
  for (size_t i = 0; i < stream.audio.size(); ++i) {
    bool last = i + 1 == stream.audio.size();
    int64_t granule = stream.audio[i].granulepos;
    if (granule != -1) granule += options.granuleOffset;
    submit(stream.audio[i], 0, last && options.endOfStream ? 1 : 0, granule,
           static_cast<int64_t>(i) + 3);
    while (ogg_stream_pageout(&os, &page)) Append(out, page);
  }
  while (ogg_stream_flush(&os, &page)) Append(out, page);
  ogg_stream_clear(&os);
  return out;
}

std::string LargeValue(size_t size) {
  std::string value(size, 'A');
  static const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  uint32_t seed = 99;
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1664525u + 1013904223u;
    value[i] = kBase64[seed >> 26];
  }
  return value;
}

Bytes Basic(const EncodeOptions& options, uint32_t serial) {
  PageOptions paging;
  paging.serial = serial;
  return PageStream(Encode(options), paging);
}

Bytes Chained() {
  Bytes file = Basic();
  Bytes second = Basic(SecondStreamOptions(), kSecondSerial);
  file.insert(file.end(), second.begin(), second.end());
  return file;
}

Bytes ForeignPageInAudio() {
  std::vector<RawPage> first = SplitPages(Basic());
  std::vector<RawPage> other = SplitPages(Basic(SecondStreamOptions(), kSecondSerial));
  // After the identification page, the header page and two audio pages.
  first.insert(first.begin() + 4, other[0]);
  return JoinPages(first);
}

Bytes MultiplexedHeaders() {
  std::vector<RawPage> first = SplitPages(Basic());
  std::vector<RawPage> other = SplitPages(Basic(SecondStreamOptions(), kSecondSerial));
  // Both streams' first pages come first, as in any multiplexed file, then the
  // remaining pages alternate.
  std::vector<RawPage> pages{first[0], other[0]};
  size_t a = 1;
  size_t b = 1;
  while (a < first.size() || b < other.size()) {
    if (a < first.size()) pages.push_back(first[a++]);
    if (b < other.size()) pages.push_back(other[b++]);
  }
  return JoinPages(pages);
}

Bytes GarbageBetweenPages() {
  std::vector<RawPage> pages = SplitPages(Basic());
  Bytes file;
  for (size_t i = 0; i < pages.size(); ++i) {
    file.insert(file.end(), pages[i].bytes.begin(), pages[i].bytes.end());
    if (i == 2 || i == 3) {
      Bytes junk = Junk(777 + i, static_cast<uint32_t>(i));
      file.insert(file.end(), junk.begin(), junk.end());
    }
  }
  return file;
}

Bytes GarbageAfterFirstStream() {
  Bytes file = Basic();
  std::vector<RawPage> second = SplitPages(Basic(SecondStreamOptions(), kSecondSerial));
  for (size_t i = 0; i < second.size(); ++i) {
    file.insert(file.end(), second[i].bytes.begin(), second[i].bytes.end());
    if (i == 1) {
      Bytes junk = Junk(300, 7);
      file.insert(file.end(), junk.begin(), junk.end());
    }
  }
  return file;
}

namespace {

// A stream of another codec: its first packet alone on the first page, a second
// header packet on the next, then one page of junk standing for its data.
template <size_t N1, size_t N2>
Bytes OtherCodecStream(const char (&first)[N1], const char (&second)[N2], uint32_t serial) {
  Packet head = MakePacket(Bytes(first, first + N1 - 1), 0);
  Packet tags = MakePacket(Bytes(second, second + N2 - 1), 0);
  Packet data = MakePacket(Junk(200, 3), 960);
  Bytes file;
  uint32_t sequence = 0;
  PageBySegments(file, serial, sequence, {&head}, 255, true, false);
  PageBySegments(file, serial, sequence, {&tags}, 255, false, false);
  PageBySegments(file, serial, sequence, {&data}, 255, false, true);
  return file;
}

}  // namespace

Bytes NonVorbis() {
  return OtherCodecStream("OpusHead\x01\x01\x38\x01\x80\xbb\x00\x00\x00\x00\x00",
                          "OpusTags\x04\x00\x00\x00test\x00\x00\x00\x00", 0x0F0F0F0F);
}

Bytes SpeexStream() {
  // The 80-byte Speex header: magic, version text, then little-endian fields
  // (header version 1, size 80, 16 kHz, wideband, mono, 320-sample frames).
  return OtherCodecStream(
      "Speex   1.2.0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
      "\x01\0\0\0\x50\0\0\0\x80\x3e\0\0\x01\0\0\0\x04\0\0\0\x01\0\0\0"
      "\xff\xff\xff\xff\x40\x01\0\0\0\0\0\0\x01\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0",
      "\x04\0\0\0test\0\0\0\0", 0x5350EE58);
}

Bytes FlacStream() {
  // Mapping version 1.0, one header packet to follow, then "fLaC" and the
  // STREAMINFO block (44.1 kHz, mono, 16 bits).
  return OtherCodecStream(
      "\x7f"
      "FLAC\x01\x00\x00\x01"
      "fLaC\x00\x00\x00\x22\x10\x00\x10\x00\x00\x00\x0e"
      "\x00\x00\x0e\x0a\xc4\x40\xf0\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
      "\x00\x00\x00\x00\x00\x00\x00\x00",
      "\x84\x00\x00\x0c\x04\x00\x00\x00test\x00\x00\x00\x00", 0xF1AC0001);
}

Bytes TheoraStream() {
  // Version 3.2.1, a 2x2-macroblock (32x32) picture at 25 frames a second.
  return OtherCodecStream(
      "\x80theora\x03\x02\x01\x00\x02\x00\x02\x00\x00\x20\x00\x00\x20\x00\x00\x00"
      "\x00\x00\x19\x00\x00\x00\x01\x00\x00\x01\x00\x00\x01\x01\x00\x00\x00"
      "\x00\xc0",
      "\x81theora\x04\x00\x00\x00test\x00\x00\x00\x00", 0x7E0A0001);
}

Bytes JunkPrefix() {
  Bytes file = Junk(5000, 1);
  Bytes stream = Basic();
  file.insert(file.end(), stream.begin(), stream.end());
  return file;
}

Bytes CutAfterFirstPage() {
  std::vector<RawPage> pages = SplitPages(Basic());
  return pages[0].bytes;
}

Bytes NoEndOfStream() {
  PageOptions paging;
  paging.endOfStream = false;
  return PageStream(Encode(EncodeOptions()), paging);
}

Bytes Truncated() {
  Bytes file = Basic();
  std::vector<RawPage> pages = SplitPages(file);
  const RawPage& cut = pages[pages.size() - 3];
  file.resize(cut.offset + cut.bytes.size() / 2);
  return file;
}

Bytes HeadersOnly() {
  EncodedStream stream = Encode(EncodeOptions());
  stream.audio.clear();
  return PageStream(stream, PageOptions());
}

Bytes BadChecksum() {
  std::vector<RawPage> pages = SplitPages(Basic());
  // The third audio page: one body byte changed, the CRC left as it was.
  Bytes& page = pages[4].bytes;
  page[page.size() - 10] ^= 0x20;
  return JoinPages(pages);
}

Bytes Id3v1Trailer() {
  Bytes file = Basic();
  Bytes tag(128, 0);
  auto put = [&](size_t at, const char* text) { memcpy(&tag[at], text, strlen(text)); };
  put(0, "TAG");
  put(3, "Old Title");     // title, 30 bytes
  put(33, "Old Artist");   // artist, 30 bytes
  put(63, "Old Album");    // album, 30 bytes
  put(93, "1999");         // year
  put(97, "id3v1 block");  // comment, 28 bytes, then a zero and the track number
  tag[126] = 7;
  tag[127] = 12;  // genre
  file.insert(file.end(), tag.begin(), tag.end());
  return file;
}

Bytes PaddedComment(size_t padding, HeaderLayout layout) {
  EncodeOptions options;
  options.commentPadding = padding;
  PageOptions paging;
  paging.layout = layout;
  return PageStream(Encode(options), paging);
}

namespace {

// Shapes that only exist to make the opening fail in one particular way.
Bytes SequenceHole() {
  std::vector<RawPage> pages = SplitPages(Basic());
  for (size_t i = 1; i < pages.size(); ++i) {
    PutLe32(pages[i].bytes, 18, static_cast<uint32_t>(i + 1));
    FixChecksum(pages[i].bytes);
  }
  return JoinPages(pages);
}

Bytes WithHeaderChanged(int which) {
  EncodedStream stream = Encode(EncodeOptions());
  if (which == 1) stream.comment.data[1] = 'X';  // not "vorbis" any more
  if (which == 2) stream.setup.data.resize(40);  // codebooks cut short
  return PageStream(stream, PageOptions());
}

Bytes FirstPageVersion1() {
  std::vector<RawPage> pages = SplitPages(Basic());
  pages[0].bytes[4] = 1;
  FixChecksum(pages[0].bytes);
  return JoinPages(pages);
}

Bytes UnfinishedFirstPacket() {
  Packet big = MakePacket(Junk(600, 5), 0);
  Bytes file;
  uint32_t sequence = 0;
  // The first page ends inside the packet.
  PageBySegments(file, 0x12345678, sequence, {&big}, 2, true, false);
  return file;
}

Bytes Tiny() {
  const char kText[] = "OggS\0tiny";
  return Bytes(kText, kText + sizeof kText - 1);
}

Bytes HugeComment() {
  EncodeOptions options;
  options.comments.push_back("METADATA_BLOCK_PICTURE=" + LargeValue(300000));
  options.comments.push_back("COMMENT=after the picture");
  return Basic(options);
}

Bytes WithLayout(HeaderLayout layout, int64_t granuleOffset = 0) {
  PageOptions paging;
  paging.layout = layout;
  paging.granuleOffset = granuleOffset;
  return PageStream(Encode(EncodeOptions()), paging);
}

Bytes Trimmed() {
  EncodeOptions options;
  options.samples = 7777;
  return Basic(options);
}

struct Shape {
  const char* name;
  Bytes (*make)();
  bool opus = false;
};

const Shape kShapes[] = {
    {"basic", [] { return Basic(); }},
    {"spread-headers", [] { return WithLayout(HeaderLayout::kSpread); }},
    {"audio-on-setup-page", [] { return WithLayout(HeaderLayout::kWithAudio); }},
    {"huge-comment", HugeComment},
    {"chained", Chained},
    {"foreign-page", ForeignPageInAudio},
    {"multiplexed", MultiplexedHeaders},
    {"no-eos", NoEndOfStream},
    {"truncated", Truncated},
    {"garbage", GarbageBetweenPages},
    {"garbage-after-first-stream", GarbageAfterFirstStream},
    {"trimmed", Trimmed},
    {"offset-granule", [] { return WithLayout(HeaderLayout::kOnePage, 1000000); }},
    {"headers-only", HeadersOnly},
    {"non-vorbis", NonVorbis},
    {"junk-prefix", JunkPrefix},
    {"cut-after-first-page", CutAfterFirstPage},
    {"sequence-hole", SequenceHole},
    {"corrupt-comment", [] { return WithHeaderChanged(1); }},
    {"corrupt-setup", [] { return WithHeaderChanged(2); }},
    {"bad-first-page", FirstPageVersion1},
    {"unfinished-first-packet", UnfinishedFirstPacket},
    {"empty", [] { return Bytes(); }},
    {"tiny", Tiny},
    {"bad-checksum", BadChecksum},
    {"id3v1-trailer", Id3v1Trailer},
    {"speex", SpeexStream},
    {"flac", FlacStream},
    {"theora", TheoraStream},
    {"padded-comment", [] { return PaddedComment(300); }},
    {"padded-spread-headers", [] { return PaddedComment(300, HeaderLayout::kSpread); }},
    {"opus", [] { return OpusFile(); }, true},
    {"opus-padded", [] { return OpusPadded(300); }, true},
    {"opus-binary-tags", OpusBinaryTags, true},
    {"opus-large-tags", OpusLargeTags, true},
    {"opus-no-eos", OpusNoEndOfStream, true},
};

const Shape* FindShape(const std::string& name) {
  for (const Shape& shape : kShapes) {
    if (name == shape.name) return &shape;
  }
  return nullptr;
}

}  // namespace

std::vector<std::string> ShapeNames() {
  std::vector<std::string> names;
  for (const Shape& shape : kShapes) names.push_back(shape.name);
  return names;
}

bool IsShape(const std::string& name) { return FindShape(name) != nullptr; }

Bytes MakeShape(const std::string& name) {
  const Shape* shape = FindShape(name);
  return shape ? shape->make() : Bytes();
}

const char* ShapeExtension(const std::string& name) {
  const Shape* shape = FindShape(name);
  return shape && shape->opus ? ".opus" : ".ogg";
}

void BuildLongStream(const EncodeOptions& options, uint64_t targetBytes, Sink sink, void* context) {
  const EncodedStream stream = Encode(options);
  if (stream.audio.empty()) return;
  // Block sizes come from the headers, as a decoder would read them.
  vorbis_info info;
  vorbis_comment comments;
  vorbis_info_init(&info);
  vorbis_comment_init(&comments);
  ogg_packet packet;
  memset(&packet, 0, sizeof packet);
  const Packet* headers[3] = {&stream.identification, &stream.comment, &stream.setup};
  for (int i = 0; i < 3; ++i) {
    packet.packet = const_cast<unsigned char*>(headers[i]->data.data());
    packet.bytes = static_cast<long>(headers[i]->data.size());
    packet.b_o_s = i == 0;
    vorbis_synthesis_headerin(&info, &comments, &packet);
  }
  std::vector<long> blockSizes;
  for (const Packet& audio : stream.audio) {
    packet.packet = const_cast<unsigned char*>(audio.data.data());
    packet.bytes = static_cast<long>(audio.data.size());
    long size = vorbis_packet_blocksize(&info, &packet);
    blockSizes.push_back(size > 0 ? size : 0);
  }

  ogg_stream_state os;
  ogg_stream_init(&os, 0x10C0FFEE);
  ogg_page page;
  auto emit = [&](const ogg_page& p) {
    sink(p.header, static_cast<size_t>(p.header_len), context);
    sink(p.body, static_cast<size_t>(p.body_len), context);
  };
  uint64_t written = 0;
  for (int i = 0; i < 3; ++i) {
    packet.packet = const_cast<unsigned char*>(headers[i]->data.data());
    packet.bytes = static_cast<long>(headers[i]->data.size());
    packet.b_o_s = i == 0;
    packet.e_o_s = 0;
    packet.granulepos = 0;
    packet.packetno = i;
    ogg_stream_packetin(&os, &packet);
  }
  while (ogg_stream_flush(&os, &page)) {
    emit(page);
    written += static_cast<uint64_t>(page.header_len + page.body_len);
  }
  int64_t granule = 0;
  long previous = 0;
  int64_t number = 3;
  bool done = false;
  while (!done) {
    for (size_t i = 0; i < stream.audio.size() && !done; ++i) {
      long size = blockSizes[i];
      if (previous != 0) granule += (previous + size) / 4;
      previous = size;
      done = written + 8192 >= targetBytes;
      packet.packet = const_cast<unsigned char*>(stream.audio[i].data.data());
      packet.bytes = static_cast<long>(stream.audio[i].data.size());
      packet.b_o_s = 0;
      packet.e_o_s = done ? 1 : 0;
      packet.granulepos = granule;
      packet.packetno = number++;
      ogg_stream_packetin(&os, &packet);
      while (ogg_stream_pageout(&os, &page)) {
        emit(page);
        written += static_cast<uint64_t>(page.header_len + page.body_len);
      }
    }
  }
  while (ogg_stream_flush(&os, &page)) emit(page);
  ogg_stream_clear(&os);
  vorbis_comment_clear(&comments);
  vorbis_info_clear(&info);
}

bool WriteLongStreamFile(const std::string& path, const EncodeOptions& options,
                         uint64_t targetBytes) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return false;
  struct Target {
    FILE* file;
    bool ok;
  } target{file, true};
  BuildLongStream(
      options, targetBytes,
      [](const unsigned char* data, size_t size, void* context) {
        Target* t = static_cast<Target*>(context);
        if (size && fwrite(data, 1, size, t->file) != size) t->ok = false;
      },
      &target);
  return fclose(file) == 0 && target.ok;
}

std::vector<RawPage> SplitPages(const Bytes& file) {
  std::vector<RawPage> pages;
  size_t at = 0;
  while (at + 27 <= file.size() && memcmp(&file[at], "OggS", 4) == 0) {
    size_t segments = file[at + 26];
    if (at + 27 + segments > file.size()) break;
    size_t body = 0;
    for (size_t s = 0; s < segments; ++s) body += file[at + 27 + s];
    size_t size = 27 + segments + body;
    if (at + size > file.size()) break;
    pages.push_back({at, Bytes(file.begin() + static_cast<long>(at),
                               file.begin() + static_cast<long>(at + size))});
    at += size;
  }
  return pages;
}

Bytes JoinPages(const std::vector<RawPage>& pages) {
  Bytes file;
  for (const RawPage& page : pages) file.insert(file.end(), page.bytes.begin(), page.bytes.end());
  return file;
}

void FixChecksum(Bytes& page) {
  ogg_page view;
  long headerLength = 27 + page[26];
  view.header = page.data();
  view.header_len = headerLength;
  view.body = page.data() + headerLength;
  view.body_len = static_cast<long>(page.size()) - headerLength;
  ogg_page_checksum_set(&view);
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return fclose(file) == 0 && ok;
}

Bytes ReadFile(const std::string& path) {
  Bytes bytes;
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return bytes;
  unsigned char buffer[65536];
  size_t count;
  while ((count = fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + count);
  }
  fclose(file);
  return bytes;
}

}  // namespace fixtures
