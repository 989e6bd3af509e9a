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

#include "engine/file_system.h"
#include "text/paths.h"

namespace {

const char kMagic[] = "MIRALE JOURNAL 1\n";
const size_t kMagicLength = sizeof kMagic - 1;
const char kPrefix[] = "run-";
const char kSuffix[] = ".journal";

void PutNumber(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

bool GetNumber(const std::string& in, size_t& at, int bytes, uint64_t& value) {
  if (in.size() - at < static_cast<size_t>(bytes)) return false;
  value = 0;
  for (int i = 0; i < bytes; ++i) {
    value |= static_cast<uint64_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
  }
  at += bytes;
  return true;
}

bool GetBytes(const std::string& in, size_t& at, std::string& bytes) {
  uint64_t length;
  if (!GetNumber(in, at, 4, length) || in.size() - at < length) return false;
  bytes.assign(in, at, length);
  at += length;
  return true;
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

// The run numbers of the journals in folder, oldest first.
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
  PutNumber(record, static_cast<uint64_t>(entry.path.Length()), 4);
  record.append(entry.path.CStr(), static_cast<size_t>(entry.path.Length()));
  for (const FileStamp* stamp : {&entry.stamp, &entry.oldStamp}) {
    PutNumber(record, static_cast<uint64_t>(stamp->size), 8);
    PutNumber(record, static_cast<uint64_t>(stamp->modified), 8);
  }
  PutNumber(record, entry.commentHeader.size(), 4);
  return record + entry.commentHeader;
}

bool ReadRecord(const std::string& in, size_t& at, JournalEntry& entry) {
  std::string path;
  if (!GetBytes(in, at, path)) return false;
  entry.path.Assign(path.c_str());
  for (FileStamp* stamp : {&entry.stamp, &entry.oldStamp}) {
    uint64_t size;
    uint64_t modified;
    if (!GetNumber(in, at, 8, size) || !GetNumber(in, at, 8, modified)) return false;
    stamp->size = static_cast<int64_t>(size);
    stamp->modified = static_cast<int64_t>(modified);
  }
  return GetBytes(in, at, entry.commentHeader);
}

bool ReadWhole(const String& path, std::string& bytes) {
  FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return false;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

}  // namespace

bool JournalWriter::Create(const String& folder, int64_t runTime) {
  if (folder.IsEmpty() || !MakeFolders(folder)) return false;
  std::vector<uint64_t> numbers = RunNumbers(folder);
  uint64_t next = numbers.empty() ? 1 : numbers.back() + 1;
  // Another run may take the same number at the same moment: the next is free.
  for (int tries = 0; tries < 100 && file_ == nullptr; ++tries, ++next) {
    path_ = JournalPath(folder, next);
    file_.reset(CreateNewFile(path_));
  }
  if (file_ == nullptr) return false;
  std::string head(kMagic, kMagicLength);
  PutNumber(head, static_cast<uint64_t>(runTime), 8);
  if (std::fwrite(head.data(), 1, head.size(), file_.get()) != head.size() ||
      std::fflush(file_.get()) != 0) {
    file_.reset();
    RemoveFile(path_.CStr());
    return false;
  }
  for (size_t i = 0; i + kKeptJournals < numbers.size() + 1; ++i) {
    RemoveFile(JournalPath(folder, numbers[i]).CStr());
  }
  return true;
}

bool JournalWriter::Add(const JournalEntry& entry) {
  if (file_ == nullptr) return false;
  const std::string record = Record(entry);
  if (std::fwrite(record.data(), 1, record.size(), file_.get()) != record.size() ||
      std::fflush(file_.get()) != 0) {
    failed_ = true;
    return false;
  }
  ++entries_;
  return true;
}

bool JournalWriter::Finish() {
  if (file_ == nullptr) return false;
  const bool ok = std::fclose(file_.release()) == 0 && !failed_;
  if (entries_ == 0) RemoveFile(path_.CStr());
  return ok;
}

bool ReadNewestJournal(const String& folder, Journal& journal, std::string& reason,
                       uint64_t before) {
  std::vector<uint64_t> numbers = RunNumbers(folder);
  if (before != 0)
    numbers.erase(std::lower_bound(numbers.begin(), numbers.end(), before), numbers.end());
  if (numbers.empty()) return false;
  journal.number = numbers.back();
  journal.path = JournalPath(folder, journal.number);
  std::string bytes;
  size_t at = kMagicLength;
  uint64_t time;
  if (!ReadWhole(journal.path, bytes) || bytes.compare(0, kMagicLength, kMagic) != 0 ||
      !GetNumber(bytes, at, 8, time)) {
    reason = "cannot read the journal " + std::string(journal.path.CStr());
    return false;
  }
  journal.runTime = static_cast<int64_t>(time);
  std::map<std::string, size_t> seen;
  JournalEntry entry;
  while (ReadRecord(bytes, at, entry)) {
    // A file retagged twice in one run goes back to what it had before the first time.
    const auto found = seen.emplace(entry.path.CStr(), journal.entries.size());
    if (found.second) {
      journal.entries.push_back(entry);
    } else {
      journal.entries[found.first->second].stamp = entry.stamp;
    }
  }
  return true;
}

bool RestampJournal(const Journal& journal, const std::vector<JournalEntry>& stamps) {
  FILE* file = OpenFile(journal.path, "ab");
  if (file == nullptr) return false;
  bool ok = true;
  for (const JournalEntry& stamp : stamps) {
    JournalEntry record;
    record.path = stamp.path;
    record.stamp = stamp.stamp;
    const std::string bytes = Record(record);
    ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && ok;
  }
  return std::fclose(file) == 0 && ok;
}
