// The edit of a file where it lies, when its new comment header fits in the
// old one's room: only the bytes of the comment's pages (Ogg) or metadata
// stretch (FLAC) that change are written, at their offset, the file's size
// unchanged. In the phases a batch runs: planned while the file is only read,
// so that its recovery record can be on the disk before the file is touched;
// written and checked as a player reads it; flushed with its group, and the
// bytes written read back from the disk and compared. A failed write, check,
// flush or comparison puts the old bytes back at once.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/status.h"
#include "engine/comment_editor.h"
#include "engine/retag_file.h"
#include "files/scoped_holders.h"

// The writes and flushes of an edit in place: the file seam's by default; the
// tests give ones that fail at a chosen step.
struct InPlaceWrites {
  Status (*write)(int file, int64_t offset, const std::string& bytes);
  Status (*flush)(int file);
  // Puts several files on the disk at less cost than one flush each.
  Status (*flushAll)(const std::vector<int>& files);
};
extern const InPlaceWrites kDiskInPlaceWrites;

enum class InPlaceState {
  kPlanned,        // nothing written yet
  kUntouched,      // refused before any byte was written: the file is as it was
  kWritten,        // the new bytes are written and checked, not yet on the disk
  kDone,           // the new bytes are checked, on the disk, read back from it
  kRestored,       // a write, flush or check failed; the old bytes are back on the disk
  kRestoreFailed,  // the old bytes could not be put back (the recovery record stays)
};

struct InPlaceRetag {
  // The bytes that change, of the comment header's pages (FLAC's metadata
  // stretch): where they start, what they are and what replaces them.
  uint64_t offset = 0;
  std::string oldBytes;
  std::string newBytes;
  InPlaceCheck check;
  // About what the edit holds until it is done, the check's plan included.
  size_t heldBytes = 0;
  InPlaceState state = InPlaceState::kPlanned;
  // Open from the write until the edit is settled; on Windows no other
  // process may write the file meanwhile.
  ScopedDescriptor file;
  const InPlaceWrites* writes = &kDiskInPlaceWrites;

  // Whether the file holds, on the disk, either the new bytes checked or the
  // old ones: its recovery record may be retired.
  bool Settled() const {
    return state == InPlaceState::kDone || state == InPlaceState::kUntouched ||
           state == InPlaceState::kRestored;
  }
};

// The edit in place that gives the file the editor's comment header, when it
// fits; null when the file must be rewritten.
std::shared_ptr<InPlaceRetag> PlanRetagInPlace(CommentEditor& editor);

// Writes the planned bytes of a prepared edit in place, once the file is
// found as it was prepared: the same file, unchanged, the old bytes at their
// place (otherwise it is left untouched); then checks the file. Without
// deferCommit it then finishes as FinishInPlaceRetags does; with it, that is
// the batch's part.
void WriteRetagInPlace(const RetagRequest& request, RetagOutcome& outcome);

// Puts the written edits of these outcomes on the disk (a group at once where
// the system can), reads their bytes back from the disk and compares them
// with those written; each failure puts its file's old bytes back and fails
// its outcome. The files close.
void FinishInPlaceRetags(const std::vector<RetagOutcome*>& outcomes);

// Puts the old bytes back of an edit written (checked or not), flushed: when
// its success cannot be recorded. The outcome becomes a failure.
void PutBackInPlace(RetagOutcome& outcome);
