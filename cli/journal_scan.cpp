// Reading a run's journal (see journal_scan.h).
#include "cli/journal_scan.h"

#include <map>

bool FileStateLess::operator()(const FileState& a, const FileState& b) const {
  if (!(a.identity == b.identity)) return a.identity < b.identity;
  if (a.stamp.size != b.stamp.size) return a.stamp.size < b.stamp.size;
  return a.stamp.modified < b.stamp.modified;
}

namespace {

class ScanBuilder {
 public:
  explicit ScanBuilder(RunScan& scan) : scan_(scan) {}

  void Take(const LogRecord& record) {
    switch (record.type) {
      case kRunStartRecord:
        DecodeRunStart(record.payload, scan_.start);
        break;
      case kFileEntryRecord:
        TakeEntry(record);
        break;
      case kCommittedRecord:
      case kRestampRecord: {
        EntryState state;
        if (DecodeEntryState(record.payload, state)) TakeState(state);
        break;
      }
      case kRestoredRecord:
      case kSetAsideRecord: {
        uint32_t id;
        const auto found = DecodeEntryId(record.payload, id) ? fileOf_.find(id) : fileOf_.end();
        if (found != fileOf_.end()) scan_.files[found->second].done = true;
        break;
      }
      default:
        break;  // the run's end, and records of other kinds
    }
  }

 private:
  void TakeEntry(const LogRecord& record) {
    FileEntry entry;
    if (!DecodeFileEntry(record.payload, entry, false) || fileOf_.count(entry.id) != 0) return;
    ++scan_.entries;
    // The file as an earlier entry left it: the same file, reached again.
    const auto earlier = fileAfter_.find(entry.before);
    size_t at;
    if (earlier != fileAfter_.end()) {
      at = earlier->second;
    } else {
      at = scan_.files.size();
      scan_.files.emplace_back();
      RunFile& file = scan_.files.back();
      file.firstId = entry.id;
      file.path = entry.path;
      file.codec = entry.codec;
      file.before = entry.before;
      file.headerOffset = record.payloadOffset + static_cast<int64_t>(entry.headerOffset);
      file.headerSize = entry.headerSize;
      file.headerCrc = entry.headerCrc;
    }
    scan_.files[at].ids.push_back(entry.id);
    fileOf_[entry.id] = at;
  }

  void TakeState(const EntryState& state) {
    const auto found = fileOf_.find(state.id);
    if (found == fileOf_.end()) return;
    scan_.files[found->second].afters.push_back(state.state);
    fileAfter_[state.state] = found->second;
  }

  RunScan& scan_;
  std::map<uint32_t, size_t> fileOf_;                     // entry id -> file
  std::map<FileState, size_t, FileStateLess> fileAfter_;  // a state the run left -> file
};

}  // namespace

Status ScanRunJournal(const String& path, RecordLogReader& reader, RunScan& scan) {
  const Status opened = reader.Open(path);
  if (!opened.ok()) return opened;
  ScanBuilder builder(scan);
  LogRecord record;
  while (reader.Next(record)) builder.Take(record);
  scan.end = reader.End();
  scan.validEnd = reader.ValidEnd();
  return Status::Ok();
}

bool ReadOldHeader(RecordLogReader& reader, const RunFile& file, std::string& header) {
  FileEntry recorded;
  recorded.headerSize = file.headerSize;
  recorded.headerCrc = file.headerCrc;
  return reader.ReadAt(file.headerOffset, file.headerSize, header).ok() &&
         HeaderMatches(recorded, header);
}
