// A run's journal as --undo reads it, as a stream: its files, each with where
// its old comment header lies in the journal (the headers stay there until
// needed), the states the run left it in, and whether an undo already put it
// back or set it aside. Entries of one file are merged: a retag whose file was
// as an earlier entry of the run left it (a rewrite gives the file a new
// identity) is the same file, which goes back to its first old header.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"
#include "files/file_system.h"
#include "journal/record_log.h"
#include "journal/run_records.h"

// An order of file states, to look them up.
struct FileStateLess {
  bool operator()(const FileState& a, const FileState& b) const;
};

struct RunFile {
  uint32_t firstId = 0;  // the first entry's id, which the undo's records name
  std::vector<uint32_t> ids;
  std::string path;  // the first entry's
  JournalCodec codec = JournalCodec::kVorbis;
  FileState before;  // as the run found it
  int64_t headerOffset = 0;
  uint32_t headerSize = 0;
  uint32_t headerCrc = 0;
  std::vector<FileState> afters;  // every state the run (or a later undo) left it in
  bool done = false;              // put back or set aside by an undo
};

struct RunScan {
  RunStart start;
  std::vector<RunFile> files;
  size_t entries = 0;
  LogEnd end = LogEnd::kClean;
  int64_t validEnd = 0;  // right after the last record that proves itself
};

// Reads the journal at path through reader, which stays open for the headers:
// the reader's failures (see RecordLogReader::Open), else ok.
Status ScanRunJournal(const String& path, RecordLogReader& reader, RunScan& scan);

// The file's old header, read again from the journal; false when it is no
// longer what was recorded (its size or its checksum).
bool ReadOldHeader(RecordLogReader& reader, const RunFile& file, std::string& header);
