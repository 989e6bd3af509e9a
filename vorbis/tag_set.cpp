// Comment list editing of TagEditor: one field at a time is replaced by a single
// new entry; entries of other fields keep their order.
#include <cstdlib>
#include <cstring>

#include "text/encodings.h"
#include "text/shared_string.h"
#include "text/wide_string.h"
#include "vorbis/tag_editor.h"

namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// True when the entry's field name (the bytes before its first '=') equals the
// key, ASCII case-insensitively. An entry without '=' has no field name.
bool FieldNameEquals(const char* entry, long length, const char* key, size_t keyLength) {
  if (length <= 0) return false;
  const void* equals = memchr(entry, '=', static_cast<size_t>(length));
  if (!equals) return false;
  size_t nameLength = static_cast<size_t>(static_cast<const char*>(equals) - entry);
  if (nameLength != keyLength) return false;
  for (size_t i = 0; i < nameLength; ++i) {
    if (AsciiUpper(entry[i]) != AsciiUpper(key[i])) return false;
  }
  return true;
}

}  // namespace

void TagEditor::RemoveTag(const char* key) {
  if (!comments_ || !key) return;
  vorbis_comment& list = *comments_;
  size_t keyLength = strlen(key);
  // Survivors move up in place; the arrays keep their size and stay terminated.
  int kept = 0;
  for (int i = 0; i < list.comments; ++i) {
    char* entry = list.user_comments[i];
    int length = list.comment_lengths[i];
    if (entry && FieldNameEquals(entry, length, key, keyLength)) {
      free(entry);
      continue;
    }
    list.user_comments[kept] = entry;
    list.comment_lengths[kept] = length;
    ++kept;
  }
  if (list.user_comments) list.user_comments[kept] = nullptr;
  if (list.comment_lengths) list.comment_lengths[kept] = 0;
  list.comments = kept;
}

void TagEditor::SetTag(const char* key, const WideString& value) {
  if (!comments_ || !key) return;
  RemoveTag(key);
  String utf8;
  WideToUtf8(value, utf8);
  vorbis_comment_add_tag(comments_.get(), key, utf8.CStr());
}
