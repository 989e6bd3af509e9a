// The retag of one file (see retag_file.h), in its phases: validate, move, open,
// edit, write, verify, commit.
#include "engine/retag_file.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string_view>

#include "engine/choosable_tags.h"
#include "engine/comment_editor.h"
#include "engine/file_name_tags.h"
#include "engine/in_place_retag.h"
#include "engine/message_table.h"
#include "engine/taggable_file.h"
#include "files/file_system.h"
#include "flac/flac_metadata.h"
#include "format/date_time.h"
#include "format/format_string.h"
#include "text/encodings.h"

namespace {

// The editor reads and writes in small pieces; a large stream buffer turns
// that into few system calls.
constexpr size_t kStreamBufferSize = 256 * 1024;
// What the headers of a file are read through before it is touched: those of
// most files fit.
constexpr size_t kHeaderBufferSize = 16 * 1024;

// The input as the editor reads it: the bytes taken are counted, so that a read
// that stopped early (a failing disk, a pulled stick) is told from the end.
struct CountedInput {
  FILE* file = nullptr;
  ReadFunc read = ReadFromFile;
  int64_t size = -1;  // of the open file
  int64_t consumed = 0;
  bool endedEarly = false;  // a read came back short before the end of the file

  static size_t Read(void* buffer, size_t size, size_t count, void* handle) {
    CountedInput* input = static_cast<CountedInput*>(handle);
    const size_t got = input->read(buffer, size, count, input->file);
    input->consumed += static_cast<int64_t>(got * size);
    if (got < count && input->consumed != input->size) input->endedEarly = true;
    return got;
  }
  bool Failed() const { return endedEarly || std::ferror(file) != 0; }
};

// The refusals of a native FLAC file, each told in the user's language.
struct FlacRefusal {
  const char* detail;
  const char* MessageTable::*message;
};
const FlacRefusal kFlacRefusals[] = {
    {kFlacNoMarker, &MessageTable::FlacNoMarker},
    {kFlacBadStreamInfo, &MessageTable::FlacBadStreamInfo},
    {kFlacBlockPastEnd, &MessageTable::FlacBlockPastEnd},
    {kFlacSeveralComments, &MessageTable::FlacSeveralComments},
    {kFlacBadCommentList, &MessageTable::FlacBadCommentList},
    {kFlacCommentTooLarge, &MessageTable::FlacCommentTooLarge},
};

void SetNumberTag(CommentEditor& editor, const char* key, int number) {
  String text;
  FormatInto(text, "%d", number);
  WideString value;
  DecodeToWide(text, value);
  editor.SetTag(key, value);
}

// One file's retag. Each phase either goes on or ends the outcome as a failure.
class Retag {
 public:
  Retag(const RetagRequest& request, RetagOutcome& outcome)
      : request_(request),
        choices_(*request.choices),
        messages_(CurrentMessages()),
        outcome_(outcome),
        path_(outcome.filePath.IsEmpty() ? FollowLinks(request.path) : outcome.filePath),
        oldPath_(Concat(path_, ".old")) {}

  // Reads and checks only; listed adds the refusals of a listed file.
  void Prepare(bool listed) {
    outcome_.filePath = path_;
    if (listed && !CheckListed()) return;
    if (!CheckDate() || !Validate() || !CheckOldPath()) return;
    Finish();
  }

  void Complete() {
    if (!CheckDate() || !Move() || !Open()) return;
    Edit(*editor_, true);
    if (!Write() || !Verify() || !VerifyTagsAsRead()) return;
    Commit();
    Finish();
  }

 private:
  bool Fail(const char* message) {
    outcome_.kind = OutcomeKind::kFailure;
    outcome_.message.Assign(message);
    return false;
  }
  void Warn(const char* message) { outcome_.Warn(message); }

