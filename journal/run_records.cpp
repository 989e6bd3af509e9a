// The payloads of a run's records (see run_records.h), little-endian:
//   run start   i64 time, u64 process id, u32 length + version
//   file entry  u32 id, u8 codec, u32 length + path, state, u32 header crc,
//               u32 header length + header
//   committed, restamp   u32 id, state
//   restored, set aside  u32 id
//   run end     i64 time, u32 entries
// where a state is u64 device, u64 file index, i64 size, i64 modified.
#include "journal/run_records.h"

#include "base/byte_codec.h"
#include "ogg/ogg_crc.h"

namespace {

void PutText(ByteWriter& out, const std::string& text) {
  out.Le32(static_cast<uint32_t>(text.size()));
  out.Bytes(text);
}

bool GetText(ByteReader& in, std::string& text) {
  uint32_t length;
  return in.Le32(length) && in.Bytes(length, text);
}

void PutState(ByteWriter& out, const FileState& state) {
  out.Le64(state.identity.device);
  out.Le64(state.identity.index);
  out.Le64(static_cast<uint64_t>(state.stamp.size));
  out.Le64(static_cast<uint64_t>(state.stamp.modified));
}

bool GetState(ByteReader& in, FileState& state) {
  uint64_t size;
  uint64_t modified;
  if (!in.Le64(state.identity.device) || !in.Le64(state.identity.index) || !in.Le64(size) ||
      !in.Le64(modified)) {
    return false;
  }
  state.stamp.size = static_cast<int64_t>(size);
  state.stamp.modified = static_cast<int64_t>(modified);
  return true;
}

// A payload filled by fill through a writer.
template <typename Fill>
std::string Payload(Fill fill) {
  std::string payload;
  ByteWriter out(payload);
  fill(out);
  return payload;
}

uint32_t HeaderCrc(const std::string& header) {
  return OggCrcUpdate(0, reinterpret_cast<const unsigned char*>(header.data()), header.size());
}

}  // namespace

std::string EncodeRunStart(const RunStart& start) {
  return Payload([&](ByteWriter& out) {
    out.Le64(static_cast<uint64_t>(start.time));
    out.Le64(start.processId);
    PutText(out, start.version);
  });
}

std::string EncodeFileEntry(const FileEntry& entry) {
  return Payload([&](ByteWriter& out) {
    out.Le32(entry.id);
    out.U8(static_cast<uint8_t>(entry.codec));
    PutText(out, entry.path);
    PutState(out, entry.before);
    out.Le32(HeaderCrc(entry.header));
    PutText(out, entry.header);
  });
}

std::string EncodeEntryState(const EntryState& state) {
  return Payload([&](ByteWriter& out) {
    out.Le32(state.id);
    PutState(out, state.state);
  });
}

std::string EncodeEntryId(uint32_t id) {
  return Payload([&](ByteWriter& out) { out.Le32(id); });
}

std::string EncodeRunEnd(const RunEnd& end) {
  return Payload([&](ByteWriter& out) {
    out.Le64(static_cast<uint64_t>(end.time));
    out.Le32(end.entries);
  });
}

bool DecodeRunStart(const std::string& payload, RunStart& start) {
  ByteReader in(payload);
  uint64_t time;
  if (!in.Le64(time) || !in.Le64(start.processId) || !GetText(in, start.version)) return false;
  start.time = static_cast<int64_t>(time);
  return true;
}

bool DecodeFileEntry(const std::string& payload, FileEntry& entry, bool withHeader) {
  ByteReader in(payload);
  uint8_t codec;
  if (!in.Le32(entry.id) || !in.U8(codec) || !GetText(in, entry.path) ||
      !GetState(in, entry.before) || !in.Le32(entry.headerCrc) || !in.Le32(entry.headerSize)) {
    return false;
  }
  if (codec < static_cast<uint8_t>(JournalCodec::kVorbis) ||
      codec > static_cast<uint8_t>(JournalCodec::kFlac)) {
    return false;
  }
  entry.codec = static_cast<JournalCodec>(codec);
  entry.headerOffset = in.Position();
  if (in.Remaining() != entry.headerSize) return false;
  if (withHeader) return in.Bytes(entry.headerSize, entry.header);
  entry.header.clear();
  return true;
}

bool DecodeEntryState(const std::string& payload, EntryState& state) {
  ByteReader in(payload);
  return in.Le32(state.id) && GetState(in, state.state);
}

bool DecodeEntryId(const std::string& payload, uint32_t& id) {
  return ByteReader(payload).Le32(id);
}

bool HeaderMatches(const FileEntry& entry, const std::string& header) {
  return header.size() == entry.headerSize && HeaderCrc(header) == entry.headerCrc;
}
