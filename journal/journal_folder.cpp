// The journals' folder (see journal_folder.h).
#include "journal/journal_folder.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "files/file_system.h"
#include "text/paths.h"

namespace {

const char kPrefix[] = "run-";
const char kSuffix[] = ".journal";

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

// Removes the journal unless a process holds it (a run still going).
void RemoveUnlessHeld(const String& path) {
  ScopedFile file;
  if (!OpenFile(path, "rb", file).ok() || !LockOpenFile(file.Get()).ok()) return;
  // Windows removes no open file: the lock goes just before the name.
  file.Close();
  RemoveFile(path.CStr());
}

}  // namespace

String JournalPath(const String& folder, uint64_t number) {
  // Zero-padded so that a listing sorted by name shows the runs in order.
  std::string digits = std::to_string(number);
  if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
  const std::string name = kPathSeparators[0] + (kPrefix + digits) + kSuffix;
  return Concat(folder, name.c_str());
}

std::vector<uint64_t> JournalNumbers(const String& folder) {
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

Status CreateJournal(const String& folder, RecordLogWriter& writer, String& path) {
  if (folder.IsEmpty()) return Status(StatusCode::kNotFound, "no state folder");
  Status status = MakeFolders(folder);
  if (!status.ok()) return status;
  const std::vector<uint64_t> numbers = JournalNumbers(folder);
  uint64_t next = numbers.empty() ? 1 : numbers.back() + 1;
  // Another run may take the same number at the same moment: the next is free.
  status = Status(StatusCode::kExists, "no free journal name");
  for (int tries = 0; tries < 100 && !writer.IsOpen(); ++tries, ++next) {
    path = JournalPath(folder, next);
    status = writer.Create(path);
    if (status.code() != StatusCode::kExists && status.code() != StatusCode::kBusy) break;
  }
  if (!status.ok()) {
    // A journal made but not written holds nothing to take back.
    if (writer.IsOpen()) {
      writer.Close();
      RemoveFile(path.CStr());
    }
    return status;
  }
  return Status::Ok();
}

void RemoveOldJournals(const String& folder) {
  const std::vector<uint64_t> numbers = JournalNumbers(folder);
  for (size_t i = 0; i + kKeptJournals < numbers.size(); ++i) {
    RemoveUnlessHeld(JournalPath(folder, numbers[i]));
  }
}
