// Reading a file's comments where it lies (see file_comments.h).
#include "engine/file_comments.h"

#include <cstdio>
#include <memory>

#include "engine/message_table.h"
#include "engine/retag_file.h"
#include "engine/taggable_file.h"
#include "files/file_system.h"
#include "ogg/io_functions.h"
#include "vorbis/tag_editor.h"

bool ReadFileComments(const String& path, FileComments& comments, const char*& reason) {
  ScopedFile file;
  int64_t size = -1;
  if (!OpenFile(path, "rb", file).ok() || !GetOpenFileSize(file.Get(), size).ok()) {
    reason = CurrentMessages().CannotOpenInput;
    return false;
  }
  std::unique_ptr<CommentEditor> editor = MakeCommentEditorFor(file.Get(), IsFlacFileName(path));
  const Status opened =
      editor->Open(file.Get(), ReadFromFile, size, WriteToFile, SetupCheck::kFull);
  if (!opened.ok()) {
    reason = EditorFailure(opened, std::ferror(file.Get()) != 0);
    return false;
  }
  comments.codec = editor->Codec();
  comments.header = editor->OriginalCommentHeader();
  if (!editor->ListOfHeader(comments.header, comments.list)) {
    reason = kErrorCorruptSecondary;
    return false;
  }
  comments.pictures = editor->Pictures();
  return true;
}
