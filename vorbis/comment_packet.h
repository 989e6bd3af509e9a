// The Vorbis comment header (type 3, "vorbis", the comment list, the framing
// bit), and the bridge between libvorbis's vorbis_comment and the shared list.
#pragma once
#include <vorbis/codec.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "vorbis_comments/comment_list.h"

// The packet for a vendor text and entries.
std::string BuildVorbisCommentPacket(std::string_view vendor,
                                     const std::vector<std::string_view>& entries);

// Reads a Vorbis ("\x03vorbis") or Opus ("OpusTags") comment header's list;
// false when the packet is neither or the list runs past its end.
bool ReadCommentHeader(const unsigned char* packet, size_t size, CommentList& list);

// Where a comment header packet's own bytes end: a Vorbis packet's with its
// framing bit, an Opus packet's with its list or, when the first byte after the
// list has the lowest bit set, with the binary data that runs to its end.
// Readers pass over what follows: padding, which only a packet without Opus
// binary data can take.
struct CommentPacketExtent {
  size_t contentSize = 0;
  bool takesPadding = false;
};
// False when the packet is not a well-formed comment header of that codec.
bool MeasureCommentPacket(const std::string& packet, bool opus, CommentPacketExtent& extent);

// The packet's own bytes followed by zero bytes, size bytes in all. False when
// the packet is not well formed, its own bytes are longer, or it cannot take
// padding and is not exactly that long.
bool FitCommentPacket(const std::string& packet, bool opus, size_t size, std::string& fitted);

// Views of the entries of comments, valid while comments is unchanged.
std::vector<std::string_view> EntriesOf(const vorbis_comment& comments);
// Replaces what comments holds (cleared, then filled) by the list, vendor
// included; false when memory runs out.
bool FillVorbisComment(const CommentList& list, vorbis_comment* comments);