  // A read-only file is refused untouched, and anything but a regular file.
  bool CheckListed() {
    if (IsReadOnlyFile(request_.path)) return Fail(messages_.FileIsReadOnly);
    if (KindOfFile(request_.path) != FileKind::kRegular) return Fail(messages_.CannotOpenInput);
    return true;
  }

  bool CheckDate() {
    for (const ChoosableTag& tag : kChoosableTags) {
      if (tag.source == TagSource::kDateField && choices_.IsTicked(tag.box) &&
          !NormalisedDate(choices_.FieldText(tag.field), date_)) {
        return Fail(messages_.BadDate);
      }
    }
    return true;
  }

  // What can be refused before the file is touched: the headers read from the
  // file where it lies, and the header that would replace its own. The file
  // stays as it was.
  bool Validate() {
    ScopedFile file;
    if (!OpenFile(path_, "rb", file).ok() || !GetOpenFileState(file.Get(), outcome_.before).ok()) {
      return Fail(messages_.CannotOpenInput);
    }
    // The headers of most files in one read.
    file.UseBuffer(kHeaderBufferSize);
    CountedInput input = Input(file.Get(), outcome_.before.stamp.size);
    std::unique_ptr<CommentEditor> editor;
    // An edit in place never writes the setup header: it is checked in full
    // only when the file is to be rewritten (below).
    const SetupCheck setup = request_.inPlace ? SetupCheck::kDeferred : SetupCheck::kFull;
    const Status opened = OpenEditor(input, WriteToFile, setup, editor);
    if (!opened.ok()) return Fail(EditorFailure(opened, input.Failed()));
    outcome_.oldCommentHeader = editor->OriginalCommentHeader();
    outcome_.codec = editor->Codec();
    if (request_.commentHeader != nullptr &&
        !editor->AcceptsCommentHeader(*request_.commentHeader)) {
      return Fail(kErrorCorruptSecondary);
    }
    // Tags that the file cannot hold are refused here, not after the move. The
    // warnings are final here for a dry run and an edit in place; a rewrite
    // edits (and warns) again.
    const String warnings = outcome_.message;
    Edit(*editor, request_.dryRun || request_.inPlace);
    const Status writable = editor->CheckWritable();
    if (!writable.ok()) return Fail(EditorFailure(writable, false));
    if (request_.inPlace && PutBackAsItIs(*editor)) outcome_.inPlace = PlanRetagInPlace(*editor);
    if (outcome_.inPlace == nullptr) {
      const Status setupRead = editor->CheckSetupHeader();
      if (!setupRead.ok()) return Fail(EditorFailure(setupRead, false));
    }
    if (request_.dryRun) {
      Report(*editor);
    } else if (outcome_.inPlace == nullptr) {
      outcome_.message = warnings;
    }
    return true;
  }

  // A header put back goes in place only when it comes back byte for byte:
  // an Ogg comment header holds its padding, so it must fill the old one's
  // room exactly (as after an edit in place); FLAC's padding is a block of
  // its own.
  bool PutBackAsItIs(const CommentEditor& editor) const {
    return request_.commentHeader == nullptr || editor.Codec() == CommentCodec::kFlac ||
           request_.commentHeader->size() == editor.OriginalCommentHeader().size();
  }

  // The move needs the ".old" name free (a left-over copy is never replaced),
  // short enough for the file system, in a folder that may be written. An
  // edit in place needs no new name, but a left-over copy is the original of
  // an interrupted run, which --undo would put back over the edit.
  bool CheckOldPath() {
    if (KindOfFile(oldPath_) != FileKind::kMissing) {
      outcome_.oldCopyInTheWay = true;
      return Fail(messages_.CannotRenameInput);
    }
    if (outcome_.inPlace == nullptr && !CheckNewName(oldPath_).ok()) {
      return Fail(messages_.CannotRenameInput);
    }
    return true;
  }

