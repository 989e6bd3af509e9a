// The journal of a run that writes: for each retagged file its path, the new
// file's stamp and its old comment header, so that --undo can put the run back.
// One file per run in the user's state folder; the newest ones are kept.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"
#include "files/file_system.h"
#include "text/shared_string.h"

struct JournalEntry {
  String path;                // absolute
  FileStamp stamp;            // of the file as the run left it
  FileStamp oldStamp;         // of the file before the run
  std::string commentHeader;  // the whole packet the file had before, raw bytes
};

struct Journal {
  String path;          // of the journal itself
  uint64_t number = 0;  // of the run, counting up
  int64_t runTime = 0;  // seconds since 1970
  std::vector<JournalEntry> entries;
};

// How many runs can be taken back.
constexpr size_t kKeptJournals = 20;

class JournalWriter {
 public:
  JournalWriter() = default;
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  // Makes a new journal, the newest in folder (made when missing), and removes
  // the oldest beyond kKeptJournals. Fails when it cannot be written.
  Status Create(const String& folder, int64_t runTime);
  // Records one file; it is in the journal file when this returns ok.
  Status Add(const JournalEntry& entry);
  // Closes the journal; one that records no file is removed, as there is
  // nothing to take back. Fails when it could not be completed.
  Status Finish();
  const String& Path() const { return path_; }

 private:
  ScopedFile file_;
  String path_;
  size_t entries_ = 0;
  Status failure_;  // of the first Add that failed
};

// The newest journal in folder, or with before set the newest of the runs before
// that number: kNotFound when there is none, another failure when it cannot be
// read (journal.path names it then). Entries for one path are merged: the
// first old header and old stamp, the last stamp.
Status ReadNewestJournal(const String& folder, Journal& journal, uint64_t before = 0);

// Gives files of the journal new stamps: a file put back by the undo of a later
// run is the file this run left, and this run can still be taken back.
Status RestampJournal(const Journal& journal, const std::vector<JournalEntry>& stamps);
