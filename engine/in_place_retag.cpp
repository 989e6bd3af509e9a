// The edit in place of one file (see in_place_retag.h), in its phases: plan,
// write and check, then flush and read back, or put the old bytes back.
#include "engine/in_place_retag.h"

#include <cstring>

#include "engine/message_table.h"
#include "files/file_system.h"

namespace {

Status WriteAtOffset(int file, int64_t offset, const std::string& bytes) {
  return WriteFileAt(file, offset, bytes.data(), bytes.size());
}

// The file as the check reads it: from its start, through the descriptor.
struct DescriptorInput {
  int file = -1;
  int64_t position = 0;

  static size_t Read(void* buffer, size_t size, size_t count, void* handle) {
    DescriptorInput* input = static_cast<DescriptorInput*>(handle);
    size_t got = 0;
    if (size == 0 || !ReadFileAt(input->file, input->position, buffer, size * count, got).ok()) {
      return 0;
    }
    input->position += static_cast<int64_t>(got);
    return got / size;
  }
};

void Fail(RetagOutcome& outcome, const char* message) {
  outcome.kind = OutcomeKind::kFailure;
  outcome.message.Assign(message);
}

// Blocks of bytes compared at once where the old and new bytes of an edit are
// the same: over a setup header and padding, several KiB.
constexpr size_t kCompareBlock = 64;

// How many bytes a and b (as long) have the same from their start.
size_t SameBytesAtStart(const std::string& a, const std::string& b) {
  size_t same = 0;
  while (same + kCompareBlock <= a.size() && std::memcmp(&a[same], &b[same], kCompareBlock) == 0) {
    same += kCompareBlock;
  }
  while (same < a.size() && a[same] == b[same]) ++same;
  return same;
}

// How many bytes a and b (as long) have the same up to their end, at most limit.
size_t SameBytesAtEnd(const std::string& a, const std::string& b, size_t limit) {
  const size_t size = a.size();
  size_t same = 0;
  while (same + kCompareBlock <= limit &&
         std::memcmp(&a[size - same - kCompareBlock], &b[size - same - kCompareBlock],
                     kCompareBlock) == 0) {
    same += kCompareBlock;
  }
  while (same < limit && a[size - same - 1] == b[size - same - 1]) ++same;
  return same;
}

// Refused before any byte was written.
void LeaveUntouched(RetagOutcome& outcome, const char* message) {
  outcome.inPlace->file.Close();
  outcome.inPlace->state = InPlaceState::kUntouched;
  Fail(outcome, message);
}

// The old bytes back and on the disk, then the outcome fails with message;
// when they cannot be put back, the next start puts them back from the
// recovery record.
void PutOldBytesBack(RetagOutcome& outcome, const char* message) {
  InPlaceRetag& edit = *outcome.inPlace;
  const int64_t offset = static_cast<int64_t>(edit.offset);
  const bool back = edit.writes->write(edit.file.Get(), offset, edit.oldBytes).ok() &&
                    edit.writes->flush(edit.file.Get()).ok();
  edit.file.Close();
  edit.state = back ? InPlaceState::kRestored : InPlaceState::kRestoreFailed;
  Fail(outcome, back ? message : CurrentMessages().InPlaceRestoreFailed);
}

// Whether these bytes are at the edit's place in the file.
bool FoundInPlace(const InPlaceRetag& edit, const std::string& bytes) {
  std::string found(bytes.size(), '\0');
  size_t got = 0;
  return ReadFileAt(edit.file.Get(), static_cast<int64_t>(edit.offset), &found[0], found.size(),
                    got)
             .ok() &&
         got == found.size() && found == bytes;
}

// The file as a player reads it, checked once the new bytes are written:
// the result depends on the file's bytes alone, which Finish then proves are
// on the disk.
bool Checked(const RetagOutcome& outcome) {
  DescriptorInput input;
  input.file = outcome.inPlace->file.Get();
  return outcome.inPlace->check(&input, DescriptorInput::Read, outcome.before.stamp.size).ok();
}

// A written and checked edit put on the disk (flushed says the group's flush
// did it), then the system's copy of its bytes dropped and their reading
// from the disk begun; or its old bytes put back. False when they were.
bool OnTheDisk(RetagOutcome& outcome, bool flushed) {
  InPlaceRetag& edit = *outcome.inPlace;
  if (!flushed && !edit.writes->flush(edit.file.Get()).ok()) {
    PutOldBytesBack(outcome, CurrentMessages().InPlaceWriteFailed);
    return false;
  }
  const int64_t offset = static_cast<int64_t>(edit.offset);
  const int64_t size = static_cast<int64_t>(edit.newBytes.size());
  ForgetCachedBytes(edit.file.Get(), offset, size);
  StartReadingBytes(edit.file.Get(), offset, size);
  return true;
}

// The bytes read back from the disk and compared with those written; or the
// old bytes put back.
void ReadBack(RetagOutcome& outcome) {
  InPlaceRetag& edit = *outcome.inPlace;
  if (!FoundInPlace(edit, edit.newBytes)) {
    return PutOldBytesBack(outcome, CurrentMessages().InPlaceVerifyFailed);
  }
  GetDescriptorState(edit.file.Get(), outcome.after);
  edit.file.Close();
  edit.state = InPlaceState::kDone;
}

}  // namespace