  // The file moves to its ".old" path, never replacing anything there.
  bool Move() {
    if (!RenameFile(path_.CStr(), oldPath_.CStr()).ok()) {
      return Fail(messages_.CannotRenameInput);
    }
    return true;
  }

  // What moved must be the file that was prepared (and recorded): another
  // program may have written it since; then it goes back.
  bool Open() {
    FileState moved;
    if (!OpenFile(oldPath_, "rb", oldFile_).ok() || !GetOpenFileState(oldFile_.Get(), moved).ok() ||
        moved != outcome_.before) {
      oldFile_.Close();
      RenameFile(oldPath_.CStr(), path_.CStr());
      return Fail(messages_.CannotOpenInput);
    }
    oldFile_.UseBuffer(kStreamBufferSize);
    input_ = Input(oldFile_.Get(), moved.stamp.size);
    // The file is the one prepared, whose headers were checked in full then.
    const Status opened =
        OpenEditor(input_, request_.write != nullptr ? request_.write : WriteToFile,
                   SetupCheck::kDeferred, editor_);
    if (!opened.ok()) return Fail(EditorFailure(opened, input_.Failed()));
    return true;
  }

  // The editor for the file's kind, told by its first bytes, with its headers
  // read. The first bytes are taken straight from the stream, which is then
  // wound back for the editor.
  Status OpenEditor(CountedInput& input, WriteFunc write, SetupCheck setup,
                    std::unique_ptr<CommentEditor>& editor) {
    editor = MakeCommentEditorFor(input.file, IsFlacFileName(request_.path));
    return editor->Open(&input, CountedInput::Read, input.size, write, setup);
  }

  // The edit the request asks for; warn adds its warnings to the outcome.
  void Edit(CommentEditor& editor, bool warn) {
    if (request_.commentHeader != nullptr) {
      editor.ReplaceCommentHeader(*request_.commentHeader);
      return;
    }
    const FileNameTags nameTags = ParseFileNameTags(request_.path);
    if (warn && !nameTags.separatorFound &&
        (IsSourceTicked(TagSource::kNameArtist) || IsSourceTicked(TagSource::kNameTitle))) {
      Warn(messages_.SeparatorNotFound);
    }
    for (const ChoosableTag& tag : kChoosableTags) {
      if (IsApplied(choices_, tag.box)) SetChosenTag(editor, tag, nameTags, warn);
    }
  }

  bool IsSourceTicked(TagSource source) const {
    for (const ChoosableTag& tag : kChoosableTags) {
      if (tag.source == source && choices_.IsTicked(tag.box)) return true;
    }
    return false;
  }

  void SetChosenTag(CommentEditor& editor, const ChoosableTag& tag, const FileNameTags& nameTags,
                    bool warn) {
    switch (tag.source) {
      case TagSource::kField:
        editor.SetTag(tag.tagName, choices_.FieldTextWide(tag.field));
        break;
      case TagSource::kDateField:
        editor.SetTag(tag.tagName, date_);
        break;
      case TagSource::kNameTrack:
        // A name without a two-digit prefix keeps whatever track number the file has.
        if (nameTags.trackNumber >= 0) {
          SetNumberTag(editor, tag.tagName, nameTags.trackNumber);
        } else if (warn) {
          Warn(messages_.TrackNumberNotFound);
        }
        break;
      case TagSource::kListPosition:
        SetNumberTag(editor, tag.tagName, request_.position);
        break;
      case TagSource::kNameArtist:
        editor.SetTag(tag.tagName, nameTags.artist);
        break;
      case TagSource::kNameTitle:
        editor.SetTag(tag.tagName, nameTags.title);
        break;
    }
  }

