// The recovery record of an edit in place: written to the run's journal and
// flushed before the first byte of the file changes, retired once the file is
// settled. After a crash it tells whether the file holds the old bytes, the
// new ones, a mix of both (a write torn by a power loss) or something else.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "files/file_system.h"

struct RecoveryRecord {
  std::string path;  // absolute, UTF-8
  FileIdentity identity;
  int64_t size = 0;  // the file's, which an edit in place keeps
  uint64_t offset = 0;
  std::string oldBytes;
  // A digest of each piece of the new bytes (see PieceDigests), as long in all
  // as the old bytes.
  std::vector<uint64_t> newDigests;
};

// Disks write whole sectors, so a torn write leaves each sector either old or
// new: the new bytes are known by a digest per piece, the pieces cut at every
// multiple of this size in the file.
constexpr uint64_t kRecoveryPieceSize = 512;
std::vector<uint64_t> PieceDigests(uint64_t offset, const std::string& bytes);

// The payload ends with a checksum of its own, besides the log's.
std::string EncodeRecoveryRecord(const RecoveryRecord& record);
// False when the payload is not a whole record or its checksum fails.
bool DecodeRecoveryRecord(const std::string& payload, RecoveryRecord& record);

// What the file holds at the record's offset.
enum class FoundBytes {
  kOld,      // the old bytes: the edit never reached the file, or was undone
  kNew,      // the new bytes, whole
  kTorn,     // each piece old or new, some of each
  kNeither,  // a piece that is neither: the file changed since
};
FoundBytes CompareWithRecord(const RecoveryRecord& record, const std::string& found);

// The retirement of the recovery record that starts at recordOffset in the
// log. The offset kEveryRecordRetired says that no record before it is
// pending: a log that ends with it is at rest, with nothing to recover.
constexpr int64_t kEveryRecordRetired = 0;
std::string EncodeRetirement(int64_t recordOffset);
bool DecodeRetirement(const std::string& payload, int64_t& recordOffset);
