// Generates small deterministic Ogg Vorbis (libvorbisenc) and Ogg Opus (libopus)
// files in every stream shape the tests, benchmarks and fuzz corpus need, plus
// helpers to cut, patch and re-checksum the pages of a generated file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace fixtures {

using Bytes = std::vector<unsigned char>;

struct Packet {
  Bytes data;
  int64_t granulepos = -1;
};

// The packets of one encoded Vorbis stream, before paging.
struct EncodedStream {
  Packet identification;
  Packet comment;
  Packet setup;
  std::vector<Packet> audio;  // granule positions as the encoder gave them
};

struct EncodeOptions {
  int sampleRate = 22050;
  int channels = 1;
  long samples = 96000;  // audio length per channel
  float quality = 0.5f;  // vorbis_encode_init_vbr quality (two block sizes from 0.5 on)
  int toneHz = 440;      // pitch of the generated signal (changes the audio bytes)
  std::vector<std::string> comments{"ARTIST=Fixture Artist", "TITLE=Fixture Title"};
  size_t commentPadding = 0;  // zero bytes after the comment header's framing bit
};

// Encodes a tone with light deterministic noise; the same options always give the
// same packets. The audio is encoded once per set of options within the process.
EncodedStream Encode(const EncodeOptions& options);

enum class HeaderLayout {
  kOnePage,    // identification page, then comment and setup on one page
  kSpread,     // comment and setup spread over several small pages
  kWithAudio,  // the first audio packets share the setup header's page
};

struct PageOptions {
  uint32_t serial = 0x4D52414C;
  HeaderLayout layout = HeaderLayout::kOnePage;
  bool endOfStream = true;    // mark the last page end-of-stream
  int64_t granuleOffset = 0;  // added to every audio granule position
  // 0: audio pages cut as libogg's pageout does; otherwise this many lacing values
  // per page (255 gives pages of many packets, 1 pages on which no packet ends).
  int segmentsPerAudioPage = 0;
};

// Pages an encoded stream (audio pages cut as an encoder would, by ogg_stream_pageout).
Bytes PageStream(const EncodedStream& stream, const PageOptions& options);

// A value of the given size made of printable characters, for picture-sized tags.
std::string LargeValue(size_t size);

// Named shapes, as written by mirale-fixtures. Each is a complete file.
std::vector<std::string> ShapeNames();
// Empty result for an unknown name.
Bytes MakeShape(const std::string& name);
bool IsShape(const std::string& name);
// ".opus" for the Ogg Opus shapes, ".ogg" for the others.
const char* ShapeExtension(const std::string& name);

// Individual shapes.
Bytes Basic(const EncodeOptions& options = EncodeOptions(), uint32_t serial = 0x4D52414C);
Bytes Chained();                  // two streams, each with its own comments
Bytes ForeignPageInAudio();       // a page of another stream amid the first one's audio
Bytes MultiplexedHeaders();       // another stream's first page before the setup header
Bytes GarbageBetweenPages();      // junk bytes between audio pages of the first stream
Bytes GarbageAfterFirstStream();  // chained file with junk inside the second stream
Bytes NonVorbis();                // a first stream that is not Vorbis (a minimal Opus one)
Bytes JunkPrefix();               // 5000 junk bytes before the first page
Bytes CutAfterFirstPage();        // only the identification page
Bytes NoEndOfStream();            // last page lacks the end-of-stream flag
Bytes Truncated();                // cut in the middle of an audio page
Bytes HeadersOnly();              // the three headers and no audio
Bytes BadChecksum();              // one audio page whose CRC does not match its bytes
Bytes Id3v1Trailer();             // a 128-byte ID3v1 block ("TAG...") after the last page
Bytes PaddedComment(size_t padding, HeaderLayout layout = HeaderLayout::kOnePage);
// First streams of other codecs, each a recognisable identification packet on a
// beginning-of-stream page, then a comment packet and one data page.
Bytes SpeexStream();   // "Speex   "
Bytes FlacStream();    // "\x7F" "FLAC", FLAC in Ogg
Bytes TheoraStream();  // "\x80" "theora", video only

// Ogg Opus, paged as a muxer must: the identification header "OpusHead" alone on
// the first page, the comment header "OpusTags" from the second page to the end
// of a page of its own, audio from a fresh page in 20 ms packets, granule
// positions in 48 kHz samples counting the pre-skip (the last one trimmed to the
// signal's end only on an end-of-stream page).
struct OpusOptions {
  int channels = 1;
  long samples = 150000;  // audio length per channel at 48 kHz, pre-skip not counted
  int toneHz = 440;
  std::vector<std::string> comments{"ARTIST=Fixture Artist", "TITLE=Fixture Title"};
  Bytes binaryTail;  // written after the comment list as it is
  uint32_t serial = 0x4F505553;
  bool endOfStream = true;
};
Bytes OpusFile(const OpusOptions& options = OpusOptions());
Bytes OpusBinaryTags();            // binary data (first byte 0x01) after the comment list
Bytes OpusPadded(size_t padding);  // that many zero bytes after the comment list
Bytes OpusLargeTags();             // an OpusTags packet spanning several pages
Bytes OpusNoEndOfStream();         // last page lacks the end-of-stream flag

// A long stream of about targetBytes built quickly by repeating the encoded audio
// packets with consistent granule positions. Writes through the callback in pieces
// so that hundreds of MB never need to be held at once.
typedef void (*Sink)(const unsigned char* data, size_t size, void* context);
void BuildLongStream(const EncodeOptions& options, uint64_t targetBytes, Sink sink, void* context);
bool WriteLongStreamFile(const std::string& path, const EncodeOptions& options,
                         uint64_t targetBytes);

// Page-level editing of generated files.
struct RawPage {
  size_t offset;
  Bytes bytes;  // header and body
};
// Splits bytes that consist of whole pages only (no junk).
std::vector<RawPage> SplitPages(const Bytes& file);
Bytes JoinPages(const std::vector<RawPage>& pages);
// Recomputes the CRC of a page held in bytes.
void FixChecksum(Bytes& page);

bool WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

}  // namespace fixtures
