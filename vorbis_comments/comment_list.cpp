// The shared comment list (see comment_list.h).
#include "vorbis_comments/comment_list.h"

#include <cstdint>

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
