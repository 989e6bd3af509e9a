// The shared comment list (see comment_list.h).
#include "vorbis_comments/comment_list.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

// A 32-bit length and the bytes it counts.
bool ReadText(ByteReader& in, std::string& text) {
  uint32_t length = 0;
  return in.Le32(length) && in.Bytes(length, text);
}

void AppendText(ByteWriter& out, std::string_view text) {
  out.Le32(static_cast<uint32_t>(text.size()));
  out.Bytes(text.data(), text.size());
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool ReadCommentList(ByteReader& in, CommentList& list) {
  uint32_t count = 0;
  if (!ReadText(in, list.vendor) || !in.Le32(count)) return false;
  // Each entry takes at least its 4 length bytes: a larger count cannot be true,
  // and must not size anything.
  if (count > in.Remaining() / 4) return false;
  list.entries.clear();
  list.entries.resize(count);
  for (std::string& entry : list.entries) {
    if (!ReadText(in, entry)) return false;
  }
  return true;
}

void AppendCommentList(ByteWriter& out, std::string_view vendor,
                       const std::vector<std::string_view>& entries) {
  AppendText(out, vendor);
  out.Le32(static_cast<uint32_t>(entries.size()));
  for (std::string_view entry : entries) AppendText(out, entry);
}

std::string CommentListBytes(const CommentList& list) {
  std::string bytes;
  ByteWriter out(bytes);
  const std::vector<std::string_view> entries(list.entries.begin(), list.entries.end());
  AppendCommentList(out, list.vendor, entries);
  return bytes;
}

uint64_t CommentListSize(const CommentList& list) {
  uint64_t size = 4 + list.vendor.size() + 4;
  for (const std::string& entry : list.entries) size += 4 + entry.size();
  return size;
}

bool ParseCommentList(const std::string& bytes, CommentList& list) {
  ByteReader in(bytes);
  return ReadCommentList(in, list);
}

bool HasFieldName(std::string_view entry, std::string_view key) {
  const size_t equals = entry.find('=');
  if (equals == std::string_view::npos || equals != key.size()) return false;
  for (size_t i = 0; i < equals; ++i) {
    if (AsciiUpper(entry[i]) != AsciiUpper(key[i])) return false;
  }
  return true;
}

void RemoveField(CommentList& list, const char* key) {
  std::vector<std::string>& entries = list.entries;
  entries.erase(
      std::remove_if(entries.begin(), entries.end(),
                     [key](const std::string& entry) { return HasFieldName(entry, key); }),
      entries.end());
}

void SetField(CommentList& list, const char* key, std::string_view utf8Value) {
  RemoveField(list, key);
  std::string entry(key);
  entry += '=';
  entry += utf8Value;
  list.entries.push_back(std::move(entry));
}
