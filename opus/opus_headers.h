// The two header packets of an Ogg Opus stream, as far as a comment editor needs
// them: OpusHead recognised and its version checked; OpusTags ("OpusTags", the
// comment list, then binary data that is kept when its first byte has the
// lowest bit set) read and built.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "vorbis_comments/comment_list.h"

// Whether a packet starts with "OpusHead".
bool IsOpusHead(const unsigned char* packet, size_t size);

// What an OpusHead allows: reading (19 bytes at least, a version of major
// version 0, which later minor versions keep readable), or why not.
enum class OpusHeadCheck { kReadable, kTooShort, kUnknownVersion };
OpusHeadCheck CheckOpusHead(const unsigned char* packet, size_t size);

// What an OpusTags packet holds.
struct OpusTags {
  CommentList list;
  size_t listEnd = 0;      // offset in the packet of the first byte after the list
  std::string binaryData;  // empty unless its first byte has the lowest bit set
};
// False when the packet is not a well-formed OpusTags.
bool ParseOpusTags(const unsigned char* packet, size_t size, OpusTags& tags);

// The packet: "OpusTags", the list, binaryData as it is; no framing bit.
std::string BuildOpusTagsPacket(std::string_view vendor,
                                const std::vector<std::string_view>& entries,
                                const std::string& binaryData);
