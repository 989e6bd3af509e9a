// The journal's store: an append-only log of typed records in one file, each
// record framed and checksummed so that it proves itself, written by one locked
// writer with grouped durable flushes and read back as a stream.
//
// The format. The file starts with the magic line "MIRALE JOURNAL 2\n" (the
// older, unframed journals start with "MIRALE JOURNAL 1\n"). Then records, each:
//   u32 length   bytes of type and payload (at least 2)
//   u16 type     what the payload holds (journal/run_records.h)
//   payload      length - 2 bytes
//   u32 crc      CRC-32 (the Ogg polynomial) over length, type and payload
// every integer little-endian. A length of zero ends the written part, so that
// space may be preallocated with zeros. A record whose length runs past the end
// of the file (a write cut short) or whose checksum fails ends the log: nothing
// after it is read, so a torn or damaged record can never be taken for part of
// another. A writer that met a failure takes no more records.
//
// Why not SQLite. Measured on the disks we run on, an 8 KiB overwrite and
// fdatasync cost 3.5-4 ms, one SQLite commit with synchronous=FULL and a
// rollback journal 17-22 ms. The edit in place must stay within twice the cost
// of two small durable writes: recording, writing and retiring through SQLite
// takes about 40 ms (5x), through this log three fdatasyncs (1.5x). A batch may
// afford one flush per group of dozens of files, which both allow, but the log
// needs no library on either platform, no shared memory and no rollback file
// beside it, and its records are the journal's own transactions: a record is
// either whole and checked or it ends the log.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/status.h"
#include "files/file_system.h"
#include "text/shared_string.h"

// One record as read: its type, its payload, where it starts in the file (as
// the writer's Append told) and where its payload starts (so that a large part
// of it can be read again later, alone).
struct LogRecord {
  uint16_t type = 0;
  std::string payload;
  int64_t offset = 0;
  int64_t payloadOffset = 0;
};

// How the readable part of a log ended: at its end or a zero length (clean), in
// a record cut short (a write that never finished), or at a record that does
// not prove itself (damaged).
enum class LogEnd { kClean, kCut, kDamaged };

// The writes and flushes of a writer: the file seam's by default; the tests
// give functions that fail at a chosen step.
struct LogWriteFunctions {
  // Hands bytes to the system (they are in the file, not yet on the disk).
  Status (*write)(FILE* file, const std::string& bytes);
  // Puts what was handed over on the disk.
  Status (*flush)(FILE* file);
};
extern const LogWriteFunctions kDiskLogWrites;

class RecordLogWriter {
 public:
  explicit RecordLogWriter(const LogWriteFunctions& io = kDiskLogWrites) : io_(io) {}
  RecordLogWriter(const RecordLogWriter&) = delete;
  RecordLogWriter& operator=(const RecordLogWriter&) = delete;

  // Makes a new log at path and locks it for this writer's life: kExists when
  // the name is taken, kBusy when another process locked it first (take another
  // name then). The magic goes to the system, not yet to the disk.
  Status Create(const String& path);
  // Opens an existing log to add records, locked: kBusy when another process
  // holds it (a run in progress, another undo).
  Status Open(const String& path);
  // Where the next record goes: right after the readable part that a reader
  // found (validEnd); whatever follows it is cut away.
  Status AppendAt(int64_t validEnd);

  // Adds a record, kept until the next Flush. Returns where the record will
  // start in the file, which names it for a later record (0 when the writer
  // was opened and not yet told where to append).
  int64_t Append(uint16_t type, const std::string& payload);
  // Writes the records added and puts them on the disk, in one flush. After
  // any failure the writer takes no more records: every later call fails alike.
  Status Flush();
  // Writes the records added to the system without waiting for the disk: for
  // records that nothing depends on finding after a crash.
  Status WriteOut();
  // Unlocks and closes. Records not flushed are dropped, as a killed process
  // would drop them.
  void Close();

  bool IsOpen() const { return file_.IsOpen(); }
  bool Failed() const { return !failure_.ok(); }
  const Status& Failure() const { return failure_; }

 private:
  Status Lock(const String& path);
  Status Fail(const Status& status);
  Status Write();

  LogWriteFunctions io_;
  ScopedFile file_;
  String path_;
  std::string pending_;
  int64_t end_ = 0;         // where pending_ goes in the file; 0 while unknown
  bool created_ = false;    // the log's name must reach the disk with its first flush
  bool unflushed_ = false;  // records written to the system, not yet to the disk
  Status failure_;
};

// Whether the log's last record is exactly this one, read from the end of the
// file alone: a test that needs no scan of the records before it.
bool LogEndsWith(const String& path, uint16_t type, const std::string& payload);

class RecordLogReader {
 public:
  // kNotFound when there is no file, kUnsupported for a journal of the older
  // format, kCorrupt when the file does not start with the magic (an empty
  // file, or one cut inside it, included).
  Status Open(const String& path);
  // The next whole record that proves itself; false at the end of the readable
  // part (End tells how it ended). Memory: one record at a time.
  bool Next(LogRecord& record);
  LogEnd End() const { return end_; }
  // The offset right after the last whole record.
  int64_t ValidEnd() const { return position_; }
  // size bytes at offset of the file, read again (part of a record read before).
  Status ReadAt(int64_t offset, size_t size, std::string& bytes);
  void Close() { file_.Close(); }

 private:
  bool Stop(LogEnd end);

  ScopedFile file_;
  int64_t size_ = 0;
  int64_t position_ = 0;
  LogEnd end_ = LogEnd::kClean;
  bool ended_ = false;
};
