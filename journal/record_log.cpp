// The record log (see record_log.h): framing, the locked writer, the reader.
#include "journal/record_log.h"

#include <cstring>

#include "base/byte_codec.h"
#include "ogg/ogg_crc.h"
#include "text/paths.h"

namespace {

const char kMagic[] = "MIRALE JOURNAL 2\n";
const char kOlderMagic[] = "MIRALE JOURNAL 1\n";
constexpr size_t kMagicSize = sizeof kMagic - 1;
constexpr size_t kLengthSize = 4;
constexpr size_t kTypeSize = 2;
constexpr size_t kCrcSize = 4;
constexpr size_t kReadBuffer = 64 * 1024;

uint32_t Crc(const std::string& bytes, size_t from) {
  return OggCrcUpdate(0, reinterpret_cast<const unsigned char*>(bytes.data()) + from,
                      bytes.size() - from);
}

Status WriteToSystem(FILE* file, const std::string& bytes) {
  const Status written = WriteBytes(file, bytes);
  return written.ok() ? FlushToSystem(file) : written;
}

// The folder part of a path, its last separator included.
String FolderOf(const String& path) {
  String folder;
  String name;
  SplitPath(path, folder, name);
  return folder.IsEmpty() ? String(".") : folder;
}

bool ReadExactly(FILE* file, void* into, size_t size) {
  return std::fread(into, 1, size, file) == size;
}

// Appends the record framed: length, type, payload, checksum.
void Frame(std::string& into, uint16_t type, const std::string& payload) {
  const size_t start = into.size();
  ByteWriter out(into);
  out.Le32(static_cast<uint32_t>(kTypeSize + payload.size()));
  out.Le16(type);
  out.Bytes(payload);
  out.Le32(Crc(into, start));
}

}  // namespace

const LogWriteFunctions kDiskLogWrites = {WriteToSystem, FlushDataToDisk};

Status RecordLogWriter::Lock(const String& path) {
  Status status = LockOpenFile(file_.Get());
  // Between the making of the name and the lock, an undo may have taken the
  // file (as an empty journal) and removed it: the name must still be ours.
  FileIdentity mine;
  FileIdentity named;
  if (status.ok()) status = GetOpenFileIdentity(file_.Get(), mine);
  if (status.ok() && (!GetFileIdentity(path, named).ok() || !(mine == named))) {
    status = Status(StatusCode::kBusy, "the journal was taken");
  }
  if (!status.ok()) file_.Close();
  return status;
}

Status RecordLogWriter::Create(const String& path) {
  Status status = CreateNewFile(path, file_);
  if (status.ok()) status = Lock(path);
  if (!status.ok()) return status;
  path_ = path;
  created_ = true;
  status = io_.write(file_.Get(), std::string(kMagic, kMagicSize));
  if (!status.ok()) return Fail(status);
  end_ = static_cast<int64_t>(kMagicSize);
  return Status::Ok();
}

Status RecordLogWriter::Open(const String& path) {
  const Status opened = OpenFile(path, "r+b", file_);
  if (!opened.ok()) return opened;
  path_ = path;
  return Lock(path);
}

Status RecordLogWriter::AppendAt(int64_t validEnd) {
  if (Failed()) return failure_;
  if (!file_.IsOpen()) return Status(StatusCode::kInvalid, "the journal is not open");
  Status status = TruncateOpenFile(file_.Get(), validEnd);
  if (status.ok()) status = SeekFile(file_.Get(), validEnd);
  if (!status.ok()) return Fail(status);
  end_ = validEnd;
  return Status::Ok();
}

int64_t RecordLogWriter::Append(uint16_t type, const std::string& payload) {
  if (Failed()) return 0;
  const int64_t at = end_ == 0 ? 0 : end_ + static_cast<int64_t>(pending_.size());
  Frame(pending_, type, payload);
  return at;
}

Status RecordLogWriter::Write() {
  if (Failed()) return failure_;
  if (!file_.IsOpen()) return Status(StatusCode::kInvalid, "the journal is not open");
  if (pending_.empty()) return Status::Ok();
  const Status status = io_.write(file_.Get(), pending_);
  if (!status.ok()) return Fail(status);
  if (end_ != 0) end_ += static_cast<int64_t>(pending_.size());
  pending_.clear();
  unflushed_ = true;
  return Status::Ok();
}

Status RecordLogWriter::WriteOut() { return Write(); }