const InPlaceWrites kDiskInPlaceWrites = {WriteAtOffset, FlushFileData, FlushOpenFilesData};

std::shared_ptr<InPlaceRetag> PlanRetagInPlace(CommentEditor& editor) {
  InPlaceBytes bytes = editor.PlanInPlace();
  if (!bytes.fits) return nullptr;
  // Only the bytes that differ are written (and recorded): most of a comment
  // header's pages (FLAC's metadata stretch) are padding that stays zeros.
  const std::string& before = bytes.oldBytes;
  const std::string& after = bytes.newBytes;
  const size_t first = SameBytesAtStart(before, after);
  const size_t end = before.size() - SameBytesAtEnd(before, after, before.size() - first);
  auto edit = std::make_shared<InPlaceRetag>();
  edit->offset = bytes.offset + first;
  edit->oldBytes = before.substr(first, end - first);
  edit->newBytes = after.substr(first, end - first);
  edit->check = std::move(bytes.check);
  // The plan's old and new bytes, and the comments, each about as long; and
  // what else the check keeps.
  edit->heldBytes = 3 * before.size() + bytes.checkHolds;
  return edit;
}

void WriteRetagInPlace(const RetagRequest& request, RetagOutcome& outcome) {
  InPlaceRetag& edit = *outcome.inPlace;
  if (request.inPlaceWrites != nullptr) edit.writes = request.inPlaceWrites;
  const MessageTable& messages = CurrentMessages();
  // Another program may have written the file since it was prepared.
  FileState now;
  if (!OpenFileToEdit(outcome.filePath, edit.file).ok() ||
      !GetDescriptorState(edit.file.Get(), now).ok() || now != outcome.before ||
      !FoundInPlace(edit, edit.oldBytes)) {
    return LeaveUntouched(outcome, messages.CannotOpenInput);
  }
  // From here a part of the bytes may be in the file.
  edit.state = InPlaceState::kWritten;
  if (!edit.writes->write(edit.file.Get(), static_cast<int64_t>(edit.offset), edit.newBytes).ok()) {
    return PutOldBytesBack(outcome, messages.InPlaceWriteFailed);
  }
  if (!Checked(outcome)) return PutOldBytesBack(outcome, messages.InPlaceVerifyFailed);
  if (!request.deferCommit) FinishInPlaceRetags({&outcome});
}

void FinishInPlaceRetags(const std::vector<RetagOutcome*>& outcomes) {
  std::vector<RetagOutcome*> written;
  std::vector<int> files;
  for (RetagOutcome* outcome : outcomes) {
    if (outcome->inPlace == nullptr || outcome->inPlace->state != InPlaceState::kWritten) continue;
    written.push_back(outcome);
    files.push_back(outcome->inPlace->file.Get());
  }
  // One file is flushed alone, a group at once; when that fails, each alone,
  // so that only a file that fails fails.
  const bool flushed = written.size() > 1 && written[0]->inPlace->writes->flushAll(files).ok();
  std::vector<RetagOutcome*> flushedOnes;
  for (RetagOutcome* outcome : written) {
    if (OnTheDisk(*outcome, flushed)) flushedOnes.push_back(outcome);
  }
  // Every file's read from the disk is under way before the first is waited for.
  for (RetagOutcome* outcome : flushedOnes) ReadBack(*outcome);
}

void PutBackInPlace(RetagOutcome& outcome) {
  if (outcome.inPlace == nullptr) return;
  InPlaceRetag& edit = *outcome.inPlace;
  if (edit.state != InPlaceState::kWritten && edit.state != InPlaceState::kDone) return;
  // A finished edit was closed: it goes back only as it was left.
  if (!edit.file.IsValid() &&
      (!OpenFileToEdit(outcome.filePath, edit.file).ok() || !FoundInPlace(edit, edit.newBytes))) {
    edit.file.Close();
    edit.state = InPlaceState::kRestoreFailed;
    return Fail(outcome, CurrentMessages().InPlaceRestoreFailed);
  }
  PutOldBytesBack(outcome, CurrentMessages().InPlaceWriteFailed);
}
