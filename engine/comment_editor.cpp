// The choice of editor by a file's first bytes (see comment_editor.h).
#include "engine/comment_editor.h"

#include <cstring>
#include <string_view>

#include "flac/flac_metadata.h"
#include "vorbis/comment_packet.h"

std::unique_ptr<CommentEditor> MakeCommentEditor(const unsigned char* start, size_t size,
                                                 bool flacName) {
  const auto startsWith = [&](const char* magic) {
    const size_t length = std::strlen(magic);
    return size >= length && std::memcmp(start, magic, length) == 0;
  };
  if (startsWith("fLaC") || startsWith("ID3")) return MakeFlacCommentEditor();
  if (startsWith("OggS") || !flacName) return MakeOggCommentEditor();
  return MakeFlacCommentEditor();
}

std::unique_ptr<CommentEditor> MakeCommentEditorFor(FILE* file, bool flacName) {
  unsigned char start[4] = {};
  const size_t got = std::fread(start, 1, sizeof start, file);
  std::rewind(file);
  return MakeCommentEditor(start, got, flacName);
}

bool ListOfCommentHeader(CommentCodec codec, const std::string& header, CommentList& list) {
  list = CommentList();
  if (codec == CommentCodec::kFlac) {
    return header.empty() || (header.size() <= kFlacMaxBlockSize && ParseCommentList(header, list));
  }
  const std::string_view magic =
      codec == CommentCodec::kOpus ? std::string_view("OpusTags") : std::string_view("\x03vorbis");
  return header.compare(0, magic.size(), magic) == 0 &&
         ReadCommentHeader(reinterpret_cast<const unsigned char*>(header.data()), header.size(),
                           list);
}
