// The journal of a run that writes: its start, each file's entry (path, codec,
// identity and stamp, the whole old comment header) recorded and flushed with
// its group before the file is touched, with the recovery record of an edit in
// place; each file's new state once it is on the disk (and the edit's
// retirement), and the run's end. One file per run, locked while the run lasts.
#pragma once
#include <cstdint>
#include <thread>
#include <vector>

#include "base/status.h"
#include "cli/batch_runner.h"
#include "cli/recovery_log.h"
#include "engine/comment_editor.h"
#include "journal/record_log.h"
#include "journal/run_records.h"
#include "text/shared_string.h"

// The journal's name of a file's codec, and the codec it names.
JournalCodec JournalCodecOf(CommentCodec codec);
CommentCodec CommentCodecOf(JournalCodec codec);

class RunJournal : public BatchRecorder {
 public:
  explicit RunJournal(const LogWriteFunctions& io = kDiskLogWrites) : log_(io), recovery_(log_) {}
  ~RunJournal();
  RunJournal(const RunJournal&) = delete;
  RunJournal& operator=(const RunJournal&) = delete;

  // Makes the run's journal, the newest in folder, locked for the run, with
  // its start record (not yet flushed: the first group's flush carries it).
  // The journals beyond those kept are removed meanwhile, beside the run:
  // removing a file waits for the file system, and no file of the run waits
  // for it.
  Status Start(const String& folder, int64_t time);

  void Record(size_t index, const RetagOutcome& prepared) override;
  void Committed(size_t index, const RetagOutcome& outcome) override;
  bool Flush() override;

  // Writes the run's end (to the system only: nothing depends on it after a
  // crash) and lets the journal go; a journal that recorded no file is
  // removed, as there is nothing to take back.
  Status Finish(int64_t time);
  // Lets the journal go as it is, without an end (the run stopped).
  void Abandon();

  // The run's log itself, for records of other kinds: Append, then Flush
  // before the bytes they guard are written; a scan skips the kinds it does
  // not know.
  RecordLogWriter& Log() { return log_; }
  const String& Path() const { return path_; }
  const Status& Failure() const { return log_.Failure(); }

 private:
  // Returns once the journals beyond those kept are removed (see Start).
  void AwaitOldJournalsRemoval();

  RecordLogWriter log_;
  RecoveryLog recovery_;
  String path_;
  std::vector<uint32_t> ids_;  // the entry of each file of the list, 0 for none
  uint32_t entries_ = 0;
  std::thread oldJournalsRemoval_;
};
