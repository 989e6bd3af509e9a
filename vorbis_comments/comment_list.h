// The comment list that Ogg Vorbis, Ogg Opus and FLAC share: a vendor text and
// entries (key=value, UTF-8), each a 32-bit little-endian length and its bytes.
// What surrounds it (Vorbis's framing bit, Opus's binary data) is its packet's.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_codec.h"

// A list as stored: the vendor text and the entries, in order, byte for byte.
struct CommentList {
  std::string vendor;
  std::vector<std::string> entries;

  bool operator==(const CommentList& other) const {
    return vendor == other.vendor && entries == other.entries;
  }
  bool operator!=(const CommentList& other) const { return !(*this == other); }
};

// Reads the list at the reader's position and leaves the reader right after it;
// false when a length runs past the end (nothing is sized from such a length).
bool ReadCommentList(ByteReader& in, CommentList& list);

// Appends the list: the vendor text, the entry count, then every entry.
void AppendCommentList(ByteWriter& out, std::string_view vendor,
                       const std::vector<std::string_view>& entries);

// The bare list as bytes, nothing around it (a FLAC comment block's body), its
// size without building it, and the list read back from such bytes (bytes
// after the list are left out).
std::string CommentListBytes(const CommentList& list);
uint64_t CommentListSize(const CommentList& list);
bool ParseCommentList(const std::string& bytes, CommentList& list);

// True when the entry's field name (the bytes before its first '=') equals key,
// ASCII case-insensitively. An entry without '=' has no field name.
bool HasFieldName(std::string_view entry, std::string_view key);
// Removes every entry of the field key; the others keep their order.
void RemoveField(CommentList& list, const char* key);
// Replaces every entry of the field key by the single entry key=value, appended.
void SetField(CommentList& list, const char* key, std::string_view utf8Value);
