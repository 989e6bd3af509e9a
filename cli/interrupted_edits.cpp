// Recovery of interrupted edits in place (see interrupted_edits.h). A journal
// that ends with the mark of a log at rest is passed over without being read;
// any other that no process holds is read whole, its pending records applied,
// their retirements (and the mark) recorded with one flush.
#include "cli/interrupted_edits.h"

#include <map>
#include <string>

#include "cli/cli_texts.h"
#include "cli/console_output.h"
#include "cli/terminal_text.h"
#include "files/file_system.h"
#include "journal/journal_folder.h"
#include "journal/record_log.h"
#include "journal/recovery_record.h"
#include "journal/run_records.h"

namespace {

const std::string& AtRest() {
  static const std::string payload = EncodeRetirement(kEveryRecordRetired);
  return payload;
}

// What became of one pending record.
enum class Recovered {
  kRestored,  // the old bytes are back, on the disk
  kWasOld,    // the file already had them: nothing to write
  kLeft,      // not the file the record names, or changed since: left alone
  kRetry,     // cannot be reached or written now: the record stays
};

// The pending records of a journal, by where each starts in it.
using PendingRecords = std::map<int64_t, RecoveryRecord>;

Recovered Recover(const RecoveryRecord& record, Status& failure) {
  ScopedDescriptor file;
  failure = OpenFileToEdit(String(record.path.c_str()), file);
  if (failure.code() == StatusCode::kNotFound) return Recovered::kLeft;
  if (!failure.ok()) return Recovered::kRetry;
  FileState state;
  if (!GetDescriptorState(file.Get(), state).ok() || !(state.identity == record.identity) ||
      state.stamp.size != record.size) {
    return Recovered::kLeft;
  }
  std::string found(record.oldBytes.size(), '\0');
  size_t got = 0;
  failure =
      ReadFileAt(file.Get(), static_cast<int64_t>(record.offset), &found[0], found.size(), got);
  if (!failure.ok()) return Recovered::kRetry;
  found.resize(got);
  switch (CompareWithRecord(record, found)) {
    case FoundBytes::kOld:
      return Recovered::kWasOld;
    case FoundBytes::kNeither:
      return Recovered::kLeft;
    case FoundBytes::kNew:
    case FoundBytes::kTorn:
      break;
  }
  failure = WriteFileAt(file.Get(), static_cast<int64_t>(record.offset), record.oldBytes.data(),
                        record.oldBytes.size());
  if (failure.ok()) failure = FlushFileData(file.Get());
  return failure.ok() ? Recovered::kRestored : Recovered::kRetry;
}

// The records of the log not retired; a record that does not prove itself
// (its own checksum) is never taken.
void ReadPending(RecordLogReader& reader, PendingRecords& pending) {
  LogRecord record;
  while (reader.Next(record)) {
    if (record.type == kInPlaceRecoveryRecord) {
      RecoveryRecord recovery;
      if (DecodeRecoveryRecord(record.payload, recovery)) pending[record.offset] = recovery;
    } else if (record.type == kInPlaceRetiredRecord) {
      int64_t retired;
      if (DecodeRetirement(record.payload, retired)) pending.erase(retired);
    }
  }
}

class JournalRecovery {
 public:
  JournalRecovery(bool dryRun, const CliConsole& console) : dryRun_(dryRun), console_(console) {}

  void Run(const String& path) {
    if (LogEndsWith(path, kInPlaceRetiredRecord, AtRest())) return;
    // A journal held by a live process is its own business.
    RecordLogWriter writer;
    RecordLogReader reader;
    if (!writer.Open(path).ok() || !reader.Open(path).ok()) return;
    PendingRecords pending;
    ReadPending(reader, pending);
    const LogEnd end = reader.End();
    const int64_t validEnd = reader.ValidEnd();
    reader.Close();
    if (dryRun_) {
      for (const auto& entry : pending) Say(cli_text::kInterruptedEditPending, entry.second);
      return;
    }
    std::vector<int64_t> retired;
    for (const auto& entry : pending) {
      if (Apply(entry.second)) retired.push_back(entry.first);
    }
    // A damaged journal keeps its damage for --undo to tell; its records are
    // found old at the next start, and then pass without a word.
    if (end == LogEnd::kDamaged || !writer.AppendAt(validEnd).ok()) return;
    for (const int64_t offset : retired) {
      writer.Append(kInPlaceRetiredRecord, EncodeRetirement(offset));
    }
    if (retired.size() == pending.size()) writer.Append(kInPlaceRetiredRecord, AtRest());
    writer.Flush();
  }

 private:
  // True when the record may be retired.
  bool Apply(const RecoveryRecord& record) {
    Status failure;
    switch (Recover(record, failure)) {
      case Recovered::kRestored:
        Say(cli_text::kRestoredAfterInterruptedEdit, record);
        return true;
      case Recovered::kWasOld:
        return true;
      case Recovered::kLeft:
        Say(cli_text::kInterruptedEditLeft, record);
        return true;
      case Recovered::kRetry:
        break;
    }
    PrintFormat(console_.err, cli_text::kInterruptedEditUnreached.In(console_.french),
                ShownPath(String(record.path.c_str())).c_str(), failure.detail());
    return false;
  }

  void Say(const cli_text::LocalText& text, const RecoveryRecord& record) {
    PrintFormat(console_.err, text.In(console_.french),
                ShownPath(String(record.path.c_str())).c_str());
  }

  const bool dryRun_;
  const CliConsole& console_;
};

}  // namespace

void RecoverInterruptedEdits(bool dryRun, const CliConsole& console) {
  const String folder = StateFolder();
  if (folder.IsEmpty()) return;
  JournalRecovery recovery(dryRun, console);
  for (const uint64_t number : JournalNumbers(folder)) recovery.Run(JournalPath(folder, number));
}
