// Deterministic native FLAC test files (see flac_fixtures.h): the audio is
// encoded once with libFLAC into memory, then each shape lays its own blocks
// out around the same frames.
#include "tools/flac_fixtures.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_decoder.h>
#include <FLAC/stream_encoder.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace fixtures {
namespace {

const unsigned kSampleRate = 22050;
const unsigned kSamples = kSampleRate;  // one second, mono
const uint8_t kLastFlag = 0x80;

void PutBe(Bytes& out, uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}
void PutLe32(Bytes& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}
void PutText(Bytes& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
}
void PutZeros(Bytes& out, size_t count) { out.insert(out.end(), count, 0); }

// The encoder writes into memory, and seeks back at the end to complete
// STREAMINFO and the seek table.
struct MemoryFile {
  Bytes bytes;
  size_t position = 0;
};

FLAC__StreamEncoderWriteStatus EncoderWrite(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                            size_t size, uint32_t, uint32_t, void* context) {
  MemoryFile& file = *static_cast<MemoryFile*>(context);
  if (file.position + size > file.bytes.size()) file.bytes.resize(file.position + size);
  memcpy(file.bytes.data() + file.position, buffer, size);
  file.position += size;
  return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
}
FLAC__StreamEncoderSeekStatus EncoderSeek(const FLAC__StreamEncoder*, FLAC__uint64 offset,
                                          void* context) {
  static_cast<MemoryFile*>(context)->position = static_cast<size_t>(offset);
  return FLAC__STREAM_ENCODER_SEEK_STATUS_OK;
}
FLAC__StreamEncoderTellStatus EncoderTell(const FLAC__StreamEncoder*, FLAC__uint64* offset,
                                          void* context) {
  *offset = static_cast<MemoryFile*>(context)->position;
  return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
}

struct EncoderDelete {
  void operator()(FLAC__StreamEncoder* encoder) const { FLAC__stream_encoder_delete(encoder); }
};
struct MetadataDelete {
  void operator()(FLAC__StreamMetadata* block) const { FLAC__metadata_object_delete(block); }
};

Bytes EncodeTone() {
  std::unique_ptr<FLAC__StreamEncoder, EncoderDelete> encoder(FLAC__stream_encoder_new());
  std::unique_ptr<FLAC__StreamMetadata, MetadataDelete> seekTable(
      FLAC__metadata_object_new(FLAC__METADATA_TYPE_SEEKTABLE));
  FLAC__StreamMetadata* metadata[1] = {seekTable.get()};
  MemoryFile file;
  if (!encoder || !seekTable ||
      !FLAC__metadata_object_seektable_template_append_spaced_points(seekTable.get(), 4,
                                                                     kSamples) ||
      !FLAC__stream_encoder_set_channels(encoder.get(), 1) ||
      !FLAC__stream_encoder_set_bits_per_sample(encoder.get(), 16) ||
      !FLAC__stream_encoder_set_sample_rate(encoder.get(), kSampleRate) ||
      !FLAC__stream_encoder_set_total_samples_estimate(encoder.get(), kSamples) ||
      !FLAC__stream_encoder_set_metadata(encoder.get(), metadata, 1) ||
      FLAC__stream_encoder_init_stream(encoder.get(), EncoderWrite, EncoderSeek, EncoderTell,
                                       nullptr, &file) != FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
    return Bytes();
  }
  std::vector<FLAC__int32> pcm(kSamples);
  uint32_t noise = 4242;
  for (unsigned i = 0; i < kSamples; ++i) {
    noise = noise * 1103515245u + 12345u;
    pcm[i] = static_cast<FLAC__int32>(9000.0 *
                                      std::sin(2.0 * 3.14159265358979 * 440.0 * i / kSampleRate)) +
             static_cast<FLAC__int32>((noise >> 16) & 0xFF) - 128;
  }
  const FLAC__int32* channels[1] = {pcm.data()};
  const bool ok = FLAC__stream_encoder_process(encoder.get(), channels, kSamples) &&
                  FLAC__stream_encoder_finish(encoder.get());
  return ok ? file.bytes : Bytes();
}

// Splits the encoder's file: "fLaC", STREAMINFO, its comment block (only its
// vendor is taken), the seek table, then the frames.
FlacParts SplitEncoded(const Bytes& file) {
  FlacParts parts;
  size_t at = 4;
  bool last = file.size() < 8;
  while (!last && at + 4 <= file.size()) {
    last = (file[at] & kLastFlag) != 0;
    const uint8_t type = file[at] & ~kLastFlag;
    const size_t length = (size_t(file[at + 1]) << 16) | (size_t(file[at + 2]) << 8) | file[at + 3];
    const Bytes body(file.begin() + long(at + 4), file.begin() + long(at + 4 + length));
    if (type == FLAC__METADATA_TYPE_STREAMINFO) parts.streamInfo = body;
    if (type == FLAC__METADATA_TYPE_SEEKTABLE) parts.seekTable = body;
    if (type == FLAC__METADATA_TYPE_VORBIS_COMMENT && body.size() >= 4) {
      parts.vendor.assign(body.begin() + 4, body.begin() + 4 + long(body[0] | (body[1] << 8)));
    }
    at += 4 + length;
  }
  parts.frames.assign(file.begin() + long(at), file.end());
  return parts;
}

Bytes Id3v2Tag(bool footer) {
  Bytes frames;
  PutText(frames, "TIT2");
  PutBe(frames, 8, 4);
  PutZeros(frames, 3);  // frame flags, then the text encoding
  PutText(frames, "Fixture");
  PutZeros(frames, 32 - frames.size());  // the tag's own padding
  // Version, flags (the footer's), then the synchsafe size of the frames.
  const Bytes fields{static_cast<unsigned char>(footer ? 4 : 3),
                     0,
                     static_cast<unsigned char>(footer ? 0x10 : 0),
                     0,
                     0,
                     0,
                     32};
  Bytes tag;
  PutText(tag, "ID3");
  tag.insert(tag.end(), fields.begin(), fields.end());
  tag.insert(tag.end(), frames.begin(), frames.end());
  if (footer) {
    PutText(tag, "3DI");
    tag.insert(tag.end(), fields.begin(), fields.end());
  }
  return tag;
}

Bytes Id3v1Tag() {
  Bytes tag;
  PutText(tag, "TAGFixture tail");
  PutZeros(tag, 128 - tag.size());
  return tag;
}

FixtureBlock Block(uint8_t type, Bytes body) { return FixtureBlock{type, std::move(body)}; }

Bytes Basic(const Bytes& prefix = Bytes(), const Bytes& tail = Bytes()) {
  return LayOutFlac({FlacStreamInfo(), FlacSeekTable(), FlacComments(), FlacPadding(4096)}, prefix,
                    tail);
}

Bytes BadCommentList() {
  FixtureBlock comments = FlacComments();
  comments.body[4 + EncodedFlac().vendor.size()] = 0x7F;  // the entry count's low byte
  return LayOutFlac({FlacStreamInfo(), comments, FlacPadding(64)});
}

Bytes BlockPastEnd() {
  Bytes file = LayOutFlac({FlacStreamInfo(), FlacComments(), FlacPadding(4096)});
  file.resize(file.size() - EncodedFlac().frames.size() - 1000);
  return file;
}

struct FlacShape {
  const char* name;
  Bytes (*make)();
};

const FlacShape kFlacShapes[] = {
    {"flac-basic", [] { return Basic(); }},
    {"flac-no-padding",
     [] {
       return LayOutFlac({FlacStreamInfo(), FlacSeekTable(), FlacComments()});
     }},
    {"flac-padding-not-last",
     [] {
       return LayOutFlac({FlacStreamInfo(), FlacSeekTable(), FlacPadding(600), FlacComments(),
                          FlacApplication()});
     }},
    {"flac-no-comment",
     [] {
       return LayOutFlac({FlacStreamInfo(), FlacSeekTable(), FlacPadding(1024)});
     }},
    {"flac-picture-first",
     [] {
       return LayOutFlac({FlacStreamInfo(), FlacPictureBlock(), FlacComments(), FlacPadding(2048)});
     }},
    {"flac-seektable-cuesheet",
     [] {
       return LayOutFlac({FlacStreamInfo(), FlacSeekTable(), FlacComments(), FlacCueSheet(),
                          FlacApplication(), Block(100, Bytes{1, 2, 3}), FlacPadding(1024)});
     }},
    {"flac-id3v2", [] { return Basic(Id3v2Tag(false)); }},
    {"flac-id3v2-footer", [] { return Basic(Id3v2Tag(true)); }},
    {"flac-id3v1", [] { return Basic(Bytes(), Id3v1Tag()); }},
    {"flac-refused-no-marker",
     [] {
       Bytes file = Basic();
       file[3] = 'X';
       return file;
     }},
    {"flac-refused-streaminfo-not-first",
     [] {
       return LayOutFlac({FlacComments(), FlacStreamInfo(), FlacPadding(64)});
     }},
    {"flac-refused-block-past-end", BlockPastEnd},
    {"flac-refused-two-comments",
     [] {
       return LayOutFlac({FlacStreamInfo(), FlacComments(), FlacComments(), FlacPadding(64)});
     }},
    {"flac-refused-bad-comment-list", BadCommentList},
};

// The decoder reads from memory and only counts what it decodes.
struct DecodeState {
  const Bytes* file;
  size_t position = 0;
  uint64_t samples = 0;
  bool error = false;
};

FLAC__StreamDecoderReadStatus DecoderRead(const FLAC__StreamDecoder*, FLAC__byte buffer[],
                                          size_t* size, void* context) {
  DecodeState& state = *static_cast<DecodeState*>(context);
  const size_t count = std::min(*size, state.file->size() - state.position);
  memcpy(buffer, state.file->data() + state.position, count);
  state.position += count;
  *size = count;
  return count ? FLAC__STREAM_DECODER_READ_STATUS_CONTINUE
               : FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
}
FLAC__StreamDecoderWriteStatus DecoderWrite(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                            const FLAC__int32* const[], void* context) {
  static_cast<DecodeState*>(context)->samples += frame->header.blocksize;
  return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}
void DecoderError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* context) {
  static_cast<DecodeState*>(context)->error = true;
}

