// Reading FLAC metadata (see flac_metadata.h).
#include "flac/flac_metadata.h"

#include <cstring>
#include <utility>

#include "base/byte_codec.h"

const char kFlacNoMarker[] = "No FLAC stream marker.";
const char kFlacBadStreamInfo[] = "STREAMINFO is missing, not first or not 34 bytes long.";
const char kFlacBlockPastEnd[] = "A metadata block runs past the end of the file.";
const char kFlacSeveralComments[] = "Several Vorbis comment blocks.";
const char kFlacBadCommentList[] = "The Vorbis comment block does not parse.";
const char kFlacCommentTooLarge[] = "The Vorbis comment block would pass 16 MiB.";
const char kFlacReadFailed[] = "A read of the FLAC file failed.";
const char kFlacWriteFailed[] = "A write of the FLAC file failed.";

namespace {

constexpr size_t kId3v2HeaderSize = 10;
constexpr uint8_t kId3v2FooterFlag = 0x10;
constexpr uint8_t kLastBlockFlag = 0x80;

// Reads the metadata in order, never past what it needs, and knows where it is.
class MetadataReader {
 public:
  MetadataReader(void* input, ReadFunc read, FlacMetadata& metadata)
      : input_(input), read_(read), metadata_(metadata) {}

  Status Run() {
    unsigned char start[kId3v2HeaderSize];
    Status status = Take(start, 4, kFlacNoMarker);
    if (status.ok() && memcmp(start, "ID3", 3) == 0) status = ReadId3v2(start);
    if (status.ok() && memcmp(start, "fLaC", 4) != 0) status = Corrupt(kFlacNoMarker);
    if (!status.ok()) return status;
    bool last = false;
    while (status.ok() && !last) status = ReadBlock(last);
    metadata_.framesOffset = position_;
    return status;
  }

 private:
  static Status Corrupt(const char* detail) { return Status(StatusCode::kCorrupt, detail); }

  // The next size bytes; a file too short for them gives shortDetail.
  Status Take(void* buffer, uint64_t size, const char* shortDetail) {
    if (size > metadata_.fileSize - position_) return Corrupt(shortDetail);
    const size_t got = size == 0 ? 0 : read_(buffer, 1, static_cast<size_t>(size), input_);
    position_ += got;
    return got == size ? Status() : Status(StatusCode::kIoError, kFlacReadFailed);
  }
  Status TakeString(std::string& out, uint64_t size, const char* shortDetail) {
    if (size > metadata_.fileSize - position_) return Corrupt(shortDetail);
    out.resize(static_cast<size_t>(size));
    return Take(&out[0], size, shortDetail);
  }

  // The tag whose first 4 bytes are in header; leaves the 4 bytes after it
  // there, where the marker must stand.
  Status ReadId3v2(unsigned char* header) {
    Status status = Take(header + 4, kId3v2HeaderSize - 4, kFlacNoMarker);
    if (!status.ok()) return status;
    uint32_t size = 0;
    for (int i = 6; i < 10; ++i) {
      if (header[i] & 0x80) return Corrupt(kFlacNoMarker);  // not a synchsafe size
      size = (size << 7) | header[i];
    }
    const uint64_t rest = size + ((header[5] & kId3v2FooterFlag) ? kId3v2HeaderSize : 0);
    std::string& tag = metadata_.id3v2;
    status = TakeString(tag, rest, kFlacBlockPastEnd);
    if (!status.ok()) return status;
    tag.insert(0, reinterpret_cast<const char*>(header), kId3v2HeaderSize);
    return Take(header, 4, kFlacNoMarker);
  }

  Status ReadBlock(bool& last) {
    unsigned char header[kFlacBlockHeaderSize];
    FlacBlock block;
    block.offset = position_;
    const bool first = metadata_.blocks.empty();
    Status status = Take(header, sizeof header, first ? kFlacBadStreamInfo : kFlacBlockPastEnd);
    if (!status.ok()) return status;
    block.type = header[0] & ~kLastBlockFlag;
    block.last = last = (header[0] & kLastBlockFlag) != 0;
    const uint32_t length = GetBe24(header + 1);
    if (first != (block.type == kFlacStreamInfo) || (first && length != kFlacStreamInfoSize)) {
      return Corrupt(kFlacBadStreamInfo);
    }
    status = TakeString(block.body, length, kFlacBlockPastEnd);
    if (!status.ok()) return status;
    if (block.type == kFlacVorbisComment) {
      if (metadata_.commentIndex >= 0)
        return Status(StatusCode::kUnsupported, kFlacSeveralComments);
      if (!ParseCommentList(block.body, metadata_.comments)) return Corrupt(kFlacBadCommentList);
      metadata_.commentIndex = static_cast<int>(metadata_.blocks.size());
    }
    metadata_.blocks.push_back(std::move(block));
    return Status();
  }

  void* input_;
  ReadFunc read_;
  FlacMetadata& metadata_;
  uint64_t position_ = 0;
};

}  // namespace

Status ReadFlacMetadata(void* input, ReadFunc read, uint64_t fileSize, FlacMetadata& metadata) {
  metadata = FlacMetadata();
  metadata.fileSize = fileSize;
  return MetadataReader(input, read, metadata).Run();
}

void AppendFlacBlockHeader(std::string& out, uint8_t type, bool last, uint32_t length) {
  ByteWriter writer(out);
  writer.U8(static_cast<uint8_t>(type | (last ? kLastBlockFlag : 0)));
  writer.Be24(length);
}

void AppendFlacBlock(std::string& out, uint8_t type, bool last, const std::string& body) {
  AppendFlacBlockHeader(out, type, last, static_cast<uint32_t>(body.size()));
  out += body;
}
