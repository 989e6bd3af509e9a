// The retag of one file (see retag_file.h).
#include "engine/retag_file.h"

#include <cstdio>
#include <memory>

#include "engine/file_name_tags.h"
#include "engine/file_system.h"
#include "engine/message_table.h"
#include "format/date_time.h"
#include "format/format_string.h"
#include "text/encodings.h"
#include "text/paths.h"

namespace {

// Closes its stream exactly once: on Close, or when the call ends.
class FileHolder {
 public:
  static constexpr size_t kBufferSize = 64 * 1024;

  explicit FileHolder(FILE* file) : file_(file) {}
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;
  ~FileHolder() { Close(); }
  FILE* Get() const { return file_; }
  // The editor reads 4096 bytes and writes one page at a time; a larger stream
  // buffer turns that into few system calls. (The buffer is given: some runtime
  // libraries ignore the size when they are to allocate it themselves.)
  void UseLargeBuffer() {
    buffer_.reset(new char[kBufferSize]);
    std::setvbuf(file_, buffer_.get(), _IOFBF, kBufferSize);
  }
  // True when the stream was flushed and closed without error.
  bool Close() {
    if (file_ == nullptr) return true;
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
  }

 private:
  FILE* file_;
  std::unique_ptr<char[]> buffer_;  // freed after the stream is closed
};

size_t ReadFromFile(void* buffer, size_t size, size_t count, void* handle) {
  return std::fread(buffer, size, count, static_cast<FILE*>(handle));
}

size_t WriteToFile(const void* data, size_t size, size_t count, void* handle) {
  return std::fwrite(data, size, count, static_cast<FILE*>(handle));
}

bool Fail(String& message, const char* text) {
  message.Assign(text);
  return false;
}

// The date field, validated and normalised to YYYY[-MM[-DD[ hh[:mm[:ss]]]]].
// False when the text holds no leading number or a field is out of range.
bool NormalisedDate(const String& text, WideString& date) {
  // DateTime::Parse answers 1900 for a text without any number, and the number
  // reader would take "-2004" as a wrapped 63532; a user who ticked the date box
  // meant neither, so the text must start with a digit (after blanks).
  const char* first = text.CStr();
  while (*first == ' ' || *first == '\t') ++first;
  if (!IsDigitChar(static_cast<unsigned char>(*first))) return false;
  DateTime parsed;
  const int n = parsed.Parse(text);
  if (n == 0 || parsed.year < 1000 || parsed.month == 0 || parsed.month > 12 || parsed.day == 0 ||
      parsed.day > 31) {
    return false;
  }
  DecodeToWide(parsed.Format(n >= 1, n >= 2, n >= 3, n >= 4, n >= 5, n >= 6), date);
  return true;
}

void SetNumberTag(TagEditor& editor, const char* key, int number) {
  String text;
  FormatInto(text, "%d", number);
  WideString value;
  DecodeToWide(text, value);
  editor.SetTag(key, value);
}

void SetFieldTag(TagEditor& editor, const TagChoices& choices, ChoiceId box, ChoiceId field,
                 const char* key) {
  if (choices.IsTicked(box)) editor.SetTag(key, choices.FieldTextWide(field));
}

}  // namespace

bool RetagFile(const String& path, String& message, int position, const TagChoices& choices,
               WriteFunc write) {
  const MessageTable& messages = CurrentMessages();
  const String oldPath = Concat(path, ".old");
  if (!RenameFile(path.CStr(), oldPath.CStr())) return Fail(message, messages.CannotRenameInput);

  FileHolder input(std::fopen(oldPath.CStr(), "rb"));
  if (input.Get() == nullptr) return Fail(message, messages.CannotOpenInput);
  input.UseLargeBuffer();

  const FileNameTags nameTags = ParseFileNameTags(path, choices.FileNames());
  if (!nameTags.separatorFound &&
      (choices.IsTicked(kArtistFromNameBox) || choices.IsTicked(kTitleFromNameBox))) {
    message.Assign(messages.SeparatorNotFound);
  }

  TagEditor editor;
  if (!editor.Open(input.Get(), ReadFromFile, write != nullptr ? write : WriteToFile)) {
    return Fail(message, editor.LastError());
  }

  if (choices.IsTicked(kDateBox)) {
    WideString date;
    if (!NormalisedDate(choices.FieldText(kDateField), date)) {
      return Fail(message, messages.BadDate);
    }
    editor.SetTag("DATE", date);
  }
  SetFieldTag(editor, choices, kAlbumBox, kAlbumField, "ALBUM");
  SetFieldTag(editor, choices, kLabelBox, kLabelField, "LABEL");
  SetFieldTag(editor, choices, kGenreBox, kGenreField, "GENRE");
  SetFieldTag(editor, choices, kArtistBox, kArtistField, "ARTIST");
  if (choices.IsTicked(kTrackFromNameBox)) {
    // A name without a two-digit prefix keeps whatever track number the file has.
    if (nameTags.trackNumber >= 0) {
      SetNumberTag(editor, "TRACKNUMBER", nameTags.trackNumber);
    } else {
      message.Assign(messages.TrackNumberNotFound);
    }
  } else if (choices.IsTicked(kTrackFromOrderBox)) {
    SetNumberTag(editor, "TRACKNUMBER", position);
  }
  if (choices.IsTicked(kArtistFromNameBox)) editor.SetTag("ARTIST", nameTags.artist);
  if (choices.IsTicked(kTitleFromNameBox)) editor.SetTag("TITLE", nameTags.title);
  SetFieldTag(editor, choices, kCommentBox, kCommentField, "COMMENT");

  FileHolder output(std::fopen(path.CStr(), "wb"));
  if (output.Get() == nullptr) return Fail(message, messages.CannotOpenOutput);
  output.UseLargeBuffer();
  KeepFilePermissions(input.Get(), output.Get());

  // The ".old" copy may only go once the new file is wholly on disk: a failed
  // write or close (a full disk shows up there) removes the incomplete output
  // and keeps the old copy, the only intact one.
  const bool written = editor.Write(output.Get()) == 0;
  input.Close();
  const bool closed = output.Close();
  if (!written || !closed) {
    RemoveFile(path.CStr());
    return Fail(message, kErrorWrite);
  }

  if (!RemoveFile(oldPath.CStr())) message.Assign(messages.CannotDeleteOldFile);
  return true;
}
