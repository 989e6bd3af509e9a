// Recovery records of a batch (see recovery_log.h).
#include "cli/recovery_log.h"

#include "engine/in_place_retag.h"
#include "journal/recovery_record.h"
#include "journal/run_records.h"

void RecoveryLog::Record(size_t index, const RetagOutcome& prepared) {
  if (prepared.inPlace == nullptr) return;
  const InPlaceRetag& edit = *prepared.inPlace;
  RecoveryRecord record;
  record.path = AbsolutePath(prepared.filePath).CStr();
  record.identity = prepared.before.identity;
  record.size = prepared.before.stamp.size;
  record.offset = edit.offset;
  record.oldBytes = edit.oldBytes;
  record.newDigests = PieceDigests(edit.offset, edit.newBytes);
  if (records_.size() <= index) records_.resize(index + 1, 0);
  records_[index] = log_.Append(kInPlaceRecoveryRecord, EncodeRecoveryRecord(record));
  ++pending_;
}

bool RecoveryLog::Retire(size_t index, const RetagOutcome& outcome) {
  if (index >= records_.size() || records_[index] == 0 || outcome.inPlace == nullptr ||
      !outcome.inPlace->Settled()) {
    return false;
  }
  log_.Append(kInPlaceRetiredRecord, EncodeRetirement(records_[index]));
  records_[index] = 0;
  --pending_;
  return outcome.inPlace->state == InPlaceState::kDone;
}

void RecoveryLog::MarkAtRest() {
  if (pending_ == 0) log_.Append(kInPlaceRetiredRecord, EncodeRetirement(kEveryRecordRetired));
}