  // The new file under the file's own name. A failed read, write or close (a
  // full disk shows up there) removes the incomplete output; ".old" stays.
  bool Write() {
    ScopedFile output;
    if (!OpenFile(path_, "wb", output).ok()) return Fail(messages_.CannotOpenOutput);
    output.UseBuffer(kStreamBufferSize);
    KeepFileOwnership(oldFile_.Get(), output.Get());
    editor_->SetPadding(request_.PaddingFor(editor_->Codec()));
    const Status written = editor_->Write(output.Get());
    const bool closed = output.Close().ok();
    // A write that failed stops reading early: only then is a short read no fault.
    const bool readFailed =
        std::ferror(oldFile_.Get()) != 0 || (written.ok() && input_.consumed != input_.size);
    oldFile_.Close();
    if (readFailed || !written.ok()) return Discard(EditorFailure(written, readFailed));
    if (!closed) return Discard(kErrorWrite);
    if (editor_->DataLeftOut()) Warn(messages_.DataLeftOut);
    return true;
  }

  // The new file read back and checked against the input, then put on the disk.
  bool Verify() {
    ScopedFile output;
    if (!OpenFile(path_, "r+b", output).ok()) return Discard(messages_.VerifyFailed);
    output.UseBuffer(kStreamBufferSize);
    // The disk takes the new file while it is read back.
    StartFlushToDisk(output.Get());
    int64_t size = -1;
    if (!GetOpenFileSize(output.Get(), size).ok() ||
        !editor_->VerifyRewrite(output.Get(), ReadFromFile, size).ok()) {
      output.Close();
      return Discard(messages_.VerifyFailed);
    }
    if ((!request_.deferCommit && !FlushToDisk(output.Get()).ok()) ||
        !GetOpenFileState(output.Get(), outcome_.after).ok()) {
      output.Close();
      return Discard(kErrorWrite);
    }
    if (!output.Close().ok()) return Discard(kErrorWrite);
    return true;
  }

  // A header written as it was given is read back as a decoder reads it, and
  // its tags compared with the tags it was meant to hold.
  bool VerifyTagsAsRead() {
    if (request_.commentHeader == nullptr) return true;
    CommentList meant;
    ScopedFile file;
    if (!editor_->ListOfHeader(*request_.commentHeader, meant) ||
        !OpenFile(path_, "rb", file).ok()) {
      return Discard(messages_.VerifyFailed);
    }
    CountedInput input = Input(file.Get());
    std::unique_ptr<CommentEditor> written;
    if (!OpenEditor(input, WriteToFile, SetupCheck::kFull, written).ok() ||
        written->WrittenList() != meant) {
      return Discard(messages_.VerifyFailed);
    }
    return true;
  }

  // Only a verified new file, on the disk, lets the old copy go.
  void Commit() {
    outcome_.vendor = editor_->WrittenList().vendor;
    if (request_.deferCommit) {
      outcome_.newPath = path_;
      outcome_.pendingOldPath = oldPath_;
    } else if (!RemoveFile(oldPath_.CStr()).ok()) {
      Warn(messages_.CannotDeleteOldFile);
    }
  }

  void Finish() {
    outcome_.kind = outcome_.message.IsEmpty() ? OutcomeKind::kOk : OutcomeKind::kWarning;
  }

  // Removes the new file; the ".old" copy is then the only one, kept.
  bool Discard(const char* message) {
    RemoveFile(path_.CStr());
    return Fail(message);
  }

  // The input of an open file of this size.
  CountedInput Input(FILE* file, int64_t size) const {
    CountedInput input;
    input.file = file;
    if (request_.read != nullptr) input.read = request_.read;
    input.size = size;
    return input;
  }
  CountedInput Input(FILE* file) const {
    int64_t size = -1;
    GetOpenFileSize(file, size);
    return Input(file, size);
  }

  void Report(const CommentEditor& editor) {
    CommentList list = editor.WrittenList();
    outcome_.vendor = std::move(list.vendor);
    outcome_.comments = std::move(list.entries);
  }

