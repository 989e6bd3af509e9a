// Comment list editing of TagEditor: one field at a time is replaced by a single
// new entry; entries of other fields keep their order.
#include <cstdlib>
#include <cstring>

#include "text/encodings.h"
#include "text/shared_string.h"
#include "text/wide_string.h"
#include "vorbis/tag_editor.h"
#include "vorbis_comments/comment_list.h"

void TagEditor::RemoveTag(const char* key) {
  if (!comments_ || !key) return;
  vorbis_comment& list = *comments_;
  // Survivors move up in place; the arrays keep their size and stay terminated.
  int kept = 0;
  for (int i = 0; i < list.comments; ++i) {
    char* entry = list.user_comments[i];
    int length = list.comment_lengths[i];
    if (entry && length > 0 &&
        HasFieldName(std::string_view(entry, static_cast<size_t>(length)), key)) {
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
