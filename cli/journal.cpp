// Journals of runs (see journal.h). The format: the magic line, the run time,
// then one record per file, integers little-endian:
//   u32 path length, path, i64 size, i64 modified, i64 old size, i64 old
//   modified, u32 header length, header.
// A record cut short (a run that stopped) ends the journal. A later record for
// the same path changes only its stamp.
#include "cli/journal.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "base/byte_codec.h"
#include "text/paths.h"

namespace {

const char kMagic[] = "MIRALE JOURNAL 1\n";
const size_t kMagicLength = sizeof kMagic - 1;
const char kPrefix[] = "run-";
const char kSuffix[] = ".journal";

bool GetBytes(ByteReader& in, std::string& bytes) {
  uint32_t length;
  return in.Le32(length) && in.Bytes(length, bytes);
}

// The run number of a journal's file name, or 0 for any other name.
uint64_t RunNumber(const char* name) {
  const size_t length = std::strlen(name);
  const size_t prefix = sizeof kPrefix - 1;
  const size_t suffix = sizeof kSuffix - 1;
  if (length <= prefix + suffix || std::strncmp(name, kPrefix, prefix) != 0 ||
      std::strcmp(name + length - suffix, kSuffix) != 0) {
    return 0;
  }
  uint64_t number = 0;
  for (size_t i = prefix; i < length - suffix; ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    number = number * 10 + static_cast<uint64_t>(name[i] - '0');
  }
  return number;
}

String JournalPath(const String& folder, uint64_t number) {
  // Zero-padded so that a listing sorted by name shows the runs in order.
  std::string digits = std::to_string(number);
  if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
  const std::string name = kPathSeparators[0] + (kPrefix + digits) + kSuffix;
  return Concat(folder, name.c_str());
}

// The run numbers of the journals in folder, oldest first; none when the
// folder cannot be listed.
std::vector<uint64_t> RunNumbers(const String& folder) {
  std::vector<FolderEntry> entries;
  std::vector<uint64_t> numbers;
  ListFolder(folder, entries);
  for (const FolderEntry& entry : entries) {
    const uint64_t number = RunNumber(entry.name.CStr());
    if (number != 0 && !entry.isFolder) numbers.push_back(number);
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

std::string Record(const JournalEntry& entry) {
  std::string record;
  ByteWriter out(record);
  out.Le32(static_cast<uint32_t>(entry.path.Length()));
  out.Bytes(entry.path.CStr(), static_cast<size_t>(entry.path.Length()));
  for (const FileStamp* stamp : {&entry.stamp, &entry.oldStamp}) {
    out.Le64(static_cast<uint64_t>(stamp->size));
    out.Le64(static_cast<uint64_t>(stamp->modified));
  }
  out.Le32(static_cast<uint32_t>(entry.commentHeader.size()));
  out.Bytes(entry.commentHeader);
  return record;
}

bool ReadRecord(ByteReader& in, JournalEntry& entry) {
  std::string path;
  if (!GetBytes(in, path)) return false;
  entry.path.Assign(path.c_str());
  for (FileStamp* stamp : {&entry.stamp, &entry.oldStamp}) {
    uint64_t size;
    uint64_t modified;
    if (!in.Le64(size) || !in.Le64(modified)) return false;
    stamp->size = static_cast<int64_t>(size);
    stamp->modified = static_cast<int64_t>(modified);
  }
  return GetBytes(in, entry.commentHeader);
}

// Writes the bytes and hands them to the system.
Status WriteThrough(FILE* file, const std::string& bytes) {
  const Status written = WriteBytes(file, bytes);
  return written.ok() ? FlushToSystem(file) : written;
}

}  // namespace

Status JournalWriter::Create(const String& folder, int64_t runTime) {
  if (folder.IsEmpty()) return Status(StatusCode::kNotFound, "no state folder");
  Status status = MakeFolders(folder);
  if (!status.ok()) return status;
  std::vector<uint64_t> numbers = RunNumbers(folder);
  uint64_t next = numbers.empty() ? 1 : numbers.back() + 1;
  // Another run may take the same number at the same moment: the next is free.
  for (int tries = 0; tries < 100 && !file_.IsOpen(); ++tries, ++next) {
    path_ = JournalPath(folder, next);
    status = CreateNewFile(path_, file_);
  }
  if (!status.ok()) return status;
  std::string head(kMagic, kMagicLength);
  ByteWriter(head).Le64(static_cast<uint64_t>(runTime));
  status = WriteThrough(file_.Get(), head);
  if (!status.ok()) {
    file_.Close();
    RemoveFile(path_.CStr());
    return status;
  }
  for (size_t i = 0; i + kKeptJournals < numbers.size() + 1; ++i) {
    RemoveFile(JournalPath(folder, numbers[i]).CStr());
  }
  return Status::Ok();
}

Status JournalWriter::Add(const JournalEntry& entry) {
  if (!file_.IsOpen()) return Status(StatusCode::kInvalid, "the journal is not open");
  const Status written = WriteThrough(file_.Get(), Record(entry));
  if (!written.ok()) {
    if (failure_.ok()) failure_ = written;
    return written;
  }
  ++entries_;
  return Status::Ok();
}

Status JournalWriter::Finish() {
  if (!file_.IsOpen()) return Status(StatusCode::kInvalid, "the journal is not open");
  const Status closed = file_.Close();
  if (entries_ == 0) RemoveFile(path_.CStr());
  return closed.ok() ? failure_ : closed;
}

Status ReadNewestJournal(const String& folder, Journal& journal, uint64_t before) {
  std::vector<uint64_t> numbers = RunNumbers(folder);
  if (before != 0)
    numbers.erase(std::lower_bound(numbers.begin(), numbers.end(), before), numbers.end());
  if (numbers.empty()) return Status(StatusCode::kNotFound, "no journal");
  journal.number = numbers.back();
  journal.path = JournalPath(folder, journal.number);
  std::string bytes;
  if (!ReadWholeFile(journal.path, bytes).ok()) {
    // Whatever stopped the read, the journal is there and cannot be read.
    return Status(StatusCode::kIoError, "cannot read the journal");
  }
  ByteReader in(bytes);
  std::string magic;
  uint64_t time;
  if (!in.Bytes(kMagicLength, magic) || magic != kMagic || !in.Le64(time)) {
    return Status(StatusCode::kCorrupt, "not a journal");
  }
  journal.runTime = static_cast<int64_t>(time);
  std::map<std::string, size_t> seen;
  JournalEntry entry;
  while (ReadRecord(in, entry)) {
    // A file retagged twice in one run goes back to what it had before the first time.
    const auto found = seen.emplace(entry.path.CStr(), journal.entries.size());
    if (found.second) {
      journal.entries.push_back(entry);
    } else {
      journal.entries[found.first->second].stamp = entry.stamp;
    }
  }
  return Status::Ok();
}

Status RestampJournal(const Journal& journal, const std::vector<JournalEntry>& stamps) {
  ScopedFile file;
  const Status opened = OpenFile(journal.path, "ab", file);
  if (!opened.ok()) return opened;
  Status status;
  for (const JournalEntry& stamp : stamps) {
    JournalEntry record;
    record.path = stamp.path;
    record.stamp = stamp.stamp;
    const Status written = WriteBytes(file.Get(), Record(record));
    if (status.ok()) status = written;
  }
  const Status closed = file.Close();
  return status.ok() ? closed : status;
}