struct DecoderDelete {
  void operator()(FLAC__StreamDecoder* decoder) const { FLAC__stream_decoder_delete(decoder); }
};

// A long file's encoder writes to its file and counts the bytes it wrote.
struct LongFile {
  FILE* file = nullptr;
  uint64_t written = 0;
  bool ok = true;
};

FLAC__StreamEncoderWriteStatus LongWrite(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                         size_t size, uint32_t, uint32_t, void* context) {
  LongFile& file = *static_cast<LongFile*>(context);
  if (size != 0 && fwrite(buffer, 1, size, file.file) != size) {
    file.ok = false;
    return FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
  }
  file.written += size;
  return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
}
FLAC__StreamEncoderSeekStatus LongSeek(const FLAC__StreamEncoder*, FLAC__uint64 offset,
                                       void* context) {
  LongFile& file = *static_cast<LongFile*>(context);
  return fseek(file.file, static_cast<long>(offset), SEEK_SET) == 0
             ? FLAC__STREAM_ENCODER_SEEK_STATUS_OK
             : FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
}
FLAC__StreamEncoderTellStatus LongTell(const FLAC__StreamEncoder*, FLAC__uint64* offset,
                                       void* context) {
  const long at = ftell(static_cast<LongFile*>(context)->file);
  if (at < 0) return FLAC__STREAM_ENCODER_TELL_STATUS_ERROR;
  *offset = static_cast<FLAC__uint64>(at);
  return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
}

