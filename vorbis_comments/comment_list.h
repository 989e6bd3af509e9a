// The comment list that Ogg Vorbis, Ogg Opus and FLAC share: a vendor text and
// entries (key=value, UTF-8), each a 32-bit little-endian length and its bytes.
// What surrounds it (Vorbis's framing bit, Opus's binary data) is its packet's.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_codec.h"

// A list as stored: the vendor text and the entries, in order, byte for byte.
struct CommentList {
  std::string vendor;
  std::vector<std::string> entries;
};

// Reads the list at the reader's position and leaves the reader right after it;
// false when a length runs past the end (nothing is sized from such a length).
bool ReadCommentList(ByteReader& in, CommentList& list);

// Appends the list: the vendor text, the entry count, then every entry.
void AppendCommentList(ByteWriter& out, std::string_view vendor,
                       const std::vector<std::string_view>& entries);
