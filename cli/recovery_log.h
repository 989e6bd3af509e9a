// The recovery records of a batch's edits in place, in the log of the journal
// the batch holds: a run's own journal, or the journal an undo takes back.
// Each edit's record goes with its group's flush before the file is touched;
// its retirement once the file is settled, with the next flush.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cli/batch_runner.h"
#include "journal/record_log.h"

class RecoveryLog {
 public:
  explicit RecoveryLog(RecordLogWriter& log) : log_(log) {}

  // The recovery record of a prepared edit in place (nothing for a rewrite).
  void Record(size_t index, const RetagOutcome& prepared);
  // Its retirement, once the file holds the new bytes checked or the old
  // ones; true when the edit's new state may be recorded (it is done).
  bool Retire(size_t index, const RetagOutcome& outcome);
  // Marks the log at rest when no record of it is pending: then the next
  // start finds nothing to recover there without reading it.
  void MarkAtRest();

 private:
  RecordLogWriter& log_;
  std::vector<int64_t> records_;  // where each file's record starts, 0 for none
  size_t pending_ = 0;
};

// Records only the recovery records of a batch (an undo's rewrites).
class RecoveryRecorder : public BatchRecorder {
 public:
  explicit RecoveryRecorder(RecordLogWriter& log) : log_(log), records_(log) {}

  void Record(size_t index, const RetagOutcome& prepared) override {
    records_.Record(index, prepared);
  }
  void Committed(size_t index, const RetagOutcome& outcome) override {
    records_.Retire(index, outcome);
  }
  bool Flush() override { return log_.Flush().ok(); }
  RecoveryLog& Records() { return records_; }

 private:
  RecordLogWriter& log_;
  RecoveryLog records_;
};
