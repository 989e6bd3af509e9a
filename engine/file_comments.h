// A file's comments read where it lies, from its headers (Ogg) or its metadata
// (FLAC) only, never written: what mirale-cli lists, and what an undo compares
// with the comment header it would put back.
#pragma once
#include <string>
#include <vector>

#include "engine/comment_editor.h"
#include "flac/flac_picture.h"
#include "text/shared_string.h"
#include "vorbis_comments/comment_list.h"

struct FileComments {
  CommentCodec codec = CommentCodec::kVorbis;
  // As stored: the whole packet for Ogg, the comment block's body for FLAC
  // (empty when the file has none).
  std::string header;
  CommentList list;  // its vendor text and entries
  std::vector<FlacPicture> pictures;
};

// False with the reason, the message a result line gives (windows-1252, in the
// current table's language) when the file cannot be opened or read as one.
bool ReadFileComments(const String& path, FileComments& comments, const char*& reason);