  const RetagRequest& request_;
  const TagChoices& choices_;
  const MessageTable& messages_;
  RetagOutcome& outcome_;
  // The file itself: a link is followed, so that the file is rewritten where
  // it lies and the link stays a link. Its name tags come from the listed name.
  const String path_;
  const String oldPath_;
  WideString date_;
  ScopedFile oldFile_;
  CountedInput input_;
  std::unique_ptr<CommentEditor> editor_;
};

}  // namespace

const char* EditorFailure(const Status& status, bool readFailed) {
  const MessageTable& messages = CurrentMessages();
  if (readFailed) return messages.CannotReadInput;
  if (status.code() == StatusCode::kIoError) return kErrorWrite;
  for (const FlacRefusal& refusal : kFlacRefusals) {
    if (status.detail() == refusal.detail) return messages.*refusal.message;
  }
  return status.detail();
}

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

void RetagOutcome::Warn(const char* text) {
  if (!message.IsEmpty()) message.Append(" ; ");
  message.Append(text);
  if (kind == OutcomeKind::kOk) kind = OutcomeKind::kWarning;
}

void FlushRetags(const std::vector<RetagOutcome*>& outcomes) {
  FinishInPlaceRetags(outcomes);
  std::vector<String> written;
  for (const RetagOutcome* outcome : outcomes) {
    if (!outcome->pendingOldPath.IsEmpty()) written.push_back(outcome->newPath);
  }
  if (written.empty() || FlushFilesToDisk(written).ok()) return;
  // One file gone or failing must not fail the others: each on its own.
  for (RetagOutcome* outcome : outcomes) {
    if (outcome->pendingOldPath.IsEmpty()) continue;
    const Status flushed = FlushFileToDisk(outcome->newPath);
    if (flushed.ok()) continue;
    RemoveFile(outcome->newPath.CStr());
    outcome->kind = OutcomeKind::kFailure;
    outcome->message.Assign(
        flushed.code() == StatusCode::kNotFound ? CurrentMessages().CannotOpenOutput : kErrorWrite);
    outcome->pendingOldPath = String();
  }
}

void DropOldCopies(const std::vector<RetagOutcome*>& outcomes) {
  for (RetagOutcome* outcome : outcomes) {
    if (outcome->pendingOldPath.IsEmpty()) continue;
    if (!RemoveFile(outcome->pendingOldPath.CStr()).ok()) {
      outcome->Warn(CurrentMessages().CannotDeleteOldFile);
    }
    outcome->pendingOldPath = String();
  }
}

String RetagOutcome::Segment() const {
  switch (kind) {
    case OutcomeKind::kOk:
      return String(" OK");
    case OutcomeKind::kWarning:
      return Concat(" \xB1OK : ", message);
    case OutcomeKind::kFailure:
      break;
  }
  return Concat(" ", message);
}

RetagOutcome PrepareRetag(const RetagRequest& request) {
  RetagOutcome outcome;
  Retag(request, outcome).Prepare(true);
  return outcome;
}

void CompleteRetag(const RetagRequest& request, RetagOutcome& outcome) {
  if (outcome.kind == OutcomeKind::kFailure || request.dryRun) return;
  if (outcome.inPlace != nullptr) return WriteRetagInPlace(request, outcome);
  Retag(request, outcome).Complete();
}

RetagOutcome RetagListedFile(const RetagRequest& request) {
  RetagOutcome outcome = PrepareRetag(request);
  CompleteRetag(request, outcome);
  return outcome;
}

RetagOutcome RetagFile(const RetagRequest& request) {
  RetagOutcome outcome;
  Retag(request, outcome).Prepare(false);
  CompleteRetag(request, outcome);
  return outcome;
}

bool RetagFile(const String& path, String& message, int position, const TagChoices& choices,
               WriteFunc write) {
  RetagRequest request;
  request.path = path;
  request.position = position;
  request.choices = &choices;
  request.write = write;
  const RetagOutcome outcome = RetagFile(request);
  message = outcome.message;
  return outcome.kind != OutcomeKind::kFailure;
}
