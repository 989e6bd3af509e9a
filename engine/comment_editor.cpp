// The choice of editor by a file's first bytes (see comment_editor.h).
#include "engine/comment_editor.h"

#include <cstring>

std::unique_ptr<CommentEditor> MakeCommentEditor(const unsigned char* start, size_t size) {
  const auto startsWith = [&](const char* magic) {
    const size_t length = std::strlen(magic);
    return size >= length && std::memcmp(start, magic, length) == 0;
  };
  if (startsWith("fLaC") || startsWith("ID3")) return MakeFlacCommentEditor();
  return MakeOggCommentEditor();
}