// The long file's tags and padding, as the encoder writes them.
struct LongMetadata {
  std::unique_ptr<FLAC__StreamMetadata, MetadataDelete> comments{
      FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT)};
  std::unique_ptr<FLAC__StreamMetadata, MetadataDelete> padding{
      FLAC__metadata_object_new(FLAC__METADATA_TYPE_PADDING)};
  FLAC__StreamMetadata* blocks[2] = {comments.get(), padding.get()};

  bool Make() {
    if (!comments || !padding) return false;
    padding->length = 8192;
    for (const char* entry : {"ARTIST=Fixture Artist", "TITLE=Long Fixture"}) {
      FLAC__StreamMetadata_VorbisComment_Entry field;
      field.entry = reinterpret_cast<FLAC__byte*>(const_cast<char*>(entry));
      field.length = static_cast<FLAC__uint32>(strlen(entry));
      if (!FLAC__metadata_object_vorbiscomment_append_comment(comments.get(), field, true)) {
        return false;
      }
    }
    return true;
  }
};

}  // namespace

bool WriteLongFlacFile(const std::string& path, uint64_t targetBytes, unsigned toneHz) {
  const unsigned rate = 44100;
  std::unique_ptr<FLAC__StreamEncoder, EncoderDelete> encoder(FLAC__stream_encoder_new());
  LongMetadata metadata;
  LongFile file;
  file.file = fopen(path.c_str(), "w+b");
  if (file.file == nullptr) return false;
  bool ok = encoder && metadata.Make() && FLAC__stream_encoder_set_channels(encoder.get(), 2) &&
            FLAC__stream_encoder_set_bits_per_sample(encoder.get(), 16) &&
            FLAC__stream_encoder_set_sample_rate(encoder.get(), rate) &&
            FLAC__stream_encoder_set_metadata(encoder.get(), metadata.blocks, 2) &&
            FLAC__stream_encoder_init_stream(encoder.get(), LongWrite, LongSeek, LongTell, nullptr,
                                             &file) == FLAC__STREAM_ENCODER_INIT_STATUS_OK;
  // A second at a time, until the frames reach the size asked for.
  std::vector<FLAC__int32> left(rate), right(rate);
  const FLAC__int32* channels[2] = {left.data(), right.data()};
  uint32_t noise = 4242 + toneHz;
  uint64_t sample = 0;
  while (ok && file.written < targetBytes) {
    for (unsigned i = 0; i < rate; ++i, ++sample) {
      const double tone = 9000.0 * std::sin(2.0 * 3.14159265358979 * toneHz * sample / rate);
      noise = noise * 1103515245u + 12345u;
      left[i] =
          static_cast<FLAC__int32>(tone) + static_cast<FLAC__int32>((noise >> 16) & 0xFFF) - 2048;
      noise = noise * 1103515245u + 12345u;
      right[i] = static_cast<FLAC__int32>(tone * 0.8) +
                 static_cast<FLAC__int32>((noise >> 16) & 0xFFF) - 2048;
    }
    ok = FLAC__stream_encoder_process(encoder.get(), channels, rate);
  }
  ok = encoder && FLAC__stream_encoder_finish(encoder.get()) && ok;
  return fclose(file.file) == 0 && ok && file.ok;
}

