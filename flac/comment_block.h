// The body of FLAC's VORBIS_COMMENT block: a vendor text and a list of
// "KEY=value" entries, each as a 32-bit little-endian length and its bytes,
// with no framing bit after the list. Read, built and edited here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct CommentBlock {
  std::string vendor;
  std::vector<std::string> entries;  // key=value as stored, in order

  bool operator==(const CommentBlock& other) const {
    return vendor == other.vendor && entries == other.entries;
  }
  bool operator!=(const CommentBlock& other) const { return !(*this == other); }
};

// False when a length runs past the end of the body. Bytes after the list are
// left out of the result: the block is rebuilt without them.
bool ParseCommentBlock(const std::string& body, CommentBlock& list);
std::string BuildCommentBlock(const CommentBlock& list);
// The size BuildCommentBlock would give, without building it.
uint64_t CommentBlockSize(const CommentBlock& list);

// Removes the entries whose field name (the bytes before the first '=') equals
// key, ASCII case-insensitively; an entry without '=' has no field name.
void RemoveCommentField(CommentBlock& list, const char* key);
// Replaces every entry of the field key by the single entry key=value, appended.
void SetCommentField(CommentBlock& list, const char* key, const std::string& utf8Value);
