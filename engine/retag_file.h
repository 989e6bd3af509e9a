// RetagFile: rewrites the comment header of one Ogg Vorbis file in place, through
// a backup at its path with ".old" appended, following the user's tag choices.
// RetagListedFile adds what both front ends need around it: the read-only test
// and one outcome (ok, warning or failure with its message) to show.
#pragma once
#include <string>
#include <vector>

#include "base/padding_policy.h"
#include "engine/tag_choices.h"
#include "text/shared_string.h"
#include "vorbis/tag_editor.h"

struct RetagRequest {
  String path;
  int position = 1;  // 1-based place in the list, for the track number from list order
  const TagChoices* choices = nullptr;
  // Checks, reads and edits only: nothing on disk changes, and the outcome tells
  // what a real run would do as far as it can be known without writing.
  bool dryRun = false;
  // When set, this whole comment header packet is written as it is, instead of
  // the comment list edited by the choices (taking a retag back).
  const std::string* commentHeader = nullptr;
  // The padding a rewrite leaves after the new comment header, so that the next
  // edit fits in place; none by default (the dialog keeps its bytes as they are).
  PaddingPolicy padding{/*noPadding=*/true};
  // Leaves the flush of the new file to the disk and the removal of the ".old"
  // copy to CommitRetags, so that a batch of files is flushed at once.
  bool deferCommit = false;
  // Replace fread and fwrite on the files, so that tests can make the disk fail.
  ReadFunc read = nullptr;
  WriteFunc write = nullptr;
};

enum class OutcomeKind { kOk, kWarning, kFailure };

struct RetagOutcome {
  OutcomeKind kind = OutcomeKind::kFailure;
  // 8-bit windows-1252 text: the reason of a failure, or every warning that
  // applies, joined by " ; "; empty when the file was retagged without remark.
  String message;
  // The comment header packet the file had, once its headers were read.
  std::string oldCommentHeader;
  // The comments written (or, in a dry run, that would be written), key=value
  // in UTF-8, in list order; and the vendor text kept.
  std::vector<std::string> comments;
  std::string vendor;
  // With deferCommit: the new file, verified but not yet flushed, and the
  // ".old" copy that CommitRetags removes once it is on the disk.
  String newPath;
  String pendingOldPath;

  // Adds a warning to the message; an ok outcome becomes a warning.
  void Warn(const char* text);
  // The segment that ends the file's line: " OK", " ±OK : warnings" or " reason".
  String Segment() const;
};

// The result of one listed file, as both front ends show it: a read-only file
// is refused untouched, any other goes through RetagFile.
RetagOutcome RetagListedFile(const RetagRequest& request);

// Validates, moves the file to its ".old" path, reads and edits its headers,
// writes the new file, verifies it, flushes it and deletes the ".old" copy.
// Refusals before the move leave the file as it was; any later failure leaves
// the untouched file at the ".old" path and nothing at path.
RetagOutcome RetagFile(const RetagRequest& request);

// Flushes the new files of deferred retags to the disk, all at once, and only
// then removes their ".old" copies. When the flush fails, the new files are
// removed and the ".old" copies kept: those retags become failures.
void CommitRetags(const std::vector<RetagOutcome*>& outcomes);

// The date field validated and normalised to YYYY[-MM[-DD[ hh[:mm[:ss]]]]];
// false when it holds no leading number or a field is out of range.
bool NormalisedDate(const String& text, WideString& date);

// The older form: true when a new file was written under path; message gets the
// outcome's message.
bool RetagFile(const String& path, String& message, int position, const TagChoices& choices,
               WriteFunc write = nullptr);
