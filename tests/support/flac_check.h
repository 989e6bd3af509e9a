// Reads a native FLAC file held in memory, and checks a rewritten one against
// its input as a player would care: the blocks it keeps, the frames and tail,
// the audio decoded against the MD5 in STREAMINFO.
#pragma once
#include "flac/flac_metadata.h"
#include "tools/ogg_fixtures.h"

namespace flac_check {

using fixtures::Bytes;

// The file's metadata; a file that does not read fails the test.
FlacMetadata MetadataOf(const Bytes& file);

// Googletest expectations: the output reads, its ID3v2 tag and every block but
// PADDING and VORBIS_COMMENT are the input's byte for byte and in order, the
// bytes after the metadata are the input's, and libFLAC decodes it intact
// (when it decodes the input so).
void ExpectFaithfulRewrite(const Bytes& input, const Bytes& output);

}  // namespace flac_check
