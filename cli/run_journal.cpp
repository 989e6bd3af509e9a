// The run's journal (see run_journal.h).
#include "cli/run_journal.h"

#include "base/version.h"
#include "cli/platform.h"
#include "files/file_system.h"
#include "journal/journal_folder.h"
#include "journal/run_records.h"

JournalCodec JournalCodecOf(CommentCodec codec) {
  return codec == CommentCodec::kFlac   ? JournalCodec::kFlac
         : codec == CommentCodec::kOpus ? JournalCodec::kOpus
                                        : JournalCodec::kVorbis;
}

CommentCodec CommentCodecOf(JournalCodec codec) {
  return codec == JournalCodec::kFlac   ? CommentCodec::kFlac
         : codec == JournalCodec::kOpus ? CommentCodec::kOpus
                                        : CommentCodec::kVorbis;
}

RunJournal::~RunJournal() { AwaitOldJournalsRemoval(); }

void RunJournal::AwaitOldJournalsRemoval() {
  if (oldJournalsRemoval_.joinable()) oldJournalsRemoval_.join();
}

Status RunJournal::Start(const String& folder, int64_t time) {
  const Status created = CreateJournal(folder, log_, path_);
  if (!created.ok()) return created;
  // A text of its own for the thread: buffers count their references without locks.
  oldJournalsRemoval_ = std::thread([own = String(folder.CStr())] { RemoveOldJournals(own); });
  RunStart start;
  start.time = time;
  start.processId = CurrentProcessId();
  start.version = MIRALE_SHORT_VERSION_TEXT;
  log_.Append(kRunStartRecord, EncodeRunStart(start));
  return Status::Ok();
}

void RunJournal::Record(size_t index, const RetagOutcome& prepared) {
  if (ids_.size() <= index) ids_.resize(index + 1, 0);
  FileEntry entry;
  entry.id = ++entries_;
  entry.codec = JournalCodecOf(prepared.codec);
  entry.path = AbsolutePath(prepared.filePath).CStr();
  entry.before = prepared.before;
  entry.header = prepared.oldCommentHeader;
  log_.Append(kFileEntryRecord, EncodeFileEntry(entry));
  ids_[index] = entry.id;
  recovery_.Record(index, prepared);
}

void RunJournal::Committed(size_t index, const RetagOutcome& outcome) {
  if (index >= ids_.size() || ids_[index] == 0) return;
  // An edit in place has a new state only when it is done.
  if (outcome.inPlace != nullptr && !recovery_.Retire(index, outcome)) return;
  EntryState committed;
  committed.id = ids_[index];
  committed.state = outcome.after;
  log_.Append(kCommittedRecord, EncodeEntryState(committed));
}

bool RunJournal::Flush() { return log_.Flush().ok(); }

void RunJournal::Abandon() {
  log_.Close();
  AwaitOldJournalsRemoval();
}

Status RunJournal::Finish(int64_t time) {
  RunEnd end;
  end.time = time;
  end.entries = entries_;
  log_.Append(kRunEndRecord, EncodeRunEnd(end));
  recovery_.MarkAtRest();
  const Status written = log_.WriteOut();
  log_.Close();
  if (entries_ == 0) RemoveFile(path_.CStr());
  AwaitOldJournalsRemoval();
  return written;
}
