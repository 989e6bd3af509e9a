// Recovery records (see recovery_record.h). The payload, little-endian:
//   u32 length + path, u64 device, u64 file index, i64 size, u64 offset,
//   u32 length + old bytes, u32 count + u64 digest per piece of the new bytes,
//   u32 CRC-32 of everything before it
// and a retirement's: i64 offset of the record it retires.
#include "journal/recovery_record.h"

#include <algorithm>

#include "base/byte_codec.h"
#include "ogg/ogg_crc.h"

namespace {

// 64-bit FNV-1a: a piece that a crash changed at random matches it by chance
// once in 2^64.
uint64_t Digest(const char* bytes, size_t size) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (size_t i = 0; i < size; ++i) {
    hash ^= static_cast<unsigned char>(bytes[i]);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

// Calls piece(start, size) for each piece of size bytes written at offset.
template <typename Piece>
void ForEachPiece(uint64_t offset, size_t size, Piece piece) {
  size_t start = 0;
  while (start < size) {
    const uint64_t at = offset + start;
    const size_t length = static_cast<size_t>(
        std::min<uint64_t>(kRecoveryPieceSize - at % kRecoveryPieceSize, size - start));
    piece(start, length);
    start += length;
  }
}

size_t PieceCount(uint64_t offset, size_t size) {
  size_t count = 0;
  ForEachPiece(offset, size, [&](size_t, size_t) { ++count; });
  return count;
}

uint32_t Checksum(const std::string& bytes, size_t size) {
  return OggCrcUpdate(0, reinterpret_cast<const unsigned char*>(bytes.data()), size);
}

}  // namespace

std::vector<uint64_t> PieceDigests(uint64_t offset, const std::string& bytes) {
  std::vector<uint64_t> digests;
  ForEachPiece(offset, bytes.size(), [&](size_t start, size_t length) {
    digests.push_back(Digest(bytes.data() + start, length));
  });
  return digests;
}

std::string EncodeRecoveryRecord(const RecoveryRecord& record) {
  std::string payload;
  ByteWriter out(payload);
  out.Le32(static_cast<uint32_t>(record.path.size()));
  out.Bytes(record.path);
  out.Le64(record.identity.device);
  out.Le64(record.identity.index);
  out.Le64(static_cast<uint64_t>(record.size));
  out.Le64(record.offset);
  out.Le32(static_cast<uint32_t>(record.oldBytes.size()));
  out.Bytes(record.oldBytes);
  out.Le32(static_cast<uint32_t>(record.newDigests.size()));
  for (const uint64_t digest : record.newDigests) out.Le64(digest);
  out.Le32(Checksum(payload, payload.size()));
  return payload;
}

bool DecodeRecoveryRecord(const std::string& payload, RecoveryRecord& record) {
  if (payload.size() < 4) return false;
  const size_t body = payload.size() - 4;
  if (GetLe32(reinterpret_cast<const unsigned char*>(payload.data()) + body) !=
      Checksum(payload, body)) {
    return false;
  }
  ByteReader in(reinterpret_cast<const unsigned char*>(payload.data()), body);
  uint32_t length;
  uint64_t size;
  uint32_t count;
  if (!in.Le32(length) || !in.Bytes(length, record.path) || !in.Le64(record.identity.device) ||
      !in.Le64(record.identity.index) || !in.Le64(size) || !in.Le64(record.offset) ||
      !in.Le32(length) || !in.Bytes(length, record.oldBytes) || !in.Le32(count)) {
    return false;
  }
  record.size = static_cast<int64_t>(size);
  // As many digests as the old bytes have pieces, and nothing after them.
  if (count != PieceCount(record.offset, record.oldBytes.size()) ||
      in.Remaining() != static_cast<size_t>(count) * 8) {
    return false;
  }
  record.newDigests.resize(count);
  for (uint64_t& digest : record.newDigests) in.Le64(digest);
  return true;
}

FoundBytes CompareWithRecord(const RecoveryRecord& record, const std::string& found) {
  if (found.size() != record.oldBytes.size()) return FoundBytes::kNeither;
  bool anyOld = false;
  bool anyNew = false;
  size_t piece = 0;
  bool neither = false;
  ForEachPiece(record.offset, found.size(), [&](size_t start, size_t length) {
    // A piece the edit leaves as it was counts as both.
    const bool old = found.compare(start, length, record.oldBytes, start, length) == 0;
    const bool now = Digest(found.data() + start, length) == record.newDigests[piece++];
    anyOld = anyOld || (old && !now);
    anyNew = anyNew || (now && !old);
    neither = neither || (!old && !now);
  });
  if (neither) return FoundBytes::kNeither;
  if (anyOld && anyNew) return FoundBytes::kTorn;
  return anyNew ? FoundBytes::kNew : FoundBytes::kOld;
}

std::string EncodeRetirement(int64_t recordOffset) {
  std::string payload;
  ByteWriter(payload).Le64(static_cast<uint64_t>(recordOffset));
  return payload;
}

bool DecodeRetirement(const std::string& payload, int64_t& recordOffset) {
  ByteReader in(payload);
  uint64_t offset;
  if (!in.Le64(offset) || in.Remaining() != 0) return false;
  recordOffset = static_cast<int64_t>(offset);
  return true;
}