const FlacParts& EncodedFlac() {
  static const FlacParts parts = SplitEncoded(EncodeTone());
  return parts;
}

Bytes LayOutFlac(const std::vector<FixtureBlock>& blocks, const Bytes& prefix, const Bytes& tail) {
  Bytes file = prefix;
  PutText(file, "fLaC");
  for (size_t i = 0; i < blocks.size(); ++i) {
    file.push_back(
        static_cast<unsigned char>(blocks[i].type | (i + 1 == blocks.size() ? kLastFlag : 0)));
    PutBe(file, blocks[i].body.size(), 3);
    file.insert(file.end(), blocks[i].body.begin(), blocks[i].body.end());
  }
  const Bytes& frames = EncodedFlac().frames;
  file.insert(file.end(), frames.begin(), frames.end());
  file.insert(file.end(), tail.begin(), tail.end());
  return file;
}

FixtureBlock FlacStreamInfo() {
  return Block(FLAC__METADATA_TYPE_STREAMINFO, EncodedFlac().streamInfo);
}
FixtureBlock FlacSeekTable() {
  return Block(FLAC__METADATA_TYPE_SEEKTABLE, EncodedFlac().seekTable);
}

FixtureBlock FlacComments(const std::vector<std::string>& entries) {
  Bytes body;
  PutLe32(body, static_cast<uint32_t>(EncodedFlac().vendor.size()));
  PutText(body, EncodedFlac().vendor);
  PutLe32(body, static_cast<uint32_t>(entries.size()));
  for (const std::string& entry : entries) {
    PutLe32(body, static_cast<uint32_t>(entry.size()));
    PutText(body, entry);
  }
  return Block(FLAC__METADATA_TYPE_VORBIS_COMMENT, body);
}

