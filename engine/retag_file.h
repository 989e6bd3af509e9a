// RetagFile: rewrites the comment header of one Ogg Vorbis or Opus file, or of
// a native FLAC file, under its own name, through a backup at its path with
// ".old" appended, following the user's tag choices; or, when asked and the new
// tags fit, edits it where it lies (engine/in_place_retag.h). In two phases for
// a journal: PrepareRetag only reads and checks, CompleteRetag touches the
// file. RetagListedFile does both, with what both front ends need around it:
// one outcome (ok, warning or failure) to show.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/padding_policy.h"
#include "engine/comment_editor.h"
#include "engine/tag_choices.h"
#include "files/file_system.h"
#include "text/shared_string.h"
#include "vorbis/tag_editor.h"

struct InPlaceRetag;
struct InPlaceWrites;

struct RetagRequest {
  String path;
  int position = 1;  // 1-based place in the list, for the track number from list order
  const TagChoices* choices = nullptr;
  // Checks, reads and edits only: nothing on disk changes, and the outcome tells
  // what a real run would do as far as it can be known without writing.
  bool dryRun = false;
  // When set, this whole comment header packet is written as it is, instead of
  // the comment list edited by the choices (taking a retag back): only when it
  // reads as a comment header of the file's codec, and the tags read back from
  // the new file must be its tags.
  const std::string* commentHeader = nullptr;
  // The padding a rewrite leaves after the new comment header, so that the next
  // edit fits in place; none by default (the dialog keeps its bytes as they are).
  PaddingPolicy padding{/*noPadding=*/true};
  // Edits the file where it lies when the new comment header fits in the old
  // one's room (engine/in_place_retag.h); otherwise rewrites it. Only for a
  // caller that records each edit's recovery record before the file is
  // touched (mirale-cli's journal).
  bool inPlace = false;
  // When set, native FLAC files take this policy instead: the dialog leaves
  // padding in the FLAC files it rewrites while its Ogg files keep their bytes.
  std::optional<PaddingPolicy> flacPadding;
  // Leaves the flush of the new file to the disk and the removal of the ".old"
  // copy to FlushRetags and DropOldCopies, so that a batch is flushed at once.
  bool deferCommit = false;
  // Replace fread and fwrite on the files, so that tests can make the disk fail.
  ReadFunc read = nullptr;
  WriteFunc write = nullptr;
  // The same for the writes of an edit in place; null for the disk's.
  const InPlaceWrites* inPlaceWrites = nullptr;

  const PaddingPolicy& PaddingFor(CommentCodec codec) const {
    return codec == CommentCodec::kFlac && flacPadding ? *flacPadding : padding;
  }
};

enum class OutcomeKind { kOk, kWarning, kFailure };

struct RetagOutcome {
  OutcomeKind kind = OutcomeKind::kFailure;
  // 8-bit windows-1252 text: the reason of a failure, or every warning that
  // applies, joined by " ; "; empty when the file was retagged without remark.
  String message;
  // The comment header the file had, once its headers were read: the whole
  // packet for Ogg, the comment block's body for FLAC (empty when it had none).
  std::string oldCommentHeader;
  // What a journal records, once PrepareRetag has read the file: the file
  // itself (links followed), its codec and state before it is touched; and the
  // new file's state once written and verified.
  String filePath;
  CommentCodec codec = CommentCodec::kVorbis;
  FileState before;
  FileState after;
  // The refusal came from a ".old" file already beside the file: the original
  // left by an interrupted or failed run, most likely.
  bool oldCopyInTheWay = false;
  // In a dry run, the comments that would be written, key=value in UTF-8, in
  // list order (a real run does not keep them: they may be large); and the
  // vendor text kept.
  std::vector<std::string> comments;
  std::string vendor;
  // With deferCommit: the new file, verified but not yet flushed, and the
  // ".old" copy that DropOldCopies removes once it is on the disk.
  String newPath;
  String pendingOldPath;
  // Set once PrepareRetag found that the edit fits in place: the edit, its
  // bytes and how far it went; null for a rewrite.
  std::shared_ptr<InPlaceRetag> inPlace;

  // Adds a warning to the message; an ok outcome becomes a warning.
  void Warn(const char* text);
  // The segment that ends the file's line: " OK", " ±OK : warnings" or " reason".
  String Segment() const;
};

// The read-only phase of a listed file: refuses a read-only file or one that
// is not a regular file, then validates what can be without touching it (the
// date, its headers, a replacement header, the ".old" name free and makable).
// A failure leaves the file as it was. In a dry run the outcome is final and
// tells what a real run would do; otherwise a prepared outcome (not a failure)
// goes to CompleteRetag.
RetagOutcome PrepareRetag(const RetagRequest& request);
// The phase that touches the file, after a PrepareRetag of the same request:
// moves it to its ".old" path (refused when it is no longer the file that was
// prepared), writes, verifies, flushes and deletes the ".old" copy (or leaves
// those two to the batch with deferCommit). Any failure after the move leaves
// the untouched file at the ".old" path and nothing at path.
void CompleteRetag(const RetagRequest& request, RetagOutcome& outcome);

// The result of one listed file, as both front ends show it: both phases.
RetagOutcome RetagListedFile(const RetagRequest& request);

// Both phases without the listed file's refusals (read-only, not regular).
RetagOutcome RetagFile(const RetagRequest& request);

// Puts the new files of deferred retags on the disk, all at once where the
// system can; when that fails, one by one, so that only a file that fails
// fails: its new file is removed and its ".old" copy kept. Edits in place are
// flushed, read back and checked (see FinishInPlaceRetags).
void FlushRetags(const std::vector<RetagOutcome*>& outcomes);
// Then removes the ".old" copies of the deferred retags still pending.
void DropOldCopies(const std::vector<RetagOutcome*>& outcomes);

// The one mapping of a comment editor's failure to a message of the current
// table: a read that failed is the disk's fault, whatever the editor made of
// the bytes it got; a failed write has the write text; a FLAC refusal has its
// message in the user's language; any other failure is the format's own text
// (English only: it serves both languages).
const char* EditorFailure(const Status& status, bool readFailed);

// The date field validated and normalised to YYYY[-MM[-DD[ hh[:mm[:ss]]]]];
// false when it holds no leading number or a field is out of range.
bool NormalisedDate(const String& text, WideString& date);

// The older form: true when a new file was written under path; message gets the
// outcome's message.
bool RetagFile(const String& path, String& message, int position, const TagChoices& choices,
               WriteFunc write = nullptr);
