// The comment header packets the editor writes and the OpusTags packet it reads:
// Vorbis (type 3, "vorbis", framing bit) and Opus (magic "OpusTags", optional
// binary data after the list). Both hold a vendor text and a list of entries.
#pragma once
#include <vorbis/codec.h>

#include <cstddef>
#include <string>
#include <vector>

// The Vorbis comment header: type 3, "vorbis", the vendor text, the entries as
// 32-bit little-endian lengths and bytes, and the framing bit.
std::string BuildVorbisCommentPacket(const char* vendor, const vorbis_comment& comments);

// The Opus comment header: "OpusTags", the vendor text and entries as above,
// then binaryData as it is (kept by the caller only when its first byte has the
// lowest bit set), and no framing bit.
std::string BuildOpusTagsPacket(const char* vendor, const vorbis_comment& comments,
                                const std::string& binaryData);

// The vendor text and entries of a comment header, exactly as stored.
struct CommentList {
  std::string vendor;
  std::vector<std::string> entries;  // key=value, in order
  size_t end = 0;                    // offset of the first byte after the list
};
// Reads a Vorbis ("\x03vorbis") or Opus ("OpusTags") comment header's list;
// false when the packet is neither or the list runs past its end.
bool ReadCommentList(const unsigned char* packet, size_t size, CommentList& list);

// Reads an OpusTags packet into comments (cleared and filled, vendor included)
// and binaryData (what follows the list when its first byte has the lowest bit
// set, else empty). False when the packet is not a well-formed OpusTags.
bool ParseOpusTags(const unsigned char* packet, size_t size, vorbis_comment* comments,
                   std::string* binaryData);

// Whether a packet starts with the given magic bytes.
bool StartsWith(const unsigned char* packet, size_t size, const char* magic, size_t magicSize);