Status RecordLogWriter::Flush() {
  Status status = Write();
  if (!status.ok() || !unflushed_) return status;
  status = io_.flush(file_.Get());
  if (status.ok() && created_) status = FlushFolderToDisk(FolderOf(path_));
  if (!status.ok()) return Fail(status);
  created_ = false;
  unflushed_ = false;
  return Status::Ok();
}

void RecordLogWriter::Close() {
  pending_.clear();
  file_.Close();
}

Status RecordLogWriter::Fail(const Status& status) {
  if (failure_.ok()) failure_ = status;
  pending_.clear();
  return failure_;
}

Status RecordLogReader::Open(const String& path) {
  Status status = OpenFile(path, "rb", file_);
  if (!status.ok()) return status;
  file_.UseBuffer(kReadBuffer);
  status = GetOpenFileSize(file_.Get(), size_);
  if (!status.ok()) return status;
  char magic[kMagicSize];
  if (!ReadExactly(file_.Get(), magic, kMagicSize)) return Status(StatusCode::kCorrupt, "empty");
  if (std::memcmp(magic, kOlderMagic, kMagicSize) == 0) {
    return Status(StatusCode::kUnsupported, "a journal of an older version");
  }
  if (std::memcmp(magic, kMagic, kMagicSize) != 0) {
    return Status(StatusCode::kCorrupt, "not a journal");
  }
  position_ = static_cast<int64_t>(kMagicSize);
  return Status::Ok();
}

bool RecordLogReader::Stop(LogEnd end) {
  end_ = end;
  ended_ = true;
  return false;
}

bool RecordLogReader::Next(LogRecord& record) {
  if (ended_ || !file_.IsOpen()) return false;
  const int64_t left = size_ - position_;
  if (left == 0) return Stop(LogEnd::kClean);
  std::string frame(kLengthSize + kTypeSize, '\0');
  if (left < static_cast<int64_t>(kLengthSize) || !ReadExactly(file_.Get(), &frame[0], kLengthSize))
    return Stop(LogEnd::kCut);
  const uint32_t length = GetLe32(reinterpret_cast<const unsigned char*>(frame.data()));
  if (length == 0) return Stop(LogEnd::kClean);
  if (length < kTypeSize) return Stop(LogEnd::kDamaged);
  // Nothing is sized from a length before it is known to fit in the file.
  if (static_cast<int64_t>(kLengthSize + length + kCrcSize) > left) return Stop(LogEnd::kCut);
  frame.resize(kLengthSize + length);
  unsigned char crc[kCrcSize];
  if (!ReadExactly(file_.Get(), &frame[kLengthSize], length) ||
      !ReadExactly(file_.Get(), crc, kCrcSize)) {
    return Stop(LogEnd::kCut);
  }
  if (Crc(frame, 0) != GetLe32(crc)) return Stop(LogEnd::kDamaged);
  record.type = GetLe16(reinterpret_cast<const unsigned char*>(frame.data()) + kLengthSize);
  record.offset = position_;
  record.payloadOffset = position_ + static_cast<int64_t>(kLengthSize + kTypeSize);
  record.payload.assign(frame, kLengthSize + kTypeSize, std::string::npos);
  position_ += static_cast<int64_t>(kLengthSize + length + kCrcSize);
  return true;
}

Status RecordLogReader::ReadAt(int64_t offset, size_t size, std::string& bytes) {
  if (!file_.IsOpen()) return Status(StatusCode::kInvalid, "the journal is not open");
  if (offset < 0 || offset + static_cast<int64_t>(size) > size_) {
    return Status(StatusCode::kCorrupt, "past the end of the journal");
  }
  Status status = SeekFile(file_.Get(), offset);
  if (!status.ok()) return status;
  bytes.resize(size);
  if (size != 0 && !ReadExactly(file_.Get(), &bytes[0], size)) {
    status = Status(StatusCode::kIoError, "cannot read the journal");
  }
  // The stream goes on where it was.
  const Status back = SeekFile(file_.Get(), position_);
  return status.ok() ? back : status;
}

bool LogEndsWith(const String& path, uint16_t type, const std::string& payload) {
  std::string expected;
  Frame(expected, type, payload);
  ScopedFile file;
  int64_t size = 0;
  if (!OpenFile(path, "rb", file).ok() || !GetOpenFileSize(file.Get(), size).ok() ||
      size < static_cast<int64_t>(kMagicSize + expected.size()) ||
      !SeekFile(file.Get(), size - static_cast<int64_t>(expected.size())).ok()) {
    return false;
  }
  std::string found(expected.size(), '\0');
  return ReadExactly(file.Get(), &found[0], found.size()) && found == expected;
}
