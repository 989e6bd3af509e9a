// The Opus header packets (see opus_headers.h).
#include "opus/opus_headers.h"

#include "base/byte_codec.h"

namespace {

constexpr char kOpusHead[] = "OpusHead";
constexpr char kOpusTags[] = "OpusTags";
constexpr size_t kMagicSize = 8;
constexpr size_t kOpusHeadMinSize = 19;

}  // namespace

bool IsOpusHead(const unsigned char* packet, size_t size) {
  return ByteReader(packet, size).Expect(kOpusHead, kMagicSize);
}

OpusHeadCheck CheckOpusHead(const unsigned char* packet, size_t size) {
  ByteReader in(packet, size);
  uint8_t version = 0;
  if (size < kOpusHeadMinSize || !in.Expect(kOpusHead, kMagicSize) || !in.U8(version)) {
    return OpusHeadCheck::kTooShort;
  }
  return (version & 0xF0) == 0 ? OpusHeadCheck::kReadable : OpusHeadCheck::kUnknownVersion;
}

bool ParseOpusTags(const unsigned char* packet, size_t size, OpusTags& tags) {
  ByteReader in(packet, size);
  tags.binaryData.clear();
  if (!in.Expect(kOpusTags, kMagicSize) || !ReadCommentList(in, tags.list)) return false;
  tags.listEnd = in.Position();
  if (in.Remaining() > 0 && (*in.Here() & 1) != 0) in.Bytes(in.Remaining(), tags.binaryData);
  return true;
}

std::string BuildOpusTagsPacket(std::string_view vendor,
                                const std::vector<std::string_view>& entries,
                                const std::string& binaryData) {
  std::string packet;
  ByteWriter out(packet);
  out.Bytes(kOpusTags, kMagicSize);
  AppendCommentList(out, vendor, entries);
  out.Bytes(binaryData);
  return packet;
}
