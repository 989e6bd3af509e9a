// FLAC's comment block body (see comment_block.h).
#include "flac/comment_block.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/byte_codec.h"

namespace {

bool ReadText(ByteReader& reader, std::string& text) {
  uint32_t length = 0;
  return reader.Le32(length) && reader.Bytes(length, text);
}

void WriteText(ByteWriter& writer, const std::string& text) {
  writer.Le32(static_cast<uint32_t>(text.size()));
  writer.Bytes(text);
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The key never holds '=', so an entry matches when its first '=' stands
// right after a case-insensitive copy of the key.
bool HasFieldName(const std::string& entry, const char* key, size_t keyLength) {
  if (entry.size() <= keyLength || entry[keyLength] != '=') return false;
  for (size_t i = 0; i < keyLength; ++i) {
    if (key[i] == '=' || AsciiUpper(entry[i]) != AsciiUpper(key[i])) return false;
  }
  return true;
}

}  // namespace

bool ParseCommentBlock(const std::string& body, CommentBlock& list) {
  ByteReader reader(body);
  uint32_t count = 0;
  if (!ReadText(reader, list.vendor) || !reader.Le32(count)) return false;
  // Each entry takes at least its 4 length bytes: a larger count cannot be
  // true, and must not size anything.
  if (count > reader.Remaining() / 4) return false;
  list.entries.assign(count, std::string());
  for (std::string& entry : list.entries) {
    if (!ReadText(reader, entry)) return false;
  }
  return true;
}

std::string BuildCommentBlock(const CommentBlock& list) {
  std::string body;
  ByteWriter writer(body);
  WriteText(writer, list.vendor);
  writer.Le32(static_cast<uint32_t>(list.entries.size()));
  for (const std::string& entry : list.entries) WriteText(writer, entry);
  return body;
}

uint64_t CommentBlockSize(const CommentBlock& list) {
  uint64_t size = 4 + list.vendor.size() + 4;
  for (const std::string& entry : list.entries) size += 4 + entry.size();
  return size;
}

void RemoveCommentField(CommentBlock& list, const char* key) {
  const size_t keyLength = strlen(key);
  auto& entries = list.entries;
  entries.erase(
      std::remove_if(entries.begin(), entries.end(),
                     [&](const std::string& entry) { return HasFieldName(entry, key, keyLength); }),
      entries.end());
}

void SetCommentField(CommentBlock& list, const char* key, const std::string& utf8Value) {
  RemoveCommentField(list, key);
  list.entries.push_back(std::string(key) + "=" + utf8Value);
}
