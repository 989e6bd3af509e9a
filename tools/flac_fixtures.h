// Generates small deterministic native FLAC files (libFLAC's stream encoder) in
// every metadata layout the tests, the fuzz corpus and the benchmarks need,
// including one malformed file per refusal, and checks a file by decoding it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/ogg_fixtures.h"

namespace fixtures {

// The pieces of one encoded FLAC stream, from which every shape is laid out.
struct FlacParts {
  Bytes streamInfo;  // STREAMINFO body, with the total samples and audio MD5
  Bytes seekTable;   // SEEKTABLE body filled in by the encoder
  std::string vendor;
  Bytes frames;
};
// One second of a tone with light deterministic noise, 22050 Hz mono 16-bit;
// encoded once per process.
const FlacParts& EncodedFlac();

struct FixtureBlock {
  uint8_t type;
  Bytes body;
};
// "fLaC", the blocks in order (the last one flagged), the frames; with an
// optional prefix (an ID3v2 tag) and tail (an ID3v1 tag).
Bytes LayOutFlac(const std::vector<FixtureBlock>& blocks, const Bytes& prefix = Bytes(),
                 const Bytes& tail = Bytes());
// Blocks of the shapes.
FixtureBlock FlacStreamInfo();
FixtureBlock FlacSeekTable();
FixtureBlock FlacComments(const std::vector<std::string>& entries = {"ARTIST=Fixture Artist",
                                                                     "TITLE=Fixture Title"});
FixtureBlock FlacPadding(size_t size);
FixtureBlock FlacPictureBlock();  // a front cover, "image/png", 300 bytes of data
FixtureBlock FlacCueSheet();      // one track and the lead-out
FixtureBlock FlacApplication();   // id "MRLE", a few bytes

// Named shapes, as mirale-fixtures --flac writes them (".flac"). The refusal
// shapes are named "flac-refused-...".
std::vector<std::string> FlacShapeNames();
bool IsFlacShape(const std::string& name);
Bytes MakeFlacShape(const std::string& name);  // empty for an unknown name

// Encodes a long native FLAC file of at least targetBytes straight to path
// (benchmark input): a tone with noise, 44.1 kHz stereo 16-bit, as a real
// recording compresses, with STREAMINFO and its MD5 completed by the encoder,
// a few tags and the reference encoder's 8 KiB of padding. toneHz makes
// copies differ.
bool WriteLongFlacFile(const std::string& path, uint64_t targetBytes, unsigned toneHz = 440);

// True when libFLAC decodes every frame without error, as many samples as
// STREAMINFO says, and the decoded audio matches the MD5 stored in STREAMINFO.
bool FlacDecodesIntact(const Bytes& file);

}  // namespace fixtures
