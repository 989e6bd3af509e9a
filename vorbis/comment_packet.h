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

// Views of the entries of comments, valid while comments is unchanged.
std::vector<std::string_view> EntriesOf(const vorbis_comment& comments);
// Replaces what comments holds (cleared, then filled) by the list, vendor
// included; false when memory runs out.
bool FillVorbisComment(const CommentList& list, vorbis_comment* comments);