FixtureBlock FlacPadding(size_t size) { return Block(FLAC__METADATA_TYPE_PADDING, Bytes(size, 0)); }

FixtureBlock FlacPictureBlock() {
  Bytes body;
  PutBe(body, 3, 4);  // front cover
  PutBe(body, 9, 4);
  PutText(body, "image/png");
  PutBe(body, 5, 4);
  PutText(body, "Cover");
  for (uint32_t field : {16u, 16u, 24u, 0u})
    PutBe(body, field, 4);  // width, height, depth, colours
  PutBe(body, 300, 4);
  for (int i = 0; i < 300; ++i) body.push_back(static_cast<unsigned char>(i * 7));
  return Block(FLAC__METADATA_TYPE_PICTURE, body);
}

FixtureBlock FlacCueSheet() {
  Bytes body;
  PutZeros(body, 128 + 8 + 1 + 258);  // catalogue, lead-in, not a CD, reserved
  body.push_back(2);
  // Track 1 with index 1 at the start, then the lead-out track at the end.
  PutBe(body, 0, 8);
  body.push_back(1);
  PutZeros(body, 12 + 14);  // ISRC, audio track, reserved
  body.push_back(1);
  PutBe(body, 0, 8);
  body.push_back(1);
  PutZeros(body, 3);
  PutBe(body, kSamples, 8);
  body.push_back(255);
  PutZeros(body, 12 + 14);
  body.push_back(0);
  return Block(FLAC__METADATA_TYPE_CUESHEET, body);
}

FixtureBlock FlacApplication() {
  Bytes body;
  PutText(body, "MRLE");
  PutText(body, "fixture");
  return Block(FLAC__METADATA_TYPE_APPLICATION, body);
}

std::vector<std::string> FlacShapeNames() {
  std::vector<std::string> names;
  for (const FlacShape& shape : kFlacShapes) names.push_back(shape.name);
  return names;
}

bool IsFlacShape(const std::string& name) {
  for (const FlacShape& shape : kFlacShapes) {
    if (name == shape.name) return true;
  }
  return false;
}

Bytes MakeFlacShape(const std::string& name) {
  for (const FlacShape& shape : kFlacShapes) {
    if (name == shape.name) return shape.make();
  }
  return Bytes();
}

bool FlacDecodesIntact(const Bytes& file) {
  std::unique_ptr<FLAC__StreamDecoder, DecoderDelete> decoder(FLAC__stream_decoder_new());
  DecodeState state;
  state.file = &file;
  if (!decoder || !FLAC__stream_decoder_set_md5_checking(decoder.get(), true) ||
      FLAC__stream_decoder_init_stream(decoder.get(), DecoderRead, nullptr, nullptr, nullptr,
                                       nullptr, DecoderWrite, nullptr, DecoderError,
                                       &state) != FLAC__STREAM_DECODER_INIT_STATUS_OK) {
    return false;
  }
  const bool decoded = FLAC__stream_decoder_process_until_end_of_stream(decoder.get());
  const uint64_t expected = FLAC__stream_decoder_get_total_samples(decoder.get());
  const bool md5Matches = FLAC__stream_decoder_finish(decoder.get());
  return decoded && md5Matches && !state.error && expected > 0 && state.samples == expected;
}

}  // namespace fixtures
