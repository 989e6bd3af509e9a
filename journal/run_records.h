// The records of a run's journal, each a type of the record log with its payload
// encoded through base/byte_codec.h: what mirale-cli writes as a run goes (the
// run's start, each file's entry before the file is touched, each file's new
// state once it is on the disk, the run's end) and what --undo adds (files put
// back or set aside, stamps handed over to the run before).
#pragma once
#include <cstdint>
#include <string>

#include "files/file_system.h"

enum RunRecordType : uint16_t {
  // Time (seconds since 1970), process id, program version.
  kRunStartRecord = 1,
  // A file about to be touched: entry id, codec, path, identity and stamp
  // before, and its whole old comment header with a checksum of its own.
  kFileEntryRecord = 2,
  // The file's new state, verified and on the disk: entry id, identity, stamp.
  kCommittedRecord = 3,
  // Written by --undo: the entry's file has its old header again.
  kRestoredRecord = 4,
  // Written by --undo: the entry's file changed since the run; left as it is.
  kSetAsideRecord = 5,
  // Written by the undo of a later run: the entry's file is again as this run
  // left it, now with this identity and stamp.
  kRestampRecord = 6,
  // The run ended: time, entries recorded.
  kRunEndRecord = 7,
  // An edit in place: its recovery record, written and flushed before the
  // file's bytes are, and its retirement (journal/recovery_record.h).
  kInPlaceRecoveryRecord = 16,
  kInPlaceRetiredRecord = 17,
};

enum class JournalCodec : uint8_t { kVorbis = 1, kOpus = 2, kFlac = 3 };

struct RunStart {
  int64_t time = 0;
  uint64_t processId = 0;
  std::string version;
};

struct FileEntry {
  uint32_t id = 0;
  JournalCodec codec = JournalCodec::kVorbis;
  std::string path;  // absolute, UTF-8
  FileState before;
  uint32_t headerCrc = 0;
  uint32_t headerSize = 0;
  // Where the header lies in the entry's payload; DecodeFileEntry copies the
  // header itself only when asked to (a scan keeps only its place).
  size_t headerOffset = 0;
  std::string header;
};

// Committed and restamp records.
struct EntryState {
  uint32_t id = 0;
  FileState state;
};

struct RunEnd {
  int64_t time = 0;
  uint32_t entries = 0;
};

std::string EncodeRunStart(const RunStart& start);
std::string EncodeFileEntry(const FileEntry& entry);  // the header's checksum computed here
std::string EncodeEntryState(const EntryState& state);
std::string EncodeEntryId(uint32_t id);  // restored, set aside
std::string EncodeRunEnd(const RunEnd& end);

// Each false when the payload does not hold the record whole.
bool DecodeRunStart(const std::string& payload, RunStart& start);
bool DecodeFileEntry(const std::string& payload, FileEntry& entry, bool withHeader);
bool DecodeEntryState(const std::string& payload, EntryState& state);
bool DecodeEntryId(const std::string& payload, uint32_t& id);

// Whether header is the entry's whole header: its size and its checksum.
bool HeaderMatches(const FileEntry& entry, const std::string& header);
