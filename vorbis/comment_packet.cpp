// The Vorbis comment header and the vorbis_comment bridge (see comment_packet.h).
#include "vorbis/comment_packet.h"

#include <cstdlib>
#include <cstring>

#include "base/byte_codec.h"
#include "opus/opus_headers.h"

namespace {

constexpr char kVorbisCommentMagic[] = "\x03vorbis";
constexpr size_t kVorbisCommentMagicSize = 7;

// A heap copy with a terminating zero, as vorbis_comment_clear frees it.
char* CopyText(const std::string& text) {
  char* copy = static_cast<char*>(malloc(text.size() + 1));
  if (copy == nullptr) return nullptr;
  memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

}  // namespace

std::string BuildVorbisCommentPacket(std::string_view vendor,
                                     const std::vector<std::string_view>& entries) {
  std::string packet;
  ByteWriter out(packet);
  out.Bytes(kVorbisCommentMagic, kVorbisCommentMagicSize);
  AppendCommentList(out, vendor, entries);
  out.U8(1);  // the framing bit
  return packet;
}

bool ReadCommentHeader(const unsigned char* packet, size_t size, CommentList& list) {
  ByteReader in(packet, size);
  if (in.Expect(kVorbisCommentMagic, kVorbisCommentMagicSize)) return ReadCommentList(in, list);
  OpusTags tags;
  if (!ParseOpusTags(packet, size, tags)) return false;
  list = std::move(tags.list);
  return true;
}

bool MeasureCommentPacket(const std::string& packet, bool opus, CommentPacketExtent& extent) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(packet.data());
  if (opus) {
    OpusTags tags;
    if (!ParseOpusTags(bytes, packet.size(), tags)) return false;
    extent.takesPadding = tags.binaryData.empty();
    extent.contentSize = extent.takesPadding ? tags.listEnd : packet.size();
    return true;
  }
  ByteReader in(bytes, packet.size());
  CommentList list;
  uint8_t framing = 0;
  // Readers stop at the framing bit, the lowest bit of the byte after the list.
  if (!in.Expect(kVorbisCommentMagic, kVorbisCommentMagicSize) || !ReadCommentList(in, list) ||
      !in.U8(framing) || (framing & 1) == 0) {
    return false;
  }
  extent.contentSize = in.Position();
  extent.takesPadding = true;
  return true;
}

bool FitCommentPacket(const std::string& packet, bool opus, size_t size, std::string& fitted) {
  CommentPacketExtent extent;
  if (!MeasureCommentPacket(packet, opus, extent) || extent.contentSize > size) return false;
  if (!extent.takesPadding && extent.contentSize != size) return false;
  fitted.assign(packet, 0, extent.contentSize);
  fitted.resize(size, '\0');
  return true;
}

std::vector<std::string_view> EntriesOf(const vorbis_comment& comments) {
  std::vector<std::string_view> entries;
  entries.reserve(static_cast<size_t>(comments.comments > 0 ? comments.comments : 0));
  for (int i = 0; i < comments.comments; ++i) {
    const char* entry = comments.user_comments[i];
    entries.emplace_back(entry != nullptr ? entry : "",
                         entry != nullptr ? static_cast<size_t>(comments.comment_lengths[i]) : 0);
  }
  return entries;
}

bool FillVorbisComment(const CommentList& list, vorbis_comment* comments) {
  vorbis_comment_clear(comments);
  vorbis_comment_init(comments);
  const size_t count = list.entries.size();
  comments->vendor = CopyText(list.vendor);
  comments->user_comments = static_cast<char**>(calloc(count + 1, sizeof(char*)));
  comments->comment_lengths = static_cast<int*>(calloc(count + 1, sizeof(int)));
  if (!comments->vendor || !comments->user_comments || !comments->comment_lengths) return false;
  for (size_t i = 0; i < count; ++i) {
    comments->user_comments[i] = CopyText(list.entries[i]);
    if (comments->user_comments[i] == nullptr) return false;
    comments->comment_lengths[i] = static_cast<int>(list.entries[i].size());
    comments->comments = static_cast<int>(i + 1);
  }
  return true;
}
